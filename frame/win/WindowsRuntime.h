// The runtime services on Windows: user32's message box and message pump,
// the performance counter as the monotonic clock, and the ANSI code page.
#pragma once

#include "frame/Runtime.h"

namespace orvalis::win {

class WindowsRuntime final : public Runtime {
 public:
  int messageBox(std::u16string_view text, std::optional<std::u16string_view> title,
                 uint32_t style) override;
  void processMessages(double maxWaitSeconds) override;
  double monotonicSeconds() override;
  std::string toAnsi(std::u16string_view text) override;
  std::u16string fromAnsi(std::string_view bytes) override;
};

}  // namespace orvalis::win
