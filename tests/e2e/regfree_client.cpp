// Registration-free use, in a prefix where nothing of the library is
// registered. Built twice from this source:
//
//   regfree_client.exe MP3 MS
//       carries an application manifest that names the assemblies
//       Orvalis.sxs and VxBrennet.sxs; it runs from a folder that holds the
//       two DLLs with their assembly manifests, as a VB6 program would ship.
//   regfree_host.exe MANIFEST
//       has no manifest of its own and runs from another folder; it makes
//       and activates a context from the library's assembly manifest
//       itself, as a VBA macro does through CreateActCtx in an Office host.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "client_checks.h"
#include "com_client.h"
#include "orvalis_h.h"

using e2e::check;
using e2e::hex;

namespace {

using e2e::narrow;
using e2e::messageBoxLog;

struct ListedClass {
  const wchar_t* name;
  const CLSID& clsid;
  const IID& iid;
};

#define ORVALIS_CLASS(name) {L## #name, CLSID_##name, IID__##name},
const ListedClass kListedClasses[] = {
#include "module/ClassList.h"
};
#undef ORVALIS_CLASS

std::wstring guidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring moduleFolder(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  return folderOf(path);
}

// The keys registration writes; none may exist for this check to mean
// anything.
void nothingRegistered() {
  std::vector<std::wstring> keys = {L"TypeLib\\" + guidText(LIBID_Orvalis)};
  for (const ListedClass& listed : kListedClasses) {
    keys.push_back(L"CLSID\\" + guidText(listed.clsid));
    keys.push_back(std::wstring(L"Orvalis.") + listed.name);
    keys.push_back(L"Interface\\" + guidText(listed.iid));
  }
  keys.push_back(L"VxBrennet.clsVxBrennetA");
  std::wstring found;
  for (const std::wstring& key : keys) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) == ERROR_SUCCESS) {
      RegCloseKey(handle);
      found += L" " + key;
    }
  }
  check("HKEY_CLASSES_ROOT holds none of the " + std::to_string(keys.size()) + " keys registration writes",
        found.empty(), narrow(found));
}

HRESULT invoke(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT count, VARIANT* result) {
  DISPID id;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{args, flags == DISPATCH_PROPERTYPUT ? &named : nullptr, count,
                    flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

// Every creatable class of the type library (found by LIBID through the
// context), created by CLSID and by ProgID with its default interface.
void everyClass() {
  ITypeLib* library = nullptr;
  HRESULT hr = LoadRegTypeLib(LIBID_Orvalis, 1, 0, LOCALE_NEUTRAL, &library);
  check("LoadRegTypeLib finds the type library by LIBID", SUCCEEDED(hr), hex(hr));
  BSTR path = nullptr;
  hr = QueryPathOfRegTypeLib(LIBID_Orvalis, 1, 0, LOCALE_NEUTRAL, &path);
  const std::wstring expected = moduleFolder(nullptr) + L"\\orvalis.dll";
  check("the type library's path is the DLL beside the host", SUCCEEDED(hr) && path && lstrcmpiW(path, expected.c_str()) == 0,
        hex(hr) + " " + narrow(path ? path : L""));
  SysFreeString(path);
  if (!library) return;

  int created = 0, listed = 0;
  for (UINT index = 0; index < library->GetTypeInfoCount(); ++index) {
    ITypeInfo* info = nullptr;
    TYPEATTR* attributes = nullptr;
    if (FAILED(library->GetTypeInfo(index, &info)) || FAILED(info->GetTypeAttr(&attributes))) continue;
    if (attributes->typekind == TKIND_COCLASS && (attributes->wTypeFlags & TYPEFLAG_FCANCREATE)) {
      const CLSID clsid = attributes->guid;
      BSTR name = nullptr;
      info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
      IID iid = IID_IDispatch;
      HREFTYPE reference;
      ITypeInfo* dual = nullptr;
      TYPEATTR* dualAttributes = nullptr;
      if (SUCCEEDED(info->GetRefTypeOfImplType(0, &reference)) && SUCCEEDED(info->GetRefTypeInfo(reference, &dual)) &&
          SUCCEEDED(dual->GetTypeAttr(&dualAttributes))) {
        iid = dualAttributes->guid;
        dual->ReleaseTypeAttr(dualAttributes);
      }
      if (dual) dual->Release();

      IUnknown* byClsid = nullptr;
      const HRESULT hrClsid =
          CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&byClsid));
      // In a context CLSIDFromProgID gives the context's alias of the CLSID,
      // not the CLSID itself; CoCreateInstance takes either. The default
      // interface proves which class came back.
      const std::wstring progId = std::wstring(L"Orvalis.") + name;
      CLSID fromProgId = CLSID_NULL;
      const HRESULT hrProgId = CLSIDFromProgID(progId.c_str(), &fromProgId);
      IUnknown* byProgId = nullptr;
      const HRESULT hrCreate =
          CoCreateInstance(fromProgId, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&byProgId));
      const bool ok = byClsid && byProgId;
      check("created by CLSID and by ProgID " + narrow(progId), ok,
            "CLSID " + hex(hrClsid) + ", CLSIDFromProgID " + hex(hrProgId) + ", ProgID " + hex(hrCreate));
      if (ok) ++created;
      for (const ListedClass& entry : kListedClasses)
        if (IsEqualCLSID(entry.clsid, clsid) && IsEqualIID(entry.iid, iid) && lstrcmpW(entry.name, name) == 0)
          ++listed;
      if (byClsid) byClsid->Release();
      if (byProgId) byProgId->Release();
      SysFreeString(name);
    }
    info->ReleaseTypeAttr(attributes);
    info->Release();
  }
  library->Release();
  const int count = static_cast<int>(sizeof kListedClasses / sizeof kListedClasses[0]);
  check("the type library's classes are the " + std::to_string(count) + " of the class table",
        created == count && listed == count,
        std::to_string(created) + " created, " + std::to_string(listed) + " in the table");
}

