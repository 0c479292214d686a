// Module-wide state of the in-process server: the module handle, the count
// of live objects and factory locks behind DllCanUnloadNow, and the type
// library loaded once from the module's own resources.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace orvalis::com {

class InterfaceMembers;

// Called by each server module's DllMain when a process loads it: keeps
// the module handle and turns off the thread notifications.
void moduleAttached(HINSTANCE instance);

HMODULE moduleHandle();
std::wstring modulePath();

void objectCreated();
void objectDestroyed();
void lockServer(bool lock);
bool canUnload();

// The type information of one of the library's interfaces, for IDispatch
// delegation: the vtable (dual) half, as ITypeInfo::Invoke needs it.
// Not AddRef'ed; it lives as long as the module.
ITypeInfo* interfaceTypeInfo(REFIID iid);

// The same interface's members as Invoke calls them, read once; nullptr
// when the type library has no such interface. Lives as long as the module.
const InterfaceMembers* interfaceMembers(REFIID iid);

}  // namespace orvalis::com
