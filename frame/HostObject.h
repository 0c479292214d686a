// Objects that the host passes in (list controls, forms) and that the
// library calls late-bound, by member name. The COM layer implements this
// over IDispatch; tests implement it with scripted fakes.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "frame/Variant.h"

namespace orvalis {

// Statement: a method called for its effect alone. Its result is dropped
// unread, so a value the library could not convert (an array, a record)
// raises nothing.
enum class CallKind { Method, PropertyGet, PropertyPut, Statement };

struct Argument {
  Variant value;
  // Passed by reference: the callee may change the variable. The library
  // never reads such a change back, so whatever the callee leaves there (an
  // array, a record) is dropped unread.
  bool byReference = false;
  // A by-reference argument goes as a reference to a variable of the
  // value's own type (an Integer, a String, an object) instead of a
  // reference to a Variant that holds the value; a callee that declares
  // the typed parameter takes only the former.
  bool typed = false;

  static Argument typedReference(Variant value) { return Argument{std::move(value), true, true}; }
};

class HostObject {
 public:
  virtual ~HostObject() = default;

  // Looks the name up (without regard to case) and calls it. Failures of the
  // host (no such member, a host error) raise RuntimeError.
  virtual Variant invoke(std::u16string_view name, CallKind kind, std::vector<Argument>& args) = 0;

  Variant get(std::u16string_view name);
  Variant get(std::u16string_view name, Argument index);
  void put(std::u16string_view name, Variant value);
  Variant call(std::u16string_view name, Argument argument);
};

}  // namespace orvalis
