#include "frame/com/Marshal.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "frame/RuntimeError.h"
#include "frame/com/ComHostObject.h"
#include "frame/com/DispatchArguments.h"
#include "frame/com/PropertyDispatch.h"

namespace orvalis::com {

namespace {

// A value the logic cannot look into, copied as it came (a reference is
// followed to its value) and handed back unchanged by `out`.
class HeldVariant final : public OpaqueValue {
 public:
  explicit HeldVariant(const VARIANT& value) {
    VariantInit(&value_);
    const HRESULT hr = VariantCopyInd(&value_, const_cast<VARIANT*>(&value));
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    if (FAILED(hr)) throw RuntimeError(vb_error::TypeMismatch);
  }
  ~HeldVariant() override { VariantClear(&value_); }
  HeldVariant(const HeldVariant&) = delete;
  HeldVariant& operator=(const HeldVariant&) = delete;

  const VARIANT& value() const { return value_; }

 private:
  VARIANT value_;
};

Variant held(VarType type, const VARIANT& value) {
  return Variant::opaque(type, std::make_shared<const HeldVariant>(value));
}

// An object without IDispatch is no object the logic can call, but still a
// Variant: held like an array.
Variant unknownObject(IUnknown* unknown, const VARIANT& value) {
  if (!unknown) return Variant(ObjectRef());
  IDispatch* dispatch = nullptr;
  if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
    return held(VarType::Unknown, value);
  Variant object(fromAbi(dispatch));
  dispatch->Release();
  return object;
}

// The value a VARIANT holds, looking through one level of VT_BYREF.
Variant scalar(VARTYPE type, const void* data) {
  switch (type) {
    case VT_EMPTY: return Variant();
    case VT_NULL: return Variant::null();
    case VT_I2: return Variant(static_cast<int16_t>(*static_cast<const SHORT*>(data)));
    case VT_I4:
    case VT_INT: return Variant(static_cast<int32_t>(*static_cast<const LONG*>(data)));
    case VT_UI1: return Variant(static_cast<uint8_t>(*static_cast<const BYTE*>(data)));
    case VT_I1: return Variant::signedByte(static_cast<int8_t>(*static_cast<const CHAR*>(data)));
    case VT_UI2: return Variant::unsignedInteger(*static_cast<const USHORT*>(data));
    case VT_UI4:
    case VT_UINT: return Variant::unsignedLong(*static_cast<const ULONG*>(data));
    case VT_I8: return Variant::longLong(*static_cast<const LONGLONG*>(data));
    case VT_UI8: return Variant::unsignedLongLong(*static_cast<const ULONGLONG*>(data));
    case VT_DECIMAL: {
      const auto* number = static_cast<const DECIMAL*>(data);
      // The runtime keeps 28 decimal places at most; more is no Decimal.
      if (number->scale > 28) throw RuntimeError(vb_error::TypeMismatch);
      return Variant(Variant::DecimalValue{number->Hi32, number->Lo64, number->scale,
                                           (number->sign & DECIMAL_NEG) != 0});
    }
    case VT_R4: return Variant(*static_cast<const FLOAT*>(data));
    case VT_R8: return Variant(*static_cast<const DOUBLE*>(data));
    case VT_CY: return Variant(Variant::CurrencyValue{static_cast<const CY*>(data)->int64});
    case VT_DATE: return Variant(Variant::DateValue{*static_cast<const DATE*>(data)});
    case VT_BSTR: {
      const BSTR text = *static_cast<const BSTR*>(data);
      return text ? Variant(fromAbi(text)) : Variant::nullString();
    }
    case VT_BOOL: return Variant::boolean(*static_cast<const VARIANT_BOOL*>(data) != VARIANT_FALSE);
    case VT_ERROR: return Variant::error(*static_cast<const SCODE*>(data));
    case VT_DISPATCH: return Variant(fromAbi(*static_cast<IDispatch* const*>(data)));
    default:
      throw RuntimeError(vb_error::TypeMismatch);
  }
}

}  // namespace

Variant fromAbi(const VARIANT* value) {
  if (!value) return Variant();
  if (V_VT(value) == (VT_BYREF | VT_VARIANT)) return fromAbi(V_VARIANTREF(value));
  // A Variant takes any value: what the logic cannot read goes in unopened.
  const VARTYPE type = V_VT(value) & ~VT_BYREF;
  if (type & VT_ARRAY) return held(VarType::Array, *value);
  if (type == VT_RECORD) return held(VarType::Record, *value);
  if (type == VT_UNKNOWN)
    return unknownObject((V_VT(value) & VT_BYREF) ? *V_UNKNOWNREF(value) : V_UNKNOWN(value), *value);
  if (V_VT(value) & VT_BYREF) return scalar(type, V_BYREF(value));
  // A Decimal fills the whole VARIANT, its type tag included.
  if (V_VT(value) == VT_DECIMAL) return scalar(VT_DECIMAL, &V_DECIMAL(value));
  return scalar(V_VT(value), &value->lVal);
}

std::optional<int32_t> fromAbiOptional(const LONG* value) {
  // A late-bound caller's left-out argument arrives as a stand-in that
  // Invoke keeps a record of; its value is never looked at.
  if (!value || isOmitted(value)) return std::nullopt;
  return static_cast<int32_t>(*value);
}

SafeArrayArgument::SafeArrayArgument(SAFEARRAY* array, VARTYPE elementType) {
  if (!array || SafeArrayGetDim(array) == 0) return;  // never allocated
  VARTYPE type = VT_EMPTY;
  const bool typed = SUCCEEDED(SafeArrayGetVartype(array, &type));
  const UINT size = elementType == VT_I4 ? 4 : 1;
  if ((typed && type != elementType) || SafeArrayGetElemsize(array) != size)
    throw RuntimeError(vb_error::TypeMismatch);
  if (FAILED(SafeArrayLock(array))) throw RuntimeError(10);  // the array is locked
  locked_ = array;
  const UINT dimensions = SafeArrayGetDim(array);
  count_ = 1;
  for (UINT d = 1; d <= dimensions; ++d) {
    LONG lower = 0, upper = 0;
    SafeArrayGetLBound(array, d, &lower);
    SafeArrayGetUBound(array, d, &upper);
    bounds_.push_back({lower, upper});
    count_ *= static_cast<size_t>(std::max<int64_t>(0, bounds_.back().count()));
  }
  elements_ = array->pvData;
  if (!elements_) count_ = 0;
}

SafeArrayArgument::~SafeArrayArgument() {
  if (locked_) SafeArrayUnlock(locked_);
}

ObjectRef fromAbi(IDispatch* object) {
  if (!object) return nullptr;
  return std::make_shared<ComHostObject>(object);
}

BSTR toBstr(std::u16string_view text) {
  BSTR copy = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                static_cast<UINT>(text.size()));
  if (!copy) throw std::bad_alloc();
  return copy;
}

