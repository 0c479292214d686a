#include "frame/com/TypeInfoInvoke.h"

#include <new>
#include <string>

#include "frame/RuntimeError.h"

namespace orvalis::com {

namespace {

bool returnsObject(const TYPEDESC& result) {
  // The result parameter points at the value: IDispatch** or an
  // interface pointer's pointer.
  if (result.vt != VT_PTR) return false;
  const TYPEDESC& value = *result.lptdesc;
  return value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN ||
         (value.vt == VT_PTR && value.lptdesc->vt == VT_USERDEFINED);
}

// Whether `id` names a property get that takes no argument and returns an
// object.
bool isParameterlessObjectGet(ITypeInfo* info, DISPID id) {
  ITypeInfo2* info2 = nullptr;
  if (FAILED(info->QueryInterface(IID_ITypeInfo2, reinterpret_cast<void**>(&info2)))) return false;
  UINT index = 0;
  FUNCDESC* function = nullptr;
  bool found = false;
  if (SUCCEEDED(info2->GetFuncIndexOfMemId(id, INVOKE_PROPERTYGET, &index)) &&
      SUCCEEDED(info2->GetFuncDesc(index, &function))) {
    found = function->cParams == 1 &&
            (function->lprgelemdescParam[0].paramdesc.wParamFlags & PARAMFLAG_FRETVAL) &&
            returnsObject(function->lprgelemdescParam[0].tdesc);
    info2->ReleaseFuncDesc(function);
  }
  info2->Release();
  return found;
}

HRESULT objectVariableNotSet(EXCEPINFO* exception, const wchar_t* source) {
  if (exception) {
    *exception = EXCEPINFO{};
    exception->scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, vb_error::ObjectVariableNotSet);
    exception->bstrSource = SysAllocString(source);
    const std::u16string description = standardDescription(vb_error::ObjectVariableNotSet);
    exception->bstrDescription =
        SysAllocStringLen(reinterpret_cast<const OLECHAR*>(description.data()), static_cast<UINT>(description.size()));
  }
  return DISP_E_EXCEPTION;
}

}  // namespace

std::optional<HRESULT> invokeDefaultMemberOfResult(ITypeInfo* info, IUnknown* self, DISPID id, WORD flags,
                                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                                   UINT* badArgument, const wchar_t* source) {
  if (!(flags & DISPATCH_PROPERTYGET) || !params || params->cArgs == 0 || !isParameterlessObjectGet(info, id))
    return std::nullopt;
  DISPPARAMS none{};
  VARIANT object;
  VariantInit(&object);
  HRESULT hr = info->Invoke(self, id, DISPATCH_PROPERTYGET, &none, &object, exception, badArgument);
  if (FAILED(hr)) return hr;
  if ((V_VT(&object) != VT_DISPATCH && V_VT(&object) != VT_UNKNOWN) || !V_UNKNOWN(&object)) {
    VariantClear(&object);
    try {
      return objectVariableNotSet(exception, source);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }
  IDispatch* target = nullptr;
  hr = V_UNKNOWN(&object)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&target));
  VariantClear(&object);
  if (FAILED(hr)) return DISP_E_MEMBERNOTFOUND;  // an object without late binding has no default member
  hr = target->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, flags, params, result, exception, badArgument);
  target->Release();
  return hr;
}

}  // namespace orvalis::com
