#include "frame/PropertyObject.h"

#include "frame/RuntimeError.h"
#include "frame/Text.h"

namespace orvalis {

std::optional<size_t> PropertyObject::find(std::u16string_view name) const {
  for (size_t i = 0; i < properties_.size(); ++i)
    if (textEquals(properties_[i].name, name)) return i;
  return std::nullopt;
}

Variant PropertyObject::invoke(std::u16string_view name, CallKind kind, std::vector<Argument>& args) {
  const auto index = find(name);
  if (!index || kind == CallKind::PropertyPut) throw RuntimeError(vb_error::ObjectDoesntSupportMember);
  if (!args.empty()) throw RuntimeError(vb_error::WrongNumberOfArguments);
  return properties_[*index].value;
}

}  // namespace orvalis
