// The one table of creatable classes. The class factory, DllGetClassObject
// and (un)registration all read it; adding a class is one row. Each server
// module built on this layer defines its own table and type-library identity
// (orvalis.dll in module/OrvalisClasses.cpp).
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <span>

namespace orvalis::com {

struct ClassEntry {
  const wchar_t* name;  // the ProgID is "Orvalis." + name
  const CLSID& clsid;
  const IID& iid;       // the class's default (dual) interface
  IUnknown* (*create)();  // a new object with one reference, or nullptr
};

std::span<const ClassEntry> classRegistry();
const ClassEntry* findClass(REFCLSID clsid);

// The module's type library (LIBID, version) and its name, which is also
// the ProgID prefix.
extern const GUID kLibraryId;
extern const WORD kLibraryMajor;
extern const WORD kLibraryMinor;
extern const wchar_t* const kLibraryName;

}  // namespace orvalis::com
