#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "doubles/FakePlatform.h"
#include "doubles/RaisedError.h"
#include "mixer/clsVxAudoWMixerA.h"
#include "mixer/clsVxAudoWMixerB.h"

namespace orvalis {
namespace {

using namespace mixer;
using testing::FakeMixer;
using testing::FakeMixerControl;
using testing::MixerCall;
using testing::raisedError;
using Names = std::vector<std::string>;

constexpr uint32_t kSpeakers = kDstSpeakers;
constexpr uint32_t kLine = kSrcLine;
constexpr uint32_t kMicrophone = kSrcMicrophone;
constexpr uint32_t kSynthesizer = kSrcSynthesizer;
constexpr uint32_t kCompactDisc = kSrcCompactDisc;
constexpr uint32_t kWaveOut = kSrcWaveOut;
constexpr uint32_t kAuxiliary = kSrcAuxiliary;
constexpr uint32_t kVolume = kVolumeControl;
constexpr uint32_t kMute = kMuteControl;

// The platform's record sizes: its pointer-sized fields make them larger in
// 64-bit code.
constexpr uint32_t kLineBytes = kWidePointers ? 172 : 168;
constexpr uint32_t kLineControlsBytes = kWidePointers ? 28 : 24;
constexpr uint32_t kDetailsBytes = kWidePointers ? 32 : 24;

// The line of each kind, in the order of the enumerations.
constexpr uint32_t kKinds[7] = {kSpeakers, kLine, kMicrophone, kSynthesizer, kCompactDisc, kWaveOut, kAuxiliary};

// The VOL_CONTROL and MUTE_CONTROL values.
enum : int32_t { SPEAKER, LINEIN, MICROPHONE, SYNTHESIZER, COMPACTDISC, WAVEOUT, AUXILIARY };
enum : int32_t { SPEAKER_MUTE = 7, MICROPHONE_MUTE = 9, AUXILIARY_MUTE = 13 };

// Every test ends with every transfer block released, error paths included.
struct MixerTest : ::testing::Test {
  testing::FakePlatform fakes;
  FakeMixer& mixer = fakes.mixer;

  void TearDown() override { EXPECT_EQ(mixer.liveBlocks(), 0u) << "a transfer block leaked"; }

  // Device 0 has all seven lines, each with a volume 0 to 65535 and a mute.
  void sevenLineDevice() { mixer.addDevice({std::begin(kKinds), std::end(kKinds)}); }
  FakeMixerControl& control(uint32_t line, uint32_t type, size_t device = 0) {
    return mixer.devices.at(device).controlOf(line, type);
  }
  uint32_t lineId(uint32_t componentType, size_t device = 0) {
    for (const auto& line : mixer.devices.at(device).lines)
      if (line.componentType == componentType) return line.lineId;
    return 0;
  }
};


// --- clsVxAudoWMixerB ----------------------------------------------------------

struct MixerBTest : MixerTest {
  std::optional<clsVxAudoWMixerB> object{std::in_place, fakes.platform};
  clsVxAudoWMixerB& b = *object;

