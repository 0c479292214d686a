// A fixed-length text field: exactly N UTF-16 characters at all times. It is
// created full of NUL characters; a shorter text stored into it is padded
// with blanks and a longer one is cut. MCI reply buffers are such fields and
// are never cut at their NUL.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvalis {

class FixedText {
 public:
  explicit FixedText(std::size_t length) : text_(length, u'\0') {}

  std::size_t length() const { return text_.size(); }
  const std::u16string& text() const { return text_; }
  void assign(std::u16string_view value);

 private:
  std::u16string text_;
};

}  // namespace orvalis
