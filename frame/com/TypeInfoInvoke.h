// Where Wine's ITypeInfo::Invoke, to which the adapter delegates the calls
// it does not make itself, falls short of what hosts of IDispatch may expect.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <optional>

namespace orvalis::com {

// Arguments given to a property get that declares none belong to the
// default member of the object the property returns: a host that writes
// info.BuddyObjectGlobal(1) reads item 1 of the collection in the slot.
// Wine's ITypeInfo::Invoke passes them on by itself, but reads through the
// returned object without looking and crashes the host when the property
// holds Nothing, where the automation runtime reports error 91. Invoke
// therefore makes such calls here.
//
// Runs the call when it is one of those: the get without arguments, then
// the returned object's default member with the caller's arguments, or
// error 91 (DISP_E_EXCEPTION with its number and description, `source`
// as its source) for Nothing. nullopt for every other call.
std::optional<HRESULT> invokeDefaultMemberOfResult(ITypeInfo* info, IUnknown* self, DISPID id, WORD flags,
                                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                                   UINT* badArgument, const wchar_t* source);

// The result of ITypeInfo::Invoke as a dispatch result. Wine's cannot pass
// a record argument (the MIXERCONTROL of the mixer primitives) and fails
// the call with E_NOTIMPL before the member runs; a caller of Invoke
// expects a dispatch code for an argument that cannot be passed.
inline HRESULT dispatchResult(HRESULT hr) { return hr == E_NOTIMPL ? DISP_E_BADVARTYPE : hr; }

}  // namespace orvalis::com
