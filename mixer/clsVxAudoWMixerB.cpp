#include "mixer/clsVxAudoWMixerB.h"

#include "frame/Conversion.h"
#include "frame/RuntimeError.h"
#include "mixer/MixerTransfer.h"

namespace orvalis {

namespace {

using namespace mixer;

// The line of each kind, in the order of VOL_CONTROL (0 to 6); the mute
// kinds 7 to 13 name the same lines in the same order.
constexpr uint32_t kLineOfKind[7] = {
    kDstSpeakers,    // SPEAKER, SPEAKER_MUTE
    kSrcLine,        // LINEIN, LINEIN_MUTE
    kSrcMicrophone,  // MICROPHONE, MICROPHONE_MUTE
    kSrcSynthesizer, // SYNTHESIZER, SYNTHESIZER_MUTE
    kSrcCompactDisc, // COMPACTDISC, COMPACTDISC_MUTE
    kSrcWaveOut,     // WAVEOUT, WAVEOUT_MUTE
    kSrcAuxiliary,   // AUXILIARY, AUXILIARY_MUTE
};
constexpr int32_t kFirstMuteIndex = 7;

// The order in which OpenMixer looks the fourteen controls up: speakers,
// microphone, auxiliary, CD, synthesizer, wave output, line; the volumes
// first, then the mutes.
constexpr int32_t kLookupOrder[14] = {0, 2, 6, 4, 3, 5, 1, 7, 9, 13, 11, 10, 12, 8};

constexpr uint32_t componentTypeOf(int32_t index) { return kLineOfKind[index % kFirstMuteIndex]; }
constexpr uint32_t controlTypeOf(int32_t index) {
  return index < kFirstMuteIndex ? kVolumeControl : kMuteControl;
}

// A percentage becomes a control value by the range's hundredth, truncated;
// a range of at most 100 takes the value as it is. Then the range clamps it.
int32_t controlValue(int32_t value, const MixerControlA& control) {
  int32_t v = value;
  if (control.lMaximum > 100) v = multiplyLong(value, control.lMaximum / 100);
  if (v > control.lMaximum) v = control.lMaximum;
  if (v < control.lMinimum) v = control.lMinimum;
  return v;
}

// The way back divides by the whole maximum and subtracts the minimum. With
// 0 to 65535 every percentage reads back as it was set; with other ranges
// it may read back differently.
int32_t percentage(int32_t v, const MixerControlA& control) {
  if (control.lMaximum <= 100) return v;
  const double scaled = static_cast<double>(multiplyLong(v, 100)) / control.lMaximum;
  return toLong(scaled - control.lMinimum);
}

}  // namespace

clsVxAudoWMixerB::clsVxAudoWMixerB(Platform& platform) : mixer_(platform.mixer) {}

clsVxAudoWMixerB::~clsVxAudoWMixerB() {
  if (hMixer_ != 0) mixer_.close(hMixer_);
}

int32_t clsVxAudoWMixerB::OpenMixer(int32_t MixerNumber) {
  const int64_t count = mixer_.getNumDevs();
  if (MixerNumber > count - 1 || MixerNumber < 0) return 0;

  uintptr_t opened = 0;
  if (mixer_.open(opened, static_cast<uint32_t>(MixerNumber), 0, 0, kObjectMixer) != 0)
    return 0;
  // The device this one replaces would stay open with nobody to close it;
  // and the table describes the new device only, so a control it lacks
  // cannot keep the identifier of a control of the old one.
  if (hMixer_ != 0) mixer_.close(hMixer_);
  hMixer_ = opened;
  table_ = {};
  filled_ = {};

  // A failed lookup leaves its record empty and is not reported.
  for (int32_t index : kLookupOrder)
    filled_[index] = FetchControl(hMixer_, componentTypeOf(index), controlTypeOf(index), table_[index]);
  return -1;
}

int32_t clsVxAudoWMixerB::CloseMixer() {
  const uint32_t rc = mixer_.close(hMixer_);
  hMixer_ = 0;
  return static_cast<int32_t>(rc);
}

int32_t clsVxAudoWMixerB::SetVolume(int32_t Control, int32_t NewVolume) {
  return SetControlValue(hMixer_, entry(Control), NewVolume) ? -1 : 0;
}

int32_t clsVxAudoWMixerB::GetVolume(int32_t Control) {
  return GetControlValue(hMixer_, entry(Control));
}

bool clsVxAudoWMixerB::SetMute(int32_t Control, int16_t MuteState) {
  // True (-1) is written as 1; the Integer's absolute value, so -32768
  // overflows.
  const int16_t value = MuteState < 0 ? subtractInteger(0, MuteState) : MuteState;
  return SetControlValue(hMixer_, entry(Control), value);
}

bool clsVxAudoWMixerB::GetMute(int32_t Control) {
  return GetControlValue(hMixer_, entry(Control)) != 0;
}

int32_t clsVxAudoWMixerB::entry(int32_t Control) const {
  // Any index of the table, whatever its enumeration: SetMute(SPEAKER)
  // writes to the speakers' volume.
  if (Control < 0 || Control >= kTableSize) throw RuntimeError(vb_error::SubscriptOutOfRange);
  return Control;
}

// Whether a set or get reaches the platform at all. With flags 0 the
// platform reads handle 0 as device identifier 0, so a closed (or never
// opened) mixer would go on changing the first device; and a record no
// lookup filled would address control 0. Both answer as a failed call
// would, without one.
bool clsVxAudoWMixerB::reachable(uintptr_t handle, int32_t index) const {
  return handle != 0 && filled_[index];
}

bool clsVxAudoWMixerB::FetchControl(uintptr_t handle, uint32_t componentType, uint32_t ctrlType,
                                    ControlRecord& record) {
  return lookUpControl(mixer_, handle, componentType, ctrlType, record);
}

bool clsVxAudoWMixerB::SetControlValue(uintptr_t handle, int32_t index, int32_t value) {
  const MixerControlA& control = table_[index].control;
  if (!reachable(handle, index)) {
    controlValue(value, control);  // a value that overflows is error 6 all the same
    return false;
  }
  ControlDetails details(mixer_, control.dwControlID);
  details.write({controlValue(value, control)});
  return details.set(handle) == 0;
}

// A failed query is not noticed: the block's zero is read as the value.
// Without a call the value is that zero too.
int32_t clsVxAudoWMixerB::GetControlValue(uintptr_t handle, int32_t index) {
  const MixerControlA& control = table_[index].control;
  if (!reachable(handle, index)) return percentage(0, control);
  ControlDetails details(mixer_, control.dwControlID);
  details.get(handle);
  return percentage(details.read(), control);
}

}  // namespace orvalis
