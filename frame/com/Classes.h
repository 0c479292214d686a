// The library's classes as the registry table creates them, and the type
// library's declarations (interfaces, CLSIDs, IIDs) that the bindings use.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "orvalis_h.h"

namespace orvalis {
struct Platform;
}

namespace orvalis::com {

// The core of a class that has no members of its own.
struct NoLogic {
  explicit NoLogic(Platform&) {}
};

IUnknown* create_clsVxOrvalisA();
IUnknown* create_clsVxAudoWMixerA();
IUnknown* create_clsVxAudoGeneralA();
IUnknown* create_clsVxAudoAdvancedA();
IUnknown* create_clsVxAudoMP3PlayerA();
IUnknown* create_clsVxAudoMP3PlayerB();
IUnknown* create_clsVxAudoMCISoundRecA();
IUnknown* create_clsVxAudoWaveFileA();
IUnknown* create_clsVxAudoWMixerB();
IUnknown* create_clsVxAudoCDRomA();
IUnknown* create_clsVxAudoCDPlayerA();
IUnknown* create_clsVxAudoCDPlayerB();

}  // namespace orvalis::com
