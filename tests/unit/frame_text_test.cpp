#include <gtest/gtest.h>

#include "frame/FixedText.h"
#include "frame/Text.h"

namespace orvalis {
namespace {

TEST(FixedText, StartsAllNulAndKeepsItsLengthThroughEveryAssignment) {
  FixedText field(8);
  EXPECT_EQ(field.text(), std::u16string(8, u'\0'));

  field.assign(u"abc");
  EXPECT_EQ(field.text(), u"abc     ");
  field.assign(u"0123456789");
  EXPECT_EQ(field.text(), u"01234567");
  field.assign(std::u16string(u"1\0x", 3));
  EXPECT_EQ(field.text(), std::u16string(u"1\0x     ", 8));
  field.assign(u"");
  EXPECT_EQ(field.text(), u"        ");
  EXPECT_EQ(field.length(), 8u);

  FixedText none(0);
  none.assign(u"abc");
  EXPECT_EQ(none.text(), u"");
}

TEST(TextComparison, IgnoresCaseAcrossScripts) {
  const struct { const char16_t* a; const char16_t* b; } equal[] = {
      {u"ABC", u"abc"},
      {u"C:\\Music\\Song.MP3", u"c:\\music\\song.mp3"},
      {u"\u00c9T\u00c9", u"\u00e9t\u00e9"},                      // ÉTÉ / été
      {u"\u00dcBER \u00c0 \u00de\u00d8", u"\u00fcber \u00e0 \u00fe\u00f8"},
      {u"\u0178", u"\u00ff"},                                    // Ÿ / ÿ
      {u"\u0141\u00d3D\u0179", u"\u0142\u00f3d\u017a"},          // ŁÓDŹ / łódź
      {u"\u0152UVRE \u0139\u0147", u"\u0153uvre \u013a\u0148"},  // Œ Ĺ Ň
      {u"\u03a3\u038a\u03a3\u03a5\u03a6\u039f\u03a3", u"\u03c3\u03af\u03c3\u03c5\u03c6\u03bf\u03c2"},
      {u"\u041f\u0420\u0418\u0412\u0415\u0422 \u0401\u0416", u"\u043f\u0440\u0438\u0432\u0435\u0442 \u0451\u0436"},
      {u"\uff21\uff22", u"\uff41\uff42"},                        // full-width AB / ab
  };
  for (const auto& c : equal) {
    SCOPED_TRACE(toUtf8(c.a));
    EXPECT_TRUE(textEquals(c.a, c.b));
    EXPECT_EQ(compareText(c.b, c.a), 0);
  }

  // Letters that merely look alike, accents, and neighbours of the case
  // ranges stay distinct.
  const struct { const char16_t* a; const char16_t* b; } distinct[] = {
      {u"e", u"\u00e9"}, {u"\u00d7", u"\u00f7"}, {u"@", u"`"},   {u"[", u"{"},
      {u"\u0138", u"\u0139"}, {u"\u0148", u"\u0149"}, {u"abc", u"ab"}, {u"a", u"a "},
  };
  for (const auto& c : distinct) {
    SCOPED_TRACE(toUtf8(c.a));
    EXPECT_FALSE(textEquals(c.a, c.b));
  }
  EXPECT_FALSE(textEquals(u"a", std::u16string_view(u"a\0", 2)));
}

TEST(TextComparison, OrdersWithoutRegardToCase) {
  EXPECT_LT(compareText(u"apple", u"BANANA"), 0);
  EXPECT_GT(compareText(u"b", u"A"), 0);
  EXPECT_LT(compareText(u"ab", u"ABC"), 0);
  EXPECT_GT(compareText(u"abc", u"AB"), 0);
  EXPECT_EQ(compareText(u"", u""), 0);
  EXPECT_LT(compareText(u"", u"a"), 0);
}

TEST(Trim, OnlyCharacter32IsABlank) {
  const struct { const char16_t* in; const char16_t* both; const char16_t* trailing; } cases[] = {
      {u"  a b  ", u"a b", u"  a b"},
      {u"\ta\t ", u"\ta\t", u"\ta\t"},
      {u"   ", u"", u""},
      {u"", u"", u""},
      {u"x", u"x", u"x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(toUtf8(c.in));
    EXPECT_EQ(trimBlanks(c.in), c.both);
    EXPECT_EQ(trimTrailingBlanks(c.in), c.trailing);
  }
  EXPECT_EQ(trimBlanks(std::u16string(u" a\0 ", 4)), std::u16string(u"a\0", 2));
}

TEST(NumberText, DecimalDigitsAndMinimumDigitFormats) {
  EXPECT_EQ(decimalText(-7), u"-7");
  EXPECT_EQ(decimalText(0), u"0");
  EXPECT_EQ(decimalText(5000), u"5000");
  EXPECT_EQ(decimalText(INT64_MIN), u"-9223372036854775808");
  EXPECT_EQ(decimalText(INT64_MAX), u"9223372036854775807");

  const struct { int64_t value; int digits; const char16_t* text; } formats[] = {
      {5, 2, u"05"}, {123, 2, u"123"}, {0, 2, u"00"},  {59, 2, u"59"}, {10, 2, u"10"},
      {0, 1, u"0"},  {7, 1, u"7"},     {60, 1, u"60"}, {-5, 2, u"-05"}, {-123, 2, u"-123"},
  };
  for (const auto& f : formats) {
    SCOPED_TRACE(f.value);
    EXPECT_EQ(formatWithMinimumDigits(f.value, f.digits), f.text);
  }
}

TEST(TextEncoding, WidenAndUtf8) {
  EXPECT_EQ(widen("status x length"), u"status x length");
  EXPECT_EQ(toUtf8(u"M\u00fcsik \u20ac"), "M\xc3\xbcsik \xe2\x82\xac");
  EXPECT_EQ(toUtf8(u"\U0001F3B5"), "\xf0\x9f\x8e\xb5");
  EXPECT_EQ(toUtf8(std::u16string(1, char16_t{0xD800}) + u"a"), "\xef\xbf\xbd" "a");
}

}  // namespace
}  // namespace orvalis
