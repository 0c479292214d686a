// The type library's declarations (interfaces, CLSIDs, IIDs) that the
// bindings of orvalis.dll use. Each binding defines its class's creation
// function, IUnknown* create_<class>(), in namespace orvalis::com; the
// module's class table (module/OrvalisClasses.cpp) names them.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "orvalis_h.h"

