#include <gtest/gtest.h>

#include <tuple>

#include "doubles/FakePlatform.h"
#include "mp3/Playlist.h"
#include "mp3/clsVxAudoMP3PlayerB.h"

namespace orvalis {
namespace {

using testing::FakeList;
using Texts = std::vector<std::u16string>;
using Calls = std::vector<std::string>;

TEST(PlaylistFile, LinesEndAtCarriageReturnsOnly) {
  struct Case {
    std::string file;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a.mp3", {"a.mp3"}},
      {"a.mp3\r\n", {"a.mp3"}},
      {"a.mp3\r\n\r\n", {"a.mp3", ""}},
      {"a\rb\r\nc", {"a", "b", "c"}},
      {"a\nb\nc\n", {"a\nb\nc\n"}},
      {"a\r\n\nb", {"a", "\nb"}},
      {"\r\n", {""}},
  };
  for (const auto& c : cases) {
    const auto lines = playlistLines(c.file);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end()), c.lines) << c.file;
  }
}

TEST(DisplayNames, CutTheFolderAndTheLastExtension) {
  EXPECT_EQ(afterLastBackslash(u"C:\\Music\\a.mp3"), u"a.mp3");
  EXPECT_EQ(afterLastBackslash(u"C:\\Music\\"), u"");
  EXPECT_EQ(afterLastBackslash(u"C:/music/x.mp3"), u"C:/music/x.mp3");
  EXPECT_EQ(beforeLast(u"a.b.mp3", u"."), u"a.b");
  EXPECT_EQ(beforeLast(u"readme", u"."), u"");
  EXPECT_EQ(beforeLast(u".hidden", u"."), u"");
  EXPECT_EQ(beforeLast(u"SongXmp3", u"x"), u"Song");
}

struct PlaylistTest : ::testing::Test {
  testing::FakePlatform fakes;
  clsVxAudoMP3PlayerB player{fakes.platform};
  std::shared_ptr<FakeList> list = std::make_shared<FakeList>();

  std::vector<std::u16string> boxes() const { return fakes.runtime.errorBoxes(); }
};

TEST_F(PlaylistTest, OpenAppendsEachLineWithTrailingBlanksRemoved) {
  fakes.files.contents[u"p.m3u"] = "a.mp3   \r\n  b.mp3\r\nc\xe9.mp3\t \r\n";
  list->entries.emplace_back(u"already there");
  player.OpenPlaylist(u"p.m3u", list);
  EXPECT_EQ(list->texts(), (Texts{u"already there", u"a.mp3", u"  b.mp3", u"c\u00e9.mp3\t"}));
  EXPECT_EQ(list->calls[0], "AddItem(String a.mp3)");  // by value
  EXPECT_TRUE(boxes().empty());
}

TEST_F(PlaylistTest, OpenWithAnEmptyNameDoesNothing) {
  player.OpenPlaylist(u"", list);
  EXPECT_TRUE(list->calls.empty());
  EXPECT_TRUE(fakes.runtime.messageBoxes.empty());
}

TEST_F(PlaylistTest, OpenOfAMissingFileShowsFileNotFoundAndLeavesTheList) {
  player.OpenPlaylist(u"missing.m3u", list);
  EXPECT_EQ(boxes(), (Texts{u"File not found"}));
  EXPECT_TRUE(list->calls.empty());
}

TEST_F(PlaylistTest, OpenStopsAtAFailingHostButKeepsWhatItAdded) {
  fakes.files.contents[u"p.m3u"] = "a\r\nb\r\nc";
  list->onAddItem = [](const Variant& text) {
    if (text.text() == u"b") throw RuntimeError(7);
  };
  player.OpenPlaylist(u"p.m3u", list);
  EXPECT_EQ(list->texts(), (Texts{u"a"}));
  EXPECT_EQ(boxes(), (Texts{u"Out of memory"}));
}

