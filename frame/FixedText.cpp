#include "frame/FixedText.h"

#include <algorithm>

namespace orvalis {

void FixedText::assign(std::u16string_view value) {
  // The field keeps its length: the text is cut to fit, and the rest of the
  // field becomes blanks (not NULs; only a new field is all NUL).
  const std::size_t kept = std::min(value.size(), text_.size());
  std::copy_n(value.begin(), kept, text_.begin());
  std::fill(text_.begin() + static_cast<std::ptrdiff_t>(kept), text_.end(), u' ');
}

}  // namespace orvalis
