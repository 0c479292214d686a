#include "frame/com/AutomationObject.h"
#include "frame/win/WindowsFiles.h"
#include "frame/win/WindowsRuntime.h"
#include "frame/win/WindowsShell.h"
#include "mci/win/WinmmMciService.h"

namespace orvalis::com {

Platform& windowsPlatform() {
  static win::WindowsRuntime runtime;
  static win::WinmmMciService mci;
  static win::WindowsFiles files;
  static win::WindowsRegistry registry;
  static win::WindowsWindowManager windows;
  static Platform platform{runtime, mci, files, registry, windows};
  return platform;
}

}  // namespace orvalis::com
