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

#include "frame/com/InterfaceMembers.h"

namespace orvalis::com {

// IDispatch::Invoke of `object` (the interface pointer the vtable offsets
// belong to) for a member of `members`; `source` names the class in the
// errors Invoke raises itself.
HRESULT invokeMember(const InterfaceMembers& members, IUnknown* object, DISPID id, WORD flags,
                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* badArgument,
                     const wchar_t* source);

// Whether `value` is the stand-in Invoke passes for an optional typed
// by-reference parameter the caller left out, during that call.
bool isOmitted(const void* value);

}  // namespace orvalis::com
