// The one place where a failure inside a member becomes what COM callers
// see: a runtime error becomes 0x800A0000 + its number with IErrorInfo
// (number, description, source); running out of memory becomes
// E_OUTOFMEMORY, a missing by-reference variable E_POINTER. Nothing is
// thrown across the ABI.
#pragma once

#include <windows.h>

namespace orvalis::com {

// Thrown for a null pointer where a by-reference parameter's variable
// belongs (an early-bound caller's mistake): the call fails with E_POINTER
// before the member runs.
struct NullReference {};

// Call from inside a catch block only; it rethrows to classify. A runtime
// error's IErrorInfo names `source`, or the source that the error brought
// from the component that raised it.
HRESULT currentExceptionToHresult(REFIID iid, const wchar_t* source) noexcept;

// A failure that has no description of its own: the thread's error object
// is cleared, so that no earlier error's description is taken for it (the
// error object is only reset when a call fails, not on every call).
HRESULT failWithoutErrorInfo(HRESULT hr) noexcept;

// The HRESULT a host sees for a VB error number: FACILITY_CONTROL errors
// for the runtime's own numbers, the number itself when it already is an
// HRESULT (an automation error passed on from a host object).
HRESULT hresultFromErrorNumber(long number);

}  // namespace orvalis::com
