// The IUnknown half of the library's small single-interface COM objects (the
// class factory, the application object, enumerators, per-thread data): a
// reference count that deletes the object at zero, QueryInterface for
// IUnknown and the one interface, and the module's count of live objects
// that DllCanUnloadNow reads. Derived : ComObject<Derived, Interface>.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>

#include "frame/com/Module.h"

namespace orvalis::com {

template <class Derived, class Interface>
class ComObject : public Interface {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid != IID_IUnknown && riid != __uuidof(Interface)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 protected:
  // A new object holds one reference, its creator's.
  ComObject() { objectCreated(); }
  ~ComObject() { objectDestroyed(); }

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace orvalis::com