IDispatch* toIDispatch(const ObjectRef& object) {
  if (!object) return nullptr;
  if (auto own = std::dynamic_pointer_cast<const PropertyObject>(object)) {
    IDispatch* dispatch = newPropertyDispatch(std::move(own));
    if (!dispatch) throw std::bad_alloc();
    return dispatch;
  }
  const auto* host = dynamic_cast<const ComHostObject*>(object.get());
  if (!host) return nullptr;
  host->dispatch()->AddRef();
  return host->dispatch();
}

void toAbi(const ObjectRef& value, IDispatch** result) { *result = toIDispatch(value); }

namespace {

// A new one-dimensional Byte array indexed from 0 holding `bytes`.
SAFEARRAY* newByteArray(std::span<const uint8_t> bytes) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (!array) throw std::bad_alloc();
  if (!bytes.empty()) {
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
  }
  return array;
}

}  // namespace

void toAbi(const ByteArray& value, SAFEARRAY** result) { *result = newByteArray(value.bytes()); }

void toAbi(const Variant& value, VARIANT* result) {
  VariantInit(result);
  switch (value.type()) {
    case VarType::Empty: break;
    case VarType::Null: V_VT(result) = VT_NULL; break;
    case VarType::Integer: V_VT(result) = VT_I2; V_I2(result) = static_cast<SHORT>(value.integral()); break;
    case VarType::Long: V_VT(result) = VT_I4; V_I4(result) = static_cast<LONG>(value.integral()); break;
    case VarType::Byte: V_VT(result) = VT_UI1; V_UI1(result) = static_cast<BYTE>(value.integral()); break;
    case VarType::Single: V_VT(result) = VT_R4; V_R4(result) = static_cast<FLOAT>(value.floating()); break;
    case VarType::Double: V_VT(result) = VT_R8; V_R8(result) = value.floating(); break;
    case VarType::Date: V_VT(result) = VT_DATE; V_DATE(result) = value.floating(); break;
    case VarType::Currency: V_VT(result) = VT_CY; V_CY(result).int64 = value.currencyScaled(); break;
    case VarType::Boolean:
      V_VT(result) = VT_BOOL;
      V_BOOL(result) = value.integral() ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case VarType::Error: V_VT(result) = VT_ERROR; V_ERROR(result) = static_cast<SCODE>(value.integral()); break;
    case VarType::String:
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = value.isNullString() ? nullptr : toBstr(value.text());
      break;
    case VarType::Object: V_VT(result) = VT_DISPATCH; V_DISPATCH(result) = toIDispatch(value.object()); break;
    case VarType::SignedByte: V_VT(result) = VT_I1; V_I1(result) = static_cast<CHAR>(value.integral()); break;
    case VarType::UnsignedInteger: V_VT(result) = VT_UI2; V_UI2(result) = static_cast<USHORT>(value.integral()); break;
    case VarType::UnsignedLong: V_VT(result) = VT_UI4; V_UI4(result) = static_cast<ULONG>(value.integral()); break;
    case VarType::LongLong: V_VT(result) = VT_I8; V_I8(result) = value.integral(); break;
    case VarType::UnsignedLongLong: V_VT(result) = VT_UI8; V_UI8(result) = value.unsignedIntegral(); break;
    case VarType::Unknown:
    case VarType::Record:
    case VarType::Array: {
      const auto* original = dynamic_cast<const HeldVariant*>(value.opaque().get());
      if (!original) throw RuntimeError(vb_error::TypeMismatch);
      const HRESULT hr = VariantCopy(result, const_cast<VARIANT*>(&original->value()));
      if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
      if (FAILED(hr)) throw RuntimeError(vb_error::TypeMismatch);
      break;
    }
    case VarType::Decimal: {
      const Variant::DecimalValue& number = value.decimal();
      DECIMAL& slot = V_DECIMAL(result);
      slot.Hi32 = number.high;
      slot.Lo64 = number.low;
      slot.scale = number.scale;
      slot.sign = number.negative ? DECIMAL_NEG : 0;
      V_VT(result) = VT_DECIMAL;  // after the value: the tag shares its first bytes
      break;
    }
  }
}

