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

// A by-reference argument is a reference to a Variant variable holding the
// value in its own subtype (a 16-bit index stays VT_I2). Typed hosts coerce
// it like any reference, and script hosts, whose variables are all
// Variants, accept no other kind of reference.
struct ArgumentSlots {
  explicit ArgumentSlots(std::vector<Argument>& args) : storage(args.size()), passed(args.size()) {
    for (size_t i = 0; i < args.size(); ++i) {
      // DISPPARAMS lists arguments from last to first.
      const size_t slot = args.size() - 1 - i;
      VariantInit(&storage[slot]);
      out(args[i].value, &storage[slot]);
      VariantInit(&passed[slot]);
      if (args[i].byReference) {
        V_VT(&passed[slot]) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&passed[slot]) = &storage[slot];
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

ComHostObject::ComHostObject(IDispatch* dispatch) : dispatch_(dispatch) {
  dispatch_->AddRef();
  // Script objects (a VBScript class, say) name their members through
  // IDispatchEx; some engines do not answer GetIDsOfNames at all.
  if (FAILED(dispatch_->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void**>(&scriptObject_))))
    scriptObject_ = nullptr;
}

ComHostObject::~ComHostObject() {
  if (scriptObject_) scriptObject_->Release();
  dispatch_->Release();
}

DISPID ComHostObject::memberId(std::u16string_view name) {
  std::wstring member(name.begin(), name.end());
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr;
  if (scriptObject_) {
    BSTR text = toBstr(name);
    hr = scriptObject_->GetDispID(text, fdexNameCaseInsensitive, &id);
    SysFreeString(text);
  } else {
    LPOLESTR names[] = {member.data()};
    hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  }
  if (FAILED(hr)) raiseDispatchFailure(hr == DISP_E_UNKNOWNNAME ? hr : DISP_E_UNKNOWNNAME, nullptr);
  return id;
}

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
  // Like VB: "Automation error" followed by the system's text for the code.
  std::u16string description = standardDescription(vb_error::AutomationError);
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length && text) {
    description += u'\n';
    description.append(text, text + length);
  }
  LocalFree(text);
  while (!description.empty() && (description.back() == u'\n' || description.back() == u'\r'))
    description.pop_back();
  throw RuntimeError(hr, std::move(description));
}

Variant ComHostObject::invoke(std::u16string_view name, CallKind kind, std::vector<Argument>& args) {
  const DISPID id = memberId(name);

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
  VARIANT* resultSlot = kind == CallKind::PropertyPut ? nullptr : &result;
  HRESULT hr = scriptObject_
      ? scriptObject_->InvokeEx(id, LOCALE_USER_DEFAULT, dispatchFlags(kind), &params, resultSlot,
                                &exception, nullptr)
      : dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, dispatchFlags(kind), &params,
                          resultSlot, &exception, &badArgument);
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
