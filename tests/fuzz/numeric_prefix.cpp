// The numeric-prefix reading of MCI replies, against a second reading written
// independently: blanks, tabs and line feeds dropped first, the leading
// number matched as ASCII and converted by the C library's strtod.
//
// Properties: the reading raises nothing but overflow (6) and never returns
// NaN or an infinity; a decimal number agrees with strtod to the bit (an
// overflow where strtod gives an infinity); a hexadecimal or octal number that
// fits 52 bits is exact; the conversion to a 32-bit integer raises 6 or
// gives the nearest integer.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "frame/Conversion.h"
#include "fuzz/FuzzSupport.h"
#include "mci/MciChannel.h"

namespace orvalis::fuzz {
namespace {

struct Reading {
  int32_t error = 0;  // 0 or vb_error::Overflow
  double value = 0;
};

bool isDigitIn(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0' < base;
  if (base == 16) return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  return false;
}

int digitOf(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  return (c | 0x20) - 'a' + 10;
}

// The hexadecimal or octal digits after "&H" / "&O", exact while they fit
// 52 bits; nullopt past that (the reading only has to stay finite or raise 6).
std::optional<Reading> radixReading(const std::string& s, std::size_t pos, int base) {
  while (pos < s.size() && s[pos] == '0') ++pos;
  uint64_t value = 0;
  int bits = 0;
  for (; pos < s.size() && isDigitIn(s[pos], base); ++pos) {
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digitOf(s[pos]));
    bits += base == 16 ? 4 : 3;
    if (bits > 52) return std::nullopt;
  }
  return Reading{0, static_cast<double>(value)};
}

std::optional<Reading> expectedReading(std::u16string_view text) {
  std::string s;  // ASCII stays, anything else becomes a character no rule accepts
  for (char16_t c : text) {
    if (c == u' ' || c == u'\t' || c == u'\n') continue;
    s += c < 0x80 && c != 0 ? static_cast<char>(c) : '\x01';
  }
  std::size_t pos = 0;
  const auto at = [&](std::size_t i) { return i < s.size() ? s[i] : '\0'; };

  if (at(0) == '&') {
    const char kind = static_cast<char>(at(1) | 0x20);
    if (kind == 'h') return radixReading(s, 2, 16);
    if (kind == 'o') return radixReading(s, 2, 8);
    return Reading{};
  }

  std::string number;  // what strtod reads
  if (at(pos) == '+' || at(pos) == '-') number += s[pos++];
  std::size_t digits = 0;
  for (; isDigitIn(at(pos), 10); ++pos, ++digits) number += s[pos];
  if (at(pos) == '.') {
    number += s[pos++];
    for (; isDigitIn(at(pos), 10); ++pos, ++digits) number += s[pos];
  }
  if (digits == 0) return Reading{};
  const char marker = static_cast<char>(at(pos) | 0x20);
  if (marker == 'e' || marker == 'd') {
    std::size_t exponent = pos + 1;
    std::string sign;
    if (at(exponent) == '+' || at(exponent) == '-') sign = s[exponent++];
    if (isDigitIn(at(exponent), 10)) {
      number += 'e' + sign;
      for (; isDigitIn(at(exponent), 10); ++exponent) number += s[exponent];
    }
  }
  errno = 0;
  const double value = std::strtod(number.c_str(), nullptr);
  if (std::isinf(value)) return Reading{vb_error::Overflow, 0};
  return Reading{0, value};
}

}  // namespace
}  // namespace orvalis::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvalis;
  using namespace orvalis::fuzz;
  const std::u16string text = textOf(bytesOf(data, size));

  Reading reading;
  reading.error = errorOf([&] { reading.value = numericPrefix(text); }, {vb_error::Overflow});
  if (reading.error == 0) FUZZ_CHECK(std::isfinite(reading.value));

  if (const auto expected = expectedReading(text)) {
    if (expected->error != reading.error || expected->value != reading.value) {
      std::fprintf(stderr, "numericPrefix(\"%s\") gave error %d value %.17g, expected error %d value %.17g\n",
                   shown(text).c_str(), reading.error, reading.value, expected->error,
                   expected->value);
      FUZZ_CHECK(!"the reading agrees with strtod");
    }
  }

  if (reading.error == 0) {
    int32_t whole = 0;
    const int32_t error = errorOf([&] { whole = toLong(reading.value); }, {vb_error::Overflow});
    const double nearest = std::nearbyint(reading.value);
    const bool fits = nearest >= INT32_MIN && nearest <= INT32_MAX;
    FUZZ_CHECK((error == vb_error::Overflow) == !fits);
    if (fits) FUZZ_CHECK(whole == nearest);
  }
  return 0;
}
