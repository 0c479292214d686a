// Conversions between the ABI's automation types (BSTR, VARIANT_BOOL,
// VARIANT, IDispatch, SAFEARRAY) and the core's values. Bindings read an
// argument with `fromAbi` (ABI type -> core value), store a result with
// `toAbi` (core value -> the ABI's result slot), reach a by-reference
// parameter's variable with `callerVariable`, and pass a by-reference
// parameter that a member may change as a `WriteBackArgument`.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "frame/Arrays.h"
#include "frame/Variant.h"
#include "frame/com/ErrorBoundary.h"

namespace orvalis::com {

// --- Arguments ---------------------------------------------------------------

// The caller's variable behind a by-reference parameter. A C++ caller may
// pass a null pointer instead: the call fails with E_POINTER (see
// NullReference) before the member runs.
template <class T>
T& callerVariable(T* variable) {
  if (!variable) throw NullReference();
  return *variable;
}

inline std::u16string fromAbi(BSTR text) {
  if (!text) return {};  // a null reference reads as the empty text
  return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}
inline int32_t fromAbi(LONG value) { return static_cast<int32_t>(value); }
// A LongLong: the 64-bit library's pointer-sized values (LONG_PTR).
inline int64_t fromAbi(LONGLONG value) { return value; }
// Also serves VARIANT_BOOL (the same type): True arrives as -1.
inline int16_t fromAbi(SHORT value) { return value; }
// Any Variant: arrays, records and objects without IDispatch go in held
// unopened (see OpaqueValue) and come back out unchanged.
Variant fromAbi(const VARIANT* value);
inline Variant fromAbi(const VARIANT& value) { return fromAbi(&value); }
ObjectRef fromAbi(IDispatch* object);
// The caller's variable as it is whenever the member reads it.
inline VariantReference fromAbiReference(const VARIANT* variable) {
  callerVariable(variable);
  return [variable] { return fromAbi(variable); };
}

// An optional by-reference Long (an enumeration, say), nullopt when the
// caller left it out: an early-bound caller passes no pointer, a late-bound
// one gets a stand-in from Invoke (isOmitted).
std::optional<int32_t> fromAbiOptional(const LONG* value);
// An optional VARIANT: a null pointer from an early-bound caller counts as
// left out, like the DISP_E_PARAMNOTFOUND marker.
inline Variant fromAbiOptional(const VARIANT* value) { return value ? fromAbi(value) : Variant::missing(); }

// A safe array held locked for the call and seen by the core without a
// copy. The holder is a temporary of the binding's call expression, so the
// view lives exactly as long as the member runs. A null array reads as one
// never allocated; elements of another size or type are error 13.
class SafeArrayArgument {
 public:
  SafeArrayArgument(SAFEARRAY* array, VARTYPE elementType);
  ~SafeArrayArgument();
  SafeArrayArgument(const SafeArrayArgument&) = delete;
  SafeArrayArgument& operator=(const SafeArrayArgument&) = delete;

 protected:
  std::vector<ArrayBounds> bounds_;
  const void* elements_ = nullptr;
  size_t count_ = 0;  // elements in all dimensions

 private:
  SAFEARRAY* locked_ = nullptr;
};

// An array of Long: its bounds, first index first, and its elements.
class LongArrayArgument : public SafeArrayArgument {
 public:
  explicit LongArrayArgument(SAFEARRAY* array)
      : SafeArrayArgument(array, VT_I4), view_(bounds_, static_cast<const int32_t*>(elements_)) {}
  operator const LongArray&() const { return view_; }

 private:
  LongArray view_;
};

// An array of Byte: all its bytes in memory order, whatever its bounds.
class ByteArrayArgument : public SafeArrayArgument {
 public:
  explicit ByteArrayArgument(SAFEARRAY* array) : SafeArrayArgument(array, VT_UI1) {}
  operator std::span<const uint8_t>() const { return {static_cast<const uint8_t*>(elements_), count_}; }
};

inline LongArrayArgument fromAbiLongArray(SAFEARRAY* array) { return LongArrayArgument(array); }
inline ByteArrayArgument fromAbiByteArray(SAFEARRAY* array) { return ByteArrayArgument(array); }

// --- Results -----------------------------------------------------------------

BSTR toBstr(std::u16string_view text);  // throws std::bad_alloc
inline void toAbi(const std::u16string& value, BSTR* result) { *result = toBstr(value); }
inline void toAbi(int32_t value, LONG* result) { *result = value; }
inline void toAbi(int16_t value, SHORT* result) { *result = value; }
inline void toAbi(bool value, VARIANT_BOOL* result) { *result = value ? VARIANT_TRUE : VARIANT_FALSE; }
void toAbi(const Variant& value, VARIANT* result);
void toAbi(const ObjectRef& value, IDispatch** result);
// A one-dimensional array of Byte with lower bound 0.
void toAbi(const ByteArray& value, SAFEARRAY** result);
// Bytes as a Variant holding a one-dimensional Byte array indexed from 0.
void toAbi(const std::vector<uint8_t>& bytes, VARIANT* result);

// The IDispatch behind a core object reference (nullptr for Nothing),
// AddRef'ed. The library's own property tables get a new IDispatch each
// time.
IDispatch* toIDispatch(const ObjectRef& object);

// Stores `value` into a caller's Variant variable: through a reference to
// a Variant, or, for a reference to a typed variable (a VB Integer passed
// to a Variant parameter), converted to that variable's type; a value the
// typed variable cannot hold leaves it as it was.
void storeInVariableIfItFits(VARIANT* variable, const Variant& value);

// --- By-reference parameters ---------------------------------------------------

// Holds a core copy of the caller's variable for the member and writes it
// back when the call ends, so a change reaches the caller.
template <class Core, class Abi>
class WriteBackArgument {
 public:
  explicit WriteBackArgument(Abi* variable) : variable_(variable), value_(fromAbi(callerVariable(variable))) {
    if constexpr (std::is_same_v<Core, Variant>) {
      if (value_.isOpaque()) unopened_ = value_.opaque();
    }
  }
  ~WriteBackArgument() noexcept(false) { writeBack(); }
  WriteBackArgument(const WriteBackArgument&) = delete;
  WriteBackArgument& operator=(const WriteBackArgument&) = delete;

  operator Core&() { return value_; }

 private:
  void writeBack() {
    if constexpr (std::is_same_v<Abi, BSTR>) {
      if (fromAbi(*variable_) == value_) return;  // unchanged texts keep their BSTR
      BSTR replacement = toBstr(value_);
      SysFreeString(*variable_);
      *variable_ = replacement;
    } else if constexpr (std::is_same_v<Abi, VARIANT>) {
      // A value the member could not open and left as it was stays the
      // caller's own, not a copy of it.
      if (unopened_ && value_.isOpaque() && value_.opaque() == unopened_) return;
      storeInVariableIfItFits(variable_, value_);
    } else {
      toAbi(value_, variable_);
    }
  }

  Abi* variable_;
  Core value_;
  OpaqueRef unopened_;
};

// Stores `value` into a caller's Variant passed by reference (an output
// parameter), releasing what it held. A VT_BYREF | VT_VARIANT argument is
// followed to the variable behind it; a by-reference argument of a fixed
// type (VT_BYREF | VT_I2, ...) gets the value converted to that type.
void storeInVariable(VARIANT* variable, const Variant& value);

}  // namespace orvalis::com
