// Classes whose members are not built yet: they can be created and their
// type information dispatches, but every member answers E_NOTIMPL. Each
// class moves to a binding of its own when its logic lands.
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"

namespace orvalis::com {

namespace {

template <class Binding, class Interface>
using PendingObject = AutomationObject<Binding, Interface, NoLogic>;

class clsVxOrvalisAPending final : public PendingObject<clsVxOrvalisAPending, _clsVxOrvalisA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxOrvalisA";

  STDMETHODIMP get_GetProStdProperties(IDispatch **) override { return E_NOTIMPL; }
  STDMETHODIMP get_GetProResStrings(LONG *, BSTR *) override { return E_NOTIMPL; }
  STDMETHODIMP get_GetProResPicture(LONG *, LoadResConstants *, IPictureDisp **) override { return E_NOTIMPL; }
  STDMETHODIMP get_GetProResData(LONG *, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP About(LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP get_BuddyObjectGlobal(IDispatch **) override { return E_NOTIMPL; }
  STDMETHODIMP putref_BuddyObjectGlobal(IDispatch *) override { return E_NOTIMPL; }
};

}  // namespace

IUnknown* create_clsVxOrvalisA() { return clsVxOrvalisAPending::create(); }

}  // namespace orvalis::com
