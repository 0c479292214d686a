// DllRegisterServer / DllUnregisterServer. Registration writes, for the type
// library and for each class of the registry table, the keys hosts need to
// find them; unregistration removes exactly those keys. The interfaces that
// the type library borrows (the runtime's picture and collection types)
// belong to other libraries and are never written or removed here.
#include <string>
#include <vector>

#include "frame/com/ClassRegistry.h"
#include "frame/com/Module.h"

namespace orvalis::com {

namespace {

// The proxy/stub of the automation (type-library) marshaller.
constexpr const wchar_t* kTypeLibraryMarshaller = L"{00020424-0000-0000-C000-000000000046}";

std::wstring guidText(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring progId(const ClassEntry& entry) { return std::wstring(kLibraryName) + L"." + entry.name; }
std::wstring versionText() {
  return std::to_wstring(kLibraryMajor) + L"." + std::to_wstring(kLibraryMinor);
}
std::wstring clsidKey(const ClassEntry& entry) { return L"CLSID\\" + guidText(entry.clsid); }
std::wstring interfaceKey(const ClassEntry& entry) { return L"Interface\\" + guidText(entry.iid); }
std::wstring typeLibKey() { return L"TypeLib\\" + guidText(kLibraryId); }
std::wstring typeLibVersionKey() { return typeLibKey() + L"\\" + versionText(); }
// The type library's file for one platform: a 32-bit and a 64-bit build
// register side by side under one version key ("win32", "win64"), which
// the registry's 32-bit and 64-bit views share.
std::wstring typeLibPlatformKey() {
  return typeLibVersionKey() + (sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32");
}

// One value to write: key (under HKEY_CLASSES_ROOT), value name (empty for
// the default value) and text.
struct RegistryValue {
  std::wstring key;
  std::wstring name;
  std::wstring data;
};

std::wstring libraryHelpString() {
  ITypeLib* library = nullptr;
  std::wstring help;
  if (SUCCEEDED(LoadTypeLibEx(modulePath().c_str(), REGKIND_NONE, &library))) {
    BSTR doc = nullptr;
    if (SUCCEEDED(library->GetDocumentation(-1, nullptr, &doc, nullptr, nullptr)) && doc)
      help.assign(doc, SysStringLen(doc));
    SysFreeString(doc);
    library->Release();
  }
  return help;
}

std::vector<RegistryValue> registrationValues() {
  const std::wstring path = modulePath();
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  const std::wstring libraryId = guidText(kLibraryId);

  std::vector<RegistryValue> values = {
      {typeLibVersionKey(), L"", libraryHelpString()},
      {typeLibPlatformKey(), L"", path},
      {typeLibVersionKey() + L"\\FLAGS", L"", L"0"},
      {typeLibVersionKey() + L"\\HELPDIR", L"", folder},
  };
  for (const ClassEntry& entry : classRegistry()) {
    const std::wstring clsid = guidText(entry.clsid);
    values.insert(values.end(), {
        {progId(entry), L"", progId(entry)},
        {progId(entry) + L"\\Clsid", L"", clsid},
        {clsidKey(entry), L"", progId(entry)},
        {clsidKey(entry) + L"\\InprocServer32", L"", path},
        {clsidKey(entry) + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsidKey(entry) + L"\\ProgID", L"", progId(entry)},
        {clsidKey(entry) + L"\\TypeLib", L"", libraryId},
        {clsidKey(entry) + L"\\VERSION", L"", versionText()},
        {interfaceKey(entry), L"", std::wstring(L"_") + entry.name},
        {interfaceKey(entry) + L"\\ProxyStubClsid", L"", kTypeLibraryMarshaller},
        {interfaceKey(entry) + L"\\ProxyStubClsid32", L"", kTypeLibraryMarshaller},
        {interfaceKey(entry) + L"\\TypeLib", L"", libraryId},
        {interfaceKey(entry) + L"\\TypeLib", L"Version", versionText()},
    });
  }
  return values;
}

// Whether the build for the other platform is registered too: its file
// stays under the shared version key once this build's own is gone.
bool otherPlatformRegistered() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (typeLibVersionKey() + L"\\0").c_str(), 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return false;
  DWORD subkeys = 0;
  const bool found = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                     subkeys > 0;
  RegCloseKey(key);
  return found;
}

// The roots of everything registration writes, removed with their subtrees.
// The type library's version key and the ProgIDs serve the other
// platform's build as well, so they stay while that one is registered.
std::vector<std::wstring> registrationRoots(bool withShared) {
  std::vector<std::wstring> roots;
  if (withShared) roots.push_back(typeLibVersionKey());
  for (const ClassEntry& entry : classRegistry()) {
    if (withShared) roots.push_back(progId(entry));
    roots.push_back(clsidKey(entry));
    roots.push_back(interfaceKey(entry));
  }
  return roots;
}

LSTATUS writeValue(const RegistryValue& value) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, value.key.c_str(), 0, nullptr, 0,
                                   KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  const auto bytes = static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t));
  status = RegSetValueExW(key, value.name.empty() ? nullptr : value.name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.data.c_str()), bytes);
  RegCloseKey(key);
  return status;
}

}  // namespace

}  // namespace orvalis::com

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  using namespace orvalis::com;
  for (const RegistryValue& value : registrationValues()) {
    const LSTATUS status = writeValue(value);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  using namespace orvalis::com;
  HRESULT result = S_OK;
  RegDeleteTreeW(HKEY_CLASSES_ROOT, typeLibPlatformKey().c_str());
  for (const std::wstring& root : registrationRoots(!otherPlatformRegistered())) {
    const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, root.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) result = HRESULT_FROM_WIN32(status);
  }
  // The library's key goes only when no other version of it is registered.
  RegDeleteKeyW(HKEY_CLASSES_ROOT, typeLibKey().c_str());
  return result;
}
