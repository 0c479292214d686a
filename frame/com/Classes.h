// The library's classes as the registry table creates them, and the type
// library's declarations (interfaces, CLSIDs, IIDs) that the bindings use.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "orvalis_h.h"

namespace orvalis::com {

// One creation function per class of the list, defined by its binding.
#define ORVALIS_CLASS(name) IUnknown* create_##name();
#include "frame/com/ClassList.h"
#undef ORVALIS_CLASS

}  // namespace orvalis::com
