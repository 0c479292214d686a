#include "mci/win/WinmmMciService.h"

#include <windows.h>
#include <mmsystem.h>

namespace orvalis::win {

// The wide entry points take the texts as they are; the ANSI ones are the
// platform's own thunks to them, which convert the command and the reply
// on every call and cannot carry a name outside the code page.
uint32_t WinmmMciService::sendString(std::u16string_view command, std::span<char16_t> buffer,
                                     uint32_t replyLength) {
  return mciSendStringW(reinterpret_cast<LPCWSTR>(command.data()),
                        reinterpret_cast<LPWSTR>(buffer.data()), replyLength, nullptr);
}

void WinmmMciService::errorString(uint32_t code, std::span<char16_t> buffer) {
  if (buffer.empty()) return;
  mciGetErrorStringW(code, reinterpret_cast<LPWSTR>(buffer.data()), static_cast<UINT>(buffer.size()));
}

}  // namespace orvalis::win
