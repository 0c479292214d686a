#include "mixer/win/WinmmMixerService.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstddef>
#include <cstring>

namespace orvalis::win {

// The core's records are the platform's structures byte for byte: handed to
// winmm as they are, with their 32-bit addresses.
static_assert(sizeof(void*) == 4, "the mixer records carry 32-bit addresses");
static_assert(sizeof(MIXERLINEA) == sizeof(MixerLineA));
static_assert(offsetof(MIXERLINEA, dwLineID) == offsetof(MixerLineA, dwLineID));
static_assert(offsetof(MIXERLINEA, dwComponentType) == offsetof(MixerLineA, dwComponentType));
static_assert(offsetof(MIXERLINEA, Target.szPname) == offsetof(MixerLineA, szPname));
static_assert(sizeof(MIXERCONTROLA) == sizeof(MixerControlA));
static_assert(offsetof(MIXERCONTROLA, Bounds.lMinimum) == offsetof(MixerControlA, lMinimum));
static_assert(offsetof(MIXERCONTROLA, Bounds.lMaximum) == offsetof(MixerControlA, lMaximum));
static_assert(offsetof(MIXERCONTROLA, Metrics) == offsetof(MixerControlA, Metrics));
static_assert(sizeof(MIXERLINECONTROLSA) == sizeof(MixerLineControlsA));
static_assert(offsetof(MIXERLINECONTROLSA, pamxctrl) == offsetof(MixerLineControlsA, pamxctrl));
static_assert(sizeof(MIXERCONTROLDETAILS) == sizeof(MixerControlDetails));
static_assert(offsetof(MIXERCONTROLDETAILS, paDetails) == offsetof(MixerControlDetails, paDetails));

namespace {

HMIXEROBJ object(uint32_t handle) { return reinterpret_cast<HMIXEROBJ>(static_cast<uintptr_t>(handle)); }
void* at(uint32_t address) { return reinterpret_cast<void*>(static_cast<uintptr_t>(address)); }

}  // namespace

uint32_t WinmmMixerService::getNumDevs() { return mixerGetNumDevs(); }

uint32_t WinmmMixerService::open(uint32_t& handle, uint32_t deviceId, uint32_t callback,
                                 uint32_t instance, uint32_t flags) {
  // Whatever the platform writes into the handle reaches the caller's field.
  HMIXER opened = reinterpret_cast<HMIXER>(static_cast<uintptr_t>(handle));
  const MMRESULT rc = mixerOpen(&opened, deviceId, callback, instance, flags);
  handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(opened));
  return rc;
}

uint32_t WinmmMixerService::close(uint32_t handle) {
  return mixerClose(reinterpret_cast<HMIXER>(static_cast<uintptr_t>(handle)));
}

uint32_t WinmmMixerService::getLineInfo(uint32_t handle, MixerLineA& line, uint32_t flags) {
  return mixerGetLineInfoA(object(handle), reinterpret_cast<MIXERLINEA*>(&line), flags);
}

uint32_t WinmmMixerService::getLineControls(uint32_t handle, MixerLineControlsA& controls,
                                            uint32_t flags) {
  return mixerGetLineControlsA(object(handle), reinterpret_cast<MIXERLINECONTROLSA*>(&controls),
                               flags);
}

uint32_t WinmmMixerService::getControlDetails(uint32_t handle, MixerControlDetails& details,
                                              uint32_t flags) {
  return mixerGetControlDetailsA(object(handle), reinterpret_cast<MIXERCONTROLDETAILS*>(&details),
                                 flags);
}

uint32_t WinmmMixerService::setControlDetails(uint32_t handle, MixerControlDetails& details,
                                              uint32_t flags) {
  return mixerSetControlDetails(object(handle), reinterpret_cast<MIXERCONTROLDETAILS*>(&details),
                                flags);
}

uint32_t WinmmMixerService::globalAlloc(uint32_t flags, uint32_t bytes) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GlobalAlloc(flags, bytes)));
}

uint32_t WinmmMixerService::globalLock(uint32_t block) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GlobalLock(at(block))));
}

uint32_t WinmmMixerService::globalFree(uint32_t block) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GlobalFree(at(block))));
}

// RtlMoveMemory is memmove under another name.
void WinmmMixerService::moveMemory(uint32_t destination, const void* source, uint32_t bytes) {
  std::memmove(at(destination), source, bytes);
}

void WinmmMixerService::moveMemory(void* destination, uint32_t source, uint32_t bytes) {
  std::memmove(destination, at(source), bytes);
}

}  // namespace orvalis::win