  // Opens device 0 and forgets the calls that took.
  void open() {
    ASSERT_EQ(b.OpenMixer(0), -1);
    mixer.calls.clear();
  }
  int32_t lastValueSet() const { return mixer.last("mixerSetControlDetails").values.at(0); }
};

TEST_F(MixerBTest, OpenMixerOutsideTheDeviceRangeOpensNothing) {
  EXPECT_EQ(b.OpenMixer(0), 0);  // no device at all
  sevenLineDevice();
  mixer.addDevice({kSpeakers});
  EXPECT_EQ(b.OpenMixer(-1), 0);
  EXPECT_EQ(b.OpenMixer(2), 0);
  EXPECT_EQ(mixer.names(), (Names(3, "mixerGetNumDevs")));
  EXPECT_EQ(b.handle(), 0u);
}

TEST_F(MixerBTest, OpenMixerLooksUpFourteenControlsInItsOrder) {
  sevenLineDevice();
  EXPECT_EQ(b.OpenMixer(0), -1);
  EXPECT_EQ(mixer.calls.at(1).flags, 0u) << "mixerOpen gets device 0";
  EXPECT_EQ(b.handle(), *mixer.openHandles.begin());

  // Speakers, microphone, auxiliary, CD, synthesizer, wave output, line:
  // the volumes, then the mutes, each in a zero-filled 152-byte block.
  const uint32_t order[7] = {kSpeakers, kMicrophone, kAuxiliary, kCompactDisc, kSynthesizer, kWaveOut, kLine};
  std::vector<std::pair<uint32_t, uint32_t>> expected, asked;
  for (size_t i = 0; i < 14; ++i) expected.emplace_back(lineId(order[i % 7]), i < 7 ? kVolume : kMute);
  for (const MixerCall* call : mixer.callsNamed("mixerGetLineControlsA")) {
    const auto controls = FakeMixer::recordOf<MixerLineControlsA>(*call);
    asked.emplace_back(controls.dwLineID, controls.dwControl);
    EXPECT_EQ(controls.cbStruct, kLineControlsBytes);
    EXPECT_EQ(controls.cControls, 1u);
    EXPECT_EQ(controls.cbmxctrl, 148u);
    EXPECT_EQ(call->flags, kOneControlByType);
  }
  EXPECT_EQ(asked, expected);
  for (const MixerCall* call : mixer.callsNamed("GlobalAlloc")) {
    EXPECT_EQ(call->flags, kZeroInitBlock);
    EXPECT_EQ(call->bytes, 152u);
  }
  const MixerCall& lineCall = *mixer.callsNamed("mixerGetLineInfoA").at(2);
  MixerLineA line{};
  line.cbStruct = kLineBytes;
  line.dwComponentType = kAuxiliary;
  EXPECT_EQ(lineCall.flags, kLineByComponentType);
  EXPECT_EQ(lineCall.handle, b.handle());
  EXPECT_EQ(lineCall.record, std::vector<uint8_t>(reinterpret_cast<uint8_t*>(&line), reinterpret_cast<uint8_t*>(&line + 1)))
      << "a zero-filled line record";

  // Each record holds its kind's control as the platform described it.
  for (int32_t index = 0; index < 21; ++index) {
    SCOPED_TRACE(index);
    const auto& record = b.record(index);
    const uint32_t id = index < 14 ? control(kKinds[index % 7], index < 7 ? kVolume : kMute).id : 0;
    EXPECT_EQ(record.control.dwControlID, id);
    EXPECT_EQ(record.control.cbStruct, index < 14 ? 148u : 0u);
    EXPECT_EQ(record.control.lMaximum, index < 7 ? 65535 : index < 14 ? 1 : 0);
    EXPECT_EQ(record.padding, 0u);
  }
}

TEST_F(MixerBTest, MissingLinesAndControlsLeaveTheirRecordsEmpty) {
  // Speakers without a mute switch; no auxiliary line at all.
  mixer.addDevice({kSpeakers, kMicrophone});
  mixer.devices[0].lines[0].controls.pop_back();
  ASSERT_EQ(b.OpenMixer(0), -1);  // whatever the lookups gave

  EXPECT_EQ(b.record(AUXILIARY).control.cbStruct, 0u) << "the line lookup failed first";
  EXPECT_EQ(b.record(SPEAKER_MUTE).control.cbStruct, 152u) << "set before the control query";
  EXPECT_EQ(b.record(SPEAKER_MUTE).control.dwControlID, 0u);

  // An empty record's identifier 0 is the speakers' volume here, as on
  // Wine: a set or get on it would change or read that control. Neither
  // calls the platform; they answer as a failed call would.
  ASSERT_EQ(control(kSpeakers, kVolume).id, 0u);
  ASSERT_EQ(b.SetVolume(SPEAKER, 50), -1);
  mixer.calls.clear();
  EXPECT_EQ(b.SetVolume(AUXILIARY, 80), 0);
  EXPECT_EQ(b.GetVolume(AUXILIARY), 0);
  EXPECT_FALSE(b.SetMute(SPEAKER_MUTE, -1)) << "a record whose control lookup failed is empty too";
  EXPECT_FALSE(b.GetMute(SPEAKER_MUTE));
  EXPECT_TRUE(mixer.calls.empty());
  EXPECT_EQ(control(kSpeakers, kVolume).value, 32750) << "the speakers keep their 50 %";
  EXPECT_EQ(b.GetVolume(SPEAKER), 50);
}

TEST_F(MixerBTest, ANeverOpenedObjectLeavesDevice0Alone) {
  sevenLineDevice();
  control(kSpeakers, kVolume).value = 32750;
  EXPECT_EQ(b.SetVolume(SPEAKER, 10), 0);
  EXPECT_EQ(b.GetVolume(SPEAKER), 0);
  EXPECT_FALSE(b.SetMute(SPEAKER_MUTE, -1));
  EXPECT_FALSE(b.GetMute(SPEAKER_MUTE));
  EXPECT_TRUE(mixer.calls.empty());
  EXPECT_EQ(control(kSpeakers, kVolume).value, 32750);
}

TEST_F(MixerBTest, ASecondOpenMixerClosesTheOldDeviceAndForgetsItsControls) {
  sevenLineDevice();
  mixer.addDevice({kSpeakers}, 5000);  // device 1 has no auxiliary line
  ASSERT_EQ(b.OpenMixer(0), -1);
  const uintptr_t first = b.handle();
  ASSERT_NE(b.record(AUXILIARY).control.dwControlID, 0u);

  ASSERT_EQ(b.OpenMixer(1), -1);
  EXPECT_EQ(mixer.openHandles, std::set<uintptr_t>{b.handle()});
  EXPECT_EQ(mixer.last("mixerClose").handle, first);
  EXPECT_EQ(b.record(SPEAKER).control.dwControlID, control(kSpeakers, kVolume, 1).id);
  EXPECT_EQ(b.record(AUXILIARY).control.dwControlID, 0u);
  EXPECT_EQ(b.record(AUXILIARY).control.cbStruct, 0u);
}

TEST_F(MixerBTest, AFailedOpenKeepsTheOpenDeviceAndItsTable) {
  sevenLineDevice();
  mixer.addDevice({kSpeakers});
  ASSERT_EQ(b.OpenMixer(0), -1);
  const uintptr_t held = b.handle();
  mixer.failures["mixerOpen"] = 4;  // allocated

  EXPECT_EQ(b.OpenMixer(1), 0);
  EXPECT_EQ(b.OpenMixer(7), 0);
  EXPECT_EQ(b.handle(), held);
  EXPECT_EQ(mixer.openHandles, std::set<uintptr_t>{held});
  EXPECT_EQ(b.record(AUXILIARY).control.dwControlID, control(kAuxiliary, kVolume).id);
}

TEST_F(MixerBTest, ReleasingTheObjectClosesTheDeviceLeftOpen) {
  sevenLineDevice();
  ASSERT_EQ(b.OpenMixer(0), -1);
  object.reset();
  EXPECT_TRUE(mixer.openHandles.empty());
  EXPECT_EQ(mixer.names().back(), "mixerClose");
}

TEST_F(MixerBTest, CloseMixerReturnsThePlatformCodeAndForgetsTheHandle) {
  sevenLineDevice();
  EXPECT_EQ(b.CloseMixer(), 5) << "nothing open: the platform's invalid-handle code";
  EXPECT_EQ(mixer.last("mixerClose").handle, 0u);

  ASSERT_EQ(b.OpenMixer(0), -1);
  mixer.failures["mixerClose"] = 1;
  EXPECT_EQ(b.CloseMixer(), 1);
  EXPECT_EQ(b.handle(), 0u) << "zero whatever the platform said";
  mixer.failures.clear();
  EXPECT_EQ(b.record(SPEAKER).control.lMaximum, 65535) << "the records stay";

  const size_t before = mixer.calls.size();
  object.reset();
  EXPECT_EQ(mixer.calls.size(), before) << "nothing left to close";
}

// Handle 0 with flags 0 is device 0 to the platform: after CloseMixer the
// kept records must not go on reaching the first device.
TEST_F(MixerBTest, AClosedMixerAnswersFailureWithoutTouchingDevice0) {
  sevenLineDevice();
  auto& speakers = control(kSpeakers, kVolume);
  speakers.minimum = 10;
  speakers.maximum = 200;
  open();
  ASSERT_EQ(b.SetVolume(SPEAKER, 50), -1);
  ASSERT_EQ(b.CloseMixer(), 0);
  mixer.calls.clear();

  EXPECT_EQ(b.SetVolume(SPEAKER, 25), 0);
  EXPECT_EQ(b.GetVolume(SPEAKER), -10) << "the zero a failed query leaves: 0 - lMinimum";
  EXPECT_FALSE(b.SetMute(SPEAKER_MUTE, -1));
  EXPECT_FALSE(b.GetMute(SPEAKER_MUTE));
  EXPECT_EQ(raisedError([&] { b.SetVolume(SPEAKER, 1100000000); }), vb_error::Overflow)
      << "the scaling still overflows";
  EXPECT_TRUE(mixer.calls.empty());
  EXPECT_EQ(speakers.value, 100);
  EXPECT_EQ(mixer.devices[0].controlOf(kSpeakers, kMute).value, 0);
}

TEST_F(MixerBTest, PercentagesScaleByTheHundredthOfTheRangeAndClamp) {
  sevenLineDevice();
  open();
  const auto& speakers = control(kSpeakers, kVolume);
  const struct {
    int32_t percent, written, readBack;
  } cases[] = {{50, 32750, 50}, {100, 65500, 100}, {150, 65535, 100}, {-10, 0, 0}, {0, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.percent);
    EXPECT_EQ(b.SetVolume(SPEAKER, c.percent), -1);
    EXPECT_EQ(lastValueSet(), c.written);
    EXPECT_EQ(speakers.value, c.written);
    EXPECT_EQ(b.GetVolume(SPEAKER), c.readBack);
  }

  const auto details = FakeMixer::recordOf<MixerControlDetails>(mixer.last("mixerSetControlDetails"));
  EXPECT_EQ(details.cbStruct, kDetailsBytes);
  EXPECT_EQ(details.dwControlID, speakers.id);
  EXPECT_EQ(details.cChannels, 1u);
  EXPECT_EQ(uintptr_t{details.item}, 0u);  // a packed field: read, not referenced
  EXPECT_EQ(details.cbDetails, 4u);
  EXPECT_EQ(mixer.last("mixerSetControlDetails").handle, b.handle());
  EXPECT_EQ(mixer.last("mixerSetControlDetails").flags, kSetValue);
  EXPECT_EQ(mixer.last("mixerGetControlDetailsA").flags, kGetValue);
  EXPECT_EQ(mixer.last("GlobalAlloc").bytes, 4u);
}

TEST_F(MixerBTest, EachValueTravelsInABlockReleasedAfterTheCall) {
  sevenLineDevice();
  open();
  b.SetVolume(SPEAKER, 10);
  EXPECT_EQ(mixer.names(), (Names{"GlobalAlloc", "GlobalLock", "RtlMoveMemory",
                                  "mixerSetControlDetails", "GlobalFree"}));
  EXPECT_EQ(uintptr_t{FakeMixer::recordOf<MixerControlDetails>(mixer.calls[3]).paDetails}, mixer.calls[2].handle)
      << "the value is written where the record points";
  EXPECT_EQ(mixer.calls[4].handle, mixer.calls[1].handle) << "the block locked is the block freed";

  mixer.calls.clear();
  b.GetVolume(SPEAKER);
  EXPECT_EQ(mixer.names(), (Names{"GlobalAlloc", "GlobalLock", "mixerGetControlDetailsA",
                                  "RtlMoveMemory", "GlobalFree"}));
}

TEST_F(MixerBTest, OverflowsRaiseError6AndStillReleaseTheBlock) {
  sevenLineDevice();
  open();
  EXPECT_EQ(raisedError([&] { b.SetVolume(SPEAKER, 3300000); }), vb_error::Overflow);
  EXPECT_EQ(mixer.names(), (Names{"GlobalAlloc", "GlobalLock", "GlobalFree"}));

  control(kSpeakers, kVolume).value = 21474837;  // times 100 leaves 32 bits
  EXPECT_EQ(raisedError([&] { b.GetVolume(SPEAKER); }), vb_error::Overflow);
  EXPECT_EQ(raisedError([&] { b.SetMute(SPEAKER_MUTE, -32768); }), vb_error::Overflow);
}

TEST_F(MixerBTest, SmallRangesTakeRawValuesClampedToTheRange) {
  mixer.addDevice({kSpeakers, kMicrophone});
  control(kMicrophone, kVolume).maximum = 100;
  control(kMicrophone, kVolume).minimum = 10;
  open();

  EXPECT_EQ(b.SetVolume(MICROPHONE, 70), -1);
  EXPECT_EQ(lastValueSet(), 70);
  EXPECT_EQ(b.GetVolume(MICROPHONE), 70);
  b.SetVolume(MICROPHONE, 150);
  EXPECT_EQ(lastValueSet(), 100);
  b.SetVolume(MICROPHONE, 3);
  EXPECT_EQ(lastValueSet(), 10);
  control(kMicrophone, kVolume).value = 5;  // as the platform may hold it
  EXPECT_EQ(b.GetVolume(MICROPHONE), 5);
}

TEST_F(MixerBTest, ReadingBackDividesByTheMaximumSubtractsTheMinimumAndRoundsHalfToEven) {
  mixer.addDevice({kSpeakers});
  auto& speakers = control(kSpeakers, kVolume);
  speakers.minimum = 10;
  speakers.maximum = 200;
  open();

  b.SetVolume(SPEAKER, 50);
  EXPECT_EQ(lastValueSet(), 100) << "50 x (200 div 100)";
  EXPECT_EQ(b.GetVolume(SPEAKER), 40) << "100 x 100 / 200 - 10";

  speakers.value = 13;  // 6.5 - 10 = -3.5
  EXPECT_EQ(b.GetVolume(SPEAKER), -4);
  speakers.value = 15;  // 7.5 - 10 = -2.5
  EXPECT_EQ(b.GetVolume(SPEAKER), -2);

  b.SetVolume(SPEAKER, 1);  // 2, clamped up to the minimum
  EXPECT_EQ(lastValueSet(), 10);

  mixer.failures["mixerGetControlDetailsA"] = 1;
  EXPECT_EQ(b.GetVolume(SPEAKER), -10) << "an unnoticed failure reads 0 - lMinimum";
}

TEST_F(MixerBTest, MuteWritesOneForTrueAndReadsAnyNonZeroAsTrue) {
  sevenLineDevice();
  open();
  auto& mute = control(kSpeakers, kMute);
  EXPECT_TRUE(b.SetMute(SPEAKER_MUTE, -1));
  EXPECT_EQ(lastValueSet(), 1);
  EXPECT_TRUE(b.GetMute(SPEAKER_MUTE));
  EXPECT_TRUE(b.SetMute(SPEAKER_MUTE, 0));
  EXPECT_EQ(lastValueSet(), 0);
  EXPECT_FALSE(b.GetMute(SPEAKER_MUTE));
  mute.value = -1;
  EXPECT_TRUE(b.GetMute(SPEAKER_MUTE));
  mute.value = 5;
  EXPECT_TRUE(b.GetMute(SPEAKER_MUTE));

  // The index decides, not the enumeration: a volume scales the 1.
  EXPECT_TRUE(b.SetMute(SPEAKER, -1));
  EXPECT_EQ(lastValueSet(), 655);
  EXPECT_EQ(b.SetVolume(SPEAKER_MUTE, 100), -1);
  EXPECT_EQ(lastValueSet(), 1) << "a range of 0 to 1 clamps";

  mixer.failures["mixerSetControlDetails"] = 11;
  EXPECT_FALSE(b.SetMute(SPEAKER_MUTE, -1));
  EXPECT_EQ(b.SetVolume(SPEAKER, 10), 0);
}

TEST_F(MixerBTest, IndicesUpTo20AddressEmptyRecordsAndOthersRaiseError9) {
  sevenLineDevice();
  open();
  for (int32_t index = 14; index <= 20; ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(b.SetVolume(index, 50), 0);
    EXPECT_EQ(b.GetVolume(index), 0);
    EXPECT_FALSE(b.SetMute(index, -1));
    EXPECT_FALSE(b.GetMute(index));
  }
  EXPECT_TRUE(mixer.calls.empty()) << "an empty record reaches no control, not even control 0";
  EXPECT_EQ(control(kSpeakers, kVolume).value, 0);
  for (int32_t index : {21, -1}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(raisedError([&] { b.SetVolume(index, 1); }), vb_error::SubscriptOutOfRange);
    EXPECT_EQ(raisedError([&] { b.GetVolume(index); }), vb_error::SubscriptOutOfRange);
    EXPECT_EQ(raisedError([&] { b.SetMute(index, -1); }), vb_error::SubscriptOutOfRange);
    EXPECT_EQ(raisedError([&] { b.GetMute(index); }), vb_error::SubscriptOutOfRange);
  }
  EXPECT_TRUE(mixer.calls.empty());
}

// --- clsVxAudoWMixerA ----------------------------------------------------------

struct MixerATest : MixerTest {
  clsVxAudoWMixerA a{fakes.platform};
  intptr_t hMixer = 0;  // the host's LongPtr
  MixerControlA mxc{};

