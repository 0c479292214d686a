// The dual interface _clsVxAudoAdvancedA: it has no members, so the object only
// answers the calls every object answers.
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "frame/clsVxAudoAdvancedA.h"

namespace orvalis::com {

namespace {

class AdvancedAObject final : public AutomationObject<AdvancedAObject, _clsVxAudoAdvancedA, clsVxAudoAdvancedA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis";
};

}  // namespace

IUnknown* create_clsVxAudoAdvancedA() { return AdvancedAObject::create(); }

}  // namespace orvalis::com
