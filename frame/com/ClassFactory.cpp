// One generic class factory serves every class of the registry table, and
// DllGetClassObject / DllCanUnloadNow are the module's view of it.
#include <atomic>
#include <new>

#include "frame/com/ClassRegistry.h"
#include "frame/com/ComObject.h"
#include "frame/com/Module.h"

namespace orvalis::com {

namespace {

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
 public:
  explicit ClassFactory(const ClassEntry& entry) : entry_(entry) {}

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    IUnknown* created = entry_.create();
    if (!created) return E_OUTOFMEMORY;
    const HRESULT hr = created->QueryInterface(riid, object);
    created->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    lockServer(lock != FALSE);
    return S_OK;
  }

 private:
  const ClassEntry& entry_;
};

}  // namespace

const ClassEntry* findClass(REFCLSID clsid) {
  for (const ClassEntry& entry : classRegistry())
    if (IsEqualCLSID(entry.clsid, clsid)) return &entry;
  return nullptr;
}

}  // namespace orvalis::com

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  using namespace orvalis::com;
  if (!object) return E_POINTER;
  *object = nullptr;
  const ClassEntry* entry = findClass(clsid);
  if (!entry) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) ClassFactory(*entry);
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(riid, object);
  factory->Release();
  return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return orvalis::com::canUnload() ? S_OK : S_FALSE;
}
