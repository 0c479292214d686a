// Rounding half to even, the 16- and 32-bit conversions and the checked
// arithmetic, against references of their own: the processor's rounding
// (nearbyint in the default round-to-nearest-even mode), the compiler's
// overflow-checking builtins, and 128-bit integer arithmetic. Then the
// Variant product (multiply), whose subtype and value follow the operands.
//
// Properties: roundHalfEven equals nearbyint for every Double, and takes an
// exact half to the even neighbour; a conversion raises overflow (6) exactly
// when the rounded value leaves the target range, and otherwise gives it;
// checked sums, differences and products raise 6 exactly on overflow; a
// Currency amount becomes the nearest whole number, halves to even; a
// product is the same both ways round, raises only 6 or 13, is exact and in
// the narrowest subtype for whole operands, and finite otherwise.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "frame/Conversion.h"
#include "frame/Variant.h"
#include "frame/VariantArithmetic.h"
#include "fuzz/FuzzSupport.h"

namespace orvalis::fuzz {
namespace {

constexpr int32_t kOverflow = vb_error::Overflow;

// A Double from the input: any bit pattern, an exact half, or a value near
// one of the integer types' limits.
double someDouble(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return std::bit_cast<double>(input.ConsumeIntegral<uint64_t>());
    case 1:
      // k + 0.5 is exact for |k| < 2^52.
      return static_cast<double>(input.ConsumeIntegralInRange<int64_t>(-(int64_t{1} << 52), int64_t{1} << 52)) + 0.5;
    case 2: {
      const double limits[] = {INT16_MIN, INT16_MAX, INT32_MIN, INT32_MAX, 0};
      const double base = limits[input.ConsumeIntegralInRange(0, 4)];
      return base + input.ConsumeIntegralInRange(-8, 8) * 0.25;
    }
    default:
      return std::ldexp(static_cast<double>(input.ConsumeIntegral<int32_t>()),
                        input.ConsumeIntegralInRange(-40, 2));
  }
}

template <class Target>
void checkConversion(double value, Target (*convert)(double)) {
  Target result = 0;
  const int32_t error = errorOf([&] { result = convert(value); }, {kOverflow});
  const double nearest = std::nearbyint(value);
  const bool fits = std::isfinite(value) && nearest >= std::numeric_limits<Target>::min() &&
                    nearest <= std::numeric_limits<Target>::max();
  FUZZ_CHECK(error == (fits ? 0 : kOverflow));
  if (fits) FUZZ_CHECK(result == nearest);
}

template <class Target>
void checkWholeConversion(int64_t value, Target (*convert)(int64_t)) {
  Target result = 0;
  const int32_t error = errorOf([&] { result = convert(value); }, {kOverflow});
  const bool fits = value >= std::numeric_limits<Target>::min() && value <= std::numeric_limits<Target>::max();
  FUZZ_CHECK(error == (fits ? 0 : kOverflow));
  if (fits) FUZZ_CHECK(result == value);
}

void rounding(FuzzedDataProvider& input) {
  const double value = someDouble(input);
  const double rounded = roundHalfEven(value);
  if (std::isnan(value)) {
    FUZZ_CHECK(std::isnan(rounded));
  } else {
    FUZZ_CHECK(rounded == std::nearbyint(value));
  }
  if (std::isfinite(value) && std::fabs(value) < 0x1p52 && value - std::floor(value) == 0.5) {
    FUZZ_CHECK(std::fmod(rounded, 2.0) == 0 && std::fabs(rounded - value) == 0.5);
  }
  checkConversion<int16_t>(value, &toInteger);
  checkConversion<int32_t>(value, &toLong);
  checkConversion<int16_t>(value, [](double v) { return toInteger(Variant(v)); });
  checkConversion<int32_t>(value, [](double v) { return toLong(Variant(Variant::DateValue{v})); });
}

template <class T, class Operation>
void checkArithmetic(T a, T b, Operation operation, bool (*reference)(T, T, T*)) {
  T result = 0;
  const int32_t error = errorOf([&] { result = operation(a, b); }, {kOverflow});
  T expected = 0;
  const bool overflows = reference(a, b, &expected);
  FUZZ_CHECK(error == (overflows ? kOverflow : 0));
  if (!overflows) FUZZ_CHECK(result == expected);
}

template <class T> bool referenceAdd(T a, T b, T* r) { return __builtin_add_overflow(a, b, r); }
template <class T> bool referenceSubtract(T a, T b, T* r) { return __builtin_sub_overflow(a, b, r); }
template <class T> bool referenceMultiply(T a, T b, T* r) { return __builtin_mul_overflow(a, b, r); }

void wholeNumbers(FuzzedDataProvider& input) {
  const auto wide = input.ConsumeIntegral<int64_t>();
  checkWholeConversion<int16_t>(wide, &toInteger);
  checkWholeConversion<int32_t>(wide, &toLong);
  checkWholeConversion<int16_t>(static_cast<int32_t>(wide), &toInteger);

  const auto a = input.ConsumeIntegral<int32_t>(), b = input.ConsumeIntegral<int32_t>();
  checkArithmetic<int32_t>(a, b, addLong, referenceAdd<int32_t>);
  checkArithmetic<int32_t>(a, b, subtractLong, referenceSubtract<int32_t>);
  checkArithmetic<int32_t>(a, b, multiplyLong, referenceMultiply<int32_t>);
  const auto c = static_cast<int16_t>(a), d = static_cast<int16_t>(b);
  checkArithmetic<int16_t>(c, d, addInteger, referenceAdd<int16_t>);
  checkArithmetic<int16_t>(c, d, subtractInteger, referenceSubtract<int16_t>);
  checkArithmetic<int16_t>(c, d, multiplyInteger, referenceMultiply<int16_t>);
}

// A Currency amount (value x 10 000) to Integer and Long: the nearest whole
// number, halves to even, computed here by floor division in 128 bits.
void currency(FuzzedDataProvider& input) {
  const auto scaled = input.ConsumeIntegral<int64_t>();
  const __int128 exact = scaled;
  __int128 whole = exact / 10000;
  if (exact % 10000 < 0) --whole;  // floor
  const __int128 rest = exact - whole * 10000;  // 0 .. 9999
  if (rest > 5000 || (rest == 5000 && whole % 2 != 0)) ++whole;

  const Variant amount(Variant::CurrencyValue{scaled});
  int16_t integer = 0;
  const int32_t integerError = errorOf([&] { integer = toInteger(amount); }, {kOverflow});
  const bool fitsInteger = whole >= INT16_MIN && whole <= INT16_MAX;
  FUZZ_CHECK(integerError == (fitsInteger ? 0 : kOverflow));
  if (fitsInteger) FUZZ_CHECK(integer == whole);
  int32_t longValue = 0;
  const int32_t longError = errorOf([&] { longValue = toLong(amount); }, {kOverflow});
  const bool fitsLong = whole >= INT32_MIN && whole <= INT32_MAX;
  FUZZ_CHECK(longError == (fitsLong ? 0 : kOverflow));
  if (fitsLong) FUZZ_CHECK(longValue == whole);
}

Variant someVariant(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 11)) {
    case 0: return Variant();
    case 1: return Variant::null();
    case 2: return Variant(input.ConsumeIntegral<int16_t>());
    case 3: return Variant(input.ConsumeIntegral<int32_t>());
    case 4: return Variant(input.ConsumeIntegral<uint8_t>());
    case 5: return Variant::boolean(input.ConsumeBool());
    case 6: return Variant(std::bit_cast<float>(input.ConsumeIntegral<uint32_t>()));
    case 7: return Variant(someDouble(input));
    case 8: return Variant(Variant::CurrencyValue{input.ConsumeIntegral<int64_t>()});
    case 9: return Variant(Variant::DateValue{someDouble(input)});
    case 10: return Variant(textOf(input.ConsumeRandomLengthString(24)));
    default: return Variant::error(input.ConsumeIntegral<int32_t>());
  }
}

