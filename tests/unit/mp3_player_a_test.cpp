#include <gtest/gtest.h>

#include "doubles/FakePlatform.h"
#include "frame/Conversion.h"
#include "mp3/clsVxAudoMP3PlayerA.h"

namespace orvalis {
namespace {

using testing::FakeList;
using testing::FakeMci;
using Commands = std::vector<std::string>;
using Texts = std::vector<std::u16string>;
using Calls = std::vector<std::string>;

// "String 05", "Double 10", "Empty": a result as a host sees it through
// TypeName.
std::string described(const Variant& value) {
  switch (value.type()) {
    case VarType::Empty: return "Empty";
    case VarType::Null: return "Null";
    case VarType::Integer: return "Integer " + toUtf8(toText(value));
    case VarType::Long: return "Long " + toUtf8(toText(value));
    case VarType::Double: return "Double " + toUtf8(toText(value));
    case VarType::String: return "String " + toUtf8(value.text());
    default: return "type " + std::to_string(static_cast<int>(value.type()));
  }
}

// No member of this class ever shows a message box.
struct MP3PlayerATest : ::testing::Test {
  testing::FakePlatform fakes;
  FakeMci& mci = fakes.mci;
  clsVxAudoMP3PlayerA player{fakes.platform};

  void TearDown() override { EXPECT_TRUE(fakes.runtime.messageBoxes.empty()); }
};

// --- Playback ----------------------------------------------------------------

TEST_F(MP3PlayerATest, ANewObjectAsksTheModeOfTheEmptyName) {
  EXPECT_FALSE(player.MP3Playing());
  EXPECT_EQ(mci.commands(), (Commands{"status  mode"}));
  EXPECT_EQ(mci.calls[0].replyLength, 30u);
  EXPECT_EQ(mci.calls[0].preparedBuffer, std::string(30, '\0'));
}

TEST_F(MP3PlayerATest, PlayClosesTheOldNameThenOpensAndPlaysTheQuotedFile) {
  player.MP3File = u"a.mp3";
  player.MP3Play();
  EXPECT_EQ(mci.commands(), (Commands{"close ", "open \"a.mp3\"", "play \"a.mp3\""}));
  // "play" goes out with an empty prepared text, the others with "0".
  EXPECT_EQ(mci.calls[0].preparedBuffer, "0");
  EXPECT_EQ(mci.calls[1].preparedBuffer, "0");
  EXPECT_EQ(mci.calls[2].preparedBuffer, "");
  for (const auto& call : mci.calls) EXPECT_EQ(call.replyLength, 0u);

  player.MP3File = u"b.mp3";
  player.MP3Play();
  EXPECT_EQ(mci.commands()[3], "close \"a.mp3\"");
  EXPECT_EQ(player.TheFile, u"\"b.mp3\"");
}

TEST_F(MP3PlayerATest, ANameOutsideTheAnsiCodePageReachesTheServiceUnchanged) {
  player.MP3File = u" \u0395\u03bb\u03bb\u03ac\u03b4\u03b1 \u6b4c.mp3";
  mci.reply("status \"?????? ?.mp3\" length", "4000");
  player.MP3Play();
  EXPECT_EQ(player.MP3Duration().text(), u"00:04");
  EXPECT_EQ(mci.calls[1].wideCommand, u"open \"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 \u6b4c.mp3\"");
  EXPECT_EQ(mci.calls[4].wideCommand, u"status \"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 \u6b4c.mp3\" length");
}

TEST_F(MP3PlayerATest, TheDeviceNameTrimsBlanksOnlyAndKeepsInnerBlanksAndQuotes) {
  player.MP3File = u"  C:\\My Music\\\"x\".mp3\t ";
  player.MP3Stop();
  EXPECT_EQ(player.TheFile, u"\"C:\\My Music\\\"x\".mp3\t\"");
  player.MP3File = u"";
  player.MP3Stop();
  EXPECT_EQ(mci.commands()[1], "close \"\"");
}

TEST_F(MP3PlayerATest, PauseResumeAndStopAddressTheNewNameButPlayingDoesNotRefresh) {
  player.MP3File = u"old.mp3";
  player.MP3Play();
  player.MP3File = u"new.mp3";
  player.MP3Playing();
  player.MP3Pause();
  player.MP3Resume();
  player.MP3Stop();
  EXPECT_EQ(mci.commands(), (Commands{"close ", "open \"old.mp3\"", "play \"old.mp3\"",
                                      "status \"old.mp3\" mode", "Stop \"new.mp3\"",
                                      "play \"new.mp3\"", "close \"new.mp3\""}));
  EXPECT_EQ(mci.calls[5].preparedBuffer, "");  // Resume's "play" as well
  EXPECT_EQ(mci.calls[4].preparedBuffer, "0");
}

TEST_F(MP3PlayerATest, PlayingComparesTheFirstSevenCharactersWithoutRegardToCase) {
  player.TheFile = u"x";  // a host-set name is used as it is
  mci.reply("status x mode", "PLAYING");
  mci.reply("status x mode", "paused");
  mci.reply("status x mode", "playingfoo");
  mci.fail("status x mode", 263);  // no reply: the field keeps "playingfoo"
  EXPECT_TRUE(player.MP3Playing());
  EXPECT_FALSE(player.MP3Playing());
  EXPECT_TRUE(player.MP3Playing());
  EXPECT_TRUE(player.MP3Playing());
}

// --- Position ----------------------------------------------------------------

struct MP3PlayerAOpenTest : MP3PlayerATest {
  void SetUp() override { player.MP3File = u"s.mp3"; }
  // The service's answer from now on.
  void position(const std::string& reply) { mci.script["status \"s.mp3\" position"] = {{0, reply}}; }
  void length(const std::string& reply) { mci.script["status \"s.mp3\" length"] = {{0, reply}}; }
};

TEST_F(MP3PlayerAOpenTest, PositionMembersSetMillisecondsAndQueryAfterRefreshing) {
  player.MP3PositionInMS();
  EXPECT_EQ(mci.commands(), (Commands{"set \"s.mp3\" time format milliseconds",
                                      "status \"s.mp3\" position"}));
  EXPECT_EQ(mci.calls[0].replyLength, 0u);
  EXPECT_EQ(mci.calls[1].replyLength, 30u);
}

TEST_F(MP3PlayerAOpenTest, PositionInSecIsADoubleAboveNineElseTextWithALeadingZero) {
  const std::pair<std::string, std::string> cases[] = {
      {"9500", "Double 10"},  {"10400", "Double 10"}, {"8500", "String 08"},
      {"2500", "String 02"},  {"0", "String 00"},     {" 3499 ", "String 03"},
      {"5000ms", "String 0"},  // the strict reading fails: the result stays Empty, then "0"
  };
  for (const auto& [reply, expected] : cases) {
    position(reply);
    EXPECT_EQ(described(player.MP3PositionInSec()), expected) << reply;
  }
}

TEST_F(MP3PlayerAOpenTest, WithoutAnyReplyTheMembersGiveTheirEmptyReadings) {
  EXPECT_EQ(described(player.MP3PositionInSec()), "String 0");
  EXPECT_EQ(described(player.MP3PositionInMS()), "Double 0");
  EXPECT_EQ(described(player.MP3Position()), "String 0:00");
  EXPECT_EQ(described(player.MP3Duration()), "String 00:00");
  EXPECT_EQ(described(player.MP3DurationInSec()), "Empty");
  EXPECT_EQ(described(player.MP3DurationInMs()), "Double 0");
}

TEST_F(MP3PlayerAOpenTest, EachPositionMemberKeepsItsOwnReplyFieldAndNeverClearsIt) {
  position("123456");
  player.MP3PositionInMS();
  // The seconds member's field never saw that reply.
  EXPECT_EQ(mci.calls.back().preparedBuffer, std::string(30, '\0'));
  position("");
  EXPECT_EQ(described(player.MP3PositionInSec()), "String 0");
  EXPECT_EQ(mci.calls.back().preparedBuffer, std::string(30, '\0'));

  // A shorter reply leaves the tail of the longer one behind its NUL.
  position("99");
  EXPECT_EQ(described(player.MP3PositionInMS()), "Double 99");
  EXPECT_EQ(mci.calls.back().preparedBuffer.substr(0, 6), "123456");
  position("99");
  player.MP3PositionInMS();
  EXPECT_EQ(mci.calls.back().preparedBuffer.substr(0, 6), std::string("99\0" "456", 6));
}

TEST_F(MP3PlayerAOpenTest, PositionInMSReadsTheNumericPrefixAndPositionTheStrictNumber) {
  position("12000 ms");
  EXPECT_EQ(described(player.MP3PositionInMS()), "Double 12000");
  position("12000 ms");
  EXPECT_EQ(described(player.MP3Position()), "String 0:00");
}

TEST_F(MP3PlayerAOpenTest, PositionTextCountsMinutesWithoutHours) {
  const std::pair<std::string, std::string> cases[] = {
      {"5000", "0:05"},     {"59400", "0:59"},     {"59600", "01:00"},
      {"605000", "10:05"},  {"6000000", "100:00"}, {"3725000", "62:05"},
      {"-5000", "0:-05"},
  };
  for (const auto& [reply, expected] : cases) {
    position(reply);
    EXPECT_EQ(described(player.MP3Position()), "String " + expected) << reply;
  }
}

// --- Duration ----------------------------------------------------------------

TEST_F(MP3PlayerAOpenTest, DurationMembersQueryIntoAFresh128CharacterBufferAndLeaveFrames) {
  length("4000");
  player.MP3DurationInMs();
  player.MP3DurationInMs();
  const Commands once{"set \"s.mp3\" time format ms", "status \"s.mp3\" length",
                      "set \"s.mp3\" time format frames"};
  EXPECT_EQ(mci.commands(), (Commands{once[0], once[1], once[2], once[0], once[1], once[2]}));
  EXPECT_EQ(mci.calls[3].preparedBuffer, std::string(128, '\0'));
  EXPECT_EQ(mci.calls[4].replyLength, 128u);
  EXPECT_EQ(mci.calls[5].replyLength, 0u);
  EXPECT_EQ(mci.calls[5].preparedBuffer, "0");
}

TEST_F(MP3PlayerAOpenTest, DurationFormatsHoursOnlyWhenThereAreAny) {
  const std::pair<std::string, std::string> cases[] = {
      {"0", "00:00"},          {"65000", "01:05"},       {"1499", "00:01"},
      {"2500", "00:02"},       {"599500", "10:00"},      {"3725000", "1:02:05"},
      {"36000000", "10:00:00"}, {"-5000", "00:00"},
      {"3000000000", "00:00"},  // beyond a Long: the count stays 0
      {"4000.5x", "00:04"},     // the numeric prefix
  };
  for (const auto& [reply, expected] : cases) {
    length(reply);
    EXPECT_EQ(described(player.MP3Duration()), "String " + expected) << reply;
  }
}

TEST_F(MP3PlayerAOpenTest, DurationInSecReadsStrictlyAndDurationInMsByPrefix) {
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"4000", "Double 4", "Double 4000"},
      {"4500", "Double 4", "Double 4500"},  // halves to even
      {"5500", "Double 6", "Double 5500"},
      {"4000 frames", "Empty", "Double 4000"},
  };
  for (const auto& [reply, seconds, milliseconds] : cases) {
    length(reply);
    EXPECT_EQ(described(player.MP3DurationInSec()), seconds) << reply;
    length(reply);
    EXPECT_EQ(described(player.MP3DurationInMs()), milliseconds) << reply;
  }
}

