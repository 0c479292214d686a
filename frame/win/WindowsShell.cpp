#include "frame/win/WindowsShell.h"

#include <windows.h>

namespace orvalis::win {

int32_t WindowsRegistry::createKey(uint32_t root, const std::string& path, uintptr_t& key) {
  HKEY created = nullptr;
  const LSTATUS status =
      RegCreateKeyA(reinterpret_cast<HKEY>(static_cast<uintptr_t>(root)), path.c_str(), &created);
  key = reinterpret_cast<uintptr_t>(created);
  return status;
}

int32_t WindowsRegistry::setDefaultValue(uintptr_t key, uint32_t type, const std::string& data) {
  return RegSetValueExA(reinterpret_cast<HKEY>(key), "", 0, type,
                        reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
}

int32_t WindowsRegistry::closeKey(uintptr_t key) { return RegCloseKey(reinterpret_cast<HKEY>(key)); }

void WindowsWindowManager::releaseCapture() { ReleaseCapture(); }

intptr_t WindowsWindowManager::sendMessage(uint32_t window, uint32_t message, uintptr_t wParam,
                                           intptr_t lParam) {
  return SendMessageA(reinterpret_cast<HWND>(static_cast<uintptr_t>(window)), message, wParam, lParam);
}

}  // namespace orvalis::win
