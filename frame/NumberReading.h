// Reading texts as numbers the way the automation runtime does: the strict
// reading of a whole text (converting a String to a number), the reader the
// Windows layer installs for the user's locale, and the decimal digits that
// the strict and the numeric-prefix readings share. Every failure is a
// RuntimeError: 6 (overflow), 13 (type mismatch).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvalis {

// Strict reading of a text as a number, as converting a String to a number
// does: the runtime's conversion in the user's locale, through the reader
// installed below (the portable reading for English (United States) when
// none is). Anything that is no number is error 13, a number beyond the
// Double range error 6.
double parseNumber(std::u16string_view text);

// The symbols of a locale that the portable reading honours.
struct NumberFormat {
  char16_t decimalSign = u'.';
  char16_t thousandsSeparator = u',';
  std::u16string currencySymbol = u"$";
};

// The portable reading, with the rules of the automation runtime: the text
// up to its first NUL; white space around the number; a sign in front or
// behind ("5-"), or parentheses, for a negative number; the currency symbol
// in front or behind; thousands separators within the whole part ("1,000");
// the locale's decimal sign; an exponent E or D; "&H"/"&O" prefixes for
// hexadecimal and octal whole numbers.
double parseNumber(std::u16string_view text, const NumberFormat& format);

// Reads texts as numbers for the whole process. The Windows layer installs
// the runtime's own conversion with the user's locale, so the logic stays
// portable and reads numbers exactly as the host's runtime does.
class NumberReader {
 public:
  virtual ~NumberReader() = default;
  virtual double readNumber(std::u16string_view text) const = 0;
};

// Makes `reader` the one parseNumber uses (nullptr: the portable reading).
// Install it before any conversion runs; it must outlive its use.
void installNumberReader(const NumberReader* reader);

// The Double nearest to a decimal number given as `digits` (ASCII digits,
// the point after the first `integerDigits` of them) times 10^exponent:
// ("125", 1, 2) is 1.25E2 = 125. Error 6 beyond the Double range; a
// magnitude too small for a Double gives 0. Shared by the strict reading
// above and the numeric-prefix reading of MCI replies.
double decimalValue(std::string_view digits, int64_t integerDigits, int64_t exponent);

// The digits of a decimal number as a reader meets them: digits with at
// most one point. Shared by the strict and the numeric-prefix readings.
class DecimalDigits {
 public:
  // Takes `c` when it continues the number; false at anything else.
  bool take(char16_t c);
  bool empty() const { return digits_.empty(); }
  double value(int64_t exponent) const { return decimalValue(digits_, integerDigits_, exponent); }

 private:
  std::string digits_;
  int64_t integerDigits_ = 0;
  bool seenPoint_ = false;
};

}  // namespace orvalis
