#include <gtest/gtest.h>

#include <functional>

#include "cd/clsVxAudoCDPlayerA.h"
#include "cd/clsVxAudoCDPlayerB.h"
#include "cd/clsVxAudoCDRomA.h"
#include "doubles/FakeDisc.h"
#include "doubles/FakePlatform.h"

namespace orvalis {
namespace {

using namespace std::string_literals;
using testing::FakeDisc;
using Commands = std::vector<std::string>;
namespace mci_error = testing::mci_error;

// The runtime error number that `body` raises, 0 when it returns.
int32_t errorOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const RuntimeError& error) {
    return error.number();
  }
  return 0;
}

// A process with a disc in a CD-ROM drive D:, a second one in E:, and the
// three CD classes. Nothing is open yet.
struct CdTest : ::testing::Test {
  testing::FakePlatform fakes;
  testing::FakeMci& mci = fakes.mci;
  FakeDisc disc;
  clsVxAudoCDPlayerB playerB{fakes.platform};
  clsVxAudoCDPlayerA playerA{fakes.platform};
  clsVxAudoCDRomA drives{fakes.platform};

  CdTest() {
    mci.device = &disc;
    mci.errorTexts[0] = "The specified command was carried out.";
    mci.errorTexts[mci_error::InvalidDeviceName] = "Invalid device name.";
    fakes.drives.add("C:\\", 3);
    fakes.drives.add("D:\\", 5);
    fakes.drives.add("E:\\", 5);
    fakes.drives.add("Z:\\", 3);
  }

  void openB() {
    std::u16string drive = u"D:\\";
    playerB.startCD(drive);
    mci.calls.clear();
  }
  // Commands sent since the last look.
  Commands sent() {
    Commands commands = mci.commands();
    mci.calls.clear();
    return commands;
  }
};

// --- Player B: device, error text -----------------------------------------------

TEST_F(CdTest, StartCDQuotesTheCallersDriveAndOpensItUnderTheAlias) {
  std::u16string drive = u"D:\\";
  playerB.startCD(drive);
  EXPECT_EQ(drive, u"\"D:\\\"");
  EXPECT_EQ(sent(), (Commands{"open \"D:\\\" type cdaudio alias cd wait shareable"}));
  EXPECT_EQ(fakes.drives.calls, (Commands{"GetDriveTypeW D:\\"}));
  EXPECT_TRUE(disc.open);
  EXPECT_EQ(playerB.lastMciError, 0);
}

TEST_F(CdTest, StartCDOnADriveThatIsNoCdRomShowsTheStopBoxAndSendsNothing) {
  playerB.lastMciError = 7;
  std::u16string drive = u"C:\\";
  playerB.startCD(drive);
  ASSERT_EQ(fakes.runtime.messageBoxes.size(), 1u);
  EXPECT_EQ(fakes.runtime.messageBoxes[0].text, u"The selected drive is not a CdRom Drive");
  EXPECT_EQ(fakes.runtime.messageBoxes[0].title, u" Error");
  EXPECT_EQ(fakes.runtime.messageBoxes[0].style, 16u);
  EXPECT_EQ(drive, u"C:\\");
  EXPECT_TRUE(mci.calls.empty());
  EXPECT_EQ(playerB.lastMciError, 7);
}

TEST_F(CdTest, ADriveTextOutsideTheAnsiCodePageReachesTheDriveCheckUnchanged) {
  std::u16string drive = u"C:\\\u30c9\u30e9\u30a4\u30d6\\";
  fakes.drives.add("C:\\\xe3\x83\x89\xe3\x83\xa9\xe3\x82\xa4\xe3\x83\x96\\", 5);
  playerB.startCD(drive);
  EXPECT_TRUE(fakes.runtime.messageBoxes.empty());
  EXPECT_EQ(mci.calls.at(0).wideCommand,
            u"open \"C:\\\u30c9\u30e9\u30a4\u30d6\\\" type cdaudio alias cd wait shareable");
}

