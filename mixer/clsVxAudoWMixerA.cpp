#include "mixer/clsVxAudoWMixerA.h"

#include "mixer/MixerTransfer.h"

namespace orvalis {

namespace {

// The host's handle is the platform's handle, bit for bit.
uintptr_t platformHandle(intptr_t hMixer) { return static_cast<uintptr_t>(hMixer); }

}  // namespace

clsVxAudoWMixerA::clsVxAudoWMixerA(Platform& platform) : mixer_(platform.mixer) {}

// A missing line leaves `mxc` as it was; a missing control leaves it too,
// apart from cbStruct, which becomes 148 before the query.
bool clsVxAudoWMixerA::GetMixerControl(intptr_t hMixer, int32_t componentType, int32_t ctrlType,
                                       MixerControlA& mxc) {
  return lookUpControl(mixer_, platformHandle(hMixer), static_cast<uint32_t>(componentType),
                       static_cast<uint32_t>(ctrlType), mxc);
}

bool clsVxAudoWMixerA::SetVolumeControl(intptr_t hMixer, const MixerControlA& mxc, int32_t volume) {
  return setValues(hMixer, mxc, 1, 0, {volume});
}

// Left, then right; the item count is the control's own, and the block
// holds two channels for each item, the rest zero.
bool clsVxAudoWMixerA::SetPANControl(intptr_t hMixer, const MixerControlA& mxc, int32_t volL,
                                     int32_t volR) {
  return setValues(hMixer, mxc, 2, mxc.cMultipleItems, {volL, volR});
}

// 0 switches the mute off, 1 on; other values go to the platform as they are.
bool clsVxAudoWMixerA::unSetMuteControl(intptr_t hMixer, const MixerControlA& mxc, int32_t unmute) {
  return setValues(hMixer, mxc, 1, 0, {unmute});
}

// The Boolean widened to 32 bits: True is -1.
bool clsVxAudoWMixerA::SetMuteControl(intptr_t hMixer, const MixerControlA& mxc, bool mute) {
  return setValues(hMixer, mxc, 1, 0, {mute ? -1 : 0});
}

// -1 when the platform fails, which a control whose value is -1 also gives.
int32_t clsVxAudoWMixerA::GetVolumeControlValue(intptr_t hMixer, const MixerControlA& mxc) {
  ControlDetails details(mixer_, mxc.dwControlID);
  const uint32_t rc = details.get(platformHandle(hMixer));
  const int32_t value = details.read();
  return rc == 0 ? value : -1;
}

bool clsVxAudoWMixerA::setValues(intptr_t hMixer, const MixerControlA& mxc, uint32_t channels,
                                 uint32_t item, std::initializer_list<int32_t> values) {
  ControlDetails details(mixer_, mxc.dwControlID, channels, item);
  details.write(values);
  return details.set(platformHandle(hMixer)) == 0;
}

}  // namespace orvalis
