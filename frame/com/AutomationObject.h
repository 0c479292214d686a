// The generic half of every class object: reference counting,
// QueryInterface, IDispatch delegated to the type library, ISupportErrorInfo
// and the error boundary. A class binding derives from
// AutomationObject<Binding, Interface, Core> and forwards each vtable member
// to its core object in one line with `call`.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <utility>
#include <vector>

#include "frame/Platform.h"
#include "frame/com/ErrorBoundary.h"
#include "frame/com/Marshal.h"
#include "frame/com/Module.h"
#include "frame/com/TypeInfoInvoke.h"

namespace orvalis::com {

// The Windows implementations of the platform services, shared by all objects.
Platform& windowsPlatform();

// Invoke's arguments with every by-value argument copied.
class DispatchArguments {
 public:
  explicit DispatchArguments(const DISPPARAMS* params);
  ~DispatchArguments();
  DispatchArguments(const DispatchArguments&) = delete;
  DispatchArguments& operator=(const DispatchArguments&) = delete;
  DISPPARAMS* get() { return original_ ? &params_ : nullptr; }

 private:
  const DISPPARAMS* original_;
  DISPPARAMS params_{};
  std::vector<VARIANT> copies_;
  std::vector<UINT> owned_;  // the copies this object must clear
};

template <class Binding, class Interface, class Core>
class AutomationObject : public Interface, public ISupportErrorInfo {
 public:
  AutomationObject() : core_(windowsPlatform()) { objectCreated(); }
  virtual ~AutomationObject() { objectDestroyed(); }
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;

  static IUnknown* create() { return static_cast<Interface*>(new (std::nothrow) Binding()); }

  // --- IUnknown ---
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(Interface)) {
      *object = static_cast<Interface*>(this);
    } else if (riid == IID_ISupportErrorInfo) {
      *object = static_cast<ISupportErrorInfo*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete static_cast<Binding*>(this);
    return left;
  }

  // --- IDispatch, through the interface's type information ---
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ITypeInfo* typeInfo = interfaceTypeInfo(__uuidof(Interface));
    if (!typeInfo) return TYPE_E_ELEMENTNOTFOUND;
    typeInfo->AddRef();
    *info = typeInfo;
    return S_OK;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    ITypeInfo* typeInfo = interfaceTypeInfo(__uuidof(Interface));
    if (!typeInfo) return TYPE_E_ELEMENTNOTFOUND;
    return DispGetIDsOfNames(typeInfo, names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* typeInfo = interfaceTypeInfo(__uuidof(Interface));
    if (!typeInfo) return TYPE_E_ELEMENTNOTFOUND;
    SetErrorInfo(0, nullptr);
    if (auto handled = invokeDefaultMemberOfResult(typeInfo, static_cast<Interface*>(this), id, flags, params, result,
                                                   exception, badArgument, Binding::kSource))
      return *handled;
    // A by-reference parameter given a plain value must not write into the
    // caller's argument: the type library's Invoke may convert in place, so
    // it gets copies of the by-value arguments (by-reference ones still
    // point at the caller's variables).
    DispatchArguments arguments(params);
    HRESULT hr = typeInfo->Invoke(static_cast<Interface*>(this), id, flags, arguments.get(), result,
                                  exception, badArgument);
    if (hr == DISP_E_EXCEPTION && exception) fillException(*exception);
    return dispatchResult(hr);
  }

  // --- ISupportErrorInfo ---
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
    return riid == __uuidof(Interface) ? S_OK : S_FALSE;
  }

 protected:
  Core& core() { return core_; }

  // Runs a member with a reference held on the object for the whole call
  // (a host may release it from inside), mapping failures to HRESULTs.
  template <class Body>
  HRESULT call(Body&& body) noexcept {
    AddRef();
    HRESULT hr = S_OK;
    try {
      std::forward<Body>(body)();
    } catch (...) {
      hr = currentExceptionToHresult(__uuidof(Interface), Binding::kSource);
    }
    Release();
    return hr;
  }

  // The same for a member with a result: `body` returns a core value that is
  // converted into `*result`.
  template <class Result, class Body>
  HRESULT call(Result* result, Body&& body) noexcept {
    if (!result) return E_POINTER;
    return call([&] { out(std::forward<Body>(body)(), result); });
  }

 private:
  // Some type-library Invoke implementations leave the description of a
  // failed vtable call to the caller; take it from the error object.
  static void fillException(EXCEPINFO& exception) {
    if (exception.bstrDescription) return;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return;
    info->GetDescription(&exception.bstrDescription);
    if (!exception.bstrSource) info->GetSource(&exception.bstrSource);
    info->Release();
  }

  std::atomic<ULONG> references_{1};
  Core core_;
};

}  // namespace orvalis::com
