// The MCI command-string service of winmm, through its wide entry points.
#pragma once

#include "mci/MciChannel.h"

namespace orvalis::win {

class WinmmMciService final : public MciService {
 public:
  uint32_t sendString(std::u16string_view command, std::span<char16_t> buffer,
                      uint32_t replyLength) override;
  void errorString(uint32_t code, std::span<char16_t> buffer) override;
};

}  // namespace orvalis::win