TEST_F(CdTest, StartCDAgainWithTheQuotedVariableFailsTheDriveCheck) {
  std::u16string drive = u"D:\\";
  playerB.startCD(drive);
  playerB.startCD(drive);
  EXPECT_EQ(fakes.drives.calls.back(), "GetDriveTypeW \"D:\\\"");
  EXPECT_EQ(fakes.runtime.messageBoxes.size(), 1u);
}

TEST_F(CdTest, ASecondOpenIsRefusedAndShowsOnlyInLastMciError) {
  openB();
  std::u16string other = u"E:\\";
  playerB.startCD(other);
  EXPECT_EQ(playerB.lastMciError, static_cast<int32_t>(mci_error::DuplicateAlias));
  EXPECT_EQ(disc.openedAs, "\"D:\\\"");
}

TEST_F(CdTest, CheckErrorGivesTheServiceTextItsNulAndBlanksTo255) {
  EXPECT_EQ(playerB.checkError(),
            u"The specified command was carried out.\0"s + std::u16string(255 - 39, u' '));
  playerB.stopCD();  // no device open
  EXPECT_EQ(playerB.lastMciError, static_cast<int32_t>(mci_error::InvalidDeviceName));
  const std::u16string text = playerB.checkError();
  EXPECT_EQ(text.size(), 255u);
  EXPECT_EQ(text.substr(0, 21), u"Invalid device name.\0"s);
  EXPECT_EQ(mci.calls.size(), 1u);  // checkError sends nothing
}

TEST_F(CdTest, EveryCommandAndQueryOverwritesLastMciError) {
  playerB.playCD();
  EXPECT_EQ(playerB.lastMciError, static_cast<int32_t>(mci_error::InvalidDeviceName));
  openB();
  playerB.isPlaying();
  EXPECT_EQ(playerB.lastMciError, 0);
  playerB.trackLengthMS(9);
  EXPECT_EQ(playerB.lastMciError, static_cast<int32_t>(mci_error::OutOfRange));
  playerB.getPositionMS();  // the format switch and the query both succeed
  EXPECT_EQ(playerB.lastMciError, 0);
}

TEST_F(CdTest, PlainCommandsOfPlayerBGoOutWithoutReplyOrWait) {
  openB();
  const std::vector<std::pair<std::function<void()>, std::string>> members = {
      {[&] { playerB.playCD(); }, "play cd"},
      {[&] { playerB.resumeCD(); }, "play cd"},
      {[&] { playerB.pauseCD(); }, "pause cd"},
      {[&] { playerB.stopCD(); }, "stop cd"},
      {[&] { playerB.seekToBeginning(); }, "seek cd to start"},
      {[&] { playerB.seekToEnd(); }, "seek cd to end"},
      {[&] { playerB.setDoorOpen(); }, "set cd door open"},
      {[&] { playerB.setDoorClosed(); }, "set cd door closed"},
      {[&] { playerB.setAudioOff(); }, "set cd audio all off"},
      {[&] { playerB.setAudioOn(); }, "set cd audio all on"},
      {[&] { playerB.closeAll(); }, "close all"},
  };
  for (const auto& [member, command] : members) {
    member();
    ASSERT_EQ(mci.calls.size(), 1u) << command;
    EXPECT_EQ(mci.calls[0].command, command);
    EXPECT_EQ(mci.calls[0].replyLength, 0u);
    EXPECT_EQ(mci.calls[0].preparedBuffer, "0");
    mci.calls.clear();
  }
}

// --- Player B: the shared reply field ---------------------------------------------

TEST_F(CdTest, MciReplyKeepsTheTailOfALongerEarlierReply) {
  openB();
  EXPECT_EQ(playerB.getPositionTMSF().substr(0, 12), u"01:00:00:00\0"s);
  const std::u16string format = playerB.getTimeFormat();
  EXPECT_EQ(format.size(), 128u);
  EXPECT_EQ(format.substr(0, 12), u"tmsf\0:00:00\0"s);
  EXPECT_EQ(mci.calls.back().replyLength, 128u);
}

