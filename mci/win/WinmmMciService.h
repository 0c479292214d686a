// The MCI command-string service of winmm, through its wide entry points.
#pragma once

#include <windows.h>

#include "mci/MciChannel.h"

namespace orvalis::win {

// Objects of several threads send their commands through the one service.
// Wine's winmm reads and fills its tables of command verbs without a lock
// and crashes the process when two threads send commands at once, so the
// service hands winmm one command at a time. No command of the library
// waits for longer than a device's answer (none is a "play ... wait"), and
// the waits that let the host's events run (TimeOut, the recording) sleep
// between commands, not inside one.
class WinmmMciService final : public MciService {
 public:
  WinmmMciService() { InitializeCriticalSection(&lock_); }
  ~WinmmMciService() override { DeleteCriticalSection(&lock_); }
  WinmmMciService(const WinmmMciService&) = delete;
  WinmmMciService& operator=(const WinmmMciService&) = delete;

  uint32_t sendString(std::u16string_view command, std::span<char16_t> buffer,
                      uint32_t replyLength) override;
  void errorString(uint32_t code, std::span<char16_t> buffer) override;

 private:
  CRITICAL_SECTION lock_;
};

}  // namespace orvalis::win
