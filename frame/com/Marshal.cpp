#include "frame/com/Marshal.h"

#include <new>

#include "frame/RuntimeError.h"
#include "frame/com/ComHostObject.h"

namespace orvalis::com {

namespace {

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
    case VT_BSTR: return Variant(in(*static_cast<const BSTR*>(data)));
    case VT_BOOL: return Variant::boolean(*static_cast<const VARIANT_BOOL*>(data) != VARIANT_FALSE);
    case VT_ERROR: return Variant::error(*static_cast<const SCODE*>(data));
    case VT_DISPATCH: return Variant(in(*static_cast<IDispatch* const*>(data)));
    case VT_UNKNOWN: {
      IUnknown* unknown = *static_cast<IUnknown* const*>(data);
      if (!unknown) return Variant(ObjectRef());
      IDispatch* dispatch = nullptr;
      if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        throw RuntimeError(vb_error::TypeMismatch);
      Variant object(in(dispatch));
      dispatch->Release();
      return object;
    }
    default:
      throw RuntimeError(vb_error::TypeMismatch);
  }
}

}  // namespace

Variant in(const VARIANT* value) {
  if (!value) return Variant();
  if (V_VT(value) == (VT_BYREF | VT_VARIANT)) return in(V_VARIANTREF(value));
  if (V_VT(value) & VT_BYREF) return scalar(V_VT(value) & ~VT_BYREF, V_BYREF(value));
  // A Decimal fills the whole VARIANT, its type tag included.
  if (V_VT(value) == VT_DECIMAL) return scalar(VT_DECIMAL, &V_DECIMAL(value));
  return scalar(V_VT(value), &value->lVal);
}

ObjectRef in(IDispatch* object) {
  if (!object) return nullptr;
  return std::make_shared<ComHostObject>(object);
}

BSTR toBstr(std::u16string_view text) {
  BSTR copy = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                static_cast<UINT>(text.size()));
  if (!copy) throw std::bad_alloc();
  return copy;
}

IDispatch* dispatchOf(const ObjectRef& object) {
  if (!object) return nullptr;
  const auto* host = dynamic_cast<const ComHostObject*>(object.get());
  if (!host) return nullptr;
  host->dispatch()->AddRef();
  return host->dispatch();
}

void out(const ObjectRef& value, IDispatch** result) { *result = dispatchOf(value); }

void out(const Variant& value, VARIANT* result) {
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
    case VarType::String: V_VT(result) = VT_BSTR; V_BSTR(result) = toBstr(value.text()); break;
    case VarType::Object: V_VT(result) = VT_DISPATCH; V_DISPATCH(result) = dispatchOf(value.object()); break;
    case VarType::SignedByte: V_VT(result) = VT_I1; V_I1(result) = static_cast<CHAR>(value.integral()); break;
    case VarType::UnsignedInteger: V_VT(result) = VT_UI2; V_UI2(result) = static_cast<USHORT>(value.integral()); break;
    case VarType::UnsignedLong: V_VT(result) = VT_UI4; V_UI4(result) = static_cast<ULONG>(value.integral()); break;
    case VarType::LongLong: V_VT(result) = VT_I8; V_I8(result) = value.integral(); break;
    case VarType::UnsignedLongLong: V_VT(result) = VT_UI8; V_UI8(result) = value.unsignedIntegral(); break;
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

}  // namespace orvalis::com
