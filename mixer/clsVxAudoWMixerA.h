// Mixer A: stateless building blocks for hosts that manage the mixer
// themselves. The host opens the device, passes its handle to every call
// (a Long in 32-bit hosts, a LongLong in 64-bit ones: the host's LongPtr)
// and owns the MIXERCONTROL record that GetMixerControl fills; the setters
// and the getter pass values through as they are, neither scaled nor
// clamped. No member handles errors, and mixer failures show only in the
// results (False, or -1 from GetVolumeControlValue).
#pragma once

#include <cstdint>
#include <initializer_list>

#include "frame/Platform.h"
#include "frame/Variant.h"
#include "mixer/MixerService.h"

namespace orvalis {

class clsVxAudoWMixerA {
 public:
  explicit clsVxAudoWMixerA(Platform& platform);

  // Plain storage for the host; no member reads them. The flag keeps the
  // Boolean as written: a C++ host that stores 1 reads 1 back.
  int32_t NumSamples = 0;
  int32_t drawFrom = 0;
  int32_t drawTo = 0;
  VariantBool fFileLoaded = kFalse;

  bool GetMixerControl(intptr_t hMixer, int32_t componentType, int32_t ctrlType,
                       MixerControlA& mxc);
  bool SetVolumeControl(intptr_t hMixer, const MixerControlA& mxc, int32_t volume);
  bool SetPANControl(intptr_t hMixer, const MixerControlA& mxc, int32_t volL, int32_t volR);
  bool unSetMuteControl(intptr_t hMixer, const MixerControlA& mxc, int32_t unmute);
  bool SetMuteControl(intptr_t hMixer, const MixerControlA& mxc, bool mute);
  int32_t GetVolumeControlValue(intptr_t hMixer, const MixerControlA& mxc);

 private:
  bool setValues(intptr_t hMixer, const MixerControlA& mxc, uint32_t channels, uint32_t item,
                 std::initializer_list<int32_t> values);

  MixerService& mixer_;
};

}  // namespace orvalis
