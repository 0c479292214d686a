// A test-only in-process server, never shipped: OrvalisTest.EventRecorder,
// a script's sink for the playback watcher's events where the script host
// has no WScript.ConnectObject (Wine's cscript answers it with error 445).
//
//   recorder.Connect watcher, player   FindConnectionPoint + Advise on the
//                                      watcher's source dispinterface
//   recorder.Disconnect                Unadvise
//   recorder.Events                    "StateChanged(2) Ended(<name>) ..."
//   recorder.Clear                     empties Events
//
// Each event is written the way the script's own handlers write it, and
// marked "(another player)" when it names another player than the one
// given to Connect, "(another thread)" when it arrives on another thread
// than the one that created the recorder (the script's). Late bound only:
// IDispatch by hand over a small name table, no type library.
#include <windows.h>
#include <ocidl.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>

#include "orvalisevents_h.h"

namespace {

// {2BFC2491-DD13-427F-AB37-8FD2DEFD8B6E}
const CLSID kClsid = {0x2bfc2491, 0xdd13, 0x427f, {0xab, 0x37, 0x8f, 0xd2, 0xde, 0xfd, 0x8b, 0x6e}};
const wchar_t kClsidText[] = L"{2BFC2491-DD13-427F-AB37-8FD2DEFD8B6E}";
const wchar_t kProgId[] = L"OrvalisTest.EventRecorder";

HMODULE gModule = nullptr;
LONG gObjects = 0;
LONG gLocks = 0;

enum : DISPID { kConnect = 101, kDisconnect, kEvents, kClear };
struct Name {
  const wchar_t* text;
  DISPID id;
};
const Name kNames[] = {{L"Connect", kConnect}, {L"Disconnect", kDisconnect}, {L"Events", kEvents}, {L"Clear", kClear}};

// The argument as a plain value: scripts pass their variables by reference.
HRESULT plain(const VARIANT& in, VARIANT* out) {
  VariantInit(out);
  return VariantCopyInd(out, const_cast<VARIANT*>(&in));
}

IUnknown* identity(IUnknown* object) {
  IUnknown* unknown = nullptr;
  if (object != nullptr) object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown));
  return unknown;
}

class Recorder;

// The sink given to Advise; it lives inside its recorder.
class Sink final : public IDispatch {
 public:
  explicit Sink(Recorder* owner) : owner_(owner) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override;

 private:
  Recorder* owner_;
};

class Recorder final : public IDispatch {
 public:
  Recorder() : sink_(this), thread_(GetCurrentThreadId()) { InterlockedIncrement(&gObjects); }

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      for (const Name& name : kNames) {
        if (i == 0 && lstrcmpiW(names[0], name.text) == 0) ids[0] = name.id;
      }
      if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override {
    const UINT count = params->cArgs;
    switch (id) {
      case kConnect:
        if (count != 2) return DISP_E_BADPARAMCOUNT;
        return connect(params->rgvarg[1], params->rgvarg[0]);
      case kDisconnect:
        if (count != 0) return DISP_E_BADPARAMCOUNT;
        return disconnect();
      case kClear:
        if (count != 0) return DISP_E_BADPARAMCOUNT;
        events_.clear();
        return S_OK;
      case kEvents:
        if (count != 0 || (flags & DISPATCH_PROPERTYGET) == 0) return DISP_E_MEMBERNOTFOUND;
        if (result != nullptr) {
          V_VT(result) = VT_BSTR;
          V_BSTR(result) = SysAllocStringLen(events_.data(), static_cast<UINT>(events_.size()));
        }
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  // The watcher's events: StateChanged (1) and Ended (2), each with the
  // player first.
  void record(DISPID id, DISPPARAMS* params) {
    if (id != 1 && id != 2) {
      events_ += L"Unknown(" + std::to_wstring(id) + L") ";
      return;
    }
    VARIANT player, value;
    if (params->cArgs != 2 || FAILED(plain(params->rgvarg[1], &player)) ||
        FAILED(plain(params->rgvarg[0], &value))) {
      events_ += L"Malformed ";
      return;
    }
    if (SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR))) {
      events_ += std::wstring(id == 1 ? L"StateChanged(" : L"Ended(") + V_BSTR(&value) + L") ";
    } else {
      events_ += L"Malformed ";
    }
    IUnknown* named = V_VT(&player) == VT_DISPATCH ? identity(V_DISPATCH(&player)) : nullptr;
    if (named == nullptr || named != player_) events_ += L"(another player) ";
    if (named != nullptr) named->Release();
    if (GetCurrentThreadId() != thread_) events_ += L"(another thread) ";
    VariantClear(&player);
    VariantClear(&value);
  }

