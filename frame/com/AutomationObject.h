// The generic half of every class object: reference counting,
// QueryInterface, IDispatch delegated to the type library, ISupportErrorInfo
// and the error boundary. A class binding derives from
// AutomationObject<Binding, Interface, Core> and forwards each vtable member
// to its core object in one line with `runMember` (no result) or
// `runMemberReturning` (a result converted with `toAbi`).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <utility>

#include "frame/Platform.h"
#include "frame/com/DispatchArguments.h"
#include "frame/com/ErrorBoundary.h"
#include "frame/com/Marshal.h"
#include "frame/com/Module.h"

namespace orvalis::com {

// The Windows implementations of the platform services, shared by all objects.
Platform& windowsPlatform();

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
    const InterfaceMembers* table = members();
    if (!table) return TYPE_E_ELEMENTNOTFOUND;
    table->typeInfo()->AddRef();
    *info = table->typeInfo();
    return S_OK;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    const InterfaceMembers* table = members();
    if (!table) return TYPE_E_ELEMENTNOTFOUND;
    return DispGetIDsOfNames(table->typeInfo(), names, count, ids);
  }
  // The member is called with the arguments its type information
  // declares (see DispatchArguments.h); a by-value argument is never
  // written to, a script's variable given for a typed by-reference
  // parameter takes the member's change in the declared type.
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const InterfaceMembers* table = members();
    if (!table) return TYPE_E_ELEMENTNOTFOUND;
    return invokeMember(*table, static_cast<Interface*>(this), id, flags, params, result, exception,
                        badArgument, Binding::kSource);
  }

  // --- ISupportErrorInfo ---
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
    return riid == __uuidof(Interface) ? S_OK : S_FALSE;
  }

 protected:
  Core& coreObject() { return core_; }

  // Runs a member with a reference held on the object for the whole call
  // (a host may release it from inside), mapping failures to HRESULTs.
  template <class Body>
  HRESULT runMember(Body&& body) noexcept {
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
  // converted into `*result` (a reference to a value the core keeps, from a
  // property get, goes out without a copy).
  template <class Result, class Body>
  HRESULT runMemberReturning(Result* result, Body&& body) noexcept {
    if (!result) return failWithoutErrorInfo(E_POINTER);
    return runMember([&] { toAbi(std::forward<Body>(body)(), result); });
  }

 private:
  // The interface's members, looked up once per class: every call needs
  // them, and they never change.
  static const InterfaceMembers* members() {
    static const InterfaceMembers* const table = interfaceMembers(__uuidof(Interface));
    return table;
  }

  std::atomic<ULONG> references_{1};
  Core core_;
};

}  // namespace orvalis::com
