// The one table of creatable classes. The class factory, DllGetClassObject
// and (un)registration all read it; adding a class is one row.
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

extern const GUID kLibraryId;
constexpr WORD kLibraryMajor = 1;
constexpr WORD kLibraryMinor = 0;
constexpr const wchar_t* kLibraryName = L"Orvalis";

}  // namespace orvalis::com