// --- Changing the position -----------------------------------------------------

TEST_F(MP3PlayerAOpenTest, ChangePositionPlaysFromThereWhilePlaying) {
  mci.reply("status \"s.mp3\" mode", "playing");
  Variant second(int16_t{3});
  EXPECT_TRUE(player.MP3ChangePositionTo(second).isEmpty());
  EXPECT_EQ(described(second), "Integer 3000");
  EXPECT_EQ(mci.commands(), (Commands{"set \"s.mp3\" time format milliseconds",
                                      "status \"s.mp3\" mode", "play \"s.mp3\" from 3000",
                                      "status \"s.mp3\" mode"}));
  EXPECT_EQ(mci.calls[2].preparedBuffer, "0");
}

TEST_F(MP3PlayerAOpenTest, ChangePositionOnlySeeksWhenNotPlaying) {
  Variant second(int16_t{3});
  player.MP3ChangePositionTo(second);
  player.MP3ChangePositionTo(second);  // the variable already holds 3000
  EXPECT_EQ(described(second), "Long 3000000");
  EXPECT_EQ(mci.commands().back(), "seek \"s.mp3\" to 3000000");
  EXPECT_EQ(mci.commands()[3], "seek \"s.mp3\" to 3000");
}

// An array, a record or an object without IDispatch is a Variant too: the
// steps that cannot use it fail and are skipped, the others still run.
TEST_F(MP3PlayerAOpenTest, ChangePositionWithAValueItCannotOpenSkipsTheStepsThatUseIt) {
  mci.reply("status \"s.mp3\" mode", "playing");
  for (VarType type : {VarType::Array, VarType::Record, VarType::Unknown}) {
    mci.calls.clear();
    const auto held = std::make_shared<const OpaqueValue>();
    Variant second = Variant::opaque(type, held);
    EXPECT_TRUE(player.MP3ChangePositionTo(second).isEmpty());
    EXPECT_EQ(second.type(), type);
    EXPECT_EQ(second.opaque(), held) << "the caller's value is left as it was";
    EXPECT_EQ(mci.commands(), (Commands{"set \"s.mp3\" time format milliseconds", "status \"s.mp3\" mode",
                                        "status \"s.mp3\" mode"}));
  }
}

