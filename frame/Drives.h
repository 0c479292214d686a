// The file system's drive list and drive kinds: GetLogicalDriveStringsA
// (drive roots are ASCII) and GetDriveTypeW (a root a host names may be a
// folder whose name the ANSI code page cannot carry).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvalis {

// GetDriveType's answer for a CD-ROM drive.
constexpr uint32_t kDriveCdRom = 5;

class Drives {
 public:
  virtual ~Drives() = default;

  // GetLogicalDriveStringsA(size, buffer): writes "C:\<NUL>D:\<NUL>...<NUL>"
  // into `buffer` (whose first `size` bytes the service may use) and returns
  // the list's length without its final NUL; when the list does not fit it
  // returns the size needed and writes nothing, and on failure 0.
  virtual uint32_t logicalDriveStrings(uint32_t size, std::string& buffer) = 0;

  // GetDriveTypeW(rootPathName): 0 unknown, 1 no root directory, 2
  // removable, 3 fixed, 4 remote, 5 CD-ROM, 6 RAM disk.
  virtual uint32_t driveType(std::u16string_view rootPathName) = 0;
};

}  // namespace orvalis
