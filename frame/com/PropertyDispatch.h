// The library's own property tables (frame/PropertyObject.h) as automation
// objects: IDispatch without type information, whose dispatch ids are the
// properties' positions in the table plus one. Late-bound callers (scripts,
// the framework component) read them by name.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <memory>

#include "frame/PropertyObject.h"

namespace orvalis::com {

// A new IDispatch over the table, with one reference; nullptr when out of
// memory. It keeps the module loaded while it lives.
IDispatch* newPropertyDispatch(std::shared_ptr<const PropertyObject> object);

}  // namespace orvalis::com
