#include <gtest/gtest.h>

#include "doubles/FakeMci.h"
#include "mci/MciChannel.h"

namespace orvalis {
namespace {

using testing::FakeMci;

struct MciChannelTest : ::testing::Test {
  FakeMci service;
  MciChannel channel{service};
};

TEST_F(MciChannelTest, CommandWithoutReplySendsZeroTextAndLengthZero) {
  channel.send(u"close \"a.mp3\"");
  channel.send(u"play x", u"");
  ASSERT_EQ(service.calls.size(), 2u);
  EXPECT_EQ(service.calls[0].command, "close \"a.mp3\"");
  EXPECT_EQ(service.calls[0].replyLength, 0u);
  EXPECT_EQ(service.calls[0].preparedBuffer, "0");
  EXPECT_EQ(service.calls[1].preparedBuffer, "");
}

TEST_F(MciChannelTest, CommandGoesOutAsUtf16Unchanged) {
  channel.send(u"open \"C:\\M\u00fcsik\\a.mp3\"");
  channel.send({u"open \"C:\\", u"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac \u97f3\u697d", u".mp3\""});
  EXPECT_EQ(service.calls[0].command, "open \"C:\\M\xfcsik\\a.mp3\"");
  EXPECT_EQ(service.calls[1].wideCommand, u"open \"C:\\\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac \u97f3\u697d.mp3\"");
}

TEST_F(MciChannelTest, CommandsOfAnyLengthArriveWholeWithTheirNul) {
  // The service double refuses a command or buffer without its NUL.
  for (size_t length : {0u, 500u, 511u, 512u, 513u, 40000u}) {
    const std::u16string name(length, u'x');
    FixedText field(30);
    channel.send({u"status \"", name, u"\" position"}, field);
    EXPECT_EQ(service.calls.back().wideCommand, u"status \"" + name + u"\" position");
  }
}

TEST_F(MciChannelTest, ReplyFieldIsReadBackWholeWithItsNulAndStaleTail) {
  FixedText field(30);
  service.reply("status d position", "123456");
  service.reply("status d position", "78");
  channel.send(u"status d position", field);
  EXPECT_EQ(service.calls[0].replyLength, 30u);
  EXPECT_EQ(service.calls[0].preparedBuffer, std::string(30, '\0'));
  EXPECT_EQ(field.text(), std::u16string(u"123456") + std::u16string(24, u'\0'));

  // The second, shorter reply leaves the tail of the first behind the NUL.
  channel.send(u"status d position", field);
  EXPECT_EQ(field.text().substr(0, 7), std::u16string(u"78") + u'\0' + u"456" + u'\0');
  EXPECT_EQ(field.length(), 30u);
}

TEST_F(MciChannelTest, FailedCommandReturnsItsCodeAndLeavesTheFieldAsTheServiceLeftIt) {
  FixedText field(30);
  field.assign(u"old");
  service.fail("status d length", 263);
  EXPECT_EQ(channel.send(u"status d length", field), 263u);
  EXPECT_EQ(field.text(), u"old" + std::u16string(27, u' '));
}

TEST_F(MciChannelTest, ErrorTextIsReadIntoABufferOfBlanks) {
  service.errorTexts[263] = "The specified device is not open.";
  std::u16string text = channel.errorText(263);
  EXPECT_EQ(text.size(), 255u);
  EXPECT_EQ(text.substr(0, 34), std::u16string(u"The specified device is not open.") + u'\0');
  EXPECT_EQ(text.back(), u' ');
}

}  // namespace
}  // namespace orvalis
