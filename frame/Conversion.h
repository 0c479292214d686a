// The automation runtime's value rules: conversions between Variant
// subtypes, rounding half to even, and checked 16- and 32-bit arithmetic.
// Every failure is a RuntimeError: 6 (overflow), 13 (type mismatch),
// 94 (invalid use of Null).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/Variant.h"

namespace orvalis {

// Rounds to the nearest integer, ties to the even neighbour (2.5 -> 2).
double roundHalfEven(double value);

// Floating point to Integer / Long: rounds half to even, error 6 outside
// the target range (so 32767.5 overflows an Integer, -2147483648.5 fits a Long).
int16_t toInteger(double value);
int32_t toLong(double value);
int16_t toInteger(int64_t value);
int32_t toLong(int64_t value);

// Checked arithmetic: error 6 when the result leaves the type's range.
int32_t addLong(int32_t a, int32_t b);
int32_t subtractLong(int32_t a, int32_t b);
int32_t multiplyLong(int32_t a, int32_t b);
int16_t addInteger(int16_t a, int16_t b);
int16_t subtractInteger(int16_t a, int16_t b);
int16_t multiplyInteger(int16_t a, int16_t b);


// Variant conversions (CDbl, CInt, CLng, CBool, CStr) of every subtype,
// Decimal and the 64-bit and unsigned integers included. Empty converts to
// 0, False or the empty text; Null raises error 94; objects and errors
// raise 13; a whole number that does not fit the target raises 6.
double toDouble(const Variant& value);
int16_t toInteger(const Variant& value);
int32_t toLong(const Variant& value);
bool toBoolean(const Variant& value);
std::u16string toText(const Variant& value);

// Text of a Double as the runtime writes it: up to 15 significant digits,
// no trailing zeros, "1E+20" style for very large or small magnitudes.
std::u16string doubleText(double value);

}  // namespace orvalis
