#include "frame/com/ComHostObject.h"

#include <memory>

#include "frame/RuntimeError.h"
#include "frame/com/Marshal.h"

namespace orvalis::com {

namespace {

std::u16string fromBstr(BSTR text) { return in(text); }

void clearException(EXCEPINFO& exception) {
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
}

// A by-reference argument points into a VARIANT that holds the value, the
// way a VB caller passes its own variable.
struct ArgumentSlots {
  explicit ArgumentSlots(std::vector<Argument>& args) : storage(args.size()), passed(args.size()) {
    for (size_t i = 0; i < args.size(); ++i) {
      // DISPPARAMS lists arguments from last to first.
      const size_t slot = args.size() - 1 - i;
      VariantInit(&storage[slot]);
      out(args[i].value, &storage[slot]);
      VariantInit(&passed[slot]);
      if (args[i].byReference) {
        V_VT(&passed[slot]) = VT_BYREF | V_VT(&storage[slot]);
        V_BYREF(&passed[slot]) = &storage[slot].lVal;  // the union's start serves every type
        if (V_VT(&storage[slot]) == VT_EMPTY) {
          V_VT(&passed[slot]) = VT_BYREF | VT_VARIANT;
          V_VARIANTREF(&passed[slot]) = &storage[slot];
        }
      } else {
        passed[slot] = storage[slot];
      }
    }
  }
  ~ArgumentSlots() {
    for (auto& value : storage) VariantClear(&value);
  }
  void readBack(std::vector<Argument>& args) {
    for (size_t i = 0; i < args.size(); ++i)
      if (args[i].byReference) args[i].value = in(&storage[args.size() - 1 - i]);
  }

  std::vector<VARIANT> storage;
  std::vector<VARIANT> passed;
};

WORD dispatchFlags(CallKind kind) {
  switch (kind) {
    case CallKind::Method: return DISPATCH_METHOD;
    case CallKind::PropertyGet: return DISPATCH_PROPERTYGET | DISPATCH_METHOD;
    case CallKind::PropertyPut: return DISPATCH_PROPERTYPUT;
  }
  return DISPATCH_METHOD;
}

}  // namespace

ComHostObject::ComHostObject(IDispatch* dispatch) : dispatch_(dispatch) { dispatch_->AddRef(); }

ComHostObject::~ComHostObject() { dispatch_->Release(); }

void raiseDispatchFailure(HRESULT hr, EXCEPINFO* exception) {
  switch (hr) {
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
      throw RuntimeError(vb_error::ObjectDoesntSupportMember);
    case DISP_E_TYPEMISMATCH:
      throw RuntimeError(vb_error::TypeMismatch);
    case DISP_E_OVERFLOW:
      throw RuntimeError(vb_error::Overflow);
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTOPTIONAL:
      throw RuntimeError(vb_error::WrongNumberOfArguments);
    case E_OUTOFMEMORY:
      throw std::bad_alloc();
    default:
      break;
  }
  if (hr == DISP_E_EXCEPTION && exception) {
    if (exception->pfnDeferredFillIn) exception->pfnDeferredFillIn(exception);
    const HRESULT code = exception->scode ? exception->scode
                                          : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, exception->wCode);
    std::u16string description = fromBstr(exception->bstrDescription);
    clearException(*exception);
    const long number = HRESULT_FACILITY(code) == FACILITY_CONTROL ? HRESULT_CODE(code) : code;
    if (description.empty()) throw RuntimeError(number);
    throw RuntimeError(number, std::move(description));
  }
  throw RuntimeError(hr, standardDescription(vb_error::AutomationError));
}

Variant ComHostObject::invoke(std::u16string_view name, CallKind kind, std::vector<Argument>& args) {
  std::wstring member(name.begin(), name.end());
  LPOLESTR names[] = {member.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) raiseDispatchFailure(hr, nullptr);

  ArgumentSlots slots(args);
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = slots.passed.data();
  params.cArgs = static_cast<UINT>(slots.passed.size());
  if (kind == CallKind::PropertyPut) {
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }

  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  UINT badArgument = 0;
  hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, dispatchFlags(kind), &params,
                         kind == CallKind::PropertyPut ? nullptr : &result, &exception, &badArgument);
  if (FAILED(hr)) {
    VariantClear(&result);
    raiseDispatchFailure(hr, &exception);
  }
  slots.readBack(args);
  Variant value = in(&result);
  VariantClear(&result);
  return value;
}

}  // namespace orvalis::com
