// IDispatch::Invoke for the library's dual interfaces. The type library
// describes every member; this reads each description once (per interface,
// for the module's lifetime) and then calls the vtable member itself, with
// the arguments brought to the declared types the way the type library's own
// Invoke brings them, plus two things that one lacks:
//   - a reference to a Variant (a script's variable, VT_BYREF | VT_VARIANT)
//     is accepted for a typed by-reference parameter: the member gets the
//     value in the declared type, and what the member stores goes back into
//     the Variant in that type, as an early-bound caller's variable changes;
//   - an optional typed by-reference parameter left out gets a stand-in of
//     its type, which the binding recognises with isOmitted (never memory
//     the caller does not own).
// Calls it does not handle itself (named arguments it cannot place, records,
// arguments it cannot convert, wrong counts) go to ITypeInfo::Invoke, with
// the same preparation where it applies, so errors read as they always have.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <vector>

namespace orvalis::com {

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

// IDispatch::Invoke of `object` (the interface pointer the vtable offsets
// belong to) for a member of `members`.
HRESULT invokeMember(const InterfaceMembers& members, IUnknown* object, DISPID id, WORD flags,
                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* badArgument);

// Whether `value` is the stand-in Invoke passes for an optional typed
// by-reference parameter the caller left out, during that call.
bool isOmitted(const void* value);

}  // namespace orvalis::com
