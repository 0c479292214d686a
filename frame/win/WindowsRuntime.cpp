#include "frame/win/WindowsRuntime.h"

#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "frame/RuntimeError.h"

namespace orvalis::win {

namespace {

// Message boxes without a title show the library's application title.
constexpr const wchar_t* kApplicationTitle = L"Orvalis";

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// Every ANSI code page (the double-byte ones and UTF-8 too) keeps the
// characters below 0x80 as single bytes of the same value, and none of its
// lead bytes is below 0x80. MCI commands and replies are such text, so the
// conversions take them byte for byte and leave the rest to the system.
bool isAscii(std::u16string_view text) {
  for (char16_t c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

bool isAscii(std::string_view bytes) {
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

int WindowsRuntime::messageBox(std::u16string_view text, std::optional<std::u16string_view> title,
                               uint32_t style) {
  const std::wstring caption = title ? wide(*title) : std::wstring(kApplicationTitle);
  return MessageBoxW(GetActiveWindow(), wide(text).c_str(), caption.c_str(), style);
}

bool WindowsRuntime::processMessages(double maxWaitSeconds) {
  // Sleep until input arrives or the time is up (rounded up, so the caller
  // never wakes early and spins), then dispatch everything pending.
  const double milliseconds = std::ceil(maxWaitSeconds * 1000.0);
  const DWORD timeout = milliseconds >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(milliseconds);
  MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The host closed its main form: its own loop must still see the
      // request, with the exit code it gave.
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

double WindowsRuntime::monotonicSeconds() {
  static const double ticksPerSecond = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / ticksPerSecond;
}

std::string WindowsRuntime::toAnsi(std::u16string_view text) {
  if (text.empty()) return {};
  if (isAscii(text)) return std::string(text.begin(), text.end());
  const auto* source = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_ACP, 0, source, length, nullptr, 0, nullptr, nullptr);
  std::string ansi(bytes, '\0');
  WideCharToMultiByte(CP_ACP, 0, source, length, ansi.data(), bytes, nullptr, nullptr);
  return ansi;
}

std::optional<std::string> WindowsRuntime::toAnsiExactly(std::u16string_view text) {
  if (text.empty()) return std::string();
  const auto* source = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  // Without best-fit look-alikes ("\u0391" would become "A"), any
  // character the code page lacks becomes the default character, and the
  // call says so.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* seeDefault = &usedDefault;
  int bytes = WideCharToMultiByte(CP_ACP, flags, source, length, nullptr, 0, nullptr, seeDefault);
  if (bytes == 0 && (GetLastError() == ERROR_INVALID_FLAGS || GetLastError() == ERROR_INVALID_PARAMETER)) {
    // An ANSI code page that encodes all of Unicode (UTF-8 or GB18030)
    // takes neither; there only an unpaired surrogate has no form.
    flags = GetACP() == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0;
    seeDefault = nullptr;
    bytes = WideCharToMultiByte(CP_ACP, flags, source, length, nullptr, 0, nullptr, nullptr);
  }
  if (bytes == 0) return std::nullopt;
  std::string ansi(bytes, '\0');
  usedDefault = FALSE;
  if (WideCharToMultiByte(CP_ACP, flags, source, length, ansi.data(), bytes, nullptr, seeDefault) != bytes ||
      usedDefault)
    return std::nullopt;
  return ansi;
}

std::u16string WindowsRuntime::fromAnsi(std::string_view bytes) {
  if (bytes.empty()) return {};
  if (isAscii(bytes)) return std::u16string(bytes.begin(), bytes.end());
  const int length = static_cast<int>(bytes.size());
  const int characters = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  std::u16string text(characters, u'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(text.data()),
                      characters);
  return text;
}

// The conversion CDbl uses: the user's locale decides the decimal sign,
// the thousands separator and the currency symbol. It reads up to the first
// NUL, as it does with any automation string.
double WindowsRuntime::readNumber(std::u16string_view text) const {
  std::wstring terminated(text.begin(), std::find(text.begin(), text.end(), u'\0'));
  double value = 0;
  const HRESULT hr = VarR8FromStr(terminated.data(), LOCALE_USER_DEFAULT, 0, &value);
  if (SUCCEEDED(hr)) return value;
  if (hr == DISP_E_OVERFLOW) throw RuntimeError(vb_error::Overflow);
  if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
  throw RuntimeError(vb_error::TypeMismatch);
}

}  // namespace orvalis::win