  void SetUp() override {
    sevenLineDevice();
    uintptr_t handle = 0;
    ASSERT_EQ(mixer.open(handle, 0, 0, 0, 0), 0u);
    hMixer = static_cast<intptr_t>(handle);
    ASSERT_TRUE(a.GetMixerControl(hMixer, kSpeakers, kVolume, mxc));
    mixer.calls.clear();
  }
  const MixerCall& lastSet() const { return mixer.last("mixerSetControlDetails"); }
  MixerControlDetails lastSetDetails() const { return FakeMixer::recordOf<MixerControlDetails>(lastSet()); }
};

TEST_F(MixerATest, GetMixerControlCopiesThePlatformsDescriptionOrLeavesTheRecord) {
  MixerControlA untouched;
  std::memset(&untouched, 0xAA, sizeof untouched);
  MixerControlA found = untouched;
  ASSERT_TRUE(a.GetMixerControl(hMixer, kMicrophone, kMute, found));
  EXPECT_EQ(found.cbStruct, 148u);
  EXPECT_EQ(found.dwControlID, control(kMicrophone, kMute).id);
  EXPECT_EQ(found.dwControlType, kMute);
  EXPECT_EQ(found.lMaximum, 1);
  EXPECT_STREQ(found.szName, "Mute");
  EXPECT_EQ(found.Metrics[5], 0u) << "all 148 bytes come from the zero-filled block";
  EXPECT_EQ(mixer.last("GlobalAlloc").bytes, 148u);
  EXPECT_EQ(FakeMixer::recordOf<MixerLineControlsA>(mixer.last("mixerGetLineControlsA")).dwLineID,
            lineId(kMicrophone));

  mixer.devices[0].lines.pop_back();              // no auxiliary line
  mixer.devices[0].lines[0].controls.pop_back();  // speakers without a mute
  MixerControlA record = untouched;
  EXPECT_FALSE(a.GetMixerControl(hMixer, kAuxiliary, kVolume, record));
  EXPECT_EQ(std::memcmp(&record, &untouched, sizeof record), 0);
  EXPECT_FALSE(a.GetMixerControl(hMixer, kSpeakers, kMute, record));
  EXPECT_EQ(record.cbStruct, 148u);
  EXPECT_EQ(std::memcmp(&record.dwControlID, &untouched.dwControlID, sizeof record - 4), 0);
}

TEST_F(MixerATest, SettersPassValuesUnscaledAndUnclamped) {
  EXPECT_FALSE(a.SetVolumeControl(hMixer, mxc, 70000)) << "the platform refuses beyond 65535";
  EXPECT_EQ(lastSet().values, (std::vector<int32_t>{70000}));
  EXPECT_TRUE(a.SetVolumeControl(hMixer, mxc, 50));
  EXPECT_EQ(lastSet().values, (std::vector<int32_t>{50}));
  EXPECT_EQ(a.GetVolumeControlValue(hMixer, mxc), 50);

  const auto details = lastSetDetails();
  EXPECT_EQ(details.cbStruct, kDetailsBytes);
  EXPECT_EQ(details.dwControlID, mxc.dwControlID);
  EXPECT_EQ(details.cChannels, 1u);
  EXPECT_EQ(uintptr_t{details.item}, 0u);  // a packed field: read, not referenced
  EXPECT_EQ(details.cbDetails, 4u);
  EXPECT_EQ(lastSet().handle, static_cast<uintptr_t>(hMixer)) << "all of the handle's bits";
}

// The fake reads channels x items values, as a driver that honours the
// count does: the block must hold them all, left and right first.
TEST_F(MixerATest, SetPANControlWritesLeftThenRightWithTheControlsItemCount) {
  mxc.cMultipleItems = 3;
  EXPECT_TRUE(a.SetPANControl(hMixer, mxc, 65535, 0));
  EXPECT_EQ(lastSet().values, (std::vector<int32_t>{65535, 0}));
  EXPECT_EQ(lastSetDetails().cChannels, 2u);
  EXPECT_EQ(uintptr_t{lastSetDetails().item}, 3u);
  EXPECT_EQ(lastSetDetails().cbDetails, 4u);
  EXPECT_EQ(mixer.last("GlobalAlloc").bytes, 24u);

  for (uint32_t items : {0u, 1u}) {
    mxc.cMultipleItems = items;
    EXPECT_TRUE(a.SetPANControl(hMixer, mxc, 1, 2));
    EXPECT_EQ(lastSet().values, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(mixer.last("GlobalAlloc").bytes, 8u) << items << " items: one set of channels";
  }
}

TEST_F(MixerATest, MuteSettersWriteTheirValuesAsGiven) {
  MixerControlA mute{};
  ASSERT_TRUE(a.GetMixerControl(hMixer, kSpeakers, kMute, mute));
  EXPECT_TRUE(a.SetMuteControl(hMixer, mute, true));
  EXPECT_EQ(lastSet().values.at(0), -1);
  EXPECT_EQ(a.GetVolumeControlValue(hMixer, mute), -1) << "a value of -1 looks like a failure";
  EXPECT_TRUE(a.SetMuteControl(hMixer, mute, false));
  EXPECT_EQ(lastSet().values.at(0), 0);
  EXPECT_TRUE(a.unSetMuteControl(hMixer, mute, 1));
  EXPECT_EQ(lastSet().values.at(0), 1);
  EXPECT_TRUE(a.unSetMuteControl(hMixer, mute, 0));
  EXPECT_EQ(lastSet().values.at(0), 0);
}

TEST_F(MixerATest, PlatformFailuresGiveFalseAndMinusOne) {
  const intptr_t notAHandle = -5;
  EXPECT_FALSE(a.SetVolumeControl(notAHandle, mxc, 1));
  EXPECT_EQ(lastSet().handle, UINTPTR_MAX - 4) << "the handle is passed on unchanged";
  EXPECT_FALSE(a.SetPANControl(notAHandle, mxc, 1, 1));
  EXPECT_FALSE(a.SetMuteControl(notAHandle, mxc, true));
  EXPECT_FALSE(a.unSetMuteControl(notAHandle, mxc, 0));
  EXPECT_EQ(a.GetVolumeControlValue(notAHandle, mxc), -1);

  control(kSpeakers, kVolume).value = 1234;
  mixer.failures["mixerGetControlDetailsA"] = 1;
  EXPECT_EQ(a.GetVolumeControlValue(hMixer, mxc), -1);
}

TEST_F(MixerATest, NoMemoryForATransferBlockIsError7BeforeAnyMixerCall) {
  mixer.outOfMemory = true;
  EXPECT_EQ(raisedError([&] { a.SetVolumeControl(hMixer, mxc, 1); }), vb_error::OutOfMemory);
  EXPECT_EQ(raisedError([&] { a.GetVolumeControlValue(hMixer, mxc); }), vb_error::OutOfMemory);
  MixerControlA record = mxc;
  EXPECT_EQ(raisedError([&] { a.GetMixerControl(hMixer, kSpeakers, kMute, record); }), vb_error::OutOfMemory);
  EXPECT_EQ(std::memcmp(&record, &mxc, sizeof record), 0);
  EXPECT_TRUE(mixer.callsNamed("mixerSetControlDetails").empty());
  EXPECT_TRUE(mixer.callsNamed("mixerGetControlDetailsA").empty());
  EXPECT_TRUE(mixer.callsNamed("mixerGetLineControlsA").empty());
}

}  // namespace
}  // namespace orvalis