TEST_F(PlaylistTest, RunningOutOfMemoryShowsTheOutOfMemoryBox) {
  fakes.files.contents[u"p.m3u"] = "a\r\nb\r\n";
  list->onAddItem = [](const Variant& text) {
    if (text.text() == u"b") throw std::bad_alloc();
  };
  player.OpenPlaylist(u"p.m3u", list);
  list->onAddItem = [](const Variant&) { throw std::length_error("too long"); };
  player.OpenPlaylist(u"p.m3u", list);
  EXPECT_EQ(boxes(), (Texts{u"Out of memory", u"Out of memory"}));
  EXPECT_EQ(list->texts(), (Texts{u"a"}));
}

TEST_F(PlaylistTest, SaveWritesEveryEntryWithCrLfAndPassesIntegerIndexesByReference) {
  list = FakeList::with({u"C:\\a.mp3", u"", u"b\u00e9.mp3"});
  player.SavePlaylist(u"out.m3u", list);
  EXPECT_EQ(fakes.files.contents[u"out.m3u"], "C:\\a.mp3\r\n\r\nb\xe9.mp3\r\n");
  EXPECT_EQ(list->calls, (Calls{"ListCount()", "List(ByRef Integer 0)", "List(ByRef Integer 1)",
                                "List(ByRef Integer 2)"}));
}

TEST_F(PlaylistTest, SaveOfAnEmptyListGivesAnEmptyFile) {
  fakes.files.contents[u"out.m3u"] = "old\r\n";
  player.SavePlaylist(u"out.m3u", list);
  EXPECT_EQ(fakes.files.contents[u"out.m3u"], "");
}

TEST_F(PlaylistTest, SaveThatFailsPartWayKeepsThePreviousPlaylist) {
  fakes.files.contents[u"out.m3u"] = "old.mp3\r\n";
  list = FakeList::with({u"a.mp3", u"b.mp3"});
  list->entries[1] = Variant::null();
  player.SavePlaylist(u"out.m3u", list);
  EXPECT_EQ(boxes(), (Texts{u"Invalid use of Null"}));
  EXPECT_EQ(fakes.files.contents[u"out.m3u"], "old.mp3\r\n");
}

// The double's ANSI code page is Latin-1: Greek and Japanese names have no
// ANSI form, and an entry with one fails the save instead of going in with
// '?' in its place.
TEST_F(PlaylistTest, SaveOfANameTheAnsiCodePageLacksShowsError52AndKeepsThePreviousPlaylist) {
  fakes.files.contents[u"out.m3u"] = "old.mp3\r\n";
  list = FakeList::with({u"caf\u00e9.mp3", u"C:\\\u97f3\u697d\\\u6b4c.mp3", u"z.mp3"});
  player.SavePlaylist(u"out.m3u", list);
  EXPECT_EQ(boxes(), (Texts{u"Bad file name or number: the name has characters that the ANSI code page lacks"}));
  EXPECT_EQ(fakes.files.contents[u"out.m3u"], "old.mp3\r\n");
  EXPECT_EQ(list->calls.back(), "List(ByRef Integer 1)");
}

TEST_F(PlaylistTest, SaveIntoAFolderThatCannotBeWrittenShowsTheFileError) {
  fakes.files.failures[u"Z:\\none\\out.m3u"] = vb_error::PathNotFound;
  player.SavePlaylist(u"Z:\\none\\out.m3u", list);
  EXPECT_EQ(boxes(), (Texts{u"Path not found"}));
  EXPECT_TRUE(list->calls.empty());
}

TEST_F(PlaylistTest, SaveOf32768EntriesWritesAllThenReportsTheCounterOverflow) {
  list->entries.assign(32768, Variant(u"x"));
  player.SavePlaylist(u"big.m3u", list);
  EXPECT_EQ(fakes.files.contents[u"big.m3u"].size(), 32768u * 3);
  EXPECT_EQ(boxes(), (Texts{u"Overflow"}));
}