_clsVxAudoMP3PlayerB* createPlayer() { return e2e::create<_clsVxAudoMP3PlayerB>(L"Orvalis.clsVxAudoMP3PlayerB", IID__clsVxAudoMP3PlayerB); }

// A call from a multithreaded apartment reaches the player through a proxy
// of the type-library marshaller, which finds the interface and the type
// library through the process's context.
struct CrossCall {
  IStream* stream = nullptr;
  HRESULT unmarshal = E_FAIL;
  HRESULT call = E_FAIL;
  std::wstring filename;
};

DWORD WINAPI crossApartment(void* parameter) {
  auto* cross = static_cast<CrossCall*>(parameter);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  _clsVxAudoMP3PlayerB* proxy = nullptr;
  cross->unmarshal = CoGetInterfaceAndReleaseStream(cross->stream, IID__clsVxAudoMP3PlayerB,
                                                    reinterpret_cast<void**>(&proxy));
  if (proxy) {
    BSTR name = nullptr;
    cross->call = proxy->get_Filename(&name);
    if (name) cross->filename = name;
    SysFreeString(name);
    proxy->Release();
  }
  CoUninitialize();
  return 0;
}

// Runs the main thread's message loop until the worker ends: the player's
// apartment must serve the proxy's calls.
void waitPumping(HANDLE thread) {
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, 20000, QS_ALLINPUT);
    if (woke != WAIT_OBJECT_0 + 1) return;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

void playsAnMp3(const std::wstring& mp3, long length) {
  _clsVxAudoMP3PlayerB* player = createPlayer();
  check("Orvalis.clsVxAudoMP3PlayerB is created by ProgID", player != nullptr);
  if (!player) return;
  const std::wstring expected = moduleFolder(nullptr);
  HMODULE module = GetModuleHandleW(L"orvalis.dll");
  check("orvalis.dll is loaded from the host's folder", module && lstrcmpiW(moduleFolder(module).c_str(), expected.c_str()) == 0,
        narrow(module ? moduleFolder(module) : L"(not loaded)"));

  BSTR name = SysAllocString(mp3.c_str());
  player->put_Filename(name);
  SysFreeString(name);
  check("Play", SUCCEEDED(player->Play()));
  LONG position = 0;
  for (int i = 0; i < 16 && position <= 0; ++i) {
    Sleep(250);
    player->PositioninMS(&position);
  }
  check("the MP3 plays: its position advances", position > 0, std::to_string(position));
  LONG duration = 0;
  player->DurationInMS(&duration);
  check("DurationInMS is the file's length", duration > length - 200 && duration < length + 200,
        std::to_string(duration) + " for " + std::to_string(length));

  VARIANT text;
  VariantInit(&text);
  const HRESULT hr = invoke(player, L"FormatDuration", DISPATCH_METHOD | DISPATCH_PROPERTYGET, nullptr, 0, &text);
  check("FormatDuration late-bound through the module's own type information",
        SUCCEEDED(hr) && V_VT(&text) == VT_BSTR && std::wstring(V_BSTR(&text)) == L"0:04",
        hex(hr) + " " + narrow(V_VT(&text) == VT_BSTR ? V_BSTR(&text) : L"?"));
  VariantClear(&text);

  check("StopPlay", SUCCEEDED(player->StopPlay()));
  player->Release();
}

// Last, because Wine's type-library marshaller registers the type library
// while it builds the proxy (LoadTypeLib on the module name that the context
// gives); the run registers and unregisters the library afterwards anyway.
void crossApartmentCall(const std::wstring& mp3) {
  _clsVxAudoMP3PlayerB* player = createPlayer();
  if (!player) {
    check("a call from another apartment goes through the type-library marshaller", false, "no player");
    return;
  }
  BSTR name = SysAllocString(mp3.c_str());
  player->put_Filename(name);
  SysFreeString(name);
  CrossCall cross;
  CoMarshalInterThreadInterfaceInStream(IID__clsVxAudoMP3PlayerB, player, &cross.stream);
  HANDLE thread = CreateThread(nullptr, 0, crossApartment, &cross, 0, nullptr);
  waitPumping(thread);
  CloseHandle(thread);
  check("a call from another apartment goes through the type-library marshaller",
        SUCCEEDED(cross.unmarshal) && SUCCEEDED(cross.call) && cross.filename == mp3,
        "unmarshal " + hex(cross.unmarshal) + ", call " + hex(cross.call) + " " + narrow(cross.filename));
  player->Release();
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (L"TypeLib\\" + guidText(LIBID_Orvalis)).c_str(), 0, KEY_READ, &key) ==
      ERROR_SUCCESS) {
    RegCloseKey(key);
    std::printf("INFO the type-library marshaller registered the type library while it built the proxy\n");
  }
}

