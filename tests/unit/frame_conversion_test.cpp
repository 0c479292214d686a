#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iomanip>
#include <limits>
#include <memory>
#include <optional>

#include "frame/Conversion.h"
#include "frame/NumberReading.h"
#include "frame/HostObject.h"
#include "frame/RuntimeError.h"
#include "frame/Text.h"

namespace orvalis {
namespace {

// The error number a call raises, or 0 when it returns normally.
int32_t errorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const RuntimeError& error) {
    return error.number();
  }
  return 0;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
using Cy = Variant::CurrencyValue;
using Date = Variant::DateValue;

TEST(RoundHalfEven, TiesGoToTheEvenNeighbourAndEverythingElseToTheNearest) {
  const struct { double in, out; } cases[] = {
      {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {2.6, 3}, {-2.4, -2},
      {0.49999999999999994, 0}, {2.5000000000000004, 3}, {4503599627370495.5, 4503599627370496},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(roundHalfEven(c.in), c.out);
  }
}

// A floating-point value converted to Integer and to Long: the rounded
// result, or nullopt when the conversion overflows (error 6).
struct RangeCase {
  double in;
  std::optional<int32_t> integer, longValue;
};
void PrintTo(const RangeCase& c, std::ostream* os) { *os << std::setprecision(17) << c.in; }

class FloatToIntegerTypes : public ::testing::TestWithParam<RangeCase> {};

TEST_P(FloatToIntegerTypes, RoundHalfToEvenAndOverflowOutsideTheRange) {
  const RangeCase& c = GetParam();
  if (c.integer) EXPECT_EQ(toInteger(c.in), *c.integer);
  else EXPECT_EQ(errorOf([&] { toInteger(c.in); }), vb_error::Overflow);
  if (c.longValue) EXPECT_EQ(toLong(c.in), *c.longValue);
  else EXPECT_EQ(errorOf([&] { toLong(c.in); }), vb_error::Overflow);
}

constexpr auto kNone = std::nullopt;
INSTANTIATE_TEST_SUITE_P(
    Boundaries, FloatToIntegerTypes,
    ::testing::Values(RangeCase{0.5, 0, 0}, RangeCase{1.5, 2, 2}, RangeCase{2.5, 2, 2},
                      RangeCase{-2.5, -2, -2}, RangeCase{32766.5, 32766, 32766},
                      RangeCase{32767.5, kNone, 32768}, RangeCase{-32768.5, -32768, -32768},
                      RangeCase{-32769.5, kNone, -32770}, RangeCase{2147483646.5, kNone, 2147483646},
                      RangeCase{2147483647.5, kNone, kNone}, RangeCase{-2147483648.5, kNone, INT32_MIN},
                      RangeCase{-2147483649.0, kNone, kNone}, RangeCase{kNaN, kNone, kNone},
                      RangeCase{kInf, kNone, kNone}, RangeCase{-kInf, kNone, kNone}));

TEST(CheckedArithmetic, OverflowsExactlyWhenTheResultLeavesTheType) {
  EXPECT_EQ(toInteger(int64_t{-32768}), -32768);
  EXPECT_EQ(toLong(int64_t{INT32_MIN}), INT32_MIN);
  EXPECT_EQ(addLong(INT32_MAX - 1, 1), INT32_MAX);
  EXPECT_EQ(subtractLong(INT32_MIN + 1, 1), INT32_MIN);
  EXPECT_EQ(multiplyLong(-65536, 32768), INT32_MIN);
  EXPECT_EQ(subtractInteger(-32767, 1), -32768);
  EXPECT_EQ(multiplyInteger(-256, 128), -32768);

  const std::function<void()> overflowing[] = {
      [] { toInteger(int64_t{32768}); }, [] { toLong(int64_t{2147483648LL}); },
      [] { toLong(INT64_MIN); },         [] { addLong(INT32_MAX, 1); },
      [] { subtractLong(0, INT32_MIN); }, [] { multiplyLong(46341, 46341); },
      [] { multiplyLong(-1, INT32_MIN); }, [] { multiplyLong(3000000, 1000); },
      [] { addInteger(32767, 1); },      [] { subtractInteger(-32768, 1); },
      [] { multiplyInteger(-1, -32768); }, [] { multiplyInteger(256, 128); },
  };
  for (std::size_t i = 0; i < std::size(overflowing); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(errorOf(overflowing[i]), vb_error::Overflow);
  }
}

TEST(ParseNumber, ReadsNumbersWithBlanksSignsExponentsAndRadixPrefixes) {
  const struct { const char16_t* text; double value; } cases[] = {
      {u"1e3", 1000},  {u"  -0.5 ", -0.5}, {u"\t42\t", 42},   {u"+7", 7},      {u".5", 0.5},
      {u"5.", 5},      {u"1D2", 100},      {u"1d+2", 100},    {u"2.5E-3", 0.0025},
      {u"0.1", 0.1},   {u"&HFF", 255},     {u"&hff", 255},    {u"&O17", 15},   {u"1e-400", 0},
      {u"000123.4500", 123.45}, {u"123456789012345678901234567890", 1.2345678901234568e29},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(toUtf8(c.text));
    EXPECT_EQ(parseNumber(c.text), c.value);
  }
  // The largest Double written out in full, and ten times that.
  const std::u16string largest = u"17976931348623157" + std::u16string(292, u'0');
  EXPECT_EQ(parseNumber(largest), 1.7976931348623157e308);
  EXPECT_EQ(errorOf([&] { parseNumber(largest + u"0"); }), vb_error::Overflow);
  EXPECT_EQ(errorOf([] { parseNumber(u"-1e99999999999999999999"); }), vb_error::Overflow);
  // Hexadecimal digits past the Double range overflow too, never giving an infinity.
  EXPECT_EQ(parseNumber(u"&H" + std::u16string(255, u'F')), std::ldexp(1.0, 1020));
  EXPECT_EQ(errorOf([] { parseNumber(u"&H" + std::u16string(256, u'F')); }), vb_error::Overflow);
  EXPECT_EQ(errorOf([] { parseNumber(u"&O" + std::u16string(400, u'7')); }), vb_error::Overflow);
  EXPECT_EQ(errorOf([] { parseNumber(u"&H" + std::u16string(256, u'F') + u"G"); }),
            vb_error::TypeMismatch);
}

TEST(ParseNumber, ReadsTheMarksOfTheUsersLocaleAsTheRuntimeDoes) {
  const struct { std::u16string text; double value; } cases[] = {
      {u"1,000", 1000},        {u"1,000,000.5", 1000000.5}, {u"1,0,0", 100},  {u"5,", 5},
      {u"$5", 5},              {u"5$", 5},                {u"$ 1,234.50", 1234.5},
      {u"(5)", -5},            {u"($5)", -5},             {u"(-5)", -5},    {u"-(5)", -5},
      {u"5-", -5},             {u"5 -", -5},              {u"- 5", -5},     {u"5+", 5},
      {u"$-5", -5},            {u"-$5", -5},              {u"1,000e3", 1e6},
      {u"5\n", 5},             {u"\r\n 5 \u00A0", 5},     {std::u16string(u"5\0x", 3), 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(toUtf8(c.text));
    EXPECT_EQ(parseNumber(c.text), c.value);
  }
}

TEST(ParseNumber, TakesTheDecimalSignAndSeparatorsOfTheGivenLocale) {
  const NumberFormat german{u',', u'.', u"\u20AC"};
  EXPECT_EQ(parseNumber(u"0,5", german), 0.5);
  EXPECT_EQ(parseNumber(u"1.000,25 \u20AC", german), 1000.25);
  EXPECT_EQ(parseNumber(u"0.5", german), 5);  // a thousands separator there
  EXPECT_EQ(errorOf([&] { parseNumber(u"$5", german); }), vb_error::TypeMismatch);
  EXPECT_EQ(parseNumber(u"0,5", NumberFormat{}), 5);
}

TEST(ParseNumber, AnythingButOneNumberIsATypeMismatch) {
  const std::u16string cases[] = {
      u"",    u"   ", u"abc",  u"1.2.3", u"1 2",  u"12abc", u"1e",   u"1e+",  u".",    u"-",
      u"&H",  u"&HG", u"&O8",  u"&X1",   u"-&H1", u"0x10",  u"True", u"--5",  u"5-5",  u"(5",
      u"5)",  u"(5))", u"$",   u"$$5",   u",5",   u"1.5,0", u"1E2.5", u"1 000", u"-5-",
      std::u16string(u"\0" u"5", 2),
  };
  for (const auto& text : cases) {
    SCOPED_TRACE(toUtf8(text));
    EXPECT_EQ(errorOf([&] { parseNumber(text); }), vb_error::TypeMismatch);
  }
}

// A reader that answers 42 for every text, in place of the runtime's own.
struct FixedReader : NumberReader {
  double readNumber(std::u16string_view) const override { return 42; }
};

TEST(ParseNumber, TextConversionsGoThroughTheInstalledReader) {
  FixedReader reader;
  installNumberReader(&reader);
  const double read = parseNumber(u"anything");
  const double converted = toDouble(Variant(u"anything"));
  const int32_t whole = toLong(Variant(u"anything"));
  installNumberReader(nullptr);
  EXPECT_EQ(read, 42);
  EXPECT_EQ(converted, 42);
  EXPECT_EQ(whole, 42);
  EXPECT_EQ(errorOf([] { parseNumber(u"anything"); }), vb_error::TypeMismatch);
}

class NoMembers : public HostObject {
 public:
  Variant invoke(std::u16string_view, CallKind, std::vector<Argument>&) override { return {}; }
};

TEST(VariantConversion, NumbersFromEverySubtype) {
  EXPECT_EQ(toDouble(Variant()), 0.0);
  EXPECT_EQ(toDouble(Variant::boolean(true)), -1.0);
  EXPECT_EQ(toDouble(Variant(Cy{15000})), 1.5);
  EXPECT_EQ(toDouble(Variant(Date{2.25})), 2.25);
  EXPECT_EQ(toDouble(Variant(u" 12.5 ")), 12.5);
  EXPECT_EQ(toDouble(Variant(1.25f)), 1.25);

  // Currency rounds from its exact scaled value, half to even.
  EXPECT_EQ(toInteger(Variant(Cy{25000})), 2);
  EXPECT_EQ(toInteger(Variant(Cy{35000})), 4);
  EXPECT_EQ(toInteger(Variant(Cy{-25000})), -2);
  EXPECT_EQ(toInteger(Variant(Cy{-25001})), -3);
  EXPECT_EQ(toLong(Variant(Cy{24999})), 2);
  EXPECT_EQ(toInteger(Variant(u"2.5")), 2);
  EXPECT_EQ(toLong(Variant::boolean(true)), -1);
  EXPECT_EQ(toLong(Variant(Date{36526.5})), 36526);
  EXPECT_EQ(errorOf([] { toInteger(Variant(int32_t{40000})); }), vb_error::Overflow);
  EXPECT_EQ(errorOf([] { toLong(Variant(Cy{INT64_MAX})); }), vb_error::Overflow);

  EXPECT_TRUE(toBoolean(Variant(u"true")));
  EXPECT_FALSE(toBoolean(Variant(u"FALSE")));
  EXPECT_FALSE(toBoolean(Variant(u" 0 ")));
  EXPECT_TRUE(toBoolean(Variant(u"0.0001")));
  EXPECT_TRUE(toBoolean(Variant(Cy{1})));
  EXPECT_FALSE(toBoolean(Variant()));
  EXPECT_EQ(errorOf([] { toBoolean(Variant(u"yes")); }), vb_error::TypeMismatch);
}

using Dec = Variant::DecimalValue;

TEST(VariantConversion, DecimalsConvertFromTheirExactDigits) {
  const Dec twoAndAHalf{0, 25, 1, false};
  EXPECT_EQ(toDouble(Variant(twoAndAHalf)), 2.5);
  EXPECT_EQ(toLong(Variant(twoAndAHalf)), 2);
  EXPECT_EQ(toLong(Variant(Dec{0, 35, 1, false})), 4);
  EXPECT_EQ(toInteger(Variant(Dec{0, 25, 1, true})), -2);
  // One unit in the 28th place past the half rounds up, unlike its Double.
  const Dec justAboveHalf{0x50C783EBu, 0x9B5C85F2A8000001ull, 28, false};  // 2.5000000000000000000000000001
  EXPECT_EQ(toLong(Variant(justAboveHalf)), 3);
  EXPECT_EQ(toText(Variant(justAboveHalf)), u"2.5000000000000000000000000001");

  const Dec largest{UINT32_MAX, UINT64_MAX, 0, false};
  EXPECT_EQ(toText(Variant(largest)), u"79228162514264337593543950335");
  EXPECT_EQ(toDouble(Variant(largest)), 7.9228162514264338e28);
  EXPECT_EQ(errorOf([&] { toLong(Variant(largest)); }), vb_error::Overflow);
  EXPECT_EQ(toText(Variant(Dec{UINT32_MAX, UINT64_MAX, 28, true})), u"-7.9228162514264337593543950335");
  EXPECT_EQ(toText(Variant(Dec{0, 150, 2, false})), u"1.5");
  EXPECT_EQ(toText(Variant(Dec{0, 1, 5, false})), u"0.00001");
  EXPECT_EQ(toText(Variant(Dec{0, 0, 3, true})), u"0");
  EXPECT_EQ(errorOf([] { toLong(Variant(Dec{0, 21474836475ull, 1, false})); }), vb_error::Overflow);
  EXPECT_EQ(toLong(Variant(Dec{0, 21474836485ull, 1, true})), INT32_MIN);  // -2147483648.5
}

TEST(VariantConversion, WideAndUnsignedIntegersOverflowWhereTheyDoNotFit) {
  EXPECT_EQ(toInteger(Variant::signedByte(-128)), -128);
  EXPECT_EQ(toLong(Variant::unsignedInteger(65535)), 65535);
  EXPECT_EQ(errorOf([] { toInteger(Variant::unsignedInteger(32768)); }), vb_error::Overflow);
  EXPECT_EQ(errorOf([] { toLong(Variant::unsignedLong(UINT32_MAX)); }), vb_error::Overflow);
  EXPECT_EQ(toLong(Variant::longLong(-2147483648LL)), INT32_MIN);
  EXPECT_EQ(errorOf([] { toLong(Variant::longLong(1LL << 40)); }), vb_error::Overflow);
  EXPECT_EQ(errorOf([] { toLong(Variant::unsignedLongLong(UINT64_MAX)); }), vb_error::Overflow);
  EXPECT_EQ(toDouble(Variant::unsignedLongLong(UINT64_MAX)), 18446744073709551615.0);
  EXPECT_EQ(toDouble(Variant::longLong(-5)), -5.0);
  EXPECT_EQ(toText(Variant::unsignedLongLong(UINT64_MAX)), u"18446744073709551615");
  EXPECT_EQ(toText(Variant::longLong(INT64_MIN)), u"-9223372036854775808");
  EXPECT_EQ(toText(Variant::signedByte(-5)), u"-5");
  EXPECT_TRUE(toBoolean(Variant::signedByte(-5)));
  EXPECT_FALSE(toBoolean(Variant(Dec{0, 0, 2, true})));
  for (const Variant& number : {Variant(Dec{}), Variant::signedByte(0), Variant::unsignedInteger(0),
                                Variant::unsignedLong(0), Variant::longLong(0),
                                Variant::unsignedLongLong(0)}) {
    EXPECT_TRUE(number.isNumeric()) << static_cast<int>(number.type());
  }
}

TEST(VariantConversion, NullObjectsAndErrorsFailEveryConversion) {
  const auto held = std::make_shared<const OpaqueValue>();
  const Variant failing[] = {Variant::null(), Variant(ObjectRef(std::make_shared<NoMembers>())),
                             Variant::error(5), Variant::missing(),
                             // arrays, records and objects without IDispatch
                             Variant::opaque(VarType::Array, held), Variant::opaque(VarType::Record, held),
                             Variant::opaque(VarType::Unknown, held)};
  for (const Variant& v : failing) {
    SCOPED_TRACE(static_cast<int>(v.type()));
    const int32_t expected = v.isNull() ? vb_error::InvalidUseOfNull : vb_error::TypeMismatch;
    EXPECT_EQ(errorOf([&] { toDouble(v); }), expected);
    EXPECT_EQ(errorOf([&] { toInteger(v); }), expected);
    EXPECT_EQ(errorOf([&] { toLong(v); }), expected);
    EXPECT_EQ(errorOf([&] { toBoolean(v); }), expected);
    EXPECT_EQ(errorOf([&] { toText(v); }), expected);
  }
}

TEST(VariantConversion, TextOfEverySubtype) {
  const struct { Variant value; const char16_t* text; } cases[] = {
      {Variant(), u""},                       {Variant::boolean(true), u"True"},
      {Variant::boolean(false), u"False"},    {Variant(int16_t{-7}), u"-7"},
      {Variant(uint8_t{255}), u"255"},        {Variant(Cy{15000}), u"1.5"},
      {Variant(Cy{-1}), u"-0.0001"},          {Variant(Cy{1230000}), u"123"},
      {Variant(0.1f), u"0.1"},                {Variant(12345678.0f), u"1.234568E+07"},
      {Variant(0.1 + 0.2), u"0.3"},           {Variant(u"abc "), u"abc "},
      {Variant(Date{36526}), u"1/1/2000"},    {Variant(Date{36526.75}), u"1/1/2000 6:00:00 PM"},
      {Variant(Date{0.5}), u"12:00:00 PM"},   {Variant(Date{0}), u"12:00:00 AM"},
      {Variant(Date{60}), u"2/28/1900"},      {Variant(Date{61}), u"3/1/1900"},
      {Variant(Date{-1.25}), u"12/29/1899 6:00:00 AM"}, {Variant(Date{2958465}), u"12/31/9999"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(toUtf8(c.text));
    EXPECT_EQ(toText(c.value), c.text);
  }
}

TEST(DoubleText, FifteenSignificantDigitsWithoutTrailingZeros) {
  const struct { double value; const char16_t* text; } cases[] = {
      {1.5, u"1.5"},           {-0.5, u"-0.5"},         {0.1 + 0.2, u"0.3"},
      {100.0, u"100"},         {-0.0, u"0"},            {-1234.5, u"-1234.5"},
      {1.0 / 3, u"0.333333333333333"},                  {2.0 / 3, u"0.666666666666667"},
      {123456789012345.0, u"123456789012345"},          {999999999999999.9, u"1E+15"},
      {1e20, u"1E+20"},        {-1.25e20, u"-1.25E+20"}, {1.5e300, u"1.5E+300"},
      {1e-20, u"1E-20"},       {0.0001, u"0.0001"},     {0.00001, u"1E-05"},
      {0.000123456, u"0.000123456"},                    {4294967296.0, u"4294967296"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(toUtf8(c.text));
    EXPECT_EQ(doubleText(c.value), c.text);
  }
}

}  // namespace
}  // namespace orvalis
