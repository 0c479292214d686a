#include "frame/NumberReading.h"

#include <atomic>
#include <charconv>
#include <cmath>
#include <string>

#include "frame/RuntimeError.h"

namespace orvalis {

namespace {

[[noreturn]] void overflow() { throw RuntimeError(vb_error::Overflow); }
[[noreturn]] void typeMismatch() { throw RuntimeError(vb_error::TypeMismatch); }

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The digit's value in the given base, or -1.
int digitValue(char16_t c, int base) {
  int value = -1;
  if (c >= u'0' && c <= u'9') value = c - u'0';
  else if (c >= u'a' && c <= u'f') value = c - u'a' + 10;
  else if (c >= u'A' && c <= u'F') value = c - u'A' + 10;
  return value < base ? value : -1;
}

// Exponents are clamped far beyond any Double so the count cannot overflow.
constexpr int64_t kExponentLimit = 100000000;

bool isWhiteSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r' ||
         c == u'\u00A0';
}

std::atomic<const NumberReader*> installedReader{nullptr};

}  // namespace

double decimalValue(std::string_view digits, int64_t integerDigits, int64_t exponent) {
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string_view::npos) return 0.0;
  const std::size_t end = digits.find_last_not_of('0') + 1;
  // From here on the value is 0.<significant> x 10^scale.
  const int64_t scale = integerDigits - static_cast<int64_t>(first) + exponent;
  if (scale > 400) overflow();
  if (scale < -400) return 0.0;

  std::string text = "0.";
  text.append(digits.substr(first, end - first));
  text += 'e';
  text += std::to_string(scale);
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    if (scale > 0) overflow();
    return 0.0;
  }
  if (std::isinf(value)) overflow();
  return value;
}

double parseNumber(std::u16string_view text) {
  if (const NumberReader* reader = installedReader.load()) return reader->readNumber(text);
  static const NumberFormat englishUnitedStates;
  return parseNumber(text, englishUnitedStates);
}

void installNumberReader(const NumberReader* reader) { installedReader.store(reader); }

double parseNumber(std::u16string_view text, const NumberFormat& format) {
  text = text.substr(0, text.find(u'\0'));  // the runtime reads a text up to its first NUL
  std::size_t pos = 0;
  const std::size_t end = text.size();
  const auto skipWhiteSpace = [&] {
    while (pos < end && isWhiteSpace(text[pos])) ++pos;
  };
  skipWhiteSpace();

  // "&H1F" / "&O17": an unsigned hexadecimal or octal whole number.
  if (pos < end && text[pos] == u'&') {
    if (end - pos < 3) typeMismatch();
    const char16_t kind = text[pos + 1];
    const int base = (kind == u'H' || kind == u'h') ? 16 : (kind == u'O' || kind == u'o') ? 8 : 0;
    if (base == 0) typeMismatch();
    double value = 0;
    bool anyDigit = false;
    for (pos += 2; pos < end && digitValue(text[pos], base) >= 0; ++pos) {
      value = value * base + digitValue(text[pos], base);
      anyDigit = true;
    }
    skipWhiteSpace();
    if (!anyDigit || pos != end) typeMismatch();
    // Past the Double range, as for a decimal number; checked once every
    // character is known to be a digit, since a text that is no number at
    // all is a type mismatch however long it is.
    if (std::isinf(value)) overflow();
    return value;
  }

  // The marks around the number: one sign, one pair of parentheses and one
  // currency symbol, each in front or behind, white space between them.
  bool signSeen = false, negative = false, parenthesisOpen = false, parenthesisClosed = false;
  bool currencySeen = false;
  const auto takeSign = [&] {
    if (signSeen || (text[pos] != u'+' && text[pos] != u'-')) return false;
    signSeen = true;
    negative = text[pos++] == u'-';
    return true;
  };
  const auto takeCurrency = [&] {
    const std::u16string_view symbol = format.currencySymbol;
    if (currencySeen || symbol.empty() || text.substr(pos, symbol.size()) != symbol) return false;
    currencySeen = true;
    pos += symbol.size();
    return true;
  };
  for (skipWhiteSpace(); pos < end; skipWhiteSpace()) {
    if (takeSign() || takeCurrency()) continue;
    if (text[pos] == u'(' && !parenthesisOpen) {
      parenthesisOpen = true;
      ++pos;
      continue;
    }
    break;
  }

  DecimalDigits mantissa;
  bool pointSeen = false;
  while (pos < end) {
    const char16_t c = text[pos];
    if (c == format.decimalSign && !pointSeen) {
      pointSeen = true;
      mantissa.take(u'.');
    } else if (c == format.thousandsSeparator && !pointSeen && !mantissa.empty()) {
      // separators group the whole part only
    } else if (!isDigit(c) || !mantissa.take(c)) {
      break;
    }
    ++pos;
  }
  if (mantissa.empty()) typeMismatch();

  int64_t exponent = 0;
  if (pos < end && (text[pos] == u'E' || text[pos] == u'e' || text[pos] == u'D' || text[pos] == u'd')) {
    ++pos;
    bool negativeExponent = false;
    if (pos < end && (text[pos] == u'+' || text[pos] == u'-')) {
      negativeExponent = text[pos] == u'-';
      ++pos;
    }
    if (pos == end || !isDigit(text[pos])) typeMismatch();
    for (; pos < end && isDigit(text[pos]); ++pos) {
      if (exponent < kExponentLimit) exponent = exponent * 10 + (text[pos] - u'0');
    }
    if (negativeExponent) exponent = -exponent;
  }

  for (skipWhiteSpace(); pos < end; skipWhiteSpace()) {
    if (takeSign() || takeCurrency()) continue;
    if (text[pos] == u')' && parenthesisOpen && !parenthesisClosed) {
      parenthesisClosed = true;
      ++pos;
      continue;
    }
    typeMismatch();
  }
  if (parenthesisOpen != parenthesisClosed) typeMismatch();

  const double value = mantissa.value(exponent);
  return negative || parenthesisOpen ? -value : value;
}

bool DecimalDigits::take(char16_t c) {
  if (c >= u'0' && c <= u'9') {
    digits_.push_back(static_cast<char>(c));
    if (!seenPoint_) ++integerDigits_;
    return true;
  }
  if (c == u'.' && !seenPoint_) {
    seenPoint_ = true;
    return true;
  }
  return false;
}

}  // namespace orvalis