TEST_F(CdTest, AFailedQueryReadsTheNumberOfTheEarlierReply) {
  openB();
  disc.position = 61234;
  EXPECT_EQ(playerB.getPositionMS(), 61234);
  playerB.closeAll();
  EXPECT_EQ(playerB.getPositionMS(), 61234);
  EXPECT_EQ(playerB.lastMciError, static_cast<int32_t>(mci_error::InvalidDeviceName));
}

// --- Player B: media, tracks ----------------------------------------------------------

TEST_F(CdTest, CheckForCDReadsTheBooleanWordAndRefusesAnEmptyReply) {
  EXPECT_EQ(errorOf([&] { playerB.checkForCD(); }), vb_error::TypeMismatch);
  openB();
  EXPECT_TRUE(playerB.checkForCD());
  disc.doorOpen = true;
  EXPECT_FALSE(playerB.checkForCD());
  mci.reply("status cd media present", "TRUE");
  EXPECT_TRUE(playerB.checkForCD());
}

// The media reply is read as a Boolean word and nothing else: a number is
// no answer to "media present", whatever CBool would make of it.
TEST_F(CdTest, CheckForCDRefusesNumbersAndOtherWords) {
  openB();
  for (const char* reply : {"1", "0", "-1", "yes", "False"}) mci.reply("status cd media present", reply);
  for (const char* reply : {"1", "0", "-1", "yes"})
    EXPECT_EQ(errorOf([&] { playerB.checkForCD(); }), vb_error::TypeMismatch) << reply;
  EXPECT_FALSE(playerB.checkForCD());
}

TEST_F(CdTest, GetNumberTracksTrimsTheReplyAndCountsAnythingElseAsNone) {
  EXPECT_EQ(playerB.getNumberTracks(), 0);  // no device: an empty reply
  openB();
  EXPECT_EQ(playerB.getNumberTracks(), 3);
  mci.reply("status cd number of tracks", "  12  ");
  mci.reply("status cd number of tracks", "many");
  mci.reply("status cd number of tracks", "99999999999");
  EXPECT_EQ(playerB.getNumberTracks(), 12);
  EXPECT_EQ(playerB.getNumberTracks(), 0);
  EXPECT_EQ(playerB.getNumberTracks(), 0);
}

TEST_F(CdTest, GetCurrentTrackReadsTheLeadingNumber) {
  EXPECT_EQ(playerB.getCurrentTrack(), 0);
  openB();
  disc.position = disc.trackStart(2) + 1000;
  EXPECT_EQ(playerB.getCurrentTrack(), 2);
  mci.reply("status cd current track", "3000000000");
  EXPECT_EQ(errorOf([&] { playerB.getCurrentTrack(); }), vb_error::Overflow);
}

TEST_F(CdTest, SetTrackSelectsTmsfSoThatTheNumberIsATrack) {
  openB();
  playerB.getPositionMS();  // leaves the device counting milliseconds
  mci.calls.clear();
  playerB.setTrack(3);
  EXPECT_EQ(sent(), (Commands{"set cd time format tmsf", "play cd from 3"}));
  EXPECT_EQ(disc.position, disc.trackStart(3));
  EXPECT_EQ(disc.mode, "playing");
  playerB.setTrack(-1);
  EXPECT_EQ(sent().back(), "play cd from -1");
  EXPECT_EQ(playerB.lastMciError, static_cast<int32_t>(mci_error::OutOfRange));
}

TEST_F(CdTest, NextTrackPlaysTheFollowingTrackButNotPastTheLast) {
  openB();
  playerB.nextTrack();
  EXPECT_EQ(sent(), (Commands{"status cd current track", "status cd number of tracks",
                              "set cd time format tmsf", "play cd from 2"}));
  EXPECT_EQ(disc.trackAt(disc.position), 2u);

  disc.position = disc.trackStart(3);
  playerB.lastMciError = 5;
  playerB.nextTrack();
  EXPECT_EQ(sent(), (Commands{"status cd current track", "status cd number of tracks"}));
  EXPECT_EQ(playerB.lastMciError, 0);
}

