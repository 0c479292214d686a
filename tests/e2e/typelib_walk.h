// The library's creatable classes and their members as the registered type
// library lists them, for the clients that go over every class without
// naming one: a class added to the library later is picked up by itself.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "com_client.h"

namespace e2e {

// A parameter of a member as a caller fills it (the result is no parameter).
struct ParamInfo {
  std::wstring name;
  // The type of the value: VT_I2, VT_I4, VT_BOOL, VT_BSTR, VT_VARIANT,
  // VT_DISPATCH, VT_ARRAY | element, VT_RECORD; an enumeration is VT_I4.
  VARTYPE type = VT_EMPTY;
  bool byReference = false;
  bool optional = false;
  bool enumeration = false;
  LONG firstEnumValue = 0;
  IRecordInfo* record = nullptr;  // for VT_RECORD; lives as long as the process
};

struct MemberInfo {
  std::wstring name;
  MEMBERID id = 0;
  INVOKEKIND kind = INVOKE_FUNC;
  std::vector<ParamInfo> params;
  bool hasResult = false;
  SHORT vtableOffset = 0;  // bytes into the interface's vtable, for early-bound calls
};

struct ClassInfo {
  std::wstring name;
  CLSID clsid{};
  IID iid{};  // the default interface
  std::vector<MemberInfo> members;

  const MemberInfo* member(const wchar_t* memberName, INVOKEKIND kind) const {
    for (const MemberInfo& m : members)
      if (m.kind == kind && _wcsicmp(m.name.c_str(), memberName) == 0) return &m;
    return nullptr;
  }
};

inline const char* kindName(INVOKEKIND kind) {
  switch (kind) {
    case INVOKE_PROPERTYGET: return "get";
    case INVOKE_PROPERTYPUT: return "let";
    case INVOKE_PROPERTYPUTREF: return "set";
    default: return "method";
  }
}

namespace detail {

inline std::wstring typeName(ITypeInfo* info) {
  BSTR name = nullptr;
  std::wstring text;
  if (SUCCEEDED(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr)) && name) text = name;
  SysFreeString(name);
  return text;
}

// Fills `param` from a parameter's type description as `owner` states it.
inline void describeType(ITypeInfo* owner, const TYPEDESC& type, ParamInfo& param) {
  switch (type.vt) {
    case VT_PTR:
      param.byReference = true;
      describeType(owner, *type.lptdesc, param);
      return;
    case VT_SAFEARRAY:
      param.type = VT_ARRAY | type.lptdesc->vt;
      return;
    case VT_USERDEFINED: {
      ITypeInfo* referenced = nullptr;
      TYPEATTR* attributes = nullptr;
      if (FAILED(owner->GetRefTypeInfo(type.hreftype, &referenced))) return;
      if (SUCCEEDED(referenced->GetTypeAttr(&attributes))) {
        switch (attributes->typekind) {
          case TKIND_ENUM: {
            param.type = VT_I4;
            param.enumeration = true;
            VARDESC* first = nullptr;
            if (attributes->cVars > 0 && SUCCEEDED(referenced->GetVarDesc(0, &first))) {
              VARIANT value;
              VariantInit(&value);
              if (SUCCEEDED(VariantChangeType(&value, first->lpvarValue, 0, VT_I4))) param.firstEnumValue = V_I4(&value);
              referenced->ReleaseVarDesc(first);
            }
            break;
          }
          case TKIND_RECORD:
            param.type = VT_RECORD;
            GetRecordInfoFromTypeInfo(referenced, &param.record);
            break;
          case TKIND_ALIAS:
            describeType(referenced, attributes->tdescAlias, param);
            break;
          default:  // an interface or a class: an object
            param.type = VT_DISPATCH;
            break;
        }
        referenced->ReleaseTypeAttr(attributes);
      }
      referenced->Release();
      return;
    }
    case VT_INT: param.type = VT_I4; return;
    case VT_UNKNOWN: param.type = VT_DISPATCH; return;
    default: param.type = type.vt; return;
  }
}

inline void describeMembers(ITypeInfo* interfaceInfo, ClassInfo& cls) {
  TYPEATTR* attributes = nullptr;
  if (FAILED(interfaceInfo->GetTypeAttr(&attributes))) return;
  const WORD functions = attributes->cFuncs;
  interfaceInfo->ReleaseTypeAttr(attributes);
  for (WORD f = 0; f < functions; ++f) {
    FUNCDESC* function = nullptr;
    if (FAILED(interfaceInfo->GetFuncDesc(f, &function))) continue;
    MemberInfo member;
    member.id = function->memid;
    member.kind = function->invkind;
    member.vtableOffset = function->oVft;
    std::vector<BSTR> names(function->cParams + 1, nullptr);
    UINT found = 0;
    interfaceInfo->GetNames(function->memid, names.data(), static_cast<UINT>(names.size()), &found);
    if (found > 0 && names[0]) member.name = names[0];
    for (SHORT p = 0; p < function->cParams; ++p) {
      const ELEMDESC& element = function->lprgelemdescParam[p];
      const USHORT flags = element.paramdesc.wParamFlags;
      if (flags & PARAMFLAG_FRETVAL) {
        member.hasResult = true;
        continue;
      }
      ParamInfo param;
      // The names are those of the first member with the id, a property's
      // get: the value of its let or set has no name of its own.
      const bool value = function->invkind != INVOKE_FUNC && function->invkind != INVOKE_PROPERTYGET &&
                         p + 1 == function->cParams;
      if (!value && static_cast<UINT>(p + 1) < found && names[p + 1]) param.name = names[p + 1];
      else param.name = L"value";
      param.optional = (flags & PARAMFLAG_FOPT) != 0;
      describeType(interfaceInfo, element.tdesc, param);
      member.params.push_back(param);
    }
    for (BSTR name : names) SysFreeString(name);
    interfaceInfo->ReleaseFuncDesc(function);
    cls.members.push_back(std::move(member));
  }
}

// The vtable half of a class's default interface (a dual interface is
// listed as its dispatch half).
inline ITypeInfo* defaultInterface(ITypeInfo* coclass, WORD implementedTypes) {
  for (UINT i = 0; i < implementedTypes; ++i) {
    INT flags = 0;
    HREFTYPE reference = 0;
    ITypeInfo* info = nullptr;
    if (FAILED(coclass->GetImplTypeFlags(i, &flags)) || !(flags & IMPLTYPEFLAG_FDEFAULT) ||
        (flags & IMPLTYPEFLAG_FSOURCE))
      continue;
    if (FAILED(coclass->GetRefTypeOfImplType(i, &reference)) || FAILED(coclass->GetRefTypeInfo(reference, &info)))
      continue;
    HREFTYPE vtableHalf = 0;
    ITypeInfo* vtableInfo = nullptr;
    if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &vtableHalf)) &&
        SUCCEEDED(info->GetRefTypeInfo(vtableHalf, &vtableInfo))) {
      info->Release();
      info = vtableInfo;
    }
    return info;
  }
  return nullptr;
}

}  // namespace detail