TEST_F(MP3PlayerAOpenTest, ChangePositionWritesTheProductsTextIntoTheCommand) {
  const std::tuple<Variant, std::string, std::string> cases[] = {
      {Variant(2.5), "Double 2500", "2500"},
      {Variant(0.0015), "Double 1.5", "1.5"},
      {Variant(u"2.5"), "Double 2500", "2500"},
      {Variant(), "Integer 0", "0"},
      {Variant::boolean(true), "Integer -1000", "-1000"},
      {Variant(int32_t{3000000}), "Double 3000000000", "3000000000"},
      {Variant::null(), "Null", ""},
      {Variant(u"abc"), "String abc", "abc"},  // no number: the text goes as it is
  };
  for (const auto& [value, product, text] : cases) {
    Variant second = value;
    player.MP3ChangePositionTo(second);
    EXPECT_EQ(described(second), product) << text;
    EXPECT_EQ(mci.commands().back(), "seek \"s.mp3\" to " + text);
  }
}

// --- Playlists and list utilities ------------------------------------------------

struct MP3PlayerAListTest : MP3PlayerATest {
  std::shared_ptr<FakeList> list = std::make_shared<FakeList>();
  Variant listBox() const { return Variant(ObjectRef(list)); }
};

// A list box whose count is an Integer, like the forms' list controls.
struct IntegerCountList : FakeList {
  Variant invoke(std::u16string_view name, CallKind kind, std::vector<Argument>& args) override {
    Variant result = FakeList::invoke(name, kind, args);
    if (textEquals(name, u"ListCount")) return Variant(static_cast<int16_t>(result.integral()));
    return result;
  }
};

