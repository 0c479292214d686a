#include <cmath>
#include <string>

#include "frame/NumberReading.h"
#include "frame/RuntimeError.h"
#include "mci/MciChannel.h"

namespace orvalis {

namespace {

// A cursor over the reply that never shows blanks, tabs or line feeds: the
// rule skips them wherever they stand, even inside a number ("1 2 3" is 123).
class ReplyReader {
 public:
  explicit ReplyReader(std::u16string_view text) : text_(text) { skipSpace(); }

  char16_t peek() const { return pos_ < text_.size() ? text_[pos_] : u'\0'; }
  void advance() {
    ++pos_;
    skipSpace();
  }
  bool accept(char16_t upper) {
    const char16_t c = peek();
    if (c != upper && c != static_cast<char16_t>(upper + (u'a' - u'A'))) return false;
    advance();
    return true;
  }

 private:
  void skipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == u' ' || text_[pos_] == u'\t' || text_[pos_] == u'\n')) {
      ++pos_;
    }
  }

  std::u16string_view text_;
  std::size_t pos_ = 0;
};

bool isDecimalDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

double radixPrefix(ReplyReader& reader, int base) {
  double value = 0;
  for (;;) {
    const char16_t c = reader.peek();
    int digit = -1;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    if (digit < 0 || digit >= base) return value;
    value = value * base + digit;
    // Past the Double range, like a decimal number too large for it.
    if (std::isinf(value)) throw RuntimeError(vb_error::Overflow);
    reader.advance();
  }
}

// The reply nearly every query gets, a plain whole number ("83250" and its
// NUL), read directly: up to 15 digits are exact in a Double. Anything the
// general reading might take further (a blank, which it skips, a point, an
// exponent, a 16th digit) is left to it.
bool readPlainWholeNumber(std::u16string_view text, double& value) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == u'-';
  if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) ++i;
  const std::size_t first = i;
  int64_t number = 0;
  for (; i < text.size() && isDecimalDigit(text[i]); ++i) {
    if (i - first == 15) return false;
    number = number * 10 + (text[i] - u'0');
  }
  if (i == first) return false;
  if (i < text.size()) {
    switch (text[i]) {
      case u'.': case u'E': case u'e': case u'D': case u'd': case u' ': case u'\t': case u'\n':
        return false;
      default:
        break;
    }
  }
  value = negative && number != 0 ? -static_cast<double>(number) : static_cast<double>(number);
  return true;
}

}  // namespace

double numericPrefix(std::u16string_view text) {
  if (double value; readPlainWholeNumber(text, value)) return value;
  ReplyReader reader(text);

  if (reader.peek() == u'&') {
    reader.advance();
    if (reader.accept(u'H')) return radixPrefix(reader, 16);
    if (reader.accept(u'O')) return radixPrefix(reader, 8);
    return 0;
  }

  bool negative = false;
  if (reader.peek() == u'+' || reader.peek() == u'-') {
    negative = reader.peek() == u'-';
    reader.advance();
  }

  DecimalDigits mantissa;
  while (mantissa.take(reader.peek())) reader.advance();
  if (mantissa.empty()) return 0;

  // An exponent marker without digits after it ("1e", "1e+") adds nothing.
  int64_t exponent = 0;
  if (reader.accept(u'E') || reader.accept(u'D')) {
    bool negativeExponent = false;
    if (reader.peek() == u'+' || reader.peek() == u'-') {
      negativeExponent = reader.peek() == u'-';
      reader.advance();
    }
    constexpr int64_t kLimit = 100000000;  // far beyond any Double; keeps the count finite
    while (isDecimalDigit(reader.peek())) {
      if (exponent < kLimit) exponent = exponent * 10 + (reader.peek() - u'0');
      reader.advance();
    }
    if (negativeExponent) exponent = -exponent;
  }

  const double value = mantissa.value(exponent);
  return negative && value != 0 ? -value : value;
}

}  // namespace orvalis
