// A host object as the library meets them: a list control (ListCount, List,
// AddItem, ListIndex, text, Clear) that is also a form (hWnd 0), called
// late-bound by name; and an object that a host may pass in a Variant but
// that has no IDispatch. It keeps at most a thousand entries, so a member that
// adds lines without end cannot make it grow without end, and it can run a
// host's own code on its first call (a host that releases the library's
// object from inside one of its events).
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// The IUnknown half of the objects below: counted references (the object
// starts with one and is deleted at none) and QueryInterface for IUnknown
// and `Interface`.
template <class Self, class Interface>
class CountedObject : public Interface {
 public:
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
    if (left == 0) delete static_cast<Self*>(this);
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
};

class FakeHost final : public CountedObject<FakeHost, IDispatch> {
 public:
  static FakeHost* create() { return new FakeHost(); }  // one reference

  // Runs once, at the host's first call, before the call itself.
  void onFirstCall(std::function<void()> action) { firstCall_ = std::move(action); }
  long calls() const { return calls_; }

  // How List and AddItem bind a by-reference argument. Any: every kind.
  // Typed: as a compiled host whose List takes an Integer and AddItem a
  // String by reference: only those references, or a value. Variants: as
  // a script host, whose parameters are all Variants: only references to
  // Variants, or a value. A refused argument is a type mismatch before the
  // member runs.
  enum class References { Any, Typed, Variants };
  void bindReferences(References kind) { references_kind_ = kind; }
  long refused() const { return refused_; }
  // List stores an array into a Variant its caller passed by reference.
  void writeArraysBack() { writes_arrays_back_ = true; }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      for (DISPID id = 0; id < static_cast<DISPID>(std::size(kNames)); ++id)
        if (_wcsicmp(names[i], kNames[id]) == 0) ids[i] = id + 1;
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    ++calls_;
    AddRef();  // the host's own code below may release the caller, not us
    if (firstCall_) std::exchange(firstCall_, nullptr)();
    const HRESULT hr = answer(id, params, result);
    Release();
    return hr;
  }

 private:
  static constexpr const wchar_t* kNames[] = {L"ListCount", L"List", L"AddItem", L"ListIndex",
                                               L"text", L"hWnd", L"Clear"};

  FakeHost() : items_{L"a.mp3", L"b.mp3"} {}

  bool binds(const VARIANT& argument, VARTYPE typed) const {
    const VARTYPE type = V_VT(&argument);
    if (!(type & VT_BYREF) || references_kind_ == References::Any) return true;
    if (references_kind_ == References::Typed) return type == (VT_BYREF | typed);
    return type == (VT_BYREF | VT_VARIANT);
  }

  HRESULT answer(DISPID id, DISPPARAMS* params, VARIANT* result) {
    const UINT count = params ? params->cArgs : 0;
    if ((id == 2 || id == 3) && count >= 1 && !binds(params->rgvarg[count - 1], id == 2 ? VT_I2 : VT_BSTR)) {
      ++refused_;
      return DISP_E_TYPEMISMATCH;
    }
    switch (id) {
      case 1:  // ListCount
        return setLong(result, static_cast<LONG>(items_.size()));
      case 2: {  // List(index)
        if (count < 1) return DISP_E_BADPARAMCOUNT;
        VARIANT index;
        VariantInit(&index);
        if (FAILED(VariantChangeType(&index, &params->rgvarg[count - 1], 0, VT_I4))) return DISP_E_TYPEMISMATCH;
        const LONG i = V_I4(&index);
        if (writes_arrays_back_ && V_VT(&params->rgvarg[count - 1]) == (VT_BYREF | VT_VARIANT)) {
          VARIANT* variable = V_VARIANTREF(&params->rgvarg[count - 1]);
          VariantClear(variable);
          V_VT(variable) = VT_ARRAY | VT_I4;
          V_ARRAY(variable) = SafeArrayCreateVector(VT_I4, 0, 2);
        }
        return setText(result, i >= 0 && static_cast<size_t>(i) < items_.size() ? items_[i] : std::wstring());
      }
      case 3: {  // AddItem text
        if (count < 1) return DISP_E_BADPARAMCOUNT;
        VARIANT text;
        VariantInit(&text);
        if (FAILED(VariantChangeType(&text, &params->rgvarg[count - 1], 0, VT_BSTR))) return DISP_E_TYPEMISMATCH;
        if (items_.size() < 1000) items_.emplace_back(V_BSTR(&text), SysStringLen(V_BSTR(&text)));
        VariantClear(&text);
        return S_OK;
      }
      case 4:  // ListIndex (let)
        return S_OK;
      case 5:  // text
        return setText(result, items_.empty() ? std::wstring() : items_.front());
      case 6:  // hWnd: no window, so a message sent to it goes nowhere
        return setLong(result, 0);
      case 7:  // Clear
        items_.clear();
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }
  static HRESULT setLong(VARIANT* result, LONG value) {
    if (result) {
      VariantInit(result);
      V_VT(result) = VT_I4;
      V_I4(result) = value;
    }
    return S_OK;
  }
  static HRESULT setText(VARIANT* result, const std::wstring& value) {
    if (result) {
      VariantInit(result);
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    }
    return S_OK;
  }

  long calls_ = 0;
  References references_kind_ = References::Any;
  bool writes_arrays_back_ = false;
  long refused_ = 0;
  std::vector<std::wstring> items_;
  std::function<void()> firstCall_;
};

// An object without IDispatch: a Variant can hold it, nobody can call it.
class PlainObject final : public CountedObject<PlainObject, IUnknown> {
 public:
  static PlainObject* create() { return new PlainObject(); }  // one reference

 private:
  PlainObject() = default;
};

}  // namespace e2e