TEST_F(CdTest, PrevTrackAsksTheTrackTwiceAndStopsAtTrackOne) {
  openB();
  disc.position = disc.trackStart(2) + 500;
  playerB.prevTrack();
  EXPECT_EQ(sent(), (Commands{"status cd current track", "status cd current track",
                              "status cd number of tracks", "set cd time format tmsf",
                              "play cd from 1"}));
  playerB.prevTrack();
  EXPECT_EQ(sent(), (Commands{"status cd current track"}));
  clsVxAudoCDPlayerB fresh{fakes.platform};
  playerB.closeAll();
  sent();
  fresh.prevTrack();  // no device: the empty reply reads as track 0
  EXPECT_EQ(sent(), (Commands{"status cd current track"}));
}

TEST_F(CdTest, TrackSteppingOverflowsAtTheEndsOfTheLongRange) {
  mci.reply("status cd current track", "2147483647");
  EXPECT_EQ(errorOf([&] { playerB.nextTrack(); }), vb_error::Overflow);
  EXPECT_EQ(sent(), (Commands{"status cd current track"}));
}

// --- Player B: positions, lengths, formats -------------------------------------------

TEST_F(CdTest, EachReadingSwitchesTheFormatFirstAndLeavesItSwitched) {
  openB();
  disc.position = 61000 + 40 * 3;  // 1:01, 9 frames
  EXPECT_EQ(playerB.getPositionMS(), 61120);
  EXPECT_EQ(sent(), (Commands{"set cd time format ms", "status cd position"}));
  EXPECT_EQ(playerB.getTimeFormat().substr(0, 13), u"milliseconds\0"s);
  EXPECT_EQ(playerB.getPositionMSF().substr(0, 9), u"01:01:09\0"s);
  EXPECT_EQ(disc.timeFormat, "msf");
  EXPECT_EQ(playerB.getPositionFrames(), 9);
  EXPECT_EQ(playerB.getPositionTMSF().substr(0, 12), u"01:01:01:09\0"s);
  EXPECT_EQ(disc.timeFormat, "tmsf");
  EXPECT_EQ(playerB.getPositionSeconds(), 61);
  EXPECT_EQ(disc.timeFormat, "milliseconds");
}

TEST_F(CdTest, LengthsOfTheDiscAndOfATrack) {
  openB();
  EXPECT_EQ(playerB.cdLengthMS(), 750000);
  EXPECT_EQ(playerB.cdLengthSeconds(), 750);
  EXPECT_EQ(playerB.cdLengthMSF().substr(0, 9), u"12:30:00\0"s);
  EXPECT_EQ(playerB.trackLengthMS(2), 200000);
  EXPECT_EQ(playerB.trackLengthSeconds(2), 200);
  EXPECT_EQ(playerB.trackLengthMSF(3).substr(0, 9), u"04:10:00\0"s);
  EXPECT_EQ(sent().back(), "status cd length track 3");
}

TEST_F(CdTest, SecondsAreRoundedHalfToEven) {
  for (const char* reply : {"1500", "2500", "2501", "3500"}) mci.reply("status cd position", reply);
  EXPECT_EQ(playerB.getPositionSeconds(), 2);
  EXPECT_EQ(playerB.getPositionSeconds(), 2);
  EXPECT_EQ(playerB.getPositionSeconds(), 3);
  EXPECT_EQ(playerB.getPositionSeconds(), 4);
}

TEST_F(CdTest, PositionFramesOfAnEmptyReplyAreZero) { EXPECT_EQ(playerB.getPositionFrames(), 0); }

TEST_F(CdTest, IsPlayingComparesTheFirstSevenCharactersIgnoringCase) {
  for (const char* reply : {"PLAYING", "playing on", "paused", "play"}) mci.reply("status cd mode", reply);
  EXPECT_TRUE(playerB.isPlaying());
  EXPECT_TRUE(playerB.isPlaying());
  EXPECT_FALSE(playerB.isPlaying());
  EXPECT_FALSE(playerB.isPlaying());  // "play", then the tail of "paused"
}

