// The dual interface _clsVxOrvalisA over the library information logic:
// each vtable member forwards to the core in one line.
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "frame/clsVxOrvalisA.h"

namespace orvalis::com {

namespace {

// A picture from the runtime's loader as the interface hands it out.
void toAbi(const ObjectRef& picture, IPictureDisp** result) {
  *result = nullptr;
  IDispatch* dispatch = toIDispatch(picture);
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
    return runMemberReturning(result, [&] { return coreObject().GetProStdProperties(); });
  }
  STDMETHODIMP get_GetProResStrings(LONG* lResId, BSTR* result) override {
    return runMemberReturning(result, [&] { return coreObject().GetProResStrings(fromAbi(callerVariable(lResId))); });
  }
  STDMETHODIMP get_GetProResPicture(LONG* lResId, LoadResConstants* lRestype, IPictureDisp** result) override {
    return result ? runMember([&] { toAbi(coreObject().GetProResPicture(fromAbi(callerVariable(lResId)), static_cast<int32_t>(callerVariable(lRestype))), result); }) : E_POINTER;
  }
  STDMETHODIMP get_GetProResData(LONG* lResId, VARIANT* vRestype, VARIANT* result) override {
    return runMemberReturning(result, [&] { return coreObject().GetProResData(fromAbi(callerVariable(lResId)), fromAbi(callerVariable(vRestype))); });
  }
  STDMETHODIMP About(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().About(); }); }
  STDMETHODIMP get_BuddyObjectGlobal(IDispatch** result) override {
    return runMemberReturning(result, [&] { return coreObject().BuddyObjectGlobal(); });
  }
  STDMETHODIMP putref_BuddyObjectGlobal(IDispatch* oNewValue) override {
    return runMember([&] { coreObject().setBuddyObjectGlobal(fromAbi(oNewValue)); });
  }
};

}  // namespace

IUnknown* create_clsVxOrvalisA() { return OrvalisAObject::create(); }

}  // namespace orvalis::com
