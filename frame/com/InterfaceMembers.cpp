#include "frame/com/InterfaceMembers.h"

#include <algorithm>

namespace orvalis::com {

namespace {

bool plainValueType(VARTYPE type) {
  switch (type) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_I8:
    case VT_UI8: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BSTR: case VT_DISPATCH:
    case VT_UNKNOWN: case VT_ERROR: case VT_BOOL: case VT_VARIANT:
      return true;
    default:
      return false;
  }
}

// The automation type of a user-defined type (an enumeration is a Long, an
// interface an object); `plainObject` tells whether an interface is
// IDispatch or IUnknown itself, which need no QueryInterface on the way in.
bool userDefinedType(ITypeInfo* info, HREFTYPE reference, VARTYPE& type, bool& plainObject);

// The type ITypeInfo::Invoke passes a parameter of `desc` as, if the direct
// call can pass it the same way.
bool automationType(ITypeInfo* info, const TYPEDESC& desc, VARTYPE& type) {
  bool plainObject = true;
  switch (desc.vt) {
    case VT_PTR: {
      const TYPEDESC& to = *desc.lptdesc;
      if (to.vt == VT_USERDEFINED) {
        if (!userDefinedType(info, to.hreftype, type, plainObject)) return false;
        // A pointer to an interface is the object itself, given by value.
        if (type == VT_DISPATCH || type == VT_UNKNOWN) return plainObject;
        type |= VT_BYREF;
        return true;
      }
      if (to.vt == VT_PTR && to.lptdesc->vt == VT_USERDEFINED) {
        if (!userDefinedType(info, to.lptdesc->hreftype, type, plainObject)) return false;
        if (type != VT_DISPATCH && type != VT_UNKNOWN) return false;
        type |= VT_BYREF;
        return true;
      }
      VARTYPE pointee = VT_EMPTY;
      if (!automationType(info, to, pointee) || (pointee & VT_BYREF)) return false;
      type = static_cast<VARTYPE>(pointee | VT_BYREF);
      return true;
    }
    case VT_USERDEFINED:
      return userDefinedType(info, desc.hreftype, type, plainObject) && plainObject;
    case VT_SAFEARRAY: {
      VARTYPE element = VT_EMPTY;
      if (!automationType(info, *desc.lptdesc, element) || (element & (VT_BYREF | VT_ARRAY))) return false;
      type = static_cast<VARTYPE>(element | VT_ARRAY);
      return true;
    }
    case VT_INT: type = VT_I4; return true;
    case VT_UINT: type = VT_UI4; return true;
    case VT_HRESULT: type = VT_ERROR; return true;
    default:
      type = desc.vt;
      return plainValueType(desc.vt);
  }
}

bool userDefinedType(ITypeInfo* info, HREFTYPE reference, VARTYPE& type, bool& plainObject) {
  ITypeInfo* other = nullptr;
  if (FAILED(info->GetRefTypeInfo(reference, &other))) return false;
  TYPEATTR* attributes = nullptr;
  bool known = false;
  if (SUCCEEDED(other->GetTypeAttr(&attributes))) {
    switch (attributes->typekind) {
      case TKIND_ENUM:
        type = VT_I4;
        known = true;
        break;
      case TKIND_ALIAS:
        known = automationType(other, attributes->tdescAlias, type);
        break;
      case TKIND_INTERFACE:
        type = (attributes->wTypeFlags & TYPEFLAG_FDISPATCHABLE) ? VT_DISPATCH : VT_UNKNOWN;
        plainObject = attributes->guid == IID_IDispatch || attributes->guid == IID_IUnknown;
        known = true;
        break;
      case TKIND_DISPATCH:
      case TKIND_COCLASS:
        type = VT_DISPATCH;
        plainObject = attributes->guid == IID_IDispatch;
        known = true;
        break;
      default:  // records and unions
        break;
    }
    other->ReleaseTypeAttr(attributes);
  }
  other->Release();
  return known;
}

// Whether a parameter of this type travels as one machine word, in the
// same way on 32-bit x86 (one stack slot) and x86-64 (one integer register
// or slot): pointers, and integers of 32 bits or fewer, widened.
bool wordSized(VARTYPE type) {
  if (type & (VT_BYREF | VT_ARRAY)) return true;
  switch (type) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_BOOL: case VT_I4: case VT_UI4:
    case VT_ERROR: case VT_BSTR: case VT_DISPATCH: case VT_UNKNOWN:
      return true;
    default:
      return false;
  }
}

Member readMember(ITypeInfo* info, const FUNCDESC& function) {
  Member member;
  member.id = function.memid;
  member.kind = function.invkind;
  member.vtableOffset = static_cast<ULONG_PTR>(function.oVft & 0xFFFC);
  member.callingConvention = function.callconv;
  bool direct = (function.funckind == FUNC_PUREVIRTUAL || function.funckind == FUNC_VIRTUAL) &&
                function.elemdescFunc.tdesc.vt == VT_HRESULT && function.cParamsOpt >= 0 &&
                static_cast<size_t>(function.cParams) <= kMaxParameters;
  for (SHORT i = 0; i < function.cParams; ++i) {
    const ELEMDESC& element = function.lprgelemdescParam[i];
    Parameter parameter;
    parameter.flags = element.paramdesc.wParamFlags;
    if (!automationType(info, element.tdesc, parameter.type)) direct = false;
    if (parameter.flags & (PARAMFLAG_FLCID | PARAMFLAG_FHASDEFAULT)) direct = false;
    if (parameter.result() && (i != function.cParams - 1 || !parameter.byReference())) direct = false;
    member.parameters.push_back(parameter);
  }
  member.direct = direct;
  member.words = direct && function.callconv == CC_STDCALL &&
                 member.parameters.size() <= kMaxWordParameters &&
                 std::all_of(member.parameters.begin(), member.parameters.end(),
                             [](const Parameter& p) { return wordSized(p.type); });
  return member;
}

}  // namespace

InterfaceMembers::InterfaceMembers(ITypeInfo* info) : info_(info) {
  TYPEATTR* attributes = nullptr;
  if (!info || FAILED(info->GetTypeAttr(&attributes))) return;
  // A restricted interface has no members to call (ITypeInfo::Invoke says so).
  const WORD count = (attributes->wTypeFlags & TYPEFLAG_FRESTRICTED) ? 0 : attributes->cFuncs;
  info->ReleaseTypeAttr(attributes);
  for (UINT index = 0; index < count; ++index) {
    FUNCDESC* function = nullptr;
    if (FAILED(info->GetFuncDesc(index, &function))) continue;
    // ITypeInfo::Invoke never calls a restricted member with a positive
    // identifier; leaving it out finds what it finds.
    if (!((function->wFuncFlags & FUNCFLAG_FRESTRICTED) && function->memid >= 0))
      members_.push_back(readMember(info, *function));
    info->ReleaseFuncDesc(function);
  }
  std::stable_sort(members_.begin(), members_.end(),
                   [](const Member& a, const Member& b) { return a.id < b.id; });
}

const Member* InterfaceMembers::find(DISPID id, WORD flags) const {
  auto it = std::lower_bound(members_.begin(), members_.end(), id,
                             [](const Member& m, DISPID wanted) { return m.id < wanted; });
  for (; it != members_.end() && it->id == id; ++it) {
    if (flags & it->kind) return &*it;
  }
  return nullptr;
}

}  // namespace orvalis::com
