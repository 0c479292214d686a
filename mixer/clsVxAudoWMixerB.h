// Mixer B: volume and mute of seven kinds of line of one mixer device.
// OpenMixer opens the device and copies the descriptions of fourteen
// controls into a table; the set and get members then address a control by
// its index in the table (the VOL_CONTROL and MUTE_CONTROL values), trading
// percentages for controls whose range goes beyond 100.
//
// No member handles errors: 9 for an index outside the table, 6 for a
// value that overflows 32 bits. Mixer failures show only in the results.
#pragma once

#include <array>
#include <cstdint>

#include "frame/Platform.h"
#include "mixer/MixerService.h"

namespace orvalis {

class clsVxAudoWMixerB {
 public:
  explicit clsVxAudoWMixerB(Platform& platform);
  // Closes a device the host left open: the handle dies with the object.
  ~clsVxAudoWMixerB();
  clsVxAudoWMixerB(const clsVxAudoWMixerB&) = delete;
  clsVxAudoWMixerB& operator=(const clsVxAudoWMixerB&) = delete;

  int32_t OpenMixer(int32_t MixerNumber);  // -1 when opened, else 0
  int32_t CloseMixer();                    // the platform's result code
  int32_t SetVolume(int32_t Control, int32_t NewVolume);  // -1 when accepted, else 0
  int32_t GetVolume(int32_t Control);
  bool SetMute(int32_t Control, int16_t MuteState);
  bool GetMute(int32_t Control);

  // One table entry: the platform's control description and 4 zero bytes.
  struct ControlRecord {
    MixerControlA control;
    uint32_t padding;
  };
  static_assert(sizeof(ControlRecord) == 152);
  static constexpr int32_t kTableSize = 21;  // 0 to 13 filled by OpenMixer, 14 to 20 stay zero

  uintptr_t handle() const { return hMixer_; }
  const ControlRecord& record(int32_t index) const { return table_.at(index); }

 private:
  bool FetchControl(uintptr_t handle, uint32_t componentType, uint32_t ctrlType,
                    ControlRecord& record);
  bool SetControlValue(uintptr_t handle, int32_t index, int32_t value);
  int32_t GetControlValue(uintptr_t handle, int32_t index);
  int32_t entry(int32_t Control) const;
  bool reachable(uintptr_t handle, int32_t index) const;

  MixerService& mixer_;
  uintptr_t hMixer_ = 0;  // the platform's handle, as wide as a pointer
  std::array<ControlRecord, kTableSize> table_{};
  // Which records a lookup filled. An empty record's identifier 0 is no
  // "no control": the platform knows a control 0 (on Wine, the first
  // device's master volume).
  std::array<bool, kTableSize> filled_{};
};

}  // namespace orvalis
