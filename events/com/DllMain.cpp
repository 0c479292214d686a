// The entry point of orvalisevents.dll; the generic layer keeps the module handle.
#include <windows.h>

#include "frame/com/Module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) orvalis::com::moduleAttached(instance);
  return TRUE;
}
