// Text helpers in the automation runtime's terms: strings are UTF-16, and
// comparisons ignore case the way the runtime's text comparison does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvalis {

// An ASCII literal as UTF-16 (for texts built at run time from narrow data).
std::u16string widen(std::string_view ascii);
// UTF-16 to UTF-8, for diagnostics and tests only.
std::string toUtf8(std::u16string_view text);

char16_t foldCase(char16_t c);
bool textEquals(std::u16string_view a, std::u16string_view b);
// <0, 0, >0 like the runtime's text comparison (case-insensitive).
int compareText(std::u16string_view a, std::u16string_view b);

// Removes blanks (character 32 only; tabs stay) at either end.
std::u16string trimBlanks(std::u16string_view text);
std::u16string trimTrailingBlanks(std::u16string_view text);

// Decimal text of an integer: no leading blank, a minus sign when negative.
std::u16string decimalText(int64_t value);

// Number formats "0" and "00": at least one or two digits, zero-padded,
// no group separators; a negative value keeps its sign before the digits.
std::u16string formatWithMinimumDigits(int64_t value, int minimumDigits);

}  // namespace orvalis
