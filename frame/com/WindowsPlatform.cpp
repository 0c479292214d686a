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
  // Texts become numbers as the host's runtime reads them, in the user's locale.
  static const bool readsNumbersInUserLocale = (installNumberReader(&runtime), true);
  (void)readsNumbersInUserLocale;
  return platform;
}

}  // namespace orvalis::com