// A list whose List refuses one index, as a host's may.
struct RefusingList : FakeList {
  explicit RefusingList(int64_t refused) : refused(refused) {}
  Variant invoke(std::u16string_view name, CallKind kind, std::vector<Argument>& args) override {
    if (textEquals(name, u"List") && args.at(0).value.integral() == refused)
      throw RuntimeError(381, u"Invalid property array index");
    return FakeList::invoke(name, kind, args);
  }
  int64_t refused;
};

int32_t errorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const RuntimeError& error) {
    return error.number();
  }
  return 0;
}

TEST_F(MP3PlayerAListTest, GetLastBackSlashGivesTheFileNameAndOverflowsPast32767) {
  EXPECT_EQ(player.GetLastBackSlash(u"C:\\Music\\song.mp3"), u"song.mp3");
  EXPECT_EQ(player.GetLastBackSlash(u"song.mp3"), u"song.mp3");
  EXPECT_EQ(player.GetLastBackSlash(u"C:\\Music\\"), u"");
  EXPECT_EQ(player.GetLastBackSlash(u"C:/music/x.mp3"), u"C:/music/x.mp3");
  EXPECT_EQ(player.GetLastBackSlash(std::u16string(40000, u'x')).size(), 40000u);
  EXPECT_EQ(errorOf([&] { player.GetLastBackSlash(std::u16string(40000, u'x') + u"\\a"); }),
            vb_error::Overflow);
}

TEST_F(MP3PlayerAListTest, ListNoCharAppendsTitlesWithTheCountersSubtype) {
  auto paths = std::make_shared<IntegerCountList>();
  for (auto* path : {u"C:\\a\\x.mp3", u"D:\\readme", u"my.song.mp3"}) paths->entries.emplace_back(path);
  list->entries.emplace_back(u"kept");
  player.ListNoChar(list, paths);
  EXPECT_EQ(list->texts(), (Texts{u"kept", u"x", u"", u"my.song"}));
  // The index is the Variant loop counter; the title goes as a String.
  EXPECT_EQ(paths->calls[1], "List(ByRef Variant(Integer 0))");
  EXPECT_EQ(list->calls[0], "AddItem(ByRef String x)");

  player.ListNoChar(list, FakeList::with({u"a.mp3"}));  // a Long count gives Long indexes
  EXPECT_EQ(list->texts().back(), u"a");
}

