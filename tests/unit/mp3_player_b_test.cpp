#include <gtest/gtest.h>

#include "doubles/FakePlatform.h"
#include "mp3/clsVxAudoMP3PlayerB.h"

namespace orvalis {
namespace {

using testing::FakeMci;
using testing::FakeRuntime;
using Commands = std::vector<std::string>;

struct MP3PlayerBTest : ::testing::Test {
  testing::FakePlatform fakes;
  FakeMci& mci = fakes.mci;
  FakeRuntime& runtime = fakes.runtime;
  clsVxAudoMP3PlayerB player{fakes.platform};
};

// --- Transport ---------------------------------------------------------------

TEST_F(MP3PlayerBTest, PlayClosesTheOldNameThenOpensAndPlaysTheQuotedName) {
  player.Filename = u"C:\\My Music\\a b.mp3";
  player.Play();
  EXPECT_EQ(mci.commands(), (Commands{"close C:\\My Music\\a b.mp3",
                                      "open \"C:\\My Music\\a b.mp3\"",
                                      "play \"C:\\My Music\\a b.mp3\""}));
  EXPECT_EQ(player.Filename, u"\"C:\\My Music\\a b.mp3\"");
  for (const auto& call : mci.calls) {
    EXPECT_EQ(call.replyLength, 0u);
    EXPECT_EQ(call.preparedBuffer, "0");
  }
}

TEST_F(MP3PlayerBTest, PlayTrimsBlanksButNotTabsAndClosesTheUntrimmedName) {
  player.Filename = u"  a.mp3 ";
  player.Play();
  EXPECT_EQ(mci.commands()[0], "close   a.mp3 ");
  EXPECT_EQ(player.Filename, u"\"a.mp3\"");

  player.Filename = u"\tb.mp3\t";
  player.Play();
  EXPECT_EQ(player.Filename, u"\"\tb.mp3\t\"");
}

TEST_F(MP3PlayerBTest, PlayWithAnEmptyNameSendsBareCommands) {
  player.Play();
  EXPECT_EQ(mci.commands(), (Commands{"close ", "open \"\"", "play \"\""}));
  EXPECT_EQ(player.Filename, u"\"\"");
}

TEST_F(MP3PlayerBTest, ANameOutsideTheAnsiCodePageReachesTheServiceUnchanged) {
  const std::u16string name = u"C:\\\u97f3\u697d\\\u0391\u03c5\u03bb\u03cc\u03c2.mp3";
  mci.reply("status \"C:\\??\\?????.mp3\" position", "1500");
  player.Filename = name;
  player.Play();
  EXPECT_EQ(player.PositioninMS(), 1500);
  std::vector<std::u16string> sent;
  for (const auto& call : mci.calls) sent.push_back(call.wideCommand);
  const std::u16string quoted = u'"' + name + u'"';
  EXPECT_EQ(sent, (std::vector<std::u16string>{u"close " + name, u"open " + quoted, u"play " + quoted,
                                               u"set " + quoted + u" time format milliseconds",
                                               u"status " + quoted + u" position"}));
  EXPECT_TRUE(runtime.messageBoxes.empty());
}

TEST_F(MP3PlayerBTest, SecondPlayReplaysTheSameDevice) {
  player.Filename = u"a.mp3";
  player.Play();
  player.Play();
  EXPECT_EQ(mci.commands(), (Commands{"close a.mp3", "open \"a.mp3\"", "play \"a.mp3\"",
                                      "close \"a.mp3\"", "open \"a.mp3\"", "play \"a.mp3\""}));
}

TEST_F(MP3PlayerBTest, TransportCommandsAddressTheDeviceByFilenameUnchanged) {
  player.Filename = u" x.mp3";
  player.Pause();
  player.ResumePlay();
  player.StopPlay();
  EXPECT_EQ(mci.commands(), (Commands{"stop  x.mp3", "play  x.mp3", "close  x.mp3"}));
  EXPECT_EQ(player.Filename, u" x.mp3");
}

TEST_F(MP3PlayerBTest, IsPlayingTellsWhetherTheDeviceAnswers) {
  player.Filename = u"\"a.mp3\"";
  mci.fail("status \"a.mp3\" mode", 263);
  mci.reply("status \"a.mp3\" mode", "", 0);
  EXPECT_FALSE(player.isPlaying());
  EXPECT_TRUE(player.isPlaying());
  EXPECT_EQ(mci.calls.back().replyLength, 0u);
  EXPECT_TRUE(runtime.messageBoxes.empty());
}

// --- TimeOut -----------------------------------------------------------------

TEST_F(MP3PlayerBTest, TimeOutWaitsForMessagesUntilTheDeadline) {
  runtime.stepPerWait = 0.4;  // messages keep arriving every 0.4 s
  const double start = runtime.clock;
  player.TimeOut(Variant(1.5));
  EXPECT_GE(runtime.clock - start, 1.5);
  EXPECT_LT(runtime.clock - start, 1.5 + 1e-9);
  // 0.4 + 0.4 + 0.4 + the remaining 0.3: each wait asks only for what is left.
  ASSERT_EQ(runtime.messageWaits.size(), 4u);
  EXPECT_DOUBLE_EQ(runtime.messageWaits[0], 1.5);
  EXPECT_NEAR(runtime.messageWaits[3], 0.3, 1e-9);
}

TEST_F(MP3PlayerBTest, TimeOutOfNothingReturnsWithoutProcessingMessages) {
  for (const Variant& duration : {Variant(), Variant(0.0), Variant(int32_t{-3}), Variant::null()}) {
    player.TimeOut(duration);
  }
  EXPECT_TRUE(runtime.messageWaits.empty());
}

TEST_F(MP3PlayerBTest, TimeOutAcceptsAnyNumericSubtypeAndNumericText) {
  player.TimeOut(Variant(int16_t{2}));
  player.TimeOut(Variant(u"0.5"));
  EXPECT_EQ(runtime.messageWaits, (std::vector<double>{2.0, 0.5}));
}

TEST_F(MP3PlayerBTest, TimeOutReadsTheCallersVariableOnEveryTurn) {
  Variant duration(5.0);
  runtime.stepPerWait = 0.5;
  // A host timer shortens the wait to one second during the first turn.
  runtime.duringMessages = [&] {
    duration = Variant(1.0);
    return true;
  };
  const double start = runtime.clock;
  player.TimeOut([&] { return duration; });
  EXPECT_DOUBLE_EQ(runtime.clock - start, 1.0);
  EXPECT_EQ(runtime.messageWaits, (std::vector<double>{5.0, 0.5}));
}

TEST_F(MP3PlayerBTest, TimeOutEndsWhenTheHostAsksToQuit) {
  runtime.stepPerWait = 0.25;
  runtime.duringMessages = [&] { return runtime.messageWaits.size() < 2; };
  player.TimeOut(Variant(10.0));
  EXPECT_EQ(runtime.messageWaits.size(), 2u);
}

TEST_F(MP3PlayerBTest, TimeOutOfTextThatIsNoNumberFailsToTheCaller) {
  try {
    player.TimeOut(Variant(u"soon"));
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 13);
  }
  EXPECT_TRUE(runtime.messageBoxes.empty());
}

// --- Position and duration ---------------------------------------------------

struct MP3PlayerBOpenTest : MP3PlayerBTest {
  void SetUp() override { player.Filename = u"\"s.mp3\""; }
};

TEST_F(MP3PlayerBOpenTest, PositionSetsMillisecondsAndReadsThe30CharacterReply) {
  mci.reply("status \"s.mp3\" position", "65432");
  EXPECT_EQ(player.PositioninMS(), 65432);
  EXPECT_EQ(mci.commands(), (Commands{"set \"s.mp3\" time format milliseconds",
                                      "status \"s.mp3\" position"}));
  EXPECT_EQ(mci.calls[1].replyLength, 30u);
  EXPECT_EQ(player.PositioninSec(), 65);
}

TEST_F(MP3PlayerBOpenTest, PositionReplyIsNeverClearedSoAStaleTailIsRead) {
  // "12345" then a failed query that writes nothing: the old reply stays.
  mci.reply("status \"s.mp3\" position", "12345");
  mci.fail("status \"s.mp3\" position", 263);
  EXPECT_EQ(player.PositioninMS(), 12345);
  EXPECT_EQ(player.PositioninMS(), 12345);
}

TEST_F(MP3PlayerBOpenTest, ShorterReplyAfterALongerOneReadsOnlyUpToItsNul) {
  mci.reply("status \"s.mp3\" position", "98765");
  mci.reply("status \"s.mp3\" position", "4");
  player.PositioninMS();
  EXPECT_EQ(player.PositioninMS(), 4);
}

TEST_F(MP3PlayerBOpenTest, DurationUsesAFresh128CharacterFieldAndNoTimeFormat) {
  mci.reply("status \"s.mp3\" length", "183000");
  mci.fail("status \"s.mp3\" length", 263);
  EXPECT_EQ(player.DurationInMS(), 183000);
  EXPECT_EQ(mci.calls[0].replyLength, 128u);
  EXPECT_EQ(mci.calls[0].preparedBuffer, std::string(128, '\0'));
  EXPECT_EQ(player.DurationInSec(), 0);  // a fresh field: the failed query reads 0
  EXPECT_EQ(mci.commands().size(), 2u);
}

TEST_F(MP3PlayerBOpenTest, ReadingOutsideTheLongRangeShowsOverflow) {
  mci.reply("status \"s.mp3\" length", "2147483648");
  EXPECT_EQ(player.DurationInMS(), 0);
  EXPECT_EQ(runtime.errorBoxes(), (std::vector<std::u16string>{u"Overflow"}));
  EXPECT_EQ(runtime.messageBoxes[0].style, 0u);
}

TEST_F(MP3PlayerBOpenTest, FormatDurationLeavesTheDeviceInFrames) {
  mci.reply("status \"s.mp3\" length", "3723000");
  EXPECT_EQ(player.FormatDuration(), u"1:2:03");
  EXPECT_EQ(mci.commands(), (Commands{"set \"s.mp3\" time format ms", "status \"s.mp3\" length",
                                      "set \"s.mp3\" time format frames"}));
  EXPECT_EQ(mci.calls[0].replyLength, 128u);
  EXPECT_EQ(mci.calls[1].replyLength, 128u);
  EXPECT_EQ(mci.calls[2].replyLength, 0u);
}

TEST_F(MP3PlayerBOpenTest, FormatDurationReadsTheSetReplyWhenTheLengthQueryFails) {
  // Both commands share one field: a failed length query leaves the set
  // command's reply in it.
  mci.reply("set \"s.mp3\" time format ms", "61000");
  mci.fail("status \"s.mp3\" length", 263);
  EXPECT_EQ(player.FormatDuration(), u"1:01");
}

struct ClockCase {
  int32_t milliseconds;
  const char16_t* text;
};

TEST_F(MP3PlayerBOpenTest, FormatDurationWritesHoursMinutesAndSeconds) {
  const ClockCase cases[] = {
      {0, u"0:00"},           {499, u"0:00"},        {999, u"0:01"},
      {1500, u"0:02"},        {2500, u"0:02"},       {61000, u"1:01"},
      {754000, u"12:34"},     {3600000, u"1:0:00"},  {3723000, u"1:2:03"},
      {4205000, u"1:10:05"},  {36000000, u"10:0:00"}, {-5000, u"0:00"},
      {2147483647, u"596:31:24"},
  };
  for (const auto& c : cases) {
    mci.reply("status \"s.mp3\" length", std::to_string(c.milliseconds));
    EXPECT_EQ(player.FormatDuration(), c.text) << c.milliseconds;
    mci.script.clear();
  }
}

TEST_F(MP3PlayerBOpenTest, FormatPositionWritesMinutesWithoutWrappingIntoHours) {
  const ClockCase cases[] = {
      {0, u"0:00"}, {59999, u"0:59"}, {61000, u"1:01"}, {600000, u"10:00"}, {3600000, u"60:00"},
      {-7000, u"0:-07"},
  };
  for (const auto& c : cases) {
    mci.reply("status \"s.mp3\" position", std::to_string(c.milliseconds));
    EXPECT_EQ(player.FormatPosition(), c.text) << c.milliseconds;
    mci.script.clear();
  }
}

TEST_F(MP3PlayerBOpenTest, FormatPositionQueriesIntoItsOwnFieldThenAsksPositioninSec) {
  player.FormatPosition();
  EXPECT_EQ(mci.commands(), (Commands{"set \"s.mp3\" time format milliseconds",
                                      "status \"s.mp3\" position",
                                      "set \"s.mp3\" time format milliseconds",
                                      "status \"s.mp3\" position"}));
}

TEST_F(MP3PlayerBOpenTest, RemainingTimeAsksTheDurationFirst) {
  mci.reply("status \"s.mp3\" length", "10000");
  mci.reply("status \"s.mp3\" position", "2500");
  EXPECT_EQ(player.TimeRemaininginMS(), 7500);
  EXPECT_EQ(mci.commands()[0], "status \"s.mp3\" length");
  EXPECT_EQ(player.TimeRemaininginSec(), 8);  // 10 - 2
  EXPECT_EQ(player.FormatTimeRemaining(), u"0:08");  // 7.5 s rounds half to even
}

TEST_F(MP3PlayerBOpenTest, RemainingTimePastTheEndFormatsAsZero) {
  mci.reply("status \"s.mp3\" length", "1000");
  mci.reply("status \"s.mp3\" position", "5000");
  EXPECT_EQ(player.FormatTimeRemaining(), u"0:00");
}

TEST_F(MP3PlayerBOpenTest, RemainingTimeOverflowShowsTheBoxAndReturnsZero) {
  mci.reply("status \"s.mp3\" length", "-2147483648");
  mci.reply("status \"s.mp3\" position", "1");
  EXPECT_EQ(player.TimeRemaininginMS(), 0);
  EXPECT_EQ(runtime.errorBoxes(), (std::vector<std::u16string>{u"Overflow"}));
}

TEST_F(MP3PlayerBOpenTest, ChangePositionScalesTheVariableAndPlaysFromThere) {
  int32_t second = 5;
  player.ChangePosition(second);
  EXPECT_EQ(second, 5000);
  EXPECT_EQ(mci.commands(), (Commands{"status \"s.mp3\" mode", "play \"s.mp3\" from 5000",
                                      "status \"s.mp3\" mode"}));
}

TEST_F(MP3PlayerBOpenTest, ChangePositionSeeksWhenTheDeviceDoesNotAnswer) {
  mci.fail("status \"s.mp3\" mode", 263);
  int32_t second = -2;
  player.ChangePosition(second);
  EXPECT_EQ(mci.commands(), (Commands{"status \"s.mp3\" mode", "status \"s.mp3\" mode",
                                      "seek \"s.mp3\" to -2000"}));
}

TEST_F(MP3PlayerBOpenTest, ChangePositionOverflowKeepsTheVariableAndSendsNothing) {
  int32_t second = 3000000;
  player.ChangePosition(second);
  EXPECT_EQ(second, 3000000);
  EXPECT_TRUE(mci.calls.empty());
  EXPECT_EQ(runtime.errorBoxes(), (std::vector<std::u16string>{u"Overflow"}));
}

TEST_F(MP3PlayerBOpenTest, EndOfSongNeedsEqualNonZeroSeconds) {
  EXPECT_FALSE(player.EndOfSong());  // nothing open: both read 0

  mci.reply("status \"s.mp3\" position", "183400");
  mci.reply("status \"s.mp3\" length", "183900");
  EXPECT_TRUE(player.EndOfSong());
  EXPECT_EQ(mci.commands()[3], "set \"s.mp3\" time format milliseconds");  // position first

  mci.script.clear();
  mci.reply("status \"s.mp3\" position", "182999");
  mci.reply("status \"s.mp3\" length", "183900");
  EXPECT_FALSE(player.EndOfSong());
}

TEST_F(MP3PlayerBOpenTest, CalleeErrorsAreShownOnceAndTheCallerCarriesOnWithZero) {
  mci.reply("status \"s.mp3\" position", "99999999999");
  mci.reply("status \"s.mp3\" length", "5000");
  EXPECT_EQ(player.TimeRemaininginSec(), 5);
  EXPECT_EQ(runtime.errorBoxes().size(), 1u);
}

}  // namespace
}  // namespace orvalis
