// Readings of CD device replies shared by the CD classes.
#pragma once

#include <string_view>

namespace orvalis {

// A reply as the runtime's text conversions see it: the text before the
// first NUL (the service's terminator, or the field's old content after it).
inline std::u16string_view textBeforeNul(std::u16string_view reply) {
  return reply.substr(0, reply.find(u'\0'));
}

}  // namespace orvalis