TEST_F(CdTest, FastForwardWhilePlayingPlaysFromThePositionPlusTheSeconds) {
  openB();
  playerB.getTimeFormat();  // mciReply now holds "msf"
  disc.position = 10000;
  disc.mode = "playing";
  mci.calls.clear();
  playerB.fastForward(5);
  // The position goes into a fresh buffer, not into mciReply (holding "msf").
  EXPECT_EQ(mci.calls[1].replyLength, 128u);
  EXPECT_EQ(mci.calls[1].preparedBuffer, std::string(128, '\0'));
  EXPECT_EQ(sent(), (Commands{"set cd time format ms", "status cd position", "status cd mode",
                              "play cd from 15000"}));
  EXPECT_EQ(disc.position, 15000);
  EXPECT_EQ(disc.timeFormat, "milliseconds");
}

TEST_F(CdTest, FastRewindWhenStoppedSeeksWithoutClamping) {
  openB();
  disc.position = 2000;
  playerB.fastRewind(5);
  EXPECT_EQ(sent().back(), "seek cd to -3000");
  EXPECT_EQ(playerB.lastMciError, static_cast<int32_t>(mci_error::OutOfRange));
  EXPECT_EQ(disc.position, 2000);
}

TEST_F(CdTest, FastForwardOverflowsAfterTheQueriesAndBeforeSending) {
  openB();
  EXPECT_EQ(errorOf([&] { playerB.fastForward(2147484); }), vb_error::Overflow);
  EXPECT_EQ(sent(), (Commands{"set cd time format ms", "status cd position", "status cd mode"}));
  EXPECT_EQ(errorOf([&] { playerB.fastRewind(-2147483); }), 0);
}

// --- Player A ------------------------------------------------------------------------

TEST_F(CdTest, ReadyDeviceClosesEverythingOpensTheDefaultDeviceAndSelectsTmsf) {
  playerA.ReadyDevice();
  EXPECT_EQ(sent(), (Commands{"close all", "open cdaudio alias cd wait shareable",
                              "set cd time format tmsf wait"}));
  EXPECT_EQ(disc.closeAllCount, 1);
  EXPECT_EQ(disc.openedAs, "cdaudio");
  EXPECT_EQ(disc.timeFormat, "tmsf");
}

TEST_F(CdTest, PlainCommandsOfPlayerAAndTheStrStyleTrackNumber) {
  playerA.StartPlay();
  playerA.StopPlay();
  playerA.PausePlay();
  playerA.EjectCD();
  playerA.CloseCD();
  playerA.SetFormat_milliseconds();
  playerA.setTrack(3);
  playerA.setTrack(0);
  playerA.setTrack(-1);
  EXPECT_EQ(sent(), (Commands{"play cd", "stop cd wait", "pause cd", "set cd door open",
                              "set cd door closed", "set cd time format milliseconds",
                              "seek cd to  3", "seek cd to  0", "seek cd to -1"}));
}

TEST_F(CdTest, SeekCDtoXStopsMovesToTheTrackAndPlays) {
  playerA.ReadyDevice();
  playerA.SeekCDtoX(2);
  EXPECT_EQ(sent(), (Commands{"close all", "open cdaudio alias cd wait shareable",
                              "set cd time format tmsf wait", "stop cd wait", "seek cd to  2",
                              "play cd"}));
  EXPECT_EQ(disc.position, disc.trackStart(2));
  EXPECT_EQ(disc.mode, "playing");
}

TEST_F(CdTest, PlayerAQueriesReadIntoFreshBuffers) {
  playerA.ReadyDevice();
  EXPECT_EQ(playerA.GetCDLength(), u"12:30:00" + std::u16string(22, u'\0'));
  EXPECT_EQ(playerA.GetTrackLength(2).substr(0, 9), u"03:20:00\0"s);
  EXPECT_EQ(playerA.CheckIfPlaying(), 0);
  for (const auto& call : mci.calls) {
    if (call.command.rfind("status", 0) != 0) continue;
    EXPECT_EQ(call.replyLength, 30u) << call.command;
    EXPECT_EQ(call.preparedBuffer, std::string(30, '\0')) << call.command;
  }
  EXPECT_EQ(sent().back(), "status cd mode");
}