TEST_F(PlaylistTest, SaveOfMoreThan32768EntriesOverflowsBeforeWriting) {
  fakes.files.contents[u"big.m3u"] = "kept\r\n";
  list->entries.assign(32769, Variant(u"x"));
  player.SavePlaylist(u"big.m3u", list);
  EXPECT_EQ(boxes(), (Texts{u"Overflow"}));
  EXPECT_EQ(list->calls, (Calls{"ListCount()"}));
  EXPECT_EQ(fakes.files.contents[u"big.m3u"], "kept\r\n");
}

TEST_F(PlaylistTest, SaveToANothingListShowsTheUnsetObjectError) {
  player.SavePlaylist(u"out.m3u", nullptr);
  EXPECT_EQ(boxes(), (Texts{u"Object variable or With block variable not set"}));
}

TEST_F(PlaylistTest, ListNoCharAddsDisplayNamesByReferenceWithLongIndexes) {
  auto paths = FakeList::with({u"C:\\Music\\Artist - Song.mp3", u"a.b.mp3", u"C:\\Music\\readme",
                               u"C:/music/x.mp3"});
  player.ListNoChar(list, paths);
  EXPECT_EQ(list->texts(), (Texts{u"Artist - Song", u"a.b", u"", u"C:/music/x"}));
  EXPECT_EQ(paths->calls[1], "List(ByRef Long 0)");
  EXPECT_EQ(list->calls[0], "AddItem(ByRef String Artist - Song)");
}

TEST_F(PlaylistTest, ListNoCharWithAListWithoutMembersShowsTheMissingMemberError) {
  auto paths = FakeList::with({u"a.mp3"});
  struct NoMembers : HostObject {
    Variant invoke(std::u16string_view, CallKind, std::vector<Argument>&) override {
      throw RuntimeError(vb_error::ObjectDoesntSupportMember);
    }
  };
  player.ListNoChar(std::make_shared<NoMembers>(), paths);
  EXPECT_EQ(boxes(), (Texts{u"Object doesn't support this property or method"}));
}

TEST_F(PlaylistTest, ListSingleNoCharSelectsTheLastEntryAndShowsItsText) {
  auto paths = FakeList::with({u"C:\\a.mp3", u"C:\\Music\\Last One.mp3"});
  player.ListSingleNoChar(Variant(ObjectRef(list)), Variant(ObjectRef(paths)));
  EXPECT_EQ(paths->calls[1], "ListIndex(String 1)");
  EXPECT_EQ(list->texts(), (Texts{u"Last One"}));
  ASSERT_EQ(fakes.runtime.messageBoxes.size(), 1u);
  EXPECT_EQ(fakes.runtime.messageBoxes[0].text, u"C:\\Music\\Last One.mp3");
  EXPECT_FALSE(fakes.runtime.messageBoxes[0].title.has_value());
}

TEST_F(PlaylistTest, ListSingleNoCharOfAnEmptyListSelectsMinusOne) {
  auto paths = std::make_shared<FakeList>();
  player.ListSingleNoChar(Variant(ObjectRef(list)), Variant(ObjectRef(paths)));
  EXPECT_EQ(paths->calls[1], "ListIndex(String -1)");
  EXPECT_EQ(list->texts(), (Texts{u""}));
  EXPECT_EQ(fakes.runtime.messageBoxes.at(0).text, u"");
}

TEST_F(PlaylistTest, ListSingleNoCharNeedsObjects) {
  player.ListSingleNoChar(Variant(u"not a list"), Variant(ObjectRef(list)));
  EXPECT_EQ(boxes(), (Texts{u"Object required"}));
}

TEST_F(PlaylistTest, ListSingleNoCharSelectsInList2BeforeItNeedsList1) {
  auto paths = FakeList::with({u"a.mp3", u"b.mp3"});
  player.ListSingleNoChar(Variant(u"not a list"), Variant(ObjectRef(paths)));
  EXPECT_EQ(paths->calls, (Calls{"ListCount()", "ListIndex(String 1)", "text()"}));
  EXPECT_EQ(boxes(), (Texts{u"Object required"}));
}

