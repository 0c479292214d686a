#include "frame/Conversion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "frame/NumberReading.h"
#include "frame/RuntimeError.h"
#include "frame/Text.h"

namespace orvalis {

namespace {

[[noreturn]] void overflow() { throw RuntimeError(vb_error::Overflow); }
[[noreturn]] void typeMismatch() { throw RuntimeError(vb_error::TypeMismatch); }
[[noreturn]] void invalidUseOfNull() { throw RuntimeError(vb_error::InvalidUseOfNull); }

template <class Target>
Target checkedRange(int64_t value) {
  if (value < std::numeric_limits<Target>::min() || value > std::numeric_limits<Target>::max()) {
    overflow();
  }
  return static_cast<Target>(value);
}

template <class Target>
Target roundedToRange(double value) {
  if (!std::isfinite(value)) overflow();
  const double rounded = roundHalfEven(value);
  if (rounded < static_cast<double>(std::numeric_limits<Target>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Target>::max())) {
    overflow();
  }
  return static_cast<Target>(rounded);
}

// A currency amount (value x 10 000) rounded to a whole number, half to even.
int64_t roundCurrency(int64_t scaled) {
  int64_t whole = scaled / 10000;
  const int64_t rest = scaled % 10000;  // carries the sign of `scaled`
  if (rest > 5000 || (rest == 5000 && whole % 2 != 0)) ++whole;
  if (rest < -5000 || (rest == -5000 && whole % 2 != 0)) --whole;
  return whole;
}

// The text of a floating-point value with at most `precision` significant
// digits, the way the runtime's CStr writes it: fixed notation for decimal
// exponents from -5 up to precision - 1, "1.5E+20" notation otherwise, never
// trailing zeros, and no sign on a negative zero.
std::u16string significantText(double value, int precision) {
  if (std::isnan(value)) return std::signbit(value) ? u"-1.#IND" : u"1.#QNAN";
  if (std::isinf(value)) return value < 0 ? u"-1.#INF" : u"1.#INF";
  if (value == 0) return u"0";

  char buffer[64];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                     std::chars_format::scientific, precision - 1);
  const std::string_view scientific(buffer, static_cast<std::size_t>(written.ptr - buffer));
  const std::size_t e = scientific.find('e');
  std::u16string digits;
  for (char c : scientific.substr(0, e)) {
    if (c != '.') digits.push_back(static_cast<char16_t>(c));
  }
  while (digits.size() > 1 && digits.back() == u'0') digits.pop_back();
  int exponent = 0;
  std::string_view exponentText = scientific.substr(e + 1);
  if (exponentText.front() == '+') exponentText.remove_prefix(1);
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

  std::u16string text = value < 0 ? u"-" : u"";
  if (exponent < -4 || exponent >= precision) {
    text += digits[0];
    if (digits.size() > 1) text += u'.' + digits.substr(1);
    text += exponent < 0 ? u"E-" : u"E+";
    text += formatWithMinimumDigits(exponent < 0 ? -exponent : exponent, 2);
  } else if (exponent >= 0) {
    const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integerDigits) {
      text += digits + std::u16string(integerDigits - digits.size(), u'0');
    } else {
      text += digits.substr(0, integerDigits) + u'.' + digits.substr(integerDigits);
    }
  } else {
    text += u"0." + std::u16string(static_cast<std::size_t>(-exponent - 1), u'0') + digits;
  }
  return text;
}

std::u16string currencyText(int64_t scaled) {
  const uint64_t magnitude =
      scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  std::u16string text = scaled < 0 ? u"-" : u"";
  text += decimalText(static_cast<int64_t>(magnitude / 10000));
  std::u16string fraction = formatWithMinimumDigits(static_cast<int64_t>(magnitude % 10000), 4);
  while (!fraction.empty() && fraction.back() == u'0') fraction.pop_back();
  if (!fraction.empty()) text += u'.' + fraction;
  return text;
}