TEST_F(CdTest, CheckCDGivesTheBooleanConventionAndRefusesAnEmptyReply) {
  EXPECT_EQ(errorOf([&] { playerA.CheckCD(); }), vb_error::TypeMismatch);
  playerA.ReadyDevice();
  EXPECT_EQ(playerA.CheckCD(), -1);
  disc.doorOpen = true;
  EXPECT_EQ(playerA.CheckCD(), 0);
}

TEST_F(CdTest, GetNumTracksConvertsTheFirstTwoCharacters) {
  EXPECT_EQ(errorOf([&] { playerA.GetNumTracks(); }), vb_error::TypeMismatch);
  mci.reply("status cd number of tracks wait", "7");
  mci.reply("status cd number of tracks wait", "123");
  EXPECT_EQ(playerA.GetNumTracks(), 7);
  EXPECT_EQ(playerA.GetNumTracks(), 12);
}

// Only the media query may answer with a Boolean word; the skip's position
// reading is strict, so a word stops it before anything moves.
TEST_F(CdTest, PlayerAReadsBooleanWordsOnlyInCheckCD) {
  mci.reply("status cd media present", "False");
  EXPECT_EQ(playerA.CheckCD(), 0);
  mci.reply("status cd position wait", "true");
  EXPECT_EQ(errorOf([&] { playerA.fastForward(1000); }), vb_error::TypeMismatch);
  mci.reply("status cd position wait", "FALSE");
  EXPECT_EQ(errorOf([&] { playerA.ReWind(1000); }), vb_error::TypeMismatch);
  for (const std::string& command : sent())
    EXPECT_TRUE(command.rfind("status", 0) == 0 || command.rfind("set cd time format", 0) == 0) << command;
}

TEST_F(CdTest, GetCDPositionWritesTrackMinutesSecondsOneAfterTheOther) {
  playerA.ReadyDevice();
  disc.position = disc.trackStart(2) + 63000;
  int16_t track = 9, minutes = 9, seconds = 9;
  playerA.GetCDPosition(track, minutes, seconds);
  EXPECT_EQ(track, 2);
  EXPECT_EQ(minutes, 1);
  EXPECT_EQ(seconds, 3);

  mci.reply("status cd position", "123456");  // milliseconds, six digits
  track = minutes = seconds = 9;
  EXPECT_EQ(errorOf([&] { playerA.GetCDPosition(track, minutes, seconds); }), vb_error::TypeMismatch);
  EXPECT_EQ(track, 12);
  EXPECT_EQ(minutes, 45);
  EXPECT_EQ(seconds, 9);
}

TEST_F(CdTest, PlayerAFastForwardStepsInMillisecondsAndReturnsToTmsf) {
  playerA.ReadyDevice();
  disc.position = 10000;
  disc.mode = "playing";
  mci.calls.clear();
  playerA.fastForward(5000);
  EXPECT_EQ(sent(), (Commands{"set cd time format milliseconds", "status cd position wait",
                              "status cd mode", "play cd from 15000", "set cd time format tmsf wait"}));
  disc.mode = "stopped";
  playerA.ReWind(20000);
  EXPECT_EQ(sent()[3], "seek cd to -5000");
  EXPECT_EQ(disc.timeFormat, "tmsf");
}

TEST_F(CdTest, PlayerAFastForwardWithNoNumberStopsInMilliseconds) {
  EXPECT_EQ(errorOf([&] { playerA.fastForward(1000); }), vb_error::TypeMismatch);
  EXPECT_EQ(sent(), (Commands{"set cd time format milliseconds", "status cd position wait",
                              "status cd mode"}));
}

TEST_F(CdTest, PlayerAFastForwardUsesAFortyCharacterBuffer) {
  playerA.ReadyDevice();
  mci.calls.clear();
  playerA.fastForward(1);
  EXPECT_EQ(mci.calls[1].replyLength, 40u);
  EXPECT_EQ(mci.calls[1].preparedBuffer, std::string(40, '\0'));
}

// --- CD-ROM drives --------------------------------------------------------------------

