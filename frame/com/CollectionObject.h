// The library's own implementation of the automation runtime's ordered
// collection interface _Collection (Item, Add, Count, Remove, _NewEnum),
// dual like the runtime's: early-bound through the vtable, late-bound
// through the type library, enumerable by For Each through IEnumVARIANT.
// The runtime's own registration of the interface is left untouched: the
// object dispatches through the library's type library, which declares the
// interface under the runtime's IID.
#pragma once

#include "frame/Collection.h"
#include "frame/com/Classes.h"

namespace orvalis::com {

// A new collection object holding copies of the items (and keys) of
// `items`, with one reference, the caller's.
_Collection* newCollection(const Collection& items);

}  // namespace orvalis::com
