#include "frame/Text.h"

#include <algorithm>

namespace orvalis {

std::u16string widen(std::string_view ascii) {
  std::u16string text;
  text.reserve(ascii.size());
  for (char c : ascii) text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return text;
}

std::string toUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // an unpaired surrogate has no UTF-8 form
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

namespace {

// Blocks where capitals and small letters alternate, capital first on an
// even (or odd) code point.
bool inAlternatingBlock(char16_t c, char16_t first, char16_t last) {
  return c >= first && c <= last && ((c - first) % 2 == 0);
}

}  // namespace

// Folds to the small letter. Covers Basic Latin, Latin-1, Latin Extended-A,
// Greek, Cyrillic and the full-width Latin capitals; other characters have
// no case here and compare as they are.
char16_t foldCase(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  if (c < 0x100) {
    return (c >= 0xC0 && c <= 0xDE && c != 0xD7) ? static_cast<char16_t>(c + 32) : c;
  }
  if (c < 0x180) {
    // Latin Extended-A: capital on even code points except in the two
    // stretches after the lone letters U+0138 and before U+0149, and the
    // odd Ÿ whose small letter lives in Latin-1. U+0130/U+0131 (dotted and
    // dotless I) stay apart: they pair with ASCII letters only in Turkish.
    if (c == 0x178) return 0xFF;
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddCapitals) return (c % 2 == 1) ? static_cast<char16_t>(c + 1) : c;
    return (c % 2 == 0) ? static_cast<char16_t>(c + 1) : c;
  }
  if (c >= 0x370 && c < 0x400) {
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 32);
    switch (c) {
      case 0x386: return 0x3AC;
      case 0x388: return 0x3AD;
      case 0x389: return 0x3AE;
      case 0x38A: return 0x3AF;
      case 0x38C: return 0x3CC;
      case 0x38E: return 0x3CD;
      case 0x38F: return 0x3CE;
      case 0x3C2: return 0x3C3;  // final sigma is a small sigma
      default: return c;
    }
  }
  if (c >= 0x400 && c < 0x530) {
    if (c <= 0x40F) return static_cast<char16_t>(c + 80);
    if (c <= 0x42F) return static_cast<char16_t>(c + 32);
    if (c == 0x4C0) return 0x4CF;
    if (inAlternatingBlock(c, 0x460, 0x480) || inAlternatingBlock(c, 0x48A, 0x4BE) ||
        inAlternatingBlock(c, 0x4C1, 0x4CD) || inAlternatingBlock(c, 0x4D0, 0x52E)) {
      return static_cast<char16_t>(c + 1);
    }
    return c;
  }
  if (c == 0x212A) return u'k';  // Kelvin sign
  if (c == 0x212B) return 0xE5;   // Angstrom sign
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 32);
  return c;
}

bool textEquals(std::u16string_view a, std::u16string_view b) {
  return compareText(a, b) == 0;
}

int compareText(std::u16string_view a, std::u16string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const char16_t x = foldCase(a[i]);
    const char16_t y = foldCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::u16string trimBlanks(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(u' ');
  return std::u16string(text.substr(first, last - first + 1));
}

std::u16string trimTrailingBlanks(std::u16string_view text) {
  const std::size_t last = text.find_last_not_of(u' ');
  if (last == std::u16string_view::npos) return {};
  return std::u16string(text.substr(0, last + 1));
}

std::u16string decimalText(int64_t value) {
  return formatWithMinimumDigits(value, 1);
}

std::u16string formatWithMinimumDigits(int64_t value, int minimumDigits) {
  // Work on the magnitude as unsigned so that the most negative value has one.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::u16string digits;
  while (magnitude != 0) {
    digits.push_back(static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  }
  while (digits.size() < static_cast<std::size_t>(std::max(minimumDigits, 0))) digits.push_back(u'0');
  if (value < 0) digits.push_back(u'-');
  std::reverse(digits.begin(), digits.end());
  return digits;
}

}  // namespace orvalis
