#include "mci/win/WinmmMciService.h"

#include <windows.h>
#include <mmsystem.h>

namespace orvalis::win {

uint32_t WinmmMciService::sendString(const std::string& command, std::string& buffer,
                                     uint32_t replyLength) {
  // The service writes at most replyLength characters, its NUL included;
  // the string's own terminator keeps an empty buffer valid.
  if (buffer.size() < replyLength) buffer.resize(replyLength, '\0');
  EnterCriticalSection(&lock_);
  const MCIERROR code = mciSendStringA(command.c_str(), buffer.data(), replyLength, nullptr);
  LeaveCriticalSection(&lock_);
  return code;
}

void WinmmMciService::errorString(uint32_t code, std::string& buffer) {
  if (buffer.empty()) return;
  EnterCriticalSection(&lock_);
  mciGetErrorStringA(code, buffer.data(), static_cast<UINT>(buffer.size()));
  LeaveCriticalSection(&lock_);
}

}  // namespace orvalis::win