TEST_F(CdTest, CDRomsCollectionListsTheCdRomRootsInDriveOrder) {
  Variant detect(u"ignored");
  const Collection roms = drives.CDRomsCollection(detect);
  ASSERT_EQ(roms.Count(), 2);
  EXPECT_EQ(roms.Item(Variant(int32_t{1})).text(), u"D:\\");
  EXPECT_EQ(roms.Item(Variant(int32_t{2})).text(), u"E:\\");
  EXPECT_FALSE(roms.entries()[0].key);
  EXPECT_EQ(detect.type(), VarType::Integer);
  EXPECT_EQ(detect.integral(), 2);
  EXPECT_EQ(fakes.drives.calls, (Commands{"GetLogicalDriveStringsA 255", "GetDriveTypeW C:\\",
                                          "GetDriveTypeW D:\\", "GetDriveTypeW E:\\",
                                          "GetDriveTypeW Z:\\"}));
}

TEST_F(CdTest, WithoutCdRomDrivesTheCollectionIsEmptyAndTheCountAnIntegerZero) {
  fakes.drives.drives = {{"C:\\", 3}};
  Variant detect;
  EXPECT_EQ(drives.CDRomsCollection(detect).Count(), 0);
  EXPECT_EQ(detect.type(), VarType::Integer);
  EXPECT_EQ(detect.integral(), 0);

  fakes.drives.listFails = true;
  detect = Variant(u"x");
  EXPECT_EQ(drives.CDRomsCollection(detect).Count(), 0);
  EXPECT_EQ(detect.integral(), 0);
}

TEST_F(CdTest, EjectAndLoadActOnTheSharedDeviceAndAlwaysReturnZero) {
  EXPECT_EQ(drives.Eject(), 0);  // nothing open: refused, unreported
  playerA.ReadyDevice();
  mci.calls.clear();
  EXPECT_EQ(drives.Eject(), 0);
  EXPECT_TRUE(disc.doorOpen);
  EXPECT_EQ(drives.Load(), 0);
  EXPECT_FALSE(disc.doorOpen);
  EXPECT_EQ(sent(), (Commands{"set cd door open", "set cd door closed"}));
}

// --- Objects sharing the alias "cd" ------------------------------------------------------

TEST_F(CdTest, PlayerBReadsTheDeviceThatPlayerAReadied) {
  playerA.ReadyDevice();
  EXPECT_EQ(playerB.getNumberTracks(), 3);
  EXPECT_EQ(playerB.getTimeFormat().substr(0, 5), u"tmsf\0"s);
  playerA.SeekCDtoX(2);
  EXPECT_TRUE(playerB.isPlaying());
  EXPECT_EQ(playerB.getCurrentTrack(), 2);
  // Player B's reading leaves milliseconds behind, which player A's
  // position reading then meets: six digits, no seconds field.
  EXPECT_EQ(playerB.getPositionMS(), 300000);
  int16_t track = 0, minutes = 7, seconds = 7;
  EXPECT_EQ(errorOf([&] { playerA.GetCDPosition(track, minutes, seconds); }), vb_error::TypeMismatch);
  EXPECT_EQ(track, 30);
  EXPECT_EQ(minutes, 0);
  EXPECT_EQ(seconds, 7);
}

TEST_F(CdTest, TheDoorOpenedThroughOneObjectShowsInTheOthers) {
  openB();
  drives.Eject();
  EXPECT_FALSE(playerB.checkForCD());
  EXPECT_EQ(playerA.CheckCD(), 0);
  EXPECT_EQ(playerA.CheckIfPlaying(), 0);
  playerA.CloseCD();
  EXPECT_TRUE(playerB.checkForCD());
}

TEST_F(CdTest, CloseAllOfOneObjectClosesTheDeviceForAll) {
  openB();
  playerB.playCD();
  playerA.UnloadAll();
  EXPECT_FALSE(playerB.isPlaying());
  EXPECT_EQ(playerB.lastMciError, static_cast<int32_t>(mci_error::InvalidDeviceName));
  std::u16string drive = u"E:\\";
  playerB.startCD(drive);  // the alias is free again
  EXPECT_EQ(playerB.lastMciError, 0);
  EXPECT_EQ(disc.openedAs, "\"E:\\\"");
}

}  // namespace
}  // namespace orvalis
