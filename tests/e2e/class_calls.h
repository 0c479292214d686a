// One call per class that the lifetime and thread clients make again and
// again on objects of every class, early-bound (the class's own interface)
// and late-bound (IDispatch, the name looked up on the object). A member
// that does the class's own work, the device services left out where the
// class has such a member (under Wine on an emulated processor one MCI
// command takes about a millisecond): a field, the application object, a
// WAV image, an error text; the CD classes have only members that send MCI
// commands. A class without members gets the one thing it has, its
// IDispatch (GetTypeInfoCount early-bound, GetTypeInfo late-bound).
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <functional>
#include <string>
#include <vector>

#include "orvalis_h.h"

namespace e2e {

struct ClassCall {
  const wchar_t* className;
  const wchar_t* member;  // late-bound, with the arguments LateCall gives it
  WORD flags;
  std::function<HRESULT(IUnknown*)> early;  // on an object created with the class's IID
};

inline SAFEARRAY* waveSamples() {
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {4, 0}};  // two channels of four frames
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 2, bounds);
  LONG* data = nullptr;
  SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
  for (int i = 0; i < 8; ++i) data[i] = i * 1000;
  SafeArrayUnaccessData(array);
  return array;
}

inline std::vector<ClassCall> classCalls() {
  return {
      {L"clsVxOrvalisA", L"GetProStdProperties", DISPATCH_PROPERTYGET,
       [](IUnknown* o) {
         IDispatch* application = nullptr;
         const HRESULT hr = static_cast<_clsVxOrvalisA*>(o)->get_GetProStdProperties(&application);
         if (application) application->Release();
         return hr;
       }},
      {L"clsVxAudoWMixerA", L"NumSamples", DISPATCH_PROPERTYGET,
       [](IUnknown* o) {
         LONG value = 0;
         return static_cast<_clsVxAudoWMixerA*>(o)->get_NumSamples(&value);
       }},
      {L"clsVxAudoMP3PlayerA", L"MP3File", DISPATCH_PROPERTYGET,
       [](IUnknown* o) {
         BSTR value = nullptr;
         const HRESULT hr = static_cast<_clsVxAudoMP3PlayerA*>(o)->get_MP3File(&value);
         SysFreeString(value);
         return hr;
       }},
      {L"clsVxAudoMP3PlayerB", L"Filename", DISPATCH_PROPERTYGET,
       [](IUnknown* o) {
         BSTR value = nullptr;
         const HRESULT hr = static_cast<_clsVxAudoMP3PlayerB*>(o)->get_Filename(&value);
         SysFreeString(value);
         return hr;
       }},
      {L"clsVxAudoMCISoundRecA", L"StopRecording", DISPATCH_METHOD,
       [](IUnknown* o) { return static_cast<_clsVxAudoMCISoundRecA*>(o)->StopRecording(); }},
      {L"clsVxAudoWaveFileA", L"CreateWaveArray", DISPATCH_METHOD,
       [](IUnknown* o) {
         SAFEARRAY* data = waveSamples();
         LONG rate = 8000, bits = 16;
         SAFEARRAY* image = nullptr;
         const HRESULT hr = static_cast<_clsVxAudoWaveFileA*>(o)->CreateWaveArray(&data, &rate, &bits, &image);
         if (image) SafeArrayDestroy(image);
         SafeArrayDestroy(data);
         return hr;
       }},
      {L"clsVxAudoWMixerB", L"CloseMixer", DISPATCH_METHOD,
       [](IUnknown* o) {
         LONG result = 0;
         return static_cast<_clsVxAudoWMixerB*>(o)->CloseMixer(&result);
       }},
      {L"clsVxAudoCDRomA", L"Eject", DISPATCH_METHOD,
       [](IUnknown* o) {
         LONG result = 0;
         return static_cast<_clsVxAudoCDRomA*>(o)->Eject(&result);
       }},
      {L"clsVxAudoCDPlayerA", L"GetNumTracks", DISPATCH_METHOD,
       [](IUnknown* o) {
         SHORT tracks = 0;
         return static_cast<_clsVxAudoCDPlayerA*>(o)->GetNumTracks(&tracks);
       }},
      {L"clsVxAudoCDPlayerB", L"checkError", DISPATCH_METHOD,
       [](IUnknown* o) {
         BSTR value = nullptr;
         const HRESULT hr = static_cast<_clsVxAudoCDPlayerB*>(o)->checkError(&value);
         SysFreeString(value);
         return hr;
       }},
  };
}

inline const ClassCall* callFor(const std::vector<ClassCall>& calls, const std::wstring& className) {
  for (const ClassCall& call : calls)
    if (className == call.className) return &call;
  return nullptr;
}

// The early-bound call (nullptr: a class without members).
inline HRESULT earlyCall(const ClassCall* call, IUnknown* object) {
  if (call) return call->early(object);
  UINT count = 0;
  return static_cast<IDispatch*>(object)->GetTypeInfoCount(&count);
}

// The late-bound call, its arguments (CreateWaveArray's, by reference) held
// for as long as it lives. A VB error coming back is the call's own
// HRESULT (0x800A0000 + number), not DISP_E_EXCEPTION.
class LateCall {
 public:
  explicit LateCall(const ClassCall* call) : call_(call), variables_(3) {
    for (VARIANT& v : variables_) VariantInit(&v);
    if (call_ && std::wstring(call_->member) == L"CreateWaveArray") {
      V_VT(&variables_[0]) = VT_ARRAY | VT_I4;
      V_ARRAY(&variables_[0]) = waveSamples();
      V_VT(&variables_[1]) = VT_I4;
      V_I4(&variables_[1]) = 8000;
      V_VT(&variables_[2]) = VT_I4;
      V_I4(&variables_[2]) = 16;
      arguments_.resize(3);
      for (int i = 0; i < 3; ++i) {
        VARIANT& reference = arguments_[2 - i];  // DISPPARAMS lists the last argument first
        V_VT(&reference) = VT_BYREF | V_VT(&variables_[i]);
        V_BYREF(&reference) = &V_I4(&variables_[i]);
      }
    }
  }
  ~LateCall() {
    for (VARIANT& v : variables_) VariantClear(&v);
  }
  LateCall(const LateCall&) = delete;
  LateCall& operator=(const LateCall&) = delete;

  HRESULT operator()(IDispatch* object) {
    if (!call_) {
      ITypeInfo* info = nullptr;
      const HRESULT hr = object->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info);
      if (info) info->Release();
      return hr;
    }
    LPOLESTR names[] = {const_cast<LPOLESTR>(call_->member)};
    DISPID id = 0;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS params{arguments_.data(), nullptr, static_cast<UINT>(arguments_.size()), 0};
    VARIANT value;
    VariantInit(&value);
    EXCEPINFO exception{};
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, call_->flags, &params, &value, &exception, nullptr);
    if (hr == DISP_E_EXCEPTION) hr = exception.scode ? exception.scode : E_FAIL;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    VariantClear(&value);
    return hr;
  }

 private:
  const ClassCall* call_;
  std::vector<VARIANT> variables_;
  std::vector<VARIANT> arguments_;
};

// Whether a call came back: S_OK or a VB error (the object's error path is
// part of its life too).
inline bool cameBack(HRESULT hr) { return SUCCEEDED(hr) || HRESULT_FACILITY(hr) == FACILITY_CONTROL; }

}  // namespace e2e
