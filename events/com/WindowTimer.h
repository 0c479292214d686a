// The watcher's platform on Windows. Its timer: SetTimer on a hidden message-only window
// that belongs to the thread which created the watcher. WM_TIMER comes
// only through that thread's message loop (a form's, a TimeOut wait's, a
// script host's wait), so every tick, and every event it raises, runs on
// the watcher's own apartment thread. No thread of its own.
#pragma once

#include <windows.h>

#include <functional>

#include "events/PlaybackWatcher.h"

namespace orvalis::com {

class WindowTimer final : public events::WatchTimer {
 public:
  explicit WindowTimer(std::function<void()> onTick) : onTick_(std::move(onTick)) {}
  ~WindowTimer() override;
  WindowTimer(const WindowTimer&) = delete;
  WindowTimer& operator=(const WindowTimer&) = delete;

  void start(int32_t milliseconds) override;
  void stop() override;

 private:
  static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::function<void()> onTick_;
  HWND window_ = nullptr;
};

// The directory of open MCI devices: mciGetDeviceIDW finds a device by its
// alias and never opens one.
class MciDeviceDirectory final : public events::DeviceDirectory {
 public:
  bool isOpen(std::u16string_view name) override;
};

class TickClock final : public events::WatchClock {
 public:
  int64_t milliseconds() override { return static_cast<int64_t>(GetTickCount64()); }
};

}  // namespace orvalis::com
