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

// One creation function per class of the list, defined by its binding.
#define ORVALIS_CLASS(name) IUnknown* create_##name();
#include "frame/com/ClassList.h"
#undef ORVALIS_CLASS

}  // namespace orvalis::com
