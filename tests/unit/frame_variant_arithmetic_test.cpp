#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "frame/Conversion.h"
#include "frame/HostObject.h"
#include "frame/RuntimeError.h"
#include "frame/Text.h"
#include "frame/VariantArithmetic.h"

namespace orvalis {
namespace {

using Cy = Variant::CurrencyValue;

// "Integer 3000", "Double 3E+09": a product as a host would print it with
// its TypeName.
std::string described(const Variant& value) {
  static const std::map<VarType, std::string> names = {
      {VarType::Empty, "Empty"},       {VarType::Null, "Null"},       {VarType::Integer, "Integer"},
      {VarType::Long, "Long"},         {VarType::Single, "Single"},   {VarType::Double, "Double"},
      {VarType::Currency, "Currency"}, {VarType::Byte, "Byte"},       {VarType::String, "String"},
  };
  std::string text = names.at(value.type());
  if (!value.isEmpty() && !value.isNull()) text += " " + toUtf8(toText(value));
  return text;
}

int32_t errorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const RuntimeError& error) {
    return error.number();
  }
  return 0;
}

const Variant kThousand(int16_t{1000});

TEST(VariantMultiply, ByAnIntegerTheProductTakesTheRuntimesSubtype) {
  const std::pair<Variant, std::string> cases[] = {
      {Variant(int16_t{3}), "Integer 3000"},
      {Variant(int16_t{33}), "Long 33000"},  // Integer widens instead of overflowing
      {Variant(int16_t{-33}), "Long -33000"},
      {Variant(int32_t{3000}), "Long 3000000"},
      {Variant(int32_t{3000000}), "Double 3000000000"},  // and Long to Double
      {Variant(uint8_t{2}), "Integer 2000"},
      {Variant(uint8_t{200}), "Long 200000"},
      {Variant::boolean(true), "Integer -1000"},
      {Variant(), "Integer 0"},
      {Variant(2.5), "Double 2500"},
      {Variant(2.0005), "Double 2000.5"},
      {Variant(1.5f), "Single 1500"},
      {Variant(Cy{15000}), "Currency 1500"},
      {Variant(Variant::DateValue{1.5}), "Double 1500"},
      {Variant(u" 2.5 "), "Double 2500"},
      {Variant(u"&H10"), "Double 16000"},
      {Variant::signedByte(-3), "Long -3000"},
      {Variant::unsignedLong(4294967295u), "Double 4294967295000"},
      {Variant::longLong(5), "Double 5000"},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(described(multiply(value, kThousand)), expected) << described(value);
    EXPECT_EQ(described(multiply(kThousand, value)), expected) << "swapped " << described(value);
  }
}

TEST(VariantMultiply, OperandPairsFollowTheRanking) {
  EXPECT_EQ(described(multiply(Variant(), Variant())), "Integer 0");
  EXPECT_EQ(described(multiply(Variant(), Variant(uint8_t{7}))), "Byte 0");
  EXPECT_EQ(described(multiply(Variant(uint8_t{10}), Variant(uint8_t{20}))), "Byte 200");
  EXPECT_EQ(described(multiply(Variant(uint8_t{16}), Variant(uint8_t{16}))), "Integer 256");
  EXPECT_EQ(described(multiply(Variant(int32_t{65536}), Variant(int32_t{65536}))), "Double 4294967296");
  EXPECT_EQ(described(multiply(Variant(1.5f), Variant(int32_t{2}))), "Double 3");
  EXPECT_EQ(described(multiply(Variant(1.5f), Variant(Cy{20000}))), "Double 3");
  EXPECT_EQ(described(multiply(Variant(3e38f), kThousand)), "Double 3.00000000549776E+41");
  EXPECT_EQ(described(multiply(Variant(Cy{15000}), Variant(2.5))), "Double 3.75");
  EXPECT_EQ(described(multiply(Variant(u"2"), Variant(u"3"))), "Double 6");
}

TEST(VariantMultiply, NullStaysNullEvenWithText) {
  EXPECT_TRUE(multiply(Variant::null(), kThousand).isNull());
  EXPECT_TRUE(multiply(kThousand, Variant::null()).isNull());
  EXPECT_TRUE(multiply(Variant::null(), Variant(u"abc")).isNull());
}

TEST(VariantMultiply, WhatIsNoNumberOrTooLargeFails) {
  struct Anything : HostObject {
    Variant invoke(std::u16string_view, CallKind, std::vector<Argument>&) override { return {}; }
  };
  EXPECT_EQ(errorOf([] { multiply(Variant(u"abc"), kThousand); }), vb_error::TypeMismatch);
  EXPECT_EQ(errorOf([] { multiply(Variant(u""), kThousand); }), vb_error::TypeMismatch);
  EXPECT_EQ(errorOf([] { multiply(Variant(ObjectRef(std::make_shared<Anything>())), kThousand); }),
            vb_error::TypeMismatch);
  EXPECT_EQ(errorOf([] { multiply(Variant::error(5), kThousand); }), vb_error::TypeMismatch);
  EXPECT_EQ(errorOf([] { multiply(Variant(1e306), kThousand); }), vb_error::Overflow);
  EXPECT_EQ(errorOf([] { multiply(Variant(Cy{INT64_MAX / 100}), kThousand); }), vb_error::Overflow);
}

}  // namespace
}  // namespace orvalis
