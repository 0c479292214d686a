// The runtime services on Windows: user32's message box and message pump,
// the performance counter as the monotonic clock, the ANSI code page, and
// the automation runtime's reading of texts as numbers in the user's locale.
#pragma once

#include "frame/NumberReading.h"
#include "frame/Runtime.h"

namespace orvalis::win {

// The one instance (the platform's) also reads every text-to-number
// conversion of the process while it lives.
class WindowsRuntime final : public Runtime, public NumberReader {
 public:
  WindowsRuntime() { installNumberReader(this); }
  ~WindowsRuntime() override { installNumberReader(nullptr); }
  WindowsRuntime(const WindowsRuntime&) = delete;
  WindowsRuntime& operator=(const WindowsRuntime&) = delete;

  int messageBox(std::u16string_view text, std::optional<std::u16string_view> title,
                 uint32_t style) override;
  bool processMessages(double maxWaitSeconds) override;
  double monotonicSeconds() override;
  std::string toAnsi(std::u16string_view text) override;
  std::optional<std::string> toAnsiExactly(std::u16string_view text) override;
  std::u16string fromAnsi(std::string_view bytes) override;
  double readNumber(std::u16string_view text) const override;
};

}  // namespace orvalis::win
