#include "frame/com/ComHostObject.h"

#include "frame/RuntimeError.h"
#include "frame/com/Marshal.h"

namespace orvalis::com {

namespace {

std::u16string fromBstr(BSTR text) { return fromAbi(text); }

void clearException(EXCEPINFO& exception) {
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  exception.bstrSource = exception.bstrDescription = exception.bstrHelpFile = nullptr;
}

// The arguments of one call. Each by-reference argument refers to a
// variable of its own in `storage` that holds the value in its own subtype
// (a 16-bit index stays VT_I2). A typed argument goes as a reference of
// that type (VT_BYREF | VT_I2, VT_BYREF | VT_BSTR), which a member declared
// with the typed parameter requires; any other goes as a reference to the
// Variant variable. Script hosts, whose variables are all Variants, may
// refuse a typed reference: useVariantReferences then passes every
// reference as a Variant reference for a second try.
struct ArgumentSlots {
  explicit ArgumentSlots(std::vector<Argument>& args) : storage(args.size()), passed(args.size()) {
    for (auto& value : storage) VariantInit(&value);
    try {
      for (size_t i = 0; i < args.size(); ++i) toAbi(args[i].value, &storage[slotOf(args, i)]);
    } catch (...) {
      for (auto& value : storage) VariantClear(&value);
      throw;
    }
    for (size_t i = 0; i < args.size(); ++i) {
      const size_t slot = slotOf(args, i);
      VariantInit(&passed[slot]);
      if (!args[i].byReference) {
        passed[slot] = storage[slot];
      } else if (args[i].typed && hasTypedReference(V_VT(&storage[slot]))) {
        V_VT(&passed[slot]) = VT_BYREF | V_VT(&storage[slot]);
        V_BYREF(&passed[slot]) = &storage[slot].lVal;  // the value, whatever its type
        typedReferences = true;
      } else {
        variantReference(slot);
      }
    }
  }
  ~ArgumentSlots() {
    for (auto& value : storage) VariantClear(&value);
  }
  ArgumentSlots(const ArgumentSlots&) = delete;
  ArgumentSlots& operator=(const ArgumentSlots&) = delete;

  // DISPPARAMS lists arguments from last to first.
  static size_t slotOf(const std::vector<Argument>& args, size_t i) { return args.size() - 1 - i; }

  // Types that a variable can have in its own right; Empty, Null and a
  // Decimal (which fills the whole VARIANT) only live in Variants.
  static bool hasTypedReference(VARTYPE type) {
    return type != VT_EMPTY && type != VT_NULL && type != VT_DECIMAL;
  }

  void variantReference(size_t slot) {
    V_VT(&passed[slot]) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&passed[slot]) = &storage[slot];
  }

  void useVariantReferences() {
    for (size_t slot = 0; slot < passed.size(); ++slot)
      if ((V_VT(&passed[slot]) & VT_BYREF) && V_VT(&passed[slot]) != (VT_BYREF | VT_VARIANT))
        variantReference(slot);
    typedReferences = false;
  }

  std::vector<VARIANT> storage;
  std::vector<VARIANT> passed;
  bool typedReferences = false;
};

WORD dispatchFlags(CallKind kind) {
  switch (kind) {
    case CallKind::Method: return DISPATCH_METHOD;
    case CallKind::PropertyGet: return DISPATCH_PROPERTYGET | DISPATCH_METHOD;
    case CallKind::PropertyPut: return DISPATCH_PROPERTYPUT;
    case CallKind::Statement: return DISPATCH_METHOD;
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

// The description and source on the thread's error object, which a host
// may set when it fails without an exception (taking the object clears it).
struct ErrorObjectTexts {
  std::u16string description;
  std::u16string source;
};
ErrorObjectTexts errorObjectTexts() {
  IErrorInfo* info = nullptr;
  ErrorObjectTexts texts;
  if (GetErrorInfo(0, &info) == S_OK && info) {
    BSTR text = nullptr;
    if (SUCCEEDED(info->GetDescription(&text))) texts.description = fromBstr(text);
    SysFreeString(text);
    text = nullptr;
    if (SUCCEEDED(info->GetSource(&text))) texts.source = fromBstr(text);
    SysFreeString(text);
    info->Release();
  }
  return texts;
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
  ErrorObjectTexts texts;
  if (hr == DISP_E_EXCEPTION && exception) {
    if (exception->pfnDeferredFillIn) exception->pfnDeferredFillIn(exception);
    if (exception->scode) code = exception->scode;
    else if (exception->wCode) code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, exception->wCode);
    texts.description = fromBstr(exception->bstrDescription);
    texts.source = fromBstr(exception->bstrSource);
  } else if (hr != DISP_E_EXCEPTION) {
    // A script engine may hand back the error's own HRESULT (Wine's VBScript
    // returns 0x800A0005 for Err.Raise 5) and leave the text, if any, on the
    // error object.
    texts = errorObjectTexts();
  }
  if (exception) clearException(*exception);
  const std::u16string system = errorNumberForHresult(code) == 0 && texts.description.empty()
                                    ? systemText(code)
                                    : std::u16string();
  throw hostCallError(code, std::move(texts.description), system, std::move(texts.source));
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
  const auto call = [&] {
    SetErrorInfo(0, nullptr);
    return scriptObject_
        ? scriptObject_->InvokeEx(id, LOCALE_USER_DEFAULT, dispatchFlags(kind), &params, resultSlot,
                                  &exception, nullptr)
        : dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, dispatchFlags(kind), &params, resultSlot,
                            &exception, &badArgument);
  };
  HRESULT hr = call();
  // The dispatch refuses a reference it cannot bind before the member runs,
  // so the call goes once more with the references a script host takes.
  if (hr == DISP_E_TYPEMISMATCH && slots.typedReferences) {
    clearException(exception);
    slots.useVariantReferences();
    hr = call();
  }
  if (FAILED(hr)) raiseDispatchFailure(hr, &exception);
  clearException(exception);  // a host may fill it even when it succeeds
  if (kind == CallKind::Statement) return Variant();
  return fromAbi(&result.value);
}

}  // namespace orvalis::com
