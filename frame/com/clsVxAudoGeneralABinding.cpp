// The dual interface _clsVxAudoGeneralA: it has no members, so the object only
// answers the calls every object answers.
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "frame/clsVxAudoGeneralA.h"

namespace orvalis::com {

namespace {

class GeneralAObject final : public AutomationObject<GeneralAObject, _clsVxAudoGeneralA, clsVxAudoGeneralA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis";
};

}  // namespace

IUnknown* create_clsVxAudoGeneralA() { return GeneralAObject::create(); }

}  // namespace orvalis::com
