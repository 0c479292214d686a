#include "frame/clsVxAudoAdvancedA.h"

namespace orvalis {

clsVxAudoAdvancedA::clsVxAudoAdvancedA(Platform&) {}

}  // namespace orvalis
