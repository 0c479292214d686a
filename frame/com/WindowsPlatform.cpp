#include "frame/com/AutomationObject.h"
#include "frame/win/WindowsRuntime.h"
#include "mci/win/WinmmMciService.h"

namespace orvalis::com {

Platform& windowsPlatform() {
  static win::WindowsRuntime runtime;
  static win::WinmmMciService mci;
  static Platform platform{runtime, mci};
  return platform;
}

}  // namespace orvalis::com
