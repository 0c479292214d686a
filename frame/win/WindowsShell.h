// Registry and window calls on Windows.
#pragma once

#include "frame/Shell.h"

namespace orvalis::win {

class WindowsRegistry final : public Registry {
 public:
  int32_t createKey(uint32_t root, const std::string& path, uintptr_t& key) override;
  int32_t setDefaultValue(uintptr_t key, uint32_t type, const std::string& data) override;
  int32_t closeKey(uintptr_t key) override;
};

class WindowsWindowManager final : public WindowManager {
 public:
  void releaseCapture() override;
  intptr_t sendMessage(uint32_t window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
};

}  // namespace orvalis::win
