// The mixer service of winmm and kernel32's memory blocks.
#pragma once

#include "mixer/MixerService.h"

namespace orvalis::win {

class WinmmMixerService final : public MixerService {
 public:
  uint32_t getNumDevs() override;
  uint32_t open(uintptr_t& handle, uint32_t deviceId, uintptr_t callback, uintptr_t instance,
                uint32_t flags) override;
  uint32_t close(uintptr_t handle) override;
  uint32_t getLineInfo(uintptr_t handle, MixerLineA& line, uint32_t flags) override;
  uint32_t getLineControls(uintptr_t handle, MixerLineControlsA& controls, uint32_t flags) override;
  uint32_t getControlDetails(uintptr_t handle, MixerControlDetails& details, uint32_t flags) override;
  uint32_t setControlDetails(uintptr_t handle, MixerControlDetails& details, uint32_t flags) override;
  uintptr_t globalAlloc(uint32_t flags, uint32_t bytes) override;
  uintptr_t globalLock(uintptr_t block) override;
  uintptr_t globalFree(uintptr_t block) override;
  void moveMemory(uintptr_t destination, const void* source, uint32_t bytes) override;
  void moveMemory(void* destination, uintptr_t source, uint32_t bytes) override;
};

}  // namespace orvalis::win
