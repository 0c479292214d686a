// The mixer service of winmm and kernel32's memory blocks.
#pragma once

#include "mixer/MixerService.h"

namespace orvalis::win {

class WinmmMixerService final : public MixerService {
 public:
  uint32_t getNumDevs() override;
  uint32_t open(uint32_t& handle, uint32_t deviceId, uint32_t callback, uint32_t instance,
                uint32_t flags) override;
  uint32_t close(uint32_t handle) override;
  uint32_t getLineInfo(uint32_t handle, MixerLineA& line, uint32_t flags) override;
  uint32_t getLineControls(uint32_t handle, MixerLineControlsA& controls, uint32_t flags) override;
  uint32_t getControlDetails(uint32_t handle, MixerControlDetails& details, uint32_t flags) override;
  uint32_t setControlDetails(uint32_t handle, MixerControlDetails& details, uint32_t flags) override;
  uint32_t globalAlloc(uint32_t flags, uint32_t bytes) override;
  uint32_t globalLock(uint32_t block) override;
  uint32_t globalFree(uint32_t block) override;
  void moveMemory(uint32_t destination, const void* source, uint32_t bytes) override;
  void moveMemory(void* destination, uint32_t source, uint32_t bytes) override;
};

}  // namespace orvalis::win
