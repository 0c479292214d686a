// The members of a dual interface as its type information describes them,
// read once, in the form IDispatch::Invoke needs on every call: the
// identifier and invoke kind that find a member, its vtable slot, the
// automation type and flags of each parameter, and whether the member can
// be called straight through its vtable entry (see DispatchArguments.h).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <vector>

namespace orvalis::com {

// The most parameters of a member called directly; one with more goes to
// ITypeInfo::Invoke.
inline constexpr size_t kMaxParameters = 16;
// The most parameters of a member whose vtable entry is called with its
// words as they are.
inline constexpr size_t kMaxWordParameters = 8;

// One parameter as Invoke passes it: its automation type (VT_BYREF | VT_I4
// for a long*, VT_DISPATCH for an IDispatch*, VT_I4 for an enumeration) and
// its PARAMFLAG_* flags.
struct Parameter {
  VARTYPE type = VT_EMPTY;
  USHORT flags = 0;

  bool byReference() const { return (type & VT_BYREF) != 0; }
  VARTYPE referenced() const { return static_cast<VARTYPE>(type & ~VT_BYREF); }
  bool optional() const { return (flags & PARAMFLAG_FOPT) != 0; }
  bool result() const { return (flags & PARAMFLAG_FRETVAL) != 0; }
  // A by-reference parameter of a declared type other than Variant.
  bool typedReference() const { return byReference() && referenced() != VT_VARIANT; }
};

struct Member {
  MEMBERID id = 0;
  INVOKEKIND kind = INVOKE_FUNC;
  ULONG_PTR vtableOffset = 0;
  CALLCONV callingConvention = CC_STDCALL;
  std::vector<Parameter> parameters;  // in declaration order, the result last
  // Every parameter is of a type passed here exactly as ITypeInfo::Invoke
  // passes it; members with records, locale or interface-typed parameters
  // always go to ITypeInfo::Invoke.
  bool direct = false;
  // Every argument is one machine word (a pointer or an integer of up to 32
  // bits), so the vtable entry is called as it is, without DispCallFunc.
  bool words = false;
};

class InterfaceMembers {
 public:
  // `info` is the interface's vtable half; it must live as long as this.
  explicit InterfaceMembers(ITypeInfo* info);

  ITypeInfo* typeInfo() const { return info_; }
  // The member ITypeInfo::Invoke would pick: the first one, in the type
  // library's order, with this identifier and an invoke kind in `flags`.
  const Member* find(DISPID id, WORD flags) const;

 private:
  ITypeInfo* info_;
  std::vector<Member> members_;  // by identifier, the type library's order within one
};

}  // namespace orvalis::com
