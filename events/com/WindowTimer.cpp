#include "events/com/WindowTimer.h"

#include <mmsystem.h>

#include <atomic>
#include <string>

#include "frame/com/Module.h"

namespace orvalis::com {

namespace {

constexpr wchar_t kWindowClass[] = L"OrvalisEventsWatcherTimer";
constexpr UINT_PTR kTimerId = 1;
// Windows of the class alive in the process: the class is registered with
// the first and unregistered with the last, so that the module leaves no
// class behind that names its code once it is unloaded.
std::atomic<int> gWindows{0};

}  // namespace

LRESULT CALLBACK WindowTimer::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kTimerId) {
    auto* timer = reinterpret_cast<WindowTimer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // The tick may end the timer's owner: nothing of it is touched after.
    if (timer) timer->onTick_();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void WindowTimer::start(int32_t milliseconds) {
  if (!window_) {
    if (gWindows++ == 0) {
      WNDCLASSEXW windowClass{};
      windowClass.cbSize = sizeof(windowClass);
      windowClass.lpfnWndProc = &WindowTimer::windowProcedure;
      windowClass.hInstance = moduleHandle();
      windowClass.lpszClassName = kWindowClass;
      RegisterClassExW(&windowClass);
    }
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, moduleHandle(),
                              nullptr);
    if (!window_) {
      if (--gWindows == 0) UnregisterClassW(kWindowClass, moduleHandle());
      return;
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  SetTimer(window_, kTimerId, static_cast<UINT>(milliseconds), nullptr);
}

void WindowTimer::stop() {
  if (window_) KillTimer(window_, kTimerId);
}

WindowTimer::~WindowTimer() {
  if (!window_) return;
  KillTimer(window_, kTimerId);
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
  if (--gWindows == 0) UnregisterClassW(kWindowClass, moduleHandle());
}

bool MciDeviceDirectory::isOpen(std::u16string_view name) {
  const std::wstring text(name.begin(), name.end());
  return mciGetDeviceIDW(text.c_str()) != 0;
}

}  // namespace orvalis::com
