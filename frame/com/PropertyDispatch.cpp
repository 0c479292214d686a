#include "frame/com/PropertyDispatch.h"

#include <atomic>
#include <new>

#include "frame/com/ComObject.h"
#include "frame/com/Marshal.h"
#include "frame/com/Module.h"

namespace orvalis::com {

namespace {

class PropertyDispatch final : public ComObject<PropertyDispatch, IDispatch> {
 public:
  explicit PropertyDispatch(std::shared_ptr<const PropertyObject> object) : object_(std::move(object)) {}

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!names || !ids) return E_POINTER;
    if (count == 0) return S_OK;
    // The properties take no arguments, so no argument name is known.
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    const auto index = object_->find(std::u16string_view(reinterpret_cast<const char16_t*>(names[0])));
    if (!index || count > 1) {
      if (index) ids[0] = dispatchId(*index);
      return DISP_E_UNKNOWNNAME;
    }
    ids[0] = dispatchId(*index);
    return S_OK;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const auto& properties = object_->properties();
    if (id < 1 || static_cast<size_t>(id) > properties.size()) return DISP_E_MEMBERNOTFOUND;
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
    if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (!result) return S_OK;
    try {
      toAbi(properties[id - 1].value, result);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

 private:
  static DISPID dispatchId(size_t index) { return static_cast<DISPID>(index + 1); }

  std::shared_ptr<const PropertyObject> object_;
};

}  // namespace

IDispatch* newPropertyDispatch(std::shared_ptr<const PropertyObject> object) {
  return new (std::nothrow) PropertyDispatch(std::move(object));
}

}  // namespace orvalis::com
