#include "mixer/win/WinmmMixerService.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstddef>
#include <cstring>

namespace orvalis::win {

// The core's records are the platform's structures byte for byte, in 32-bit
// and in 64-bit code: handed to winmm as they are, with their addresses.
static_assert(sizeof(MIXERLINEA) == sizeof(MixerLineA));
static_assert(offsetof(MIXERLINEA, dwUser) == offsetof(MixerLineA, dwUser));
static_assert(offsetof(MIXERLINEA, dwLineID) == offsetof(MixerLineA, dwLineID));
static_assert(offsetof(MIXERLINEA, dwComponentType) == offsetof(MixerLineA, dwComponentType));
static_assert(offsetof(MIXERLINEA, Target.szPname) == offsetof(MixerLineA, szPname));
static_assert(sizeof(MIXERCONTROLA) == sizeof(MixerControlA));
static_assert(offsetof(MIXERCONTROLA, Bounds.lMinimum) == offsetof(MixerControlA, lMinimum));
static_assert(offsetof(MIXERCONTROLA, Bounds.lMaximum) == offsetof(MixerControlA, lMaximum));
static_assert(offsetof(MIXERCONTROLA, Metrics) == offsetof(MixerControlA, Metrics));
static_assert(sizeof(MIXERLINECONTROLSA) == sizeof(MixerLineControlsA));
static_assert(offsetof(MIXERLINECONTROLSA, cbmxctrl) == offsetof(MixerLineControlsA, cbmxctrl));
static_assert(offsetof(MIXERLINECONTROLSA, pamxctrl) == offsetof(MixerLineControlsA, pamxctrl));
static_assert(sizeof(MIXERCONTROLDETAILS) == sizeof(MixerControlDetails));
static_assert(offsetof(MIXERCONTROLDETAILS, cMultipleItems) == offsetof(MixerControlDetails, item));
static_assert(sizeof(MIXERCONTROLDETAILS::hwndOwner) == sizeof(MixerControlDetails::item));
static_assert(offsetof(MIXERCONTROLDETAILS, cbDetails) == offsetof(MixerControlDetails, cbDetails));
static_assert(offsetof(MIXERCONTROLDETAILS, paDetails) == offsetof(MixerControlDetails, paDetails));

namespace {

HMIXEROBJ object(uintptr_t handle) { return reinterpret_cast<HMIXEROBJ>(handle); }
void* at(uintptr_t address) { return reinterpret_cast<void*>(address); }

}  // namespace

uint32_t WinmmMixerService::getNumDevs() { return mixerGetNumDevs(); }

uint32_t WinmmMixerService::open(uintptr_t& handle, uint32_t deviceId, uintptr_t callback,
                                 uintptr_t instance, uint32_t flags) {
  // Whatever the platform writes into the handle reaches the caller's field.
  HMIXER opened = reinterpret_cast<HMIXER>(handle);
  const MMRESULT rc = mixerOpen(&opened, deviceId, callback, instance, flags);
  handle = reinterpret_cast<uintptr_t>(opened);
  return rc;
}

uint32_t WinmmMixerService::close(uintptr_t handle) {
  return mixerClose(reinterpret_cast<HMIXER>(handle));
}

uint32_t WinmmMixerService::getLineInfo(uintptr_t handle, MixerLineA& line, uint32_t flags) {
  return mixerGetLineInfoA(object(handle), reinterpret_cast<MIXERLINEA*>(&line), flags);
}

uint32_t WinmmMixerService::getLineControls(uintptr_t handle, MixerLineControlsA& controls,
                                            uint32_t flags) {
  return mixerGetLineControlsA(object(handle), reinterpret_cast<MIXERLINECONTROLSA*>(&controls),
                               flags);
}

uint32_t WinmmMixerService::getControlDetails(uintptr_t handle, MixerControlDetails& details,
                                              uint32_t flags) {
  return mixerGetControlDetailsA(object(handle), reinterpret_cast<MIXERCONTROLDETAILS*>(&details),
                                 flags);
}

uint32_t WinmmMixerService::setControlDetails(uintptr_t handle, MixerControlDetails& details,
                                              uint32_t flags) {
  return mixerSetControlDetails(object(handle), reinterpret_cast<MIXERCONTROLDETAILS*>(&details),
                                flags);
}

uintptr_t WinmmMixerService::globalAlloc(uint32_t flags, uint32_t bytes) {
  return reinterpret_cast<uintptr_t>(GlobalAlloc(flags, bytes));
}

uintptr_t WinmmMixerService::globalLock(uintptr_t block) {
  return reinterpret_cast<uintptr_t>(GlobalLock(at(block)));
}

uintptr_t WinmmMixerService::globalFree(uintptr_t block) {
  return reinterpret_cast<uintptr_t>(GlobalFree(at(block)));
}

// RtlMoveMemory is memmove under another name.
void WinmmMixerService::moveMemory(uintptr_t destination, const void* source, uint32_t bytes) {
  std::memmove(at(destination), source, bytes);
}

void WinmmMixerService::moveMemory(void* destination, uintptr_t source, uint32_t bytes) {
  std::memmove(destination, at(source), bytes);
}

}  // namespace orvalis::win
