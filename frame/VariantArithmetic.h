// Arithmetic on Variants as the automation runtime does it: the product's
// subtype follows the operands, and an integral product that does not fit
// widens instead of overflowing.
#pragma once

#include "frame/Variant.h"

namespace orvalis {

// left * right. The subtype is the higher-ranked operand's in the order
// Byte (and Empty) < Integer (and Boolean) < Long < Currency < Single <
// Double (and Date and numeric text), except that Single with Long or
// Currency gives a Double and Empty * Empty an Integer. An integral product
// too large for its subtype moves up (Byte to Integer to Long to Double);
// a Single one becomes a Double. Null with any number gives Null. Text that
// is no number, objects and errors raise 13; a Currency or Double product
// out of range raises 6.
Variant multiply(const Variant& left, const Variant& right);

}  // namespace orvalis