TEST_F(MP3PlayerAListTest, ListNoCharIntoItsOwnListProcessesOnlyTheFirstItems) {
  list = FakeList::with({u"C:\\a.mp3", u"b.wav"});
  player.ListNoChar(list, list);
  EXPECT_EQ(list->texts(), (Texts{u"C:\\a.mp3", u"b.wav", u"a", u"b"}));
}

TEST_F(MP3PlayerAListTest, ListNoCharPassesTheFirstErrorOnAndKeepsWhatItAdded) {
  auto paths = FakeList::with({u"a.mp3", std::u16string(40000, u'x') + u".mp3", u"c.mp3"});
  EXPECT_EQ(errorOf([&] { player.ListNoChar(list, paths); }), vb_error::Overflow);
  EXPECT_EQ(list->texts(), (Texts{u"a"}));

  paths->entries[1] = Variant::null();
  EXPECT_EQ(errorOf([&] { player.ListNoChar(list, paths); }), vb_error::InvalidUseOfNull);
  EXPECT_EQ(errorOf([&] { player.ListNoChar(nullptr, paths); }), vb_error::ObjectVariableNotSet);
}

TEST_F(MP3PlayerAListTest, OpenAppendsEachLineWithoutTrailingBlanksByValue) {
  fakes.files.contents[u"p.m3u"] = "a.mp3   \r\n  b.mp3\r\nc\nd\r\n";
  player.MP3OpenPlayList(u"p.m3u", listBox());
  EXPECT_TRUE(player.MP3OpenPlayList(u"p.m3u", listBox()).isEmpty());
  EXPECT_EQ(list->texts(), (Texts{u"a.mp3", u"  b.mp3", u"c\nd", u"a.mp3", u"  b.mp3", u"c\nd"}));
  EXPECT_EQ(list->calls[0], "AddItem(String a.mp3)");
  EXPECT_TRUE(player.TheFile.empty());  // the device name is not the playlist's path
}

TEST_F(MP3PlayerAListTest, OpenSkipsRefusedEntriesAndReturnsOnWhatCannotBeRead) {
  fakes.files.contents[u"p.m3u"] = "a\r\nb\r\nc";
  list->onAddItem = [](const Variant& text) {
    if (text.text() == u"b") throw RuntimeError(5);
  };
  player.MP3OpenPlayList(u"p.m3u", listBox());
  EXPECT_EQ(list->texts(), (Texts{u"a", u"c"}));

  list->calls.clear();
  EXPECT_TRUE(player.MP3OpenPlayList(u"", listBox()).isEmpty());
  EXPECT_TRUE(player.MP3OpenPlayList(u"missing.m3u", listBox()).isEmpty());
  EXPECT_TRUE(player.MP3OpenPlayList(u"p.m3u", Variant(u"no list")).isEmpty());
  EXPECT_TRUE(list->calls.empty());
}

TEST_F(MP3PlayerAListTest, PlaylistsWithAValueThatIsNoObjectDoNothingAndReturnEmpty) {
  fakes.files.contents[u"p.m3u"] = "a\r\nb\r\n";
  const Variant array = Variant::opaque(VarType::Array, std::make_shared<const OpaqueValue>());
  EXPECT_TRUE(player.MP3OpenPlayList(u"p.m3u", array).isEmpty());
  EXPECT_TRUE(player.MP3SavePlayList(u"p.m3u", array).isEmpty());
  EXPECT_EQ(fakes.files.contents[u"p.m3u"], "a\r\nb\r\n");
  EXPECT_TRUE(mci.calls.empty());
}

TEST_F(MP3PlayerAListTest, SaveWritesEveryEntryAndReadsBackTheSame) {
  list = FakeList::with({u"C:\\a.mp3", u"", u"b\u00e9.mp3"});
  EXPECT_TRUE(player.MP3SavePlayList(u"out.m3u", listBox()).isEmpty());
  EXPECT_EQ(fakes.files.contents[u"out.m3u"], "C:\\a.mp3\r\n\r\nb\xe9.mp3\r\n");
  EXPECT_EQ(list->calls, (Calls{"ListCount()", "List(ByRef Integer 0)", "List(ByRef Integer 1)",
                                "List(ByRef Integer 2)"}));

  auto loaded = std::make_shared<FakeList>();
  player.MP3OpenPlayList(u"out.m3u", Variant(ObjectRef(loaded)));
  EXPECT_EQ(loaded->texts(), list->texts());

  player.MP3SavePlayList(u"out.m3u", Variant(ObjectRef(std::make_shared<FakeList>())));
  EXPECT_EQ(fakes.files.contents[u"out.m3u"], "");
}

