// A fixed-length text field: exactly N UTF-16 characters at all times. It is
// created full of NUL characters; a shorter text stored into it is padded
// with blanks and a longer one is cut. MCI reply buffers are such fields and
// are never cut at their NUL.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace orvalis {

class FixedText {
 public:
  explicit FixedText(std::size_t length) : text_(length, u'\0') {}

  std::size_t length() const { return text_.size(); }
  const std::u16string& text() const { return text_; }
  void assign(std::u16string_view value);
  // The field's characters for a platform call that writes into them in
  // place (an MCI reply). The length stays N, and a NUL follows the last
  // character, as the platform's buffers need.
  std::span<char16_t> characters() { return {text_.data(), text_.size()}; }

 private:
  std::u16string text_;
};

}  // namespace orvalis
