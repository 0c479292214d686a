#include "frame/HostObject.h"

#include <utility>

namespace orvalis {

Variant HostObject::get(std::u16string_view name) {
  std::vector<Argument> args;
  return invoke(name, CallKind::PropertyGet, args);
}

Variant HostObject::get(std::u16string_view name, Argument index) {
  std::vector<Argument> args;
  args.push_back(std::move(index));
  return invoke(name, CallKind::PropertyGet, args);
}

void HostObject::put(std::u16string_view name, Variant value) {
  std::vector<Argument> args;
  args.push_back(Argument{std::move(value), false});
  invoke(name, CallKind::PropertyPut, args);
}

Variant HostObject::call(std::u16string_view name, Argument argument) {
  std::vector<Argument> args;
  args.push_back(std::move(argument));
  return invoke(name, CallKind::Method, args);
}

}  // namespace orvalis
