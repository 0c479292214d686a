#include <gtest/gtest.h>

#include "doubles/FakeWatcherHost.h"
#include "doubles/RaisedError.h"
#include "events/PlaybackWatcher.h"
#include "events/WatchedPlayer.h"
#include "frame/RuntimeError.h"

namespace orvalis {
namespace {

using events::PlaybackWatcher;
using events::PlayerKind;
using events::PlayerState;
using testing::FakeMci;
using testing::FakePlaybackDevices;
using testing::FakePlayerObject;
using testing::raisedError;
using Texts = std::vector<std::string>;

// --- Reading players and replies ---------------------------------------------

TEST(WatchedPlayerTest, AcceptsTheFourPlayersOfTheLibraryOnly) {
  EXPECT_EQ(events::playerKindOf(u"Orvalis", u"_clsVxAudoMP3PlayerA"), PlayerKind::MP3PlayerA);
  EXPECT_EQ(events::playerKindOf(u"orvalis", u"_CLSVXAUDOMP3PLAYERB"), PlayerKind::MP3PlayerB);
  EXPECT_EQ(events::playerKindOf(u"Orvalis", u"_clsVxAudoCDPlayerA"), PlayerKind::CDPlayerA);
  EXPECT_EQ(events::playerKindOf(u"Orvalis", u"_clsVxAudoCDPlayerB"), PlayerKind::CDPlayerB);
  EXPECT_FALSE(events::playerKindOf(u"Orvalis", u"_clsVxAudoWMixerA"));
  EXPECT_FALSE(events::playerKindOf(u"Orvalis", u"_clsVxAudoCDRomA"));
  EXPECT_FALSE(events::playerKindOf(u"Other", u"_clsVxAudoMP3PlayerB"));
}

TEST(WatchedPlayerTest, ModeWordsAndFailuresGiveTheFourStates) {
  EXPECT_EQ(events::stateOfMode(0, u"playing\0xx"), PlayerState::Playing);
  EXPECT_EQ(events::stateOfMode(0, u"PAUSED"), PlayerState::Paused);
  EXPECT_EQ(events::stateOfMode(0, u"stopped"), PlayerState::Stopped);
  EXPECT_EQ(events::stateOfMode(0, u"not ready"), PlayerState::Stopped);
  EXPECT_EQ(events::stateOfMode(0, u"seeking"), PlayerState::Stopped);
  EXPECT_EQ(events::stateOfMode(263, u"playing"), PlayerState::Closed);
}

TEST(WatchedPlayerTest, RepliesReadAsMillisecondsOrMsfOnly) {
  EXPECT_EQ(events::replyMilliseconds(u"2040"), 2040);
  EXPECT_EQ(events::replyMilliseconds(std::u16string(u"2040\0junk", 9)), 2040);
  EXPECT_EQ(events::replyMilliseconds(u"01:02:15"), 62'200);  // 15 frames of 75
  EXPECT_FALSE(events::replyMilliseconds(u"01:00:02:15"));      // TMSF
  EXPECT_FALSE(events::replyMilliseconds(u""));
  EXPECT_FALSE(events::replyMilliseconds(u"12ab"));
  EXPECT_FALSE(events::replyMilliseconds(u":12"));
  EXPECT_EQ(events::unquoted(u"\"C:\\a b.mp3\""), u"C:\\a b.mp3");
  EXPECT_EQ(events::unquoted(u"C:\\a.mp3"), u"C:\\a.mp3");
}

// --- The watcher ---------------------------------------------------------------

struct WatcherTest : ::testing::Test {
  FakeMci mci;
  FakePlaybackDevices devices;
  testing::FakeWatchTimer timer;
  testing::FakeWatchClock clock;
  testing::RecordingEvents events;
  PlaybackWatcher watcher{mci, devices, timer, clock, events};
  std::shared_ptr<FakePlayerObject> playerB = std::make_shared<FakePlayerObject>("B");
  std::shared_ptr<FakePlayerObject> playerA = std::make_shared<FakePlayerObject>("A");

  WatcherTest() {
    mci.device = &devices;
    playerB->fields[u"Filename"] = u"";
    playerA->fields[u"TheFile"] = u"";
  }

  // Player B as its Play leaves it: Filename quoted, the device playing.
  void playB(const std::string& path, const std::string& length = "2000") {
    playerB->fields[u"Filename"] = u"\"" + widen(path) + u"\"";
    devices.open["\"" + path + "\""] = {"playing", "0", length, "1"};
  }
  // One tick, `ms` after the last.
  void tickAfter(int64_t ms) {
    clock.now += ms;
    watcher.tick();
  }
  // Ticks until `ms` have passed.
  void run(int64_t ms, int64_t step = 250) {
    for (int64_t t = 0; t < ms; t += step) tickAfter(step);
  }
  Texts statusCommands() const {
    Texts texts;
    for (const auto& call : mci.calls)
      if (call.command.rfind("status ", 0) == 0) texts.push_back(call.command);
    return texts;
  }
  size_t statusQueries() const {
    size_t count = 0;
    for (const auto& call : mci.calls) count += call.command.rfind("status ", 0) == 0;
    return count;
  }
};

TEST_F(WatcherTest, TheTimerRunsOnlyWhilePlayersAreWatched) {
  EXPECT_FALSE(timer.running);
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  EXPECT_TRUE(timer.running);
  EXPECT_EQ(timer.interval, 250);
  watcher.watch(playerA.get(), PlayerKind::MP3PlayerA, playerA);
  EXPECT_EQ(timer.starts.size(), 1u);
  EXPECT_TRUE(watcher.unwatch(playerB.get()));
  EXPECT_TRUE(timer.running);
  watcher.unwatchAll();
  EXPECT_FALSE(timer.running);
  watcher.tick();
  EXPECT_TRUE(mci.calls.empty());
}

TEST_F(WatcherTest, NothingRaises91AndAnObjectThatIsNoPlayerRaises5) {
  EXPECT_EQ(raisedError([&] { watcher.watch(nullptr, PlayerKind::MP3PlayerB, nullptr); }), 91);
  EXPECT_EQ(raisedError([&] { watcher.watch(playerB.get(), std::nullopt, playerB); }), 5);
  EXPECT_FALSE(timer.running);
}

TEST_F(WatcherTest, IntervalOutsideItsRangeRaises380AndKeepsTheOldValue) {
  watcher.setInterval(1000);
  for (int32_t wrong : {49, 10'001, 0, -250}) {
    try {
      watcher.setInterval(wrong);
      ADD_FAILURE() << wrong << " was taken";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.number(), 380);
      EXPECT_NE(error.description().find(u"50 to 10000"), std::u16string::npos);
    }
  }
  EXPECT_EQ(watcher.interval(), 1000);
  watcher.setInterval(50);
  watcher.setInterval(10'000);
  EXPECT_EQ(watcher.interval(), 10'000);
}

TEST_F(WatcherTest, ANewIntervalRestartsARunningTimer) {
  watcher.setInterval(500);
  EXPECT_TRUE(timer.starts.empty());
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  watcher.setInterval(100);
  EXPECT_EQ(timer.starts, (std::vector<int32_t>{500, 100}));
}

TEST_F(WatcherTest, WatchingAPlayerTwiceOrUnwatchingAStrangerIsHarmless) {
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  EXPECT_EQ(watcher.watchedCount(), 1u);
  EXPECT_FALSE(watcher.unwatch(playerA.get()));
  playB("C:\\a.mp3");
  tickAfter(250);
  EXPECT_EQ(events.seen, (Texts{"StateChanged(B,2)"}));
}

TEST_F(WatcherTest, AsksAtMostOneStatusATickPerPlayerAndNothingElse) {
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  watcher.watch(playerA.get(), PlayerKind::MP3PlayerA, playerA);
  playB("C:\\a.mp3");
  playerA->fields[u"TheFile"] = u"\"C:\\b.mp3\"";
  devices.open["\"C:\\b.mp3\""] = {"playing", "0", "3000", "1"};
  for (int tick = 1; tick <= 20; ++tick) {
    tickAfter(250);
    EXPECT_EQ(mci.calls.size(), 2u * tick);
  }
  for (const auto& call : mci.calls) EXPECT_EQ(call.command.rfind("status ", 0), 0u) << call.command;
}

TEST_F(WatcherTest, APlayerWithoutAFileIsClosedWithoutAQuery) {
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  run(1000);
  EXPECT_TRUE(mci.calls.empty());
  EXPECT_TRUE(events.seen.empty());
}

TEST_F(WatcherTest, ASongThatPlaysToItsEndRaisesStoppedThenEndedWithItsName) {
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  playB("C:\\My Music\\a b.mp3");
  tickAfter(250);
  EXPECT_EQ(statusCommands().back(), "status \"C:\\My Music\\a b.mp3\" mode");
  tickAfter(250);
  EXPECT_EQ(statusCommands().back(), "status \"C:\\My Music\\a b.mp3\" position");
  tickAfter(250);
  EXPECT_EQ(statusCommands().back(), "status \"C:\\My Music\\a b.mp3\" length");
  run(1500);
  // Wine's service rewinds a finished song: stopped at position 0.
  devices.open["\"C:\\My Music\\a b.mp3\""].mode = "stopped";
  tickAfter(250);
  EXPECT_EQ(events.seen, (Texts{"StateChanged(B,2)", "StateChanged(B,1)", "Ended(B,C:\\My Music\\a b.mp3)"}));
  run(1000);
  EXPECT_EQ(events.seen.size(), 3u);
}

TEST_F(WatcherTest, ASongStoppedByItsHostBeforeTheEndRaisesNoEnded) {
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  playB("C:\\a.mp3", "6000");
  run(1500);
  devices.open["\"C:\\a.mp3\""].mode = "stopped";  // the host's Pause sends "stop"
  tickAfter(250);
  devices.open["\"C:\\a.mp3\""].mode = "playing";  // ResumePlay
  tickAfter(250);
  devices.open.clear();  // StopPlay closes the device
  run(1000);
  EXPECT_EQ(events.seen, (Texts{"StateChanged(B,2)", "StateChanged(B,1)", "StateChanged(B,2)",
                                "StateChanged(B,0)"}));
}

TEST_F(WatcherTest, AResumedSongIsTimedAfreshAndEndsOnce) {
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  playB("C:\\a.mp3", "4000");
  run(1000);
  devices.open["\"C:\\a.mp3\""].mode = "paused";
  run(5000);
  devices.open["\"C:\\a.mp3\""].mode = "playing";
  devices.open["\"C:\\a.mp3\""].position = "1000";
  run(3500);
  devices.open["\"C:\\a.mp3\""].mode = "stopped";
  tickAfter(250);
  EXPECT_EQ(events.seen, (Texts{"StateChanged(B,2)", "StateChanged(B,3)", "StateChanged(B,2)",
                                "StateChanged(B,1)", "Ended(B,C:\\a.mp3)"}));
}

TEST_F(WatcherTest, AStopWithoutATimingCountsAsTheEnd) {
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  playB("C:\\a.mp3", "");  // a length that reads as no time
  run(750);
  devices.open["\"C:\\a.mp3\""].mode = "stopped";
  tickAfter(250);
  EXPECT_EQ(events.seen, (Texts{"StateChanged(B,2)", "StateChanged(B,1)", "Ended(B,C:\\a.mp3)"}));
}

TEST_F(WatcherTest, PlayerAIsReadThroughTheFileItPlays) {
  watcher.watch(playerA.get(), PlayerKind::MP3PlayerA, playerA);
  playerA->fields[u"MP3File"] = u"C:\\other.mp3";
  playerA->fields[u"TheFile"] = u"\"C:\\b.mp3\"";
  devices.open["\"C:\\b.mp3\""] = {"playing", "0", "1000", "1"};
  run(1000);
  devices.open["\"C:\\b.mp3\""].mode = "stopped";
  tickAfter(250);
  EXPECT_EQ(statusCommands().front(), "status \"C:\\b.mp3\" mode");
  EXPECT_EQ(events.seen, (Texts{"StateChanged(A,2)", "StateChanged(A,1)", "Ended(A,C:\\b.mp3)"}));
}

TEST_F(WatcherTest, ANewFileWhilePlayingIsANewRun) {
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  playB("C:\\a.mp3", "60000");
  run(1000);
  devices.open.clear();
  playB("C:\\b.mp3", "1000");
  run(1000);
  devices.open["\"C:\\b.mp3\""].mode = "stopped";
  tickAfter(250);
  EXPECT_EQ(events.seen, (Texts{"StateChanged(B,2)", "StateChanged(B,1)", "Ended(B,C:\\b.mp3)"}));
}

TEST_F(WatcherTest, CdPlayersAreReadThroughTheAliasAndEndWithTheirTrack) {
  auto cd = std::make_shared<FakePlayerObject>("CD");
  watcher.watch(cd.get(), PlayerKind::CDPlayerB, cd);
  devices.open["cd"] = {"playing", "00:10:00", "00:12:00", "3"};
  run(1000);
  EXPECT_EQ(statusCommands(), (Texts{"status cd mode", "status cd position", "status cd length",
                                   "status cd current track"}));
  run(1000);
  devices.open["cd"].mode = "stopped";
  tickAfter(250);
  EXPECT_EQ(events.seen, (Texts{"StateChanged(CD,2)", "StateChanged(CD,1)", "Ended(CD,3)"}));
}

TEST_F(WatcherTest, ACdStoppedOrPausedByItsHostRaisesNoEnded) {
  auto cd = std::make_shared<FakePlayerObject>("CD");
  watcher.watch(cd.get(), PlayerKind::CDPlayerA, cd);
  devices.open["cd"] = {"playing", "00:10:00", "40:00:00", "1"};
  run(1000);
  devices.open["cd"].mode = "paused";  // pauseCD
  tickAfter(250);
  devices.open["cd"].mode = "playing";
  run(1000);
  devices.open["cd"].mode = "stopped";  // stopCD
  tickAfter(250);
  devices.open.clear();  // closeAll
  tickAfter(250);
  EXPECT_EQ(events.seen, (Texts{"StateChanged(CD,2)", "StateChanged(CD,3)", "StateChanged(CD,2)",
                                "StateChanged(CD,1)", "StateChanged(CD,0)"}));
}

TEST_F(WatcherTest, ACdInTmsfHasNoTimingSoItsStopCountsAsTheEnd) {
  auto cd = std::make_shared<FakePlayerObject>("CD");
  watcher.watch(cd.get(), PlayerKind::CDPlayerB, cd);
  devices.open["cd"] = {"playing", "01:00:10:00", "40:00:00", "1"};
  run(1000);
  devices.open["cd"].mode = "stopped";
  tickAfter(250);
  EXPECT_EQ(events.seen, (Texts{"StateChanged(CD,2)", "StateChanged(CD,1)", "Ended(CD,1)"}));
}

TEST_F(WatcherTest, AClosedDeviceIsClosedWithoutAQueryThatWouldOpenItAgain) {
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  playB("C:\\a.mp3");
  tickAfter(250);
  devices.open.clear();  // StopPlay, or another object's "close all"
  mci.calls.clear();
  run(1000);
  EXPECT_TRUE(mci.calls.empty());
  EXPECT_EQ(devices.lookups.back(), "C:\\a.mp3");
  EXPECT_EQ(events.seen, (Texts{"StateChanged(B,2)", "StateChanged(B,0)"}));
}

TEST_F(WatcherTest, OpenDevicesAreMatchedWithoutQuotesOrCase) {
  watcher.watch(playerA.get(), PlayerKind::MP3PlayerA, playerA);
  playerA->fields[u"TheFile"] = u"\"c:\\MUSIC\\b.mp3\"";
  devices.open["\"C:\\music\\b.mp3\""] = {"paused", "0", "3000", "1"};
  tickAfter(250);
  EXPECT_EQ(events.seen, (Texts{"StateChanged(A,3)"}));
}

// --- Sinks and players that misbehave --------------------------------------------

TEST_F(WatcherTest, ASinkThatUnwatchesAPlayerInsideAnEventLeavesTheOthersWatched) {
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  watcher.watch(playerA.get(), PlayerKind::MP3PlayerA, playerA);
  playB("C:\\a.mp3");
  playerA->fields[u"TheFile"] = u"\"C:\\b.mp3\"";
  devices.open["\"C:\\b.mp3\""] = {"playing", "0", "3000", "1"};
  events.during = [&](const std::string& event) {
    if (event == "StateChanged(B,2)") watcher.unwatch(playerB.get());
  };
  tickAfter(250);
  tickAfter(250);
  EXPECT_EQ(events.seen, (Texts{"StateChanged(B,2)", "StateChanged(A,2)"}));
  EXPECT_EQ(watcher.watchedCount(), 1u);
}

TEST_F(WatcherTest, ASinkThatUnwatchesAllOnStoppedGetsNoEndedAndStopsTheTimer) {
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  playB("C:\\a.mp3", "1000");
  run(1000);
  events.during = [&](const std::string& event) {
    if (event == "StateChanged(B,1)") watcher.unwatchAll();
  };
  devices.open["\"C:\\a.mp3\""].mode = "stopped";
  tickAfter(250);
  EXPECT_EQ(events.seen, (Texts{"StateChanged(B,2)", "StateChanged(B,1)"}));
  EXPECT_FALSE(timer.running);
}

TEST_F(WatcherTest, ASinkThatWaitsWithMessagesFlowingDoesNotNestTicks) {
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  playB("C:\\a.mp3");
  events.during = [&](const std::string&) { watcher.tick(); };
  tickAfter(250);
  EXPECT_EQ(statusQueries(), 1u);
}

TEST_F(WatcherTest, AFailingSinkOrPlayerCostsOnlyThatPlayersLook) {
  watcher.watch(playerB.get(), PlayerKind::MP3PlayerB, playerB);
  watcher.watch(playerA.get(), PlayerKind::MP3PlayerA, playerA);
  playB("C:\\a.mp3");
  playerA->fields[u"TheFile"] = u"\"C:\\b.mp3\"";
  devices.open["\"C:\\b.mp3\""] = {"playing", "0", "3000", "1"};
  events.during = [&](const std::string& event) {
    if (event == "StateChanged(B,2)") throw RuntimeError(vb_error::Overflow);
  };
  tickAfter(250);
  EXPECT_EQ(events.seen, (Texts{"StateChanged(B,2)", "StateChanged(A,2)"}));
  playerB->failing = true;  // a player whose members fail reads as closed
  tickAfter(250);
  EXPECT_EQ(events.seen.back(), "StateChanged(B,0)");
}

}  // namespace
}  // namespace orvalis
