// Objects that the host passes in (list controls, forms) and that the
// library calls late-bound, by member name. The COM layer implements this
// over IDispatch; tests implement it with scripted fakes.
#pragma once

#include <string_view>
#include <vector>

#include "frame/Variant.h"

namespace orvalis {

enum class CallKind { Method, PropertyGet, PropertyPut };

struct Argument {
  Variant value;
  // Passed by reference: the callee may change the variable, and `value`
  // holds the variable's content after the call.
  bool byReference = false;
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
