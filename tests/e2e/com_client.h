// What the end-to-end C++ clients share around COM: the settings the runner
// passes in the environment, objects created by ProgID the way a host
// creates them, and the description of the error a call left behind.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

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

}  // namespace e2e