// Every creatable class of the registered type library, in its order, with
// the members of its default interface.
inline HRESULT registeredClasses(REFGUID libid, WORD major, WORD minor, std::vector<ClassInfo>& classes) {
  ITypeLib* library = nullptr;
  HRESULT hr = LoadRegTypeLib(libid, major, minor, LOCALE_NEUTRAL, &library);
  if (FAILED(hr)) return hr;
  const UINT count = library->GetTypeInfoCount();
  for (UINT i = 0; i < count; ++i) {
    TYPEKIND kind;
    if (FAILED(library->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
    ITypeInfo* coclass = nullptr;
    if (FAILED(library->GetTypeInfo(i, &coclass))) continue;
    TYPEATTR* attributes = nullptr;
    if (SUCCEEDED(coclass->GetTypeAttr(&attributes))) {
      if (attributes->wTypeFlags & TYPEFLAG_FCANCREATE) {
        ClassInfo cls;
        cls.name = detail::typeName(coclass);
        cls.clsid = attributes->guid;
        if (ITypeInfo* interfaceInfo = detail::defaultInterface(coclass, attributes->cImplTypes)) {
          TYPEATTR* interfaceAttributes = nullptr;
          if (SUCCEEDED(interfaceInfo->GetTypeAttr(&interfaceAttributes))) {
            cls.iid = interfaceAttributes->guid;
            interfaceInfo->ReleaseTypeAttr(interfaceAttributes);
          }
          detail::describeMembers(interfaceInfo, cls);
          interfaceInfo->Release();
        }
        classes.push_back(std::move(cls));
      }
      coclass->ReleaseTypeAttr(attributes);
    }
    coclass->Release();
  }
  library->Release();
  return classes.empty() ? TYPE_E_ELEMENTNOTFOUND : S_OK;
}

}  // namespace e2e
