#include "frame/VariantArithmetic.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#include "frame/Conversion.h"
#include "frame/RuntimeError.h"

namespace orvalis {

namespace {

// How the runtime ranks operand subtypes to choose a product's subtype.
enum class Rank { Byte, Integer, Long, Currency, Single, Double, Null, Invalid };

Rank rankOf(VarType type) {
  switch (type) {
    case VarType::Empty:
    case VarType::Byte: return Rank::Byte;
    case VarType::Integer:
    case VarType::Boolean: return Rank::Integer;
    case VarType::Long:
    case VarType::SignedByte:
    case VarType::UnsignedInteger:
    case VarType::UnsignedLong: return Rank::Long;
    case VarType::Currency: return Rank::Currency;
    case VarType::Single: return Rank::Single;
    case VarType::Double:
    case VarType::Date:
    case VarType::String:
    // The library does no 64-bit or Decimal arithmetic of its own: their
    // products are Doubles.
    case VarType::LongLong:
    case VarType::UnsignedLongLong:
    case VarType::Decimal: return Rank::Double;
    case VarType::Null: return Rank::Null;
    case VarType::Object:
    case VarType::Error:
    case VarType::Unknown:
    case VarType::Record:
    case VarType::Array: break;
  }
  return Rank::Invalid;
}

int64_t wholeValue(const Variant& value) { return value.isEmpty() ? 0 : value.integral(); }

// An integral product in the narrowest subtype from `rank` up that holds it;
// past Long it becomes a Double.
Variant integralProduct(int64_t product, Rank rank) {
  if (rank == Rank::Byte && product >= 0 && product <= UINT8_MAX)
    return Variant(static_cast<uint8_t>(product));
  if (rank <= Rank::Integer && product >= INT16_MIN && product <= INT16_MAX)
    return Variant(static_cast<int16_t>(product));
  if (product >= INT32_MIN && product <= INT32_MAX) return Variant(static_cast<int32_t>(product));
  return Variant(static_cast<double>(product));
}

Variant currencyProduct(double product) {
  // Scaled by 10 000 and rounded to the currency's four decimals.
  const double scaled = roundHalfEven(product * 10000.0);
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (!(scaled >= -kLimit && scaled < kLimit)) throw RuntimeError(vb_error::Overflow);
  return Variant(Variant::CurrencyValue{static_cast<int64_t>(scaled)});
}

Variant doubleProduct(double product) {
  if (!std::isfinite(product)) throw RuntimeError(vb_error::Overflow);
  return Variant(product);
}

}  // namespace

Variant multiply(const Variant& left, const Variant& right) {
  const Rank leftRank = rankOf(left.type());
  const Rank rightRank = rankOf(right.type());
  Rank rank = std::max(leftRank, rightRank);
  if (rank == Rank::Invalid) throw RuntimeError(vb_error::TypeMismatch);
  if (rank == Rank::Null) return Variant::null();
  if (left.isEmpty() && right.isEmpty()) rank = Rank::Integer;
  const Rank other = std::min(leftRank, rightRank);
  if (rank == Rank::Single && (other == Rank::Long || other == Rank::Currency)) rank = Rank::Double;

  switch (rank) {
    case Rank::Byte:
    case Rank::Integer:
    case Rank::Long:
      // Both operands hold at most 32 bits (unsigned ones included), so a
      // product that does not fit 63 bits can only become a Double anyway.
      if (std::fabs(toDouble(left) * toDouble(right)) >= 0x1p62)
        return doubleProduct(toDouble(left) * toDouble(right));
      return integralProduct(wholeValue(left) * wholeValue(right), rank);
    case Rank::Currency:
      return currencyProduct(toDouble(left) * toDouble(right));
    case Rank::Single: {
      const double product = toDouble(left) * toDouble(right);
      if (std::fabs(product) <= FLT_MAX) return Variant(static_cast<float>(product));
      return doubleProduct(product);
    }
    default:
      return doubleProduct(toDouble(left) * toDouble(right));
  }
}

}  // namespace orvalis