namespace {

// Writes a value already converted to `type` into the storage that a
// VT_BYREF | type argument points at.
void storeByReference(VARIANT* variable, VARIANT& converted) {
  switch (V_VT(&converted)) {
    case VT_I2: *V_I2REF(variable) = V_I2(&converted); return;
    case VT_I4: *V_I4REF(variable) = V_I4(&converted); return;
    case VT_UI1: *V_UI1REF(variable) = V_UI1(&converted); return;
    case VT_R4: *V_R4REF(variable) = V_R4(&converted); return;
    case VT_R8: *V_R8REF(variable) = V_R8(&converted); return;
    case VT_CY: *V_CYREF(variable) = V_CY(&converted); return;
    case VT_DATE: *V_DATEREF(variable) = V_DATE(&converted); return;
    case VT_BOOL: *V_BOOLREF(variable) = V_BOOL(&converted); return;
    case VT_BSTR:
      SysFreeString(*V_BSTRREF(variable));
      *V_BSTRREF(variable) = V_BSTR(&converted);
      V_VT(&converted) = VT_EMPTY;  // the caller's variable owns the text now
      return;
    default:
      VariantClear(&converted);
      throw RuntimeError(vb_error::TypeMismatch);
  }
}

}  // namespace

void storeInVariable(VARIANT* variable, const Variant& value) {
  if (!variable) return;
  if (V_VT(variable) == (VT_BYREF | VT_VARIANT)) return storeInVariable(V_VARIANTREF(variable), value);
  VARIANT converted;
  toAbi(value, &converted);
  if (V_VT(variable) & VT_BYREF) {
    const HRESULT hr = VariantChangeType(&converted, &converted, 0, V_VT(variable) & ~VT_BYREF);
    if (FAILED(hr)) {
      VariantClear(&converted);
      if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
      throw RuntimeError(hr == DISP_E_OVERFLOW ? vb_error::Overflow : vb_error::TypeMismatch);
    }
    storeByReference(variable, converted);
    return;
  }
  VariantClear(variable);
  *variable = converted;
}

void storeInVariableIfItFits(VARIANT* variable, const Variant& value) {
  try {
    storeInVariable(variable, value);
  } catch (const RuntimeError&) {
    // A typed variable that cannot hold the value keeps what it held.
  }
}

void toAbi(const std::vector<uint8_t>& bytes, VARIANT* result) {
  VariantInit(result);
  V_ARRAY(result) = newByteArray(bytes);
  V_VT(result) = VT_ARRAY | VT_UI1;
}

}  // namespace orvalis::com
