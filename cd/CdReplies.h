// Readings of CD device replies shared by the CD classes.
#pragma once

#include <optional>
#include <string_view>

#include "frame/Text.h"

namespace orvalis {

// A reply as the runtime's text conversions see it: the text before the
// first NUL (the service's terminator, or the field's old content after it).
inline std::u16string_view textBeforeNul(std::u16string_view reply) {
  return reply.substr(0, reply.find(u'\0'));
}

// The device's Boolean word, "true" or "false" in any letter case, as
// the text before the first NUL; nullopt for any other text, numbers
// included.
inline std::optional<bool> booleanWord(std::u16string_view reply) {
  const std::u16string_view text = textBeforeNul(reply);
  if (textEquals(text, u"true")) return true;
  if (textEquals(text, u"false")) return false;
  return std::nullopt;
}

}  // namespace orvalis
