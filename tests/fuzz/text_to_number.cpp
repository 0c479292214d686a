// Text to number and number to text: the strict reading (parseNumber, and
// through it CDbl, CInt, CLng and CBool of a String Variant) and CStr of the
// numeric subtypes read back.
//
// One byte (the last: FuzzedDataProvider takes numbers from the end)
// chooses what the rest is:
//   0  any text, checked against a strict grammar written independently and
//      strtod: a number gives strtod's value (overflow 6 where strtod gives
//      an infinity), anything else type mismatch 13, never NaN or infinity;
//      the Variant conversions of the same text agree with parseNumber;
//   1  a decimal number assembled from parts (blanks, sign, digits, point,
//      exponent), which must read back as strtod reads it;
//   2  a Double, Single, Integer, Long, Currency, Boolean or Date whose text
//      (CStr) must read back: a Double to its value at 15 significant digits,
//      a Single at 7, whole numbers and Currency exactly.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "frame/Conversion.h"
#include "frame/NumberReading.h"
#include "frame/Variant.h"
#include "fuzz/FuzzSupport.h"

namespace orvalis::fuzz {
namespace {

struct Reading {
  int32_t error = 0;
  double value = 0;
  bool operator==(const Reading&) const = default;
};

Reading strictReading(std::u16string_view text) {
  Reading reading;
  reading.error = errorOf([&] { reading.value = parseNumber(text); },
                          {vb_error::TypeMismatch, vb_error::Overflow});
  if (reading.error == 0) FUZZ_CHECK(std::isfinite(reading.value));
  return reading;
}

[[noreturn]] void disagree(std::u16string_view text, const Reading& got, const Reading& expected) {
  std::fprintf(stderr, "parseNumber(\"%s\") gave error %d value %.17g, expected error %d value %.17g\n",
               shown(text).c_str(), got.error, got.value, expected.error, expected.value);
  finding("the strict reading agrees with the grammar and strtod", __FILE__, __LINE__);
}

bool isDigitIn(char16_t c, int base) {
  if (c >= u'0' && c <= u'9') return c - u'0' < base;
  return base == 16 && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'));
}

Reading numberFromStrtod(const std::string& ascii) {
  const double value = std::strtod(ascii.c_str(), nullptr);
  if (std::isinf(value)) return {vb_error::Overflow, 0};
  return {0, value};
}

// The strict grammar: blanks and tabs around one number, which is either
// "&H" / "&O" and digits of that base, or a sign, digits with at most one
// point (at least one digit) and an exponent E or D with digits. nullopt
// for a long hexadecimal or octal number, whose last bits the reading may
// round its own way (it only has to stay finite or overflow).
std::optional<Reading> expectedStrictReading(std::u16string_view text) {
  const Reading mismatch{vb_error::TypeMismatch, 0};
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  if (text.empty()) return mismatch;

  if (text[0] == u'&') {
    if (text.size() < 3) return mismatch;
    const char16_t kind = text[1];
    const int base = (kind == u'H' || kind == u'h') ? 16 : (kind == u'O' || kind == u'o') ? 8 : 0;
    if (base == 0) return mismatch;
    uint64_t value = 0;
    int bits = 0;
    for (char16_t c : text.substr(2)) {
      if (!isDigitIn(c, base)) return mismatch;
      const uint64_t digit = c <= u'9' ? c - u'0' : (c | 0x20) - u'a' + 10;
      value = value * static_cast<uint64_t>(base) + digit;
      if (value != 0) bits += base == 16 ? 4 : 3;
    }
    if (bits > 52) return std::nullopt;
    return Reading{0, static_cast<double>(value)};
  }

  std::string ascii;
  std::size_t pos = 0;
  const auto at = [&](std::size_t i) { return i < text.size() ? text[i] : u'\0'; };
  if (at(pos) == u'+' || at(pos) == u'-') ascii += static_cast<char>(text[pos++]);
  std::size_t digits = 0;
  bool point = false;
  for (;; ++pos) {
    if (isDigitIn(at(pos), 10)) {
      ++digits;
    } else if (at(pos) == u'.' && !point) {
      point = true;
    } else {
      break;
    }
    ascii += static_cast<char>(text[pos]);
  }
  if (digits == 0) return mismatch;
  if (pos < text.size()) {
    const char16_t marker = text[pos++];
    if (marker != u'E' && marker != u'e' && marker != u'D' && marker != u'd') return mismatch;
    ascii += 'e';
    if (at(pos) == u'+' || at(pos) == u'-') ascii += static_cast<char>(text[pos++]);
    if (pos == text.size()) return mismatch;
    for (; pos < text.size(); ++pos) {
      if (!isDigitIn(text[pos], 10)) return mismatch;
      ascii += static_cast<char>(text[pos]);
    }
  }
  return numberFromStrtod(ascii);
}

// Whether the text keeps to the plain shape that the grammar above models:
// the number's marks of the user's locale (group separators, the currency
// symbol, parentheses, a sign behind or apart from the digits) and the
// reading's stop at a NUL are the unit tests' to check, not this oracle's.
bool hasPlainShape(std::u16string_view text) {
  if (text.find_first_of(std::u16string_view(u",$()\n\v\f\r\u00A0\0", 10)) != text.npos) return false;
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  if (text.empty()) return true;
  if (text.back() == u'+' || text.back() == u'-') return false;
  const bool signed_ = text.front() == u'+' || text.front() == u'-';
  return !signed_ || (text.size() > 1 && (isDigitIn(text[1], 10) || text[1] == u'.'));
}

// The Variant conversions of a text agree with its strict reading.
void checkVariantConversions(const std::u16string& text, const Reading& reading) {
  const Variant value(text);
  Reading asDouble;
  asDouble.error = errorOf([&] { asDouble.value = toDouble(value); },
                           {vb_error::TypeMismatch, vb_error::Overflow});
  FUZZ_CHECK(asDouble == reading);

  int16_t integer = 0;
  const int32_t integerError = errorOf([&] { integer = toInteger(value); },
                                       {vb_error::TypeMismatch, vb_error::Overflow});
  int32_t longValue = 0;
  const int32_t longError = errorOf([&] { longValue = toLong(value); },
                                    {vb_error::TypeMismatch, vb_error::Overflow});
  if (reading.error != 0) {
    FUZZ_CHECK(integerError == reading.error && longError == reading.error);
  } else {
    const double nearest = std::nearbyint(reading.value);
    const bool fitsInteger = nearest >= INT16_MIN && nearest <= INT16_MAX;
    const bool fitsLong = nearest >= INT32_MIN && nearest <= INT32_MAX;
    FUZZ_CHECK(integerError == (fitsInteger ? 0 : vb_error::Overflow));
    FUZZ_CHECK(longError == (fitsLong ? 0 : vb_error::Overflow));
    if (fitsInteger) FUZZ_CHECK(integer == nearest);
    if (fitsLong) FUZZ_CHECK(longValue == nearest);
  }

  bool truth = false;
  const int32_t booleanError = errorOf([&] { truth = toBoolean(value); },
                                       {vb_error::TypeMismatch, vb_error::Overflow});
  if (textEquals(text, u"True") || textEquals(text, u"False")) {
    FUZZ_CHECK(booleanError == 0 && truth == textEquals(text, u"True"));
  } else {
    FUZZ_CHECK(booleanError == reading.error);
    if (reading.error == 0) FUZZ_CHECK(truth == (reading.value != 0));
  }

  FUZZ_CHECK(toText(value) == text);
}

void anyText(FuzzedDataProvider& input) {
  const std::u16string text = textOf(input.ConsumeRemainingBytesAsString());
  const Reading reading = strictReading(text);
  if (!hasPlainShape(text)) return checkVariantConversions(text, reading);
  if (const auto expected = expectedStrictReading(text); expected && !(*expected == reading)) {
    disagree(text, reading, *expected);
  }
  checkVariantConversions(text, reading);
}

void assembledDecimal(FuzzedDataProvider& input) {
  const auto blanks = [&] {
    std::string text;
    for (int n = input.ConsumeIntegralInRange(0, 2); n > 0; --n) text += input.ConsumeBool() ? ' ' : '\t';
    return text;
  };
  const auto digitRun = [&] {
    std::string digits;
    for (int n = input.ConsumeIntegralInRange(0, 30); n > 0; --n) {
      digits += static_cast<char>('0' + input.ConsumeIntegralInRange(0, 9));
    }
    return digits;
  };
  const auto sign = [&] {
    const int kind = input.ConsumeIntegralInRange(0, 2);
    return kind == 0 ? std::string() : std::string(1, kind == 1 ? '+' : '-');
  };

  std::string number = sign() + digitRun();
  if (input.ConsumeBool()) number += '.' + digitRun();
  if (number.find_first_of("0123456789") == std::string::npos) number += '0';
  std::string text = number;
  if (input.ConsumeBool()) {
    const char markers[] = {'E', 'e', 'D', 'd'};
    const std::string exponentSign = sign();
    const std::string exponent = std::to_string(input.ConsumeIntegralInRange(0, 400));
    text += markers[input.ConsumeIntegralInRange(0, 3)] + exponentSign + exponent;
    number += 'e' + exponentSign + exponent;
  }
  text = blanks() + text + blanks();

  const std::u16string wide(text.begin(), text.end());
  const Reading reading = strictReading(wide);
  const Reading expected = numberFromStrtod(number);
  if (!(reading == expected)) disagree(wide, reading, expected);
  checkVariantConversions(wide, reading);
}

// A double rounded to `digits` significant digits, as strtod reads that text.
Reading rounded(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
  return numberFromStrtod(text);
}

void textReadsBack(const Variant& value, const Reading& expected) {
  std::u16string text;
  FUZZ_CHECK(errorOf([&] { text = toText(value); }, {}) == 0);
  const Reading reading = strictReading(text);
  if (!(reading == expected)) disagree(text, reading, expected);
}

void numberTexts(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 6)) {
    case 0: {
      const double value = std::bit_cast<double>(input.ConsumeIntegral<uint64_t>());
      if (std::isfinite(value)) textReadsBack(Variant(value), rounded(value, 15));
      else textReadsBack(Variant(value), {vb_error::TypeMismatch, 0});
      break;
    }
    case 1: {
      const float value = std::bit_cast<float>(input.ConsumeIntegral<uint32_t>());
      if (std::isfinite(value)) textReadsBack(Variant(value), rounded(value, 7));
      else textReadsBack(Variant(value), {vb_error::TypeMismatch, 0});
      break;
    }
    case 2: {
      const auto value = input.ConsumeIntegral<int16_t>();
      textReadsBack(Variant(value), {0, static_cast<double>(value)});
      break;
    }
    case 3: {
      const auto value = input.ConsumeIntegral<int32_t>();
      textReadsBack(Variant(value), {0, static_cast<double>(value)});
      break;
    }
    case 4: {
      // The text holds the amount exactly: its digits, point removed and the
      // fraction padded to four places, are the scaled value.
      const auto scaled = input.ConsumeIntegral<int64_t>();
      const std::u16string text = toText(Variant(Variant::CurrencyValue{scaled}));
      const std::size_t point = text.find(u'.');
      std::u16string digits = text;
      if (point != std::u16string::npos) {
        const std::size_t places = text.size() - point - 1;
        FUZZ_CHECK(places >= 1 && places <= 4 && text.back() != u'0');
        digits = text.substr(0, point) + text.substr(point + 1) + std::u16string(4 - places, u'0');
      } else {
        digits += u"0000";
      }
      const std::string ascii(digits.begin(), digits.end());
      FUZZ_CHECK(std::strtoll(ascii.c_str(), nullptr, 10) == scaled);
      checkVariantConversions(text, strictReading(text));
      break;
    }
    case 5: {
      const bool truth = input.ConsumeBool();
      const std::u16string text = toText(Variant::boolean(truth));
      FUZZ_CHECK(toBoolean(Variant(text)) == truth);
      break;
    }
    default: {
      // Dates from 1 January 100 to 31 December 9999 have a text; others overflow.
      const double days = std::bit_cast<double>(input.ConsumeIntegral<uint64_t>());
      std::u16string text;
      const int32_t error =
          errorOf([&] { text = toText(Variant(Variant::DateValue{days})); }, {vb_error::Overflow});
      const bool inRange = std::isfinite(days) && days > -657435.0 && days < 2958466.0;
      if (inRange) FUZZ_CHECK(error == 0 && !text.empty());
      else FUZZ_CHECK(error == vb_error::Overflow);
      break;
    }
  }
}

}  // namespace
}  // namespace orvalis::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0: orvalis::fuzz::anyText(input); break;
    case 1: orvalis::fuzz::assembledDecimal(input); break;
    default: orvalis::fuzz::numberTexts(input); break;
  }
  return 0;
}
