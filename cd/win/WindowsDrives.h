// The kernel's drive list and drive kinds.
#pragma once

#include "frame/Drives.h"

namespace orvalis::win {

class WindowsDrives final : public Drives {
 public:
  uint32_t logicalDriveStrings(uint32_t size, std::string& buffer) override;
  uint32_t driveType(std::u16string_view rootPathName) override;
};

}  // namespace orvalis::win
