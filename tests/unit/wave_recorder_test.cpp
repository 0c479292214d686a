#include <gtest/gtest.h>

#include "doubles/FakePlatform.h"
#include "wave/clsVxAudoMCISoundRecA.h"

namespace orvalis {
namespace {

using testing::FakeMci;
using testing::FakeRuntime;
using Commands = std::vector<std::string>;

const Commands kSequence = {
    "open new Type waveaudio Alias recsound",
    "set recsound time format ms bitspersample 16 channels 2 bytespersec 22500  samplespersec 11025",
    "record  recsound",
    "save recsound C:\\rec\\take 1.wav",
    "close recsound",
};

struct RecorderTest : ::testing::Test {
  testing::FakePlatform fakes;
  FakeMci& mci = fakes.mci;
  FakeRuntime& runtime = fakes.runtime;
  clsVxAudoMCISoundRecA recorder{fakes.platform};
  // The commands sent before each turn of the wait.
  std::vector<size_t> sentAtWait;

  RecorderTest() {
    // The host's event handling: its first event stops the recording.
    runtime.duringMessages = [this] {
      sentAtWait.push_back(mci.calls.size());
      recorder.StopRecording();
      return true;
    };
  }

  int16_t record(const std::u16string& bits = u"16", const Variant& duration = Variant::missing()) {
    return recorder.RecordSound(u"C:\\rec\\take 1.wav", bits, u"11025", duration);
  }

  int32_t errorOf(const std::u16string& bits, const Variant& duration = Variant::missing()) {
    try {
      record(bits, duration);
    } catch (const RuntimeError& error) {
      return error.number();
    }
    return 0;
  }
};

TEST_F(RecorderTest, RecordsWithTheFiveCommandsAndWaitsBetweenRecordAndSave) {
  EXPECT_EQ(record(), 0);
  EXPECT_EQ(mci.commands(), kSequence);
  for (const auto& call : mci.calls) EXPECT_EQ(call.replyLength, 1024u);
  EXPECT_EQ(sentAtWait, (std::vector<size_t>{3}));
  EXPECT_TRUE(runtime.messageBoxes.empty());
}

TEST_F(RecorderTest, SavesUnderANameOutsideTheAnsiCodePageUnchanged) {
  recorder.RecordSound(u"C:\\\u9332\u97f3.wav", u"16", u"11025", Variant::missing());
  EXPECT_EQ(mci.calls.at(3).wideCommand, u"save recsound C:\\\u9332\u97f3.wav");
}

TEST_F(RecorderTest, TheWaitSleepsInTheMessageWaitUntilTheHostStopsIt) {
  int events = 0;
  runtime.duringMessages = [&] {
    if (++events == 5) recorder.StopRecording();
    return true;
  };
  record();
  EXPECT_EQ(events, 5);
  for (double wait : runtime.messageWaits) EXPECT_GT(wait, 0.0);  // sleeping, never spinning
  EXPECT_EQ(mci.commands().size(), 5u);
}

TEST_F(RecorderTest, TheHostsQuitRequestEndsTheWaitAndTheFileIsStillSaved) {
  runtime.duringMessages = [] { return false; };
  record();
  EXPECT_EQ(runtime.messageWaits.size(), 1u);
  EXPECT_EQ(mci.commands(), kSequence);
}

TEST_F(RecorderTest, ADurationEndsTheRecordingOnItsOwn) {
  runtime.duringMessages = nullptr;
  runtime.stepPerWait = 0.4;  // messages keep arriving
  const double start = runtime.clock;
  record(u"16", Variant(2.5));
  EXPECT_NEAR(runtime.clock - start, 2.5, 1e-9);
  EXPECT_EQ(mci.commands(), kSequence);

  runtime.messageWaits.clear();
  record(u"16", Variant(u"0"));  // nothing to wait for
  EXPECT_TRUE(runtime.messageWaits.empty());
}

TEST_F(RecorderTest, TheBitsAreWrittenAsAWholeNumberAndTheRateAsGiven) {
  recorder.RecordSound(u"x.wav", u" 8.5 ", u" 8000x", Variant::missing());
  recorder.RecordSound(u"x.wav", u"-3", u"", Variant::missing());
  EXPECT_EQ(mci.calls[1].command,
            "set recsound time format ms bitspersample 8 channels 2 bytespersec 22500  samplespersec  8000x");
  EXPECT_EQ(mci.calls[6].command,
            "set recsound time format ms bitspersample -3 channels 2 bytespersec 22500  samplespersec ");
}

// The values are read before the device is opened, so a bad one leaves no
// recsound device open behind the error.
TEST_F(RecorderTest, BitsThatAreNoIntegerRaiseBeforeAnythingIsSent) {
  EXPECT_EQ(errorOf(u"sixteen"), 13);
  EXPECT_EQ(errorOf(u"40000"), 6);
  EXPECT_EQ(errorOf(u"16", Variant(u"soon")), 13);
  EXPECT_EQ(errorOf(u"16", Variant::null()), 94);
  EXPECT_TRUE(mci.calls.empty());
}

TEST_F(RecorderTest, EachFailedCommandShowsItsErrorTextAndTheSequenceGoesOn) {
  mci.fail("open new Type waveaudio Alias recsound", 328);
  mci.fail("record  recsound", 281);
  mci.errorTexts[328] = "No wave device that can record files in the current format is installed.";
  mci.errorTexts[281] = "Cannot determine the device type from the given filename extension.";
  record();
  EXPECT_EQ(mci.commands(), kSequence);
  EXPECT_EQ(sentAtWait, (std::vector<size_t>{3}));  // the wait still takes place
  ASSERT_EQ(runtime.messageBoxes.size(), 2u);
  EXPECT_EQ(runtime.messageBoxes[0].text, u"No wave device that can record files in the current format is installed.");
  EXPECT_EQ(runtime.messageBoxes[1].text, u"Cannot determine the device type from the given filename extension.");
  for (const auto& box : runtime.messageBoxes) {
    EXPECT_EQ(box.title, u"Error");
    EXPECT_EQ(box.style, 0u);
  }
}

TEST_F(RecorderTest, AFailedSaveStillClosesTheDevice) {
  mci.fail("save recsound C:\\rec\\take 1.wav", 286);
  mci.errorTexts[286] = "The file was not saved.";
  record();
  EXPECT_EQ(mci.commands().back(), "close recsound");
  ASSERT_EQ(runtime.messageBoxes.size(), 1u);
  EXPECT_EQ(runtime.messageBoxes[0].text, u"The file was not saved.");
}

}  // namespace
}  // namespace orvalis
