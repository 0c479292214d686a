#include "frame/com/Module.h"

#include <atomic>
#include <map>
#include <memory>

#include "frame/com/ClassRegistry.h"
#include "frame/com/DispatchArguments.h"

namespace orvalis::com {

namespace {

HMODULE gModule = nullptr;
std::atomic<long> gLiveObjects{0};
std::atomic<long> gServerLocks{0};

// The library's type library, loaded once from the module's own TYPELIB
// resource (no registration needed for the objects to dispatch).
ITypeLib* libraryTypeLib() {
  static ITypeLib* const library = [] {
    ITypeLib* loaded = nullptr;
    if (FAILED(LoadTypeLibEx(modulePath().c_str(), REGKIND_NONE, &loaded))) return static_cast<ITypeLib*>(nullptr);
    return loaded;
  }();
  return library;
}

ITypeInfo* loadInterfaceTypeInfo(REFIID iid) {
  ITypeLib* library = libraryTypeLib();
  if (!library) return nullptr;
  ITypeInfo* info = nullptr;
  if (FAILED(library->GetTypeInfoOfGuid(iid, &info))) return nullptr;
  // A dual interface is listed as its dispatch half; Invoke needs the
  // vtable half behind it.
  TYPEATTR* attributes = nullptr;
  if (SUCCEEDED(info->GetTypeAttr(&attributes))) {
    const bool dispatchHalf = attributes->typekind == TKIND_DISPATCH;
    info->ReleaseTypeAttr(attributes);
    HREFTYPE vtableHalf = 0;
    ITypeInfo* vtableInfo = nullptr;
    if (dispatchHalf && SUCCEEDED(info->GetRefTypeOfImplType(-1, &vtableHalf)) &&
        SUCCEEDED(info->GetRefTypeInfo(vtableHalf, &vtableInfo))) {
      info->Release();
      info = vtableInfo;
    }
  }
  return info;
}

}  // namespace

HMODULE moduleHandle() { return gModule; }

std::wstring modulePath() {
  wchar_t path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(gModule, path, static_cast<DWORD>(std::size(path)));
  return std::wstring(path, length);
}

void objectCreated() { ++gLiveObjects; }
void objectDestroyed() { --gLiveObjects; }
void lockServer(bool lock) { lock ? ++gServerLocks : --gServerLocks; }
bool canUnload() { return gLiveObjects == 0 && gServerLocks == 0; }

const InterfaceMembers* interfaceMembers(REFIID iid) {
  // Objects are apartment-threaded, but several apartments may ask at once.
  // Each object class asks once and keeps the answer (see AutomationObject).
  struct Lock {
    Lock() { InitializeCriticalSection(&section); }
    CRITICAL_SECTION section;
  };
  static Lock lock;
  static std::map<GUID, std::unique_ptr<InterfaceMembers>, bool (*)(const GUID&, const GUID&)> cache(
      [](const GUID& a, const GUID& b) { return memcmp(&a, &b, sizeof(GUID)) < 0; });
  EnterCriticalSection(&lock.section);
  auto found = cache.find(iid);
  if (found == cache.end()) {
    ITypeInfo* info = loadInterfaceTypeInfo(iid);
    found = cache.emplace(iid, info ? std::make_unique<InterfaceMembers>(info) : nullptr).first;
  }
  const InterfaceMembers* members = found->second.get();
  LeaveCriticalSection(&lock.section);
  return members;
}

void moduleAttached(HINSTANCE instance) {
  gModule = instance;
  DisableThreadLibraryCalls(instance);
}

ITypeInfo* interfaceTypeInfo(REFIID iid) {
  const InterfaceMembers* members = interfaceMembers(iid);
  return members ? members->typeInfo() : nullptr;
}

}  // namespace orvalis::com
