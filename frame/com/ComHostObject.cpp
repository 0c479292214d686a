#include "frame/com/ComHostObject.h"

#include "frame/RuntimeError.h"
#include "frame/com/Marshal.h"

namespace orvalis::com {

namespace {

std::u16string fromBstr(BSTR text) { return in(text); }

void clearException(EXCEPINFO& exception) {
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  exception.bstrSource = exception.bstrDescription = exception.bstrHelpFile = nullptr;
}

// A by-reference argument is a reference to a Variant variable holding the
// value in its own subtype (a 16-bit index stays VT_I2). Typed hosts coerce
// it like any reference, and script hosts, whose variables are all
// Variants, accept no other kind of reference.
struct ArgumentSlots {
  explicit ArgumentSlots(std::vector<Argument>& args) : storage(args.size()), passed(args.size()) {
    for (auto& value : storage) VariantInit(&value);
    try {
      fill(args);
    } catch (...) {
      for (auto& value : storage) VariantClear(&value);
      throw;
    }
  }
  void fill(std::vector<Argument>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
      // DISPPARAMS lists arguments from last to first.
      const size_t slot = args.size() - 1 - i;
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
  if (FAILED(hr)) throw hostCallError(DISP_E_UNKNOWNNAME, {}, {});
  return id;
}

namespace {

// The system's message for an HRESULT, without its line end.
std::u16string systemText(HRESULT hr) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string message;
  if (length && text) message.assign(text, text + length);
  LocalFree(text);
  while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r')) message.pop_back();
  return message;
}

// The description on the thread's error object, which a host may set
// when it fails without an exception (taking the object clears it).
std::u16string errorObjectDescription() {
  IErrorInfo* info = nullptr;
  std::u16string description;
  if (GetErrorInfo(0, &info) == S_OK && info) {
    BSTR text = nullptr;
    if (SUCCEEDED(info->GetDescription(&text))) description = fromBstr(text);
    SysFreeString(text);
    info->Release();
  }
  return description;
}

// A result VARIANT that is cleared on every way out of the call.
struct OwnedVariant {
  OwnedVariant() { VariantInit(&value); }
  ~OwnedVariant() { VariantClear(&value); }
  OwnedVariant(const OwnedVariant&) = delete;
  OwnedVariant& operator=(const OwnedVariant&) = delete;
  VARIANT value;
};

}  // namespace

void raiseDispatchFailure(HRESULT hr, EXCEPINFO* exception) {
  HRESULT code = hr;
  std::u16string description;
  if (hr == DISP_E_EXCEPTION && exception) {
    if (exception->pfnDeferredFillIn) exception->pfnDeferredFillIn(exception);
    if (exception->scode) code = exception->scode;
    else if (exception->wCode) code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, exception->wCode);
    description = fromBstr(exception->bstrDescription);
  } else if (hr != DISP_E_EXCEPTION) {
    // A script engine may hand back the error's own HRESULT (Wine's VBScript
    // returns 0x800A0005 for Err.Raise 5) and leave the text, if any, on the
    // error object.
    description = errorObjectDescription();
  }
  if (exception) clearException(*exception);
  const std::u16string system = errorNumberForHresult(code) == 0 && description.empty()
                                    ? systemText(code)
                                    : std::u16string();
  throw hostCallError(code, std::move(description), system);
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

  OwnedVariant result;
  EXCEPINFO exception{};
  UINT badArgument = 0;
  VARIANT* resultSlot = kind == CallKind::PropertyPut ? nullptr : &result.value;
  SetErrorInfo(0, nullptr);
  HRESULT hr = scriptObject_
      ? scriptObject_->InvokeEx(id, LOCALE_USER_DEFAULT, dispatchFlags(kind), &params, resultSlot,
                                &exception, nullptr)
      : dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, dispatchFlags(kind), &params,
                          resultSlot, &exception, &badArgument);
  if (FAILED(hr)) raiseDispatchFailure(hr, &exception);
  clearException(exception);  // a host may fill it even when it succeeds
  slots.readBack(args);
  return in(&result.value);
}

}  // namespace orvalis::com
