#include "frame/clsVxAudoGeneralA.h"

namespace orvalis {

clsVxAudoGeneralA::clsVxAudoGeneralA(Platform&) {}

}  // namespace orvalis
