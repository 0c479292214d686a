// A small automation object of the library's own: a fixed table of named,
// read-only properties. The application object and the current-error object
// that the library hands to hosts and to the framework component are such
// tables; the COM layer shows them to callers as IDispatch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frame/HostObject.h"

namespace orvalis {

class PropertyObject final : public HostObject {
 public:
  struct Property {
    std::u16string name;
    Variant value;
  };

  explicit PropertyObject(std::vector<Property> properties) : properties_(std::move(properties)) {}

  const std::vector<Property>& properties() const { return properties_; }
  // The position of a property, the name compared without regard to case.
  std::optional<size_t> find(std::u16string_view name) const;

  // A property get (or a call without arguments, as scripts read a
  // property) returns the value; arguments raise error 450, an assignment
  // or an unknown name error 438.
  Variant invoke(std::u16string_view name, CallKind kind, std::vector<Argument>& args) override;

 private:
  std::vector<Property> properties_;
};

}  // namespace orvalis
