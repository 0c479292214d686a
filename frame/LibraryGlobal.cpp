#include "frame/LibraryGlobal.h"

#include "frame/Conversion.h"

namespace orvalis {

std::optional<ResourceName> resourceName(const Variant& idOrType) {
  if (idOrType.type() == VarType::String) {
    if (idOrType.text().empty()) return std::nullopt;
    return ResourceName{0, idOrType.text()};
  }
  if (!idOrType.isEmpty() && !idOrType.isNumeric()) toLong(idOrType);  // raises 94 or 13
  const int32_t number = toLong(idOrType);
  if (number < 1 || number > 0xFFFF) return std::nullopt;
  return ResourceName{static_cast<uint16_t>(number), {}};
}

RuntimeError resourceNotFound(const Variant& id) {
  std::u16string text;
  try {
    text = toText(id);
  } catch (const RuntimeError&) {
    // Null or an object: the identifier has no text of its own.
  }
  return RuntimeError(vb_error::ResourceNotFound, u"Resource with identifier '" + text + u"' not found");
}

}  // namespace orvalis
