// Conversions between the ABI's automation types (BSTR, VARIANT_BOOL,
// VARIANT, IDispatch) and the core's values. Bindings use `in` for
// arguments, `out` for results and `InOut` for by-reference parameters that
// a member may change.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>

#include "frame/Variant.h"

namespace orvalis::com {

// --- Arguments ---------------------------------------------------------------

inline std::u16string in(BSTR text) {
  if (!text) return {};  // a null reference reads as the empty text
  return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}
inline int32_t in(LONG value) { return static_cast<int32_t>(value); }
// Also serves VARIANT_BOOL (the same type): True arrives as -1.
inline int16_t in(SHORT value) { return value; }
Variant in(const VARIANT* value);
ObjectRef in(IDispatch* object);
// The caller's variable as it is whenever the member reads it.
inline VariantReference inReference(const VARIANT* variable) {
  return [variable] { return in(variable); };
}

// --- Results -----------------------------------------------------------------

BSTR toBstr(std::u16string_view text);  // throws std::bad_alloc
inline void out(const std::u16string& value, BSTR* result) { *result = toBstr(value); }
inline void out(int32_t value, LONG* result) { *result = value; }
inline void out(int16_t value, SHORT* result) { *result = value; }
inline void out(bool value, VARIANT_BOOL* result) { *result = value ? VARIANT_TRUE : VARIANT_FALSE; }
void out(const Variant& value, VARIANT* result);
void out(const ObjectRef& value, IDispatch** result);

// The IDispatch behind a core object reference (nullptr for Nothing),
// AddRef'ed.
IDispatch* dispatchOf(const ObjectRef& object);

// --- By-reference parameters ---------------------------------------------------

// Holds a core copy of the caller's variable for the member and writes it
// back when the call ends, so a change reaches the caller.
template <class Core, class Abi>
class InOut {
 public:
  explicit InOut(Abi* variable) : variable_(variable), value_(in(*variable)) {}
  ~InOut() noexcept(false) { writeBack(); }
  InOut(const InOut&) = delete;
  InOut& operator=(const InOut&) = delete;

  operator Core&() { return value_; }

 private:
  void writeBack() {
    if constexpr (std::is_same_v<Abi, BSTR>) {
      if (in(*variable_) == value_) return;  // unchanged texts keep their BSTR
      BSTR replacement = toBstr(value_);
      SysFreeString(*variable_);
      *variable_ = replacement;
    } else {
      out(value_, variable_);
    }
  }

  Abi* variable_;
  Core value_;
};

}  // namespace orvalis::com
