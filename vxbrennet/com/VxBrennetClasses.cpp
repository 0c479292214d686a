// vxbrennet.dll on the library's generic COM layer: its class table and
// type-library identity, and the dual interfaces of its two classes, each
// member forwarding to the framework's logic in one line.
#include <windows.h>
#include <ole2.h>

#include "frame/com/AutomationObject.h"
#include "frame/com/EmptyResult.h"
#include "frame/Conversion.h"
#include "frame/RuntimeError.h"
#include "frame/com/ClassRegistry.h"
#include "vxbrennet/clsVxBrennetA.h"
#include "vxbrennet/clsVxelErrorHandlerA.h"
#include "vxbrennet_h.h"

namespace orvalis::com {

namespace {

using vxbrennet::clsVxBrennetA;
using vxbrennet::clsVxelErrorHandlerA;

class BrennetObject final : public AutomationObject<BrennetObject, _clsVxBrennetA, clsVxBrennetA> {
 public:
  static constexpr const wchar_t* kSource = L"VxBrennet.clsVxBrennetA";

  STDMETHODIMP AppAboutVxel(IDispatch* oApp, VARIANT* result) override {
    return runMemberReturning(result, emptyResult([&] { coreObject().AppAboutVxel(fromAbi(oApp)); }));
  }
};

// The error report goes through the runtime's own type-library Invoke, the
// standard dispatch of a framework built with the usual tools: it binds an
// argument to a by-reference parameter only as that parameter's type allows.
template <class Interface>
HRESULT standardInvoke(Interface* self, DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                       VARIANT* result, EXCEPINFO* exception, UINT* badArgument) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* info = nullptr;
  HRESULT hr = self->GetTypeInfo(0, locale, &info);
  if (FAILED(hr)) return hr;
  hr = DispInvoke(self, info, id, flags, params, result, exception, badArgument);
  info->Release();
  return hr;
}

// A by-reference argument the report cannot do without: error 449 when the
// caller passes no variable.
template <class T>
T& required(T* variable) {
  if (!variable) throw RuntimeError(vb_error::ArgumentNotOptional);
  return *variable;
}

// The report as the framework declares it: objects, texts and numbers by
// reference, each of its own type.
class ErrorHandlerObject final
    : public AutomationObject<ErrorHandlerObject, _clsVxelErrorHandlerA, clsVxelErrorHandlerA> {
 public:
  static constexpr const wchar_t* kSource = L"VxBrennet.clsVxelErrorHandlerA";

  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* badArgument) override {
    return standardInvoke<_clsVxelErrorHandlerA>(this, id, riid, locale, flags, params, result, exception,
                                                 badArgument);
  }

  STDMETHODIMP ErrorHandlerMessageVx(IDispatch** oApp, IDispatch** oErr, BSTR* sMessage, BSTR* sLocation,
                                     LONG* lLine, BSTR* sDetail, LONG* lFlags, VARIANT vExtra,
                                     VARIANT* result) override {
    return runMemberReturning(result, emptyResult([&] { coreObject().ErrorHandlerMessageVx(fromAbi(required(oApp)), fromAbi(required(oErr)), fromAbi(required(sMessage)), fromAbi(required(sLocation)), fromAbi(required(lLine)), fromAbi(required(sDetail)), fromAbi(required(lFlags)), fromAbi(&vExtra)); }));
  }
};

// The same report declared with Variant parameters, as a framework written
// in a script language has it.
class VariantErrorHandlerObject final
    : public AutomationObject<VariantErrorHandlerObject, _clsVxelVariantErrorHandlerA, clsVxelErrorHandlerA> {
 public:
  static constexpr const wchar_t* kSource = L"VxBrennet.clsVxelVariantErrorHandlerA";

  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* badArgument) override {
    return standardInvoke<_clsVxelVariantErrorHandlerA>(this, id, riid, locale, flags, params, result,
                                                        exception, badArgument);
  }

  STDMETHODIMP ErrorHandlerMessageVx(VARIANT* oApp, VARIANT* oErr, VARIANT* sMessage, VARIANT* sLocation,
                                     VARIANT* lLine, VARIANT* sDetail, VARIANT* lFlags, VARIANT vExtra,
                                     VARIANT* result) override {
    return runMemberReturning(result, emptyResult([&] { coreObject().ErrorHandlerMessageVx(object(oApp), object(oErr), toText(fromAbi(sMessage)), toText(fromAbi(sLocation)), toLong(fromAbi(lLine)), toText(fromAbi(sDetail)), toLong(fromAbi(lFlags)), fromAbi(&vExtra)); }));
  }

 private:
  // An object argument: Nothing for an empty Variant, error 424 for a value.
  static ObjectRef object(const VARIANT* argument) {
    const Variant value = fromAbi(argument);
    if (value.isEmpty()) return nullptr;
    if (value.type() != VarType::Object) throw RuntimeError(vb_error::ObjectRequired);
    return value.object();
  }
};

#define VXBRENNET_CLASS(name, binding) {L## #name, CLSID_##name, IID__##name, &binding::create},

const ClassEntry kClasses[] = {
#include "vxbrennet/com/ClassList.h"
};

#undef VXBRENNET_CLASS

}  // namespace

const GUID kLibraryId = LIBID_VxBrennet;
const WORD kLibraryMajor = 1;
const WORD kLibraryMinor = 0;
const wchar_t* const kLibraryName = L"VxBrennet";

std::span<const ClassEntry> classRegistry() { return kClasses; }

}  // namespace orvalis::com