// About creates the framework component by its ProgID from inside the
// library: the host's context names that assembly too.
void aboutThroughTheFramework() {
  CLSID clsid;
  _clsVxOrvalisA* info = nullptr;
  if (SUCCEEDED(CLSIDFromProgID(L"Orvalis.clsVxOrvalisA", &clsid)))
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__clsVxOrvalisA, reinterpret_cast<void**>(&info));
  if (!info) {
    check("About shows the framework component's box", false, "no clsVxOrvalisA");
    return;
  }
  const std::string before = messageBoxLog();
  LONG result = -1;
  const HRESULT hr = info->About(&result);
  bool seen = false;
  for (int i = 0; i < 40 && !seen; ++i) {
    seen = messageBoxLog().find("About Orvalis\t", before.size()) != std::string::npos;
    if (!seen) Sleep(50);
  }
  check("About shows the framework component's box", hr == S_OK && result == 0 && seen,
        hex(hr) + ", result " + std::to_string(result) + (seen ? "" : ", no box"));
  info->Release();
}

int applicationManifest(const std::wstring& mp3, long length) {
  nothingRegistered();
  everyClass();
  playsAnMp3(mp3, length);
  aboutThroughTheFramework();
  crossApartmentCall(mp3);
  return e2e::verdict();
}

// What a VBA macro does: CreateActCtxW on the assembly manifest,
// ActivateActCtx around CreateObject, DeactivateActCtx; the object keeps
// working after the context is gone.
int ownContext(const std::wstring& manifest) {
  nothingRegistered();
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(L"Orvalis.clsVxAudoMP3PlayerB", &clsid);
  check("without the context the ProgID is unknown", FAILED(hr), hex(hr));

  ACTCTXW request{};
  request.cbSize = sizeof request;
  request.lpSource = manifest.c_str();
  HANDLE context = CreateActCtxW(&request);
  check("CreateActCtxW on the assembly manifest", context != INVALID_HANDLE_VALUE,
        "error " + std::to_string(GetLastError()));
  if (context == INVALID_HANDLE_VALUE) return e2e::verdict();
  ULONG_PTR cookie = 0;
  check("ActivateActCtx", ActivateActCtx(context, &cookie) != FALSE);
  IDispatch* player = nullptr;
  hr = CLSIDFromProgID(L"Orvalis.clsVxAudoMP3PlayerB", &clsid);
  if (SUCCEEDED(hr))
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&player));
  check("CreateObject(\"Orvalis.clsVxAudoMP3PlayerB\") inside the context", player != nullptr, hex(hr));
  DeactivateActCtx(0, cookie);
  ReleaseActCtx(context);

  hr = CLSIDFromProgID(L"Orvalis.clsVxAudoMP3PlayerB", &clsid);
  check("after DeactivateActCtx the ProgID is unknown again", FAILED(hr), hex(hr));
  if (player) {
    HMODULE module = GetModuleHandleW(L"orvalis.dll");
    check("orvalis.dll is loaded from the manifest's folder",
          module && lstrcmpiW(moduleFolder(module).c_str(), folderOf(manifest).c_str()) == 0,
          narrow(module ? moduleFolder(module) : L"(not loaded)"));
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(L"C:\\Music\\song.mp3");
    const HRESULT put = invoke(player, L"Filename", DISPATCH_PROPERTYPUT, &value, 1, nullptr);
    VariantClear(&value);
    const HRESULT get = invoke(player, L"Filename", DISPATCH_PROPERTYGET, nullptr, 0, &value);
    check("the object keeps working late-bound after the context is gone",
          SUCCEEDED(put) && SUCCEEDED(get) && V_VT(&value) == VT_BSTR &&
              std::wstring(V_BSTR(&value)) == L"C:\\Music\\song.mp3",
          hex(put) + " " + hex(get));
    VariantClear(&value);
    player->Release();
  }
  return e2e::verdict();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  CoInitialize(nullptr);
#ifdef REGFREE_OWN_CONTEXT
  constexpr bool kOwnContext = true;
#else
  constexpr bool kOwnContext = false;
#endif
  const int status = kOwnContext ? ownContext(argc > 1 ? argv[1] : L"")
                                 : applicationManifest(argc > 1 ? argv[1] : L"", argc > 2 ? _wtol(argv[2]) : 0);
  CoUninitialize();
  return status;
}
