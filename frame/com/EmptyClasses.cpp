// The classes without public members: creating one makes an object whose
// interface has nothing to call.
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"

namespace orvalis::com {

namespace {

template <class Interface>
class EmptyObject final : public AutomationObject<EmptyObject<Interface>, Interface, NoLogic> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis";
};

}  // namespace

IUnknown* create_clsVxAudoGeneralA() { return EmptyObject<_clsVxAudoGeneralA>::create(); }
IUnknown* create_clsVxAudoAdvancedA() { return EmptyObject<_clsVxAudoAdvancedA>::create(); }

}  // namespace orvalis::com