// A date as the runtime's general date format writes it for English (United
// States): "M/D/YYYY h:mm:ss AM", the date left out on day 0 (30 December
// 1899) and the time left out at midnight. The whole days count from that
// day 0; the fraction is the time of day whatever the sign of the days.
std::u16string dateText(double days) {
  constexpr double kLastDay = 2958465.0;  // 31 December 9999
  constexpr double kFirstDay = -657434.0;  // 1 January 100
  if (!std::isfinite(days) || days >= kLastDay + 1 || days <= kFirstDay - 1) overflow();
  int64_t day = static_cast<int64_t>(days);  // toward zero
  int64_t seconds = static_cast<int64_t>(roundHalfEven(std::fabs(days - static_cast<double>(day)) * 86400.0));
  if (seconds >= 86400) {
    seconds -= 86400;
    ++day;
  }

  std::u16string text;
  if (day != 0) {
    // Civil date from a day count (days since 1 March 0000 in 400-year eras).
    const int64_t z = day - 25569 + 719468;  // day 0 is 25 569 days before 1 January 1970
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int64_t dayOfMonth = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    text = decimalText(month) + u'/' + decimalText(dayOfMonth) + u'/' + decimalText(year);
  }
  if (seconds != 0 || day == 0) {
    const int64_t hour = seconds / 3600;
    const int64_t hour12 = hour % 12 == 0 ? 12 : hour % 12;
    if (!text.empty()) text += u' ';
    text += decimalText(hour12) + u':' + formatWithMinimumDigits(seconds / 60 % 60, 2) + u':' +
            formatWithMinimumDigits(seconds % 60, 2) + (hour < 12 ? u" AM" : u" PM");
  }
  return text;
}

// The decimal digits of a Decimal's 96-bit whole number, most significant
// first, with at least scale + 1 of them (leading zeros added), so that the
// last `scale` digits are the fraction.
std::string decimalDigits(const Variant::DecimalValue& value) {
  uint32_t words[3] = {value.high, static_cast<uint32_t>(value.low >> 32),
                       static_cast<uint32_t>(value.low)};
  std::string digits;
  while (words[0] != 0 || words[1] != 0 || words[2] != 0) {
    uint64_t rest = 0;
    for (uint32_t& word : words) {
      const uint64_t part = rest << 32 | word;
      word = static_cast<uint32_t>(part / 10);
      rest = part % 10;
    }
    digits.push_back(static_cast<char>('0' + rest));
  }
  if (digits.size() < std::size_t{value.scale} + 1) digits.append(value.scale + 1 - digits.size(), '0');
  std::reverse(digits.begin(), digits.end());
  return digits;
}

double decimalToDouble(const Variant::DecimalValue& value) {
  const std::string digits = decimalDigits(value);
  const double magnitude =
      decimalValue(digits, static_cast<int64_t>(digits.size()) - value.scale, 0);
  return value.negative ? -magnitude : magnitude;
}

