#include <gtest/gtest.h>

#include <cmath>

#include "frame/RuntimeError.h"
#include "frame/Text.h"
#include "mci/MciChannel.h"

namespace orvalis {
namespace {

struct PrefixCase {
  std::u16string reply;
  double value;
};

// Control characters written as escapes keep the test names on one line.
void PrintTo(const PrefixCase& c, std::ostream* os) {
  *os << '"';
  for (char16_t ch : c.reply) {
    if (ch < 0x20) {
      *os << "\\x" << std::hex << static_cast<int>(ch) << std::dec;
    } else {
      *os << toUtf8(std::u16string(1, ch));
    }
  }
  *os << '"';
}

class NumericPrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(NumericPrefix, ReadsTheLeadingNumber) {
  EXPECT_EQ(numericPrefix(GetParam().reply), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Plain, NumericPrefix,
    ::testing::Values(PrefixCase{u"65000", 65000}, PrefixCase{u"1e3", 1000},
                      PrefixCase{u"  -0.5", -0.5}, PrefixCase{u"+5", 5}, PrefixCase{u".5", 0.5},
                      PrefixCase{u"0.1", 0.1}, PrefixCase{u"1E-2", 0.01}, PrefixCase{u"1d2", 100},
                      PrefixCase{u"2.5D+1", 25}, PrefixCase{u"123456789012", 123456789012.0},
                      PrefixCase{u"1e-400", 0}));

INSTANTIATE_TEST_SUITE_P(
    StopsAtTheFirstOtherCharacter, NumericPrefix,
    ::testing::Values(PrefixCase{u"1.2.3", 1.2}, PrefixCase{u"12abc", 12}, PrefixCase{u"1,5", 1},
                      PrefixCase{u"5-", 5}, PrefixCase{u"1e", 1}, PrefixCase{u"1e+", 1},
                      PrefixCase{u"3day", 3}, PrefixCase{u"--5", 0}, PrefixCase{u"-&H10", 0},
                      PrefixCase{u"abc", 0}, PrefixCase{u"", 0}, PrefixCase{u".", 0},
                      PrefixCase{u"-", 0}, PrefixCase{u"e5", 0},
                      PrefixCase{std::u16string(u"12\0 34", 6), 12},
                      // A reply field: the reply, its NUL, the tail of an older reply.
                      PrefixCase{std::u16string(u"78\0" u"456\0\0\0", 8), 78},
                      PrefixCase{std::u16string(30, u'\0'), 0}));

INSTANTIATE_TEST_SUITE_P(
    SkipsBlanksTabsAndLineFeedsAnywhere, NumericPrefix,
    ::testing::Values(PrefixCase{u"1 2 3", 123}, PrefixCase{u"- 5", -5},
                      PrefixCase{u"\t\n42\n", 42}, PrefixCase{u"1 . 5", 1.5},
                      PrefixCase{u"1 e 3", 1000}, PrefixCase{u"& H F F", 255},
                      PrefixCase{u"1\r2", 1}));

INSTANTIATE_TEST_SUITE_P(
    HexadecimalAndOctal, NumericPrefix,
    ::testing::Values(PrefixCase{u"&HFF", 255}, PrefixCase{u"&hff", 255},
                      PrefixCase{u"&O17", 15}, PrefixCase{u"&o17", 15},
                      PrefixCase{u"&HFFFF", 65535}, PrefixCase{u"&H1G", 1},
                      PrefixCase{u"&O178", 15}, PrefixCase{u"&H", 0}, PrefixCase{u"&O9", 0},
                      PrefixCase{u"&X1", 0}, PrefixCase{u"&17", 0}));

TEST(NumericPrefixOverflow, ANumberBeyondTheDoubleRangeIsAnOverflow) {
  // 255 hexadecimal F digits still fit (16^255 rounds to 2^1020); one more
  // does not, and must not come back as an infinity.
  const std::u16string hexDigits(255, u'F');
  EXPECT_EQ(numericPrefix(u"&H" + hexDigits), std::ldexp(1.0, 1020));
  for (const std::u16string& reply : {std::u16string(u"1e400"), u"&H" + hexDigits + u"F",
                                      u"&O" + std::u16string(400, u'7')}) {
    SCOPED_TRACE(toUtf8(reply.substr(0, 10)));
    try {
      numericPrefix(reply);
      FAIL() << "no error raised";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.number(), vb_error::Overflow);
    }
  }
}

}  // namespace
}  // namespace orvalis
