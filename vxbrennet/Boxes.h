// What the framework's message boxes share.
#pragma once

#include <cstdint>

namespace orvalis::vxbrennet {

constexpr char16_t kNewLine[] = u"\r\n";
constexpr uint32_t kInformationBox = 0x40;  // OK button, information icon

}  // namespace orvalis::vxbrennet