 private:
  ~Recorder() {
    disconnect();
    InterlockedDecrement(&gObjects);
  }

  HRESULT connect(const VARIANT& watcherArgument, const VARIANT& playerArgument) {
    if (point_ != nullptr) return E_UNEXPECTED;
    VARIANT watcher, player;
    HRESULT hr = plain(watcherArgument, &watcher);
    if (FAILED(hr)) return hr;
    hr = plain(playerArgument, &player);
    if (FAILED(hr)) {
      VariantClear(&watcher);
      return hr;
    }
    IConnectionPointContainer* container = nullptr;
    if (V_VT(&watcher) != VT_DISPATCH || V_DISPATCH(&watcher) == nullptr ||
        V_VT(&player) != VT_DISPATCH || V_DISPATCH(&player) == nullptr) {
      hr = DISP_E_TYPEMISMATCH;
    } else {
      hr = V_DISPATCH(&watcher)->QueryInterface(IID_IConnectionPointContainer,
                                                reinterpret_cast<void**>(&container));
    }
    if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(DIID___clsVxAudoWatcherA, &point_);
    if (SUCCEEDED(hr)) hr = point_->Advise(&sink_, &cookie_);
    if (SUCCEEDED(hr)) {
      player_ = identity(V_DISPATCH(&player));
    } else if (point_ != nullptr) {
      point_->Release();
      point_ = nullptr;
    }
    if (container != nullptr) container->Release();
    VariantClear(&watcher);
    VariantClear(&player);
    return hr;
  }

  HRESULT disconnect() {
    HRESULT hr = S_OK;
    if (point_ != nullptr) {
      hr = point_->Unadvise(cookie_);
      point_->Release();
      point_ = nullptr;
    }
    if (player_ != nullptr) {
      player_->Release();
      player_ = nullptr;
    }
    return hr;
  }

  LONG references_ = 1;
  Sink sink_;
  DWORD thread_;
  std::wstring events_;
  IConnectionPoint* point_ = nullptr;
  DWORD cookie_ = 0;
  IUnknown* player_ = nullptr;
};

STDMETHODIMP Sink::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID___clsVxAudoWatcherA) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}
STDMETHODIMP_(ULONG) Sink::AddRef() { return owner_->AddRef(); }
STDMETHODIMP_(ULONG) Sink::Release() { return owner_->Release(); }
STDMETHODIMP Sink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
  owner_->record(id, params);
  return S_OK;
}

class Factory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    Recorder* recorder = new Recorder();
    HRESULT hr = recorder->QueryInterface(riid, object);
    recorder->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) {
      InterlockedIncrement(&gLocks);
    } else {
      InterlockedDecrement(&gLocks);
    }
    return S_OK;
  }
};
Factory gFactory;

bool setValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  LONG status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    gModule = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (clsid != kClsid) {
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return gFactory.QueryInterface(riid, object);
}

STDAPI DllCanUnloadNow() { return gObjects == 0 && gLocks == 0 ? S_OK : S_FALSE; }

STDAPI DllUnregisterServer() {
  const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
  RegDeleteTreeW(HKEY_CLASSES_ROOT, clsidKey.c_str());
  RegDeleteKeyW(HKEY_CLASSES_ROOT, clsidKey.c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
  RegDeleteKeyW(HKEY_CLASSES_ROOT, kProgId);
  return S_OK;
}

STDAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(gModule, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return E_FAIL;
  const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
  const bool written = setValue(clsidKey, nullptr, L"Event recorder of the end-to-end tests") &&
                       setValue(clsidKey + L"\\InprocServer32", nullptr, path) &&
                       setValue(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                       setValue(clsidKey + L"\\ProgID", nullptr, kProgId) &&
                       setValue(kProgId, nullptr, L"Event recorder of the end-to-end tests") &&
                       setValue(std::wstring(kProgId) + L"\\CLSID", nullptr, kClsidText);
  if (!written) {
    DllUnregisterServer();
    return E_FAIL;
  }
  return S_OK;
}
