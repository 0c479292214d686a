#include "cd/win/WindowsDrives.h"

#include <windows.h>

namespace orvalis::win {

uint32_t WindowsDrives::logicalDriveStrings(uint32_t size, std::string& buffer) {
  // The service may use `size` bytes; the string's own terminator stays
  // beyond them.
  if (buffer.size() < size) buffer.resize(size, '\0');
  return GetLogicalDriveStringsA(size, buffer.data());
}

uint32_t WindowsDrives::driveType(std::u16string_view rootPathName) {
  const std::wstring root(rootPathName.begin(), rootPathName.end());
  return GetDriveTypeW(root.c_str());
}

}  // namespace orvalis::win
