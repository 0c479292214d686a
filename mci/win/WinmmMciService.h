// The MCI command-string service of winmm.
#pragma once

#include "mci/MciChannel.h"

namespace orvalis::win {

class WinmmMciService final : public MciService {
 public:
  uint32_t sendString(const std::string& command, std::string& buffer,
                      uint32_t replyLength) override;
  void errorString(uint32_t code, std::string& buffer) override;
};

}  // namespace orvalis::win