// Each failing entry is a skipped step: the other entries are saved.
TEST_F(MP3PlayerAListTest, SaveLeavesOutEachEntryWhoseStepFailsAndWritesTheRest) {
  fakes.files.contents[u"out.m3u"] = "old.mp3\r\n";
  list = FakeList::with({u"a.mp3", u"b.mp3", u"c.mp3"});
  list->entries[1] = Variant::null();
  player.MP3SavePlayList(u"out.m3u", listBox());
  EXPECT_EQ(list->calls.back(), "List(ByRef Integer 2)");
  EXPECT_EQ(fakes.files.contents[u"out.m3u"], "a.mp3\r\nc.mp3\r\n");

  list = std::make_shared<RefusingList>(1);  // List(1) raises 381
  list->entries = {Variant(u"x.mp3"), Variant(u"y.mp3"), Variant(u"z.mp3")};
  player.MP3SavePlayList(u"out.m3u", listBox());
  EXPECT_EQ(fakes.files.contents[u"out.m3u"], "x.mp3\r\nz.mp3\r\n");

  list = FakeList::with({});
  list->entries.assign(3, Variant::null());
  player.MP3SavePlayList(u"out.m3u", listBox());
  EXPECT_EQ(fakes.files.contents[u"out.m3u"], "") << "no entry could be written: an empty playlist";
}

TEST_F(MP3PlayerAListTest, SaveLeavesOutANameTheAnsiCodePageLacksRatherThanWriteAQuestionMark) {
  fakes.files.contents[u"out.m3u"] = "old.mp3\r\n";
  list = FakeList::with({u"a.mp3", u"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1.mp3", u"c.mp3"});
  player.MP3SavePlayList(u"out.m3u", listBox());
  EXPECT_EQ(list->calls.back(), "List(ByRef Integer 2)");
  EXPECT_EQ(fakes.files.contents[u"out.m3u"], "a.mp3\r\nc.mp3\r\n");
}

TEST_F(MP3PlayerAListTest, SaveThatCannotWriteKeepsThePreviousPlaylistWhole) {
  fakes.files.contents[u"out.m3u"] = "old.mp3\r\n";
  fakes.files.writeFailures[u"out.m3u"] = vb_error::DiskFull;
  list = FakeList::with({u"a.mp3", u"b.mp3"});
  EXPECT_TRUE(player.MP3SavePlayList(u"out.m3u", listBox()).isEmpty());
  EXPECT_EQ(list->calls.size(), 3u);
  EXPECT_EQ(fakes.files.contents[u"out.m3u"], "old.mp3\r\n");
}

TEST_F(MP3PlayerAListTest, SaveThatCannotCreateTheFileStillReadsEveryEntry) {
  fakes.files.failures[u""] = vb_error::PathFileAccessError;
  list = FakeList::with({u"a.mp3", u"b.mp3"});
  player.MP3SavePlayList(u"", listBox());
  EXPECT_EQ(list->calls.size(), 3u);
  EXPECT_FALSE(fakes.files.contents.count(u""));
}

TEST_F(MP3PlayerAListTest, SaveEndsWhenTheCountCannotBeReadOrExceedsTheIndexRange) {
  fakes.files.contents[u"out.m3u"] = "kept\r\n";
  list->entries.assign(32769, Variant(u"x"));
  player.MP3SavePlayList(u"out.m3u", listBox());
  EXPECT_EQ(list->calls, (Calls{"ListCount()"}));
  player.MP3SavePlayList(u"out.m3u", Variant(u"no list"));
  player.MP3SavePlayList(u"out.m3u", Variant(ObjectRef()));
  EXPECT_EQ(fakes.files.contents[u"out.m3u"], "kept\r\n");

  list->entries.resize(32768);  // the largest list the 16-bit index reaches
  player.MP3SavePlayList(u"out.m3u", listBox());
  EXPECT_EQ(fakes.files.contents[u"out.m3u"].size(), 32768u * 3);
}

}  // namespace
}  // namespace orvalis
