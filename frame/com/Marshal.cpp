#include "frame/com/Marshal.h"

#include <cstring>
#include <new>

#include "frame/RuntimeError.h"
#include "frame/com/ComHostObject.h"
#include "frame/com/PropertyDispatch.h"

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
  }
}

void out(const std::vector<uint8_t>& bytes, VARIANT* result) {
  VariantInit(result);
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (!array) throw std::bad_alloc();
  if (!bytes.empty()) {
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
  }
  V_VT(result) = VT_ARRAY | VT_UI1;
  V_ARRAY(result) = array;
}

}  // namespace orvalis::com