bool sameVariant(const Variant& a, const Variant& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
      return a.floating() == b.floating() || (std::isnan(a.floating()) && std::isnan(b.floating()));
    case VarType::Empty:
    case VarType::Null:
      return true;
    default:
      return a.integral() == b.integral();
  }
}

bool isWhole(VarType type) {
  return type == VarType::Empty || type == VarType::Byte || type == VarType::Integer ||
         type == VarType::Boolean || type == VarType::Long;
}

// The subtype a whole product takes: the wider operand's (Byte for Empty,
// Integer for Boolean, Integer for two Empties), widened through Integer
// and Long to Double until the product fits.
VarType wholeProductType(VarType left, VarType right, int64_t product) {
  const auto width = [](VarType type) {
    return type == VarType::Long ? 2 : (type == VarType::Integer || type == VarType::Boolean) ? 1 : 0;
  };
  int rank = std::max(width(left), width(right));
  if (left == VarType::Empty && right == VarType::Empty) rank = 1;
  if (rank == 0 && product >= 0 && product <= UINT8_MAX) return VarType::Byte;
  if (rank <= 1 && product >= INT16_MIN && product <= INT16_MAX) return VarType::Integer;
  if (product >= INT32_MIN && product <= INT32_MAX) return VarType::Long;
  return VarType::Double;
}

