// The few registry and window calls of the player's host services, under
// their platform names and in the platform's ANSI terms.
#pragma once

#include <cstdint>
#include <string>

namespace orvalis {

constexpr uint32_t kHkeyClassesRoot = 0x80000000u;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kWmNcLButtonDown = 0xA1;
constexpr uint32_t kHtCaption = 2;

class Registry {
 public:
  virtual ~Registry() = default;
  // RegCreateKeyA(root, path, &key); returns the result code.
  virtual int32_t createKey(uint32_t root, const std::string& path, uintptr_t& key) = 0;
  // RegSetValueExA(key, "", 0, type, data, data.size()): the default value.
  virtual int32_t setDefaultValue(uintptr_t key, uint32_t type, const std::string& data) = 0;
  virtual int32_t closeKey(uintptr_t key) = 0;
};

class WindowManager {
 public:
  virtual ~WindowManager() = default;
  virtual void releaseCapture() = 0;
  virtual intptr_t sendMessage(uint32_t window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam) = 0;
};

}  // namespace orvalis
