// The composition root of the Windows platform services: every service the
// classes reach through Platform, made once and shared by all objects of
// the module.
#include "cd/win/WindowsDrives.h"
#include "frame/com/AutomationObject.h"
#include "frame/com/WindowsLibraryGlobal.h"
#include "frame/win/WindowsFiles.h"
#include "frame/win/WindowsRuntime.h"
#include "frame/win/WindowsShell.h"
#include "mci/win/WinmmMciService.h"
#include "mixer/win/WinmmMixerService.h"
#include "wave/win/WinmmSound.h"

namespace orvalis::com {

Platform& windowsPlatform() {
  static win::WindowsRuntime runtime;
  static win::WinmmMciService mci;
  static win::WindowsFiles files;
  static win::WindowsRegistry registry;
  static win::WindowsWindowManager windows;
  static win::WinmmMixerService mixer;
  static win::WindowsDrives drives;
  // Never destroyed: the sound it holds may still be playing when the
  // module unloads, and winmm goes on reading it.
  static win::WinmmSound& sound = *new win::WinmmSound;
  static win::ModuleSoundResources soundResources;
  static WindowsLibraryGlobal global;
  static Platform platform{runtime, mci, files, registry, windows, mixer, drives, sound, soundResources, global};
  return platform;
}

}  // namespace orvalis::com