void product(FuzzedDataProvider& input) {
  const Variant left = someVariant(input);
  const Variant right = someVariant(input);
  Variant result, swapped;
  const int32_t error = errorOf([&] { result = multiply(left, right); },
                                {kOverflow, vb_error::TypeMismatch});
  const int32_t swappedError = errorOf([&] { swapped = multiply(right, left); },
                                       {kOverflow, vb_error::TypeMismatch});
  if (error != swappedError) {
    // Only two operands that both fail to convert may raise different
    // errors: each order meets its own first.
    const auto readingError = [](const Variant& v) {
      return errorOf([&] { toDouble(v); }, {kOverflow, vb_error::TypeMismatch});
    };
    FUZZ_CHECK(error != 0 && swappedError != 0);
    FUZZ_CHECK(readingError(left) != 0 && readingError(right) != 0);
  }
  if (error != 0) return;
  FUZZ_CHECK(sameVariant(result, swapped));

  const bool invalid = left.type() == VarType::Error || right.type() == VarType::Error;
  FUZZ_CHECK(!invalid);
  if (left.isNull() || right.isNull()) {
    FUZZ_CHECK(result.isNull());
    return;
  }
  if (isWhole(left.type()) && isWhole(right.type())) {
    const auto whole = [](const Variant& v) { return v.isEmpty() ? int64_t{0} : v.integral(); };
    const int64_t exact = whole(left) * whole(right);
    FUZZ_CHECK(result.type() == wholeProductType(left.type(), right.type(), exact));
    if (result.type() == VarType::Double) FUZZ_CHECK(result.floating() == static_cast<double>(exact));
    else FUZZ_CHECK(result.integral() == exact);
    return;
  }
  switch (result.type()) {
    case VarType::Single:
    case VarType::Double:
      FUZZ_CHECK(std::isfinite(result.floating()));
      break;
    case VarType::Currency:
      break;
    default:
      FUZZ_CHECK(!"a product with a fractional operand is Single, Double or Currency");
  }
}

}  // namespace
}  // namespace orvalis::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FUZZ_CHECK(std::fegetround() == FE_TONEAREST);
  FuzzedDataProvider input(data, size);
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0: orvalis::fuzz::rounding(input); break;
    case 1: orvalis::fuzz::wholeNumbers(input); break;
    case 2: orvalis::fuzz::currency(input); break;
    default: orvalis::fuzz::product(input); break;
  }
  return 0;
}