TEST_F(PlaylistTest, ListNoCharSubtractsOneBeforeMakingTheCountALong) {
  struct HalfCount : FakeList {
    Variant invoke(std::u16string_view name, CallKind kind, std::vector<Argument>& args) override {
      if (textEquals(name, u"ListCount")) return Variant(2.5);
      return FakeList::invoke(name, kind, args);
    }
  };
  auto paths = std::make_shared<HalfCount>();
  paths->entries = {Variant(u"a.mp3"), Variant(u"b.mp3"), Variant(u"c.mp3")};
  player.ListNoChar(list, paths);
  EXPECT_EQ(list->texts(), (Texts{u"a", u"b", u"c"}));  // CLng(2.5 - 1) = 2
}

TEST_F(PlaylistTest, AVeryLongPathOverflowsTheNamePositionButTheListCarriesOn) {
  const std::u16string longPath = std::u16string(40000, u'x') + u"\\song.mp3";
  auto paths = FakeList::with({longPath, u"b.mp3"});
  player.ListNoChar(list, paths);
  EXPECT_EQ(boxes(), (Texts{u"Overflow"}));
  EXPECT_EQ(list->texts(), (Texts{u"", u"b"}));
}

// --- Association and drag --------------------------------------------------------------

TEST_F(PlaylistTest, MyAppDefaultWritesBothKeysWithTheirNulCounted) {
  player.MyAppDefault(u"MyPlayer", u"C:\\Apps\\player.exe %1", u".mp3");
  EXPECT_EQ(fakes.registry.calls,
            (Calls{"create HKCR\\.mp3", "set type 1 length 9", "close",
                   "create HKCR\\MyPlayer\\Shell\\Open\\Command", "set type 1 length 22", "close"}));
  EXPECT_EQ(fakes.registry.defaults[".mp3"], std::string("MyPlayer\0", 9));
}

TEST_F(PlaylistTest, MyAppDefaultSkipsTheValueWhenTheKeyCannotBeCreated) {
  fakes.registry.failCreate = true;
  player.MyAppDefault(u"MyPlayer", u"p.exe", u"mp3");
  EXPECT_EQ(fakes.registry.calls,
            (Calls{"create HKCR\\mp3", "create HKCR\\MyPlayer\\Shell\\Open\\Command"}));
  EXPECT_TRUE(fakes.runtime.messageBoxes.empty());
}

TEST_F(PlaylistTest, MyAppDefaultWithATextTheAnsiCodePageLacksFailsBeforeWritingAnything) {
  const std::u16string greek = u"\u0391\u03c5\u03bb\u03cc\u03c2";
  using Texts3 = std::tuple<std::u16string, std::u16string, std::u16string>;
  for (const auto& [app, exe, ext] : {Texts3{greek, u"p.exe", u".mp3"}, Texts3{u"App", greek + u".exe", u".mp3"},
                                      Texts3{u"App", u"p.exe", u"." + greek}}) {
    try {
      player.MyAppDefault(app, exe, ext);
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.number(), vb_error::BadFileNameOrNumber);
    }
  }
  EXPECT_TRUE(fakes.registry.calls.empty());
  player.MyAppDefault(u"Caf\u00e9", u"\u00e9.exe", u".mp3");
  EXPECT_EQ(fakes.registry.defaults[".mp3"], std::string("Caf\xe9\0", 5));
}

TEST_F(PlaylistTest, FormMoveSendsTheCaptionPressToTheFormsWindow) {
  list->window = 0x1234;
  player.FormMove(list);
  EXPECT_EQ(fakes.windows.calls, (Calls{"ReleaseCapture", "SendMessage 4660 161 2 0"}));
}

TEST_F(PlaylistTest, FormMoveFailsToTheCallerWithoutAMessageBox) {
  list->hasWindow = false;
  try {
    player.FormMove(list);
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 438);
  }
  EXPECT_EQ(fakes.windows.calls, (Calls{"ReleaseCapture"}));
  EXPECT_TRUE(fakes.runtime.messageBoxes.empty());
}

}  // namespace
}  // namespace orvalis
