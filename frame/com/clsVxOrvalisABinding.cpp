// The dual interface _clsVxOrvalisA over the library information logic:
// each vtable member forwards to the core in one line.
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "frame/clsVxOrvalisA.h"

namespace orvalis::com {

namespace {

// A picture from the runtime's loader as the interface hands it out.
void out(const ObjectRef& picture, IPictureDisp** result) {
  *result = nullptr;
  IDispatch* dispatch = dispatchOf(picture);
  if (!dispatch) return;
  const HRESULT hr = dispatch->QueryInterface(IID_IPictureDisp, reinterpret_cast<void**>(result));
  dispatch->Release();
  if (FAILED(hr)) throw RuntimeError(vb_error::TypeMismatch);
}

class OrvalisAObject final : public AutomationObject<OrvalisAObject, _clsVxOrvalisA, clsVxOrvalisA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxOrvalisA";

  // The by-reference ids and kinds are read, never written back.
  STDMETHODIMP get_GetProStdProperties(IDispatch** result) override {
    return call(result, [&] { return core().GetProStdProperties(); });
  }
  STDMETHODIMP get_GetProResStrings(LONG* lResId, BSTR* result) override {
    return call(result, [&] { return core().GetProResStrings(in(ref(lResId))); });
  }
  STDMETHODIMP get_GetProResPicture(LONG* lResId, LoadResConstants* lRestype, IPictureDisp** result) override {
    if (!result) return E_POINTER;
    return call([&] { out(core().GetProResPicture(in(ref(lResId)), static_cast<int32_t>(ref(lRestype))), result); });
  }
  STDMETHODIMP get_GetProResData(LONG* lResId, VARIANT* vRestype, VARIANT* result) override {
    return call(result, [&] { return core().GetProResData(in(ref(lResId)), in(ref(vRestype))); });
  }
  STDMETHODIMP About(LONG* result) override { return call(result, [&] { return core().About(); }); }
  STDMETHODIMP get_BuddyObjectGlobal(IDispatch** result) override {
    return call(result, [&] { return core().BuddyObjectGlobal(); });
  }
  STDMETHODIMP putref_BuddyObjectGlobal(IDispatch* oNewValue) override {
    return call([&] { core().setBuddyObjectGlobal(in(oNewValue)); });
  }
};

}  // namespace

IUnknown* create_clsVxOrvalisA() { return OrvalisAObject::create(); }

}  // namespace orvalis::com
