// What the end-to-end C++ clients share around COM: the settings the runner
// passes in the environment, objects created by ProgID the way a host
// creates them, and the description of the error a call left behind.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace e2e {

inline std::wstring environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  GetEnvironmentVariableW(name, value, 1024);
  return value;
}

// For PASS/FAIL lines, which are ASCII: other characters print as '?'.
inline std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

// A module's DllCanUnloadNow, or nullptr when the module or the export is
// missing.
using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
inline CanUnloadNow canUnloadNowOf(HMODULE module) {
  return module ? reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")))
                : nullptr;
}

// The object of `progId` through `iid`, or nullptr when either fails.
template <class Interface>
Interface* create(const wchar_t* progId, REFIID iid) {
  CLSID clsid;
  Interface* object = nullptr;
  if (SUCCEEDED(CLSIDFromProgID(progId, &clsid)))
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&object));
  return object;
}

// The description of the thread's error object, empty when there is none.
inline std::wstring errorDescription() {
  IErrorInfo* info = nullptr;
  std::wstring text;
  if (GetErrorInfo(0, &info) == S_OK && info) {
    BSTR description = nullptr;
    info->GetDescription(&description);
    if (description) text = description;
    SysFreeString(description);
    info->Release();
  }
  return text;
}

// Calls the member `name` of `object` late-bound, the way a script host
// does: its identifier by name, then Invoke with `count` arguments (last
// argument first) and no named ones.
inline HRESULT invokeByName(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT count,
                            VARIANT* result, EXCEPINFO* exception = nullptr) {
  DISPID id;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS params{args, nullptr, count, 0};
  UINT badArgument = 0;
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, exception, &badArgument);
}

// What a file holds (its first 64 KiB), or `missing` when it cannot be
// opened.
inline std::string readFileStart(const std::wstring& path, const std::string& missing = {}) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return missing;
  std::string bytes(1 << 16, '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

// The message boxes the runner's watcher has dismissed so far, one
// "title<TAB>text" line each (ORVALIS_MSGBOX_LOG).
inline std::string messageBoxLog() { return readFileStart(environment(L"ORVALIS_MSGBOX_LOG")); }

// The IUnknown and naming half of a host object (a list control, a form)
// that a check owns: references are counted and never free it, so a check
// can see who still holds it. Member n (from 1) is the n-th name, matched
// without regard to case; the derived class answers Invoke.
class HostObject : public IDispatch {
 public:
  ULONG references() const { return references_; }

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid != IID_IUnknown && riid != IID_IDispatch) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override { return --references_; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
    for (size_t i = 0; i < names_.size(); ++i) {
      if (lstrcmpiW(names[0], names_[i]) == 0) {
        ids[0] = static_cast<DISPID>(i + 1);
        return S_OK;
      }
    }
    return DISP_E_UNKNOWNNAME;
  }

 protected:
  explicit HostObject(std::initializer_list<const wchar_t*> names) : names_(names) {}
  virtual ~HostObject() = default;

 private:
  std::vector<const wchar_t*> names_;
  ULONG references_ = 1;
};

}  // namespace e2e