// A Decimal rounded to a whole number, half to even, computed from its
// exact digits; error 6 beyond 64 bits.
int64_t decimalToWhole(const Variant::DecimalValue& value) {
  const std::string digits = decimalDigits(value);
  const std::size_t wholeDigits = digits.size() - value.scale;
  uint64_t magnitude = 0;
  for (std::size_t i = 0; i < wholeDigits; ++i) {
    if (magnitude > (UINT64_MAX - 9) / 10) overflow();
    magnitude = magnitude * 10 + static_cast<uint64_t>(digits[i] - '0');
  }
  if (value.scale > 0) {
    const char first = digits[wholeDigits];
    const bool moreAfterHalf = digits.find_first_not_of('0', wholeDigits + 1) != std::string::npos;
    if (first > '5' || (first == '5' && (moreAfterHalf || magnitude % 2 != 0))) ++magnitude;
  }
  const uint64_t limit = value.negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  if (magnitude > limit) overflow();
  return value.negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

// The runtime's text of a Decimal: every significant digit, no trailing
// zeros in the fraction, no exponent.
std::u16string decimalToText(const Variant::DecimalValue& value) {
  const std::string digits = decimalDigits(value);
  const std::size_t wholeDigits = digits.size() - value.scale;
  std::string whole = digits.substr(0, wholeDigits);
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
  std::string fraction = digits.substr(wholeDigits);
  fraction.erase(fraction.find_last_not_of('0') + 1);
  const bool zero = whole == "0" && fraction.empty();
  std::u16string text = value.negative && !zero ? u"-" : u"";
  for (char c : whole) text.push_back(static_cast<char16_t>(c));
  if (!fraction.empty()) {
    text.push_back(u'.');
    for (char c : fraction) text.push_back(static_cast<char16_t>(c));
  }
  return text;
}

std::u16string unsignedText(uint64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

double roundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double below = std::floor(value);
  const double fraction = value - below;  // exact for every finite double
  if (fraction > 0.5) return below + 1;
  if (fraction < 0.5) return below;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

int16_t toInteger(double value) { return roundedToRange<int16_t>(value); }
int32_t toLong(double value) { return roundedToRange<int32_t>(value); }
int16_t toInteger(int64_t value) { return checkedRange<int16_t>(value); }
int32_t toLong(int64_t value) { return checkedRange<int32_t>(value); }

int32_t addLong(int32_t a, int32_t b) { return checkedRange<int32_t>(int64_t{a} + b); }
int32_t subtractLong(int32_t a, int32_t b) { return checkedRange<int32_t>(int64_t{a} - b); }
int32_t multiplyLong(int32_t a, int32_t b) { return checkedRange<int32_t>(int64_t{a} * b); }
int16_t addInteger(int16_t a, int16_t b) { return checkedRange<int16_t>(int64_t{a} + b); }
int16_t subtractInteger(int16_t a, int16_t b) { return checkedRange<int16_t>(int64_t{a} - b); }
int16_t multiplyInteger(int16_t a, int16_t b) { return checkedRange<int16_t>(int64_t{a} * b); }


double toDouble(const Variant& value) {
  switch (value.type()) {
    case VarType::Empty:
      return 0.0;
    case VarType::Null:
      invalidUseOfNull();
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte:
    case VarType::Boolean:
    case VarType::SignedByte:
    case VarType::UnsignedInteger:
    case VarType::UnsignedLong:
    case VarType::LongLong:
      return static_cast<double>(value.integral());
    case VarType::UnsignedLongLong:
      return static_cast<double>(value.unsignedIntegral());
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
      return value.floating();
    case VarType::Currency:
      return static_cast<double>(value.currencyScaled()) / 10000.0;
    case VarType::Decimal:
      return decimalToDouble(value.decimal());
    case VarType::String:
      return parseNumber(value.text());
    case VarType::Object:
    case VarType::Error:
    case VarType::Unknown:
    case VarType::Record:
    case VarType::Array:
      break;
  }
  typeMismatch();
}

namespace {

// A Variant as a whole number: integral subtypes, Currency and Decimal
// exactly, everything else through its Double; `narrow` checks the target
// range.
template <class Narrow>
auto toWholeNumber(const Variant& value, Narrow narrow) {
  switch (value.type()) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte:
    case VarType::Boolean:
    case VarType::SignedByte:
    case VarType::UnsignedInteger:
    case VarType::UnsignedLong:
    case VarType::LongLong:
      return narrow(value.integral());
    case VarType::UnsignedLongLong:
      if (value.unsignedIntegral() > static_cast<uint64_t>(INT64_MAX)) overflow();
      return narrow(static_cast<int64_t>(value.unsignedIntegral()));
    case VarType::Currency:
      return narrow(roundCurrency(value.currencyScaled()));
    case VarType::Decimal:
      return narrow(decimalToWhole(value.decimal()));
    default:
      return narrow(toDouble(value));
  }
}

}  // namespace

int16_t toInteger(const Variant& value) {
  return toWholeNumber(value, [](auto number) { return toInteger(number); });
}

int32_t toLong(const Variant& value) {
  return toWholeNumber(value, [](auto number) { return toLong(number); });
}

bool toBoolean(const Variant& value) {
  switch (value.type()) {
    case VarType::Currency:
      return value.currencyScaled() != 0;
    case VarType::Decimal:
      return value.decimal().low != 0 || value.decimal().high != 0;
    case VarType::String:
      if (textEquals(value.text(), u"True")) return true;
      if (textEquals(value.text(), u"False")) return false;
      return parseNumber(value.text()) != 0;
    default:
      return toDouble(value) != 0;  // NaN counts as true, like any non-zero
  }
}

std::u16string toText(const Variant& value) {
  switch (value.type()) {
    case VarType::Empty:
      return {};
    case VarType::Null:
      invalidUseOfNull();
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte:
    case VarType::SignedByte:
    case VarType::UnsignedInteger:
    case VarType::UnsignedLong:
    case VarType::LongLong:
      return decimalText(value.integral());
    case VarType::UnsignedLongLong:
      return unsignedText(value.unsignedIntegral());
    case VarType::Decimal:
      return decimalToText(value.decimal());
    case VarType::Boolean:
      return value.integral() != 0 ? u"True" : u"False";
    case VarType::Single:
      return significantText(value.floating(), 7);
    case VarType::Double:
      return doubleText(value.floating());
    case VarType::Currency:
      return currencyText(value.currencyScaled());
    case VarType::Date:
      return dateText(value.floating());
    case VarType::String:
      return value.text();
    case VarType::Object:
    case VarType::Error:
    case VarType::Unknown:
    case VarType::Record:
    case VarType::Array:
      break;
  }
  typeMismatch();
}

std::u16string doubleText(double value) { return significantText(value, 15); }

}  // namespace orvalis
