#include "frame/win/WindowsShell.h"

#include <windows.h>

namespace orvalis::win {

namespace {

// Predefined registry keys and window handles are 32-bit values that 64-bit
// code sign-extends (HKEY_CLASSES_ROOT is (HKEY)(LONG)0x80000000, and a
// window handle keeps 32 significant bits so that 32-bit and 64-bit
// programs can share it); in 32-bit code this is the value as it is.
template <class Handle>
Handle fromLong(uint32_t value) {
  return reinterpret_cast<Handle>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}

}  // namespace

int32_t WindowsRegistry::createKey(uint32_t root, const std::string& path, uintptr_t& key) {
  HKEY created = nullptr;
  const LSTATUS status =
      RegCreateKeyA(fromLong<HKEY>(root), path.c_str(), &created);
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
  return SendMessageA(fromLong<HWND>(window), message, wParam, lParam);
}

}  // namespace orvalis::win
