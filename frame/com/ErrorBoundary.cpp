#include "frame/com/ErrorBoundary.h"

#include <oleauto.h>

#include <new>

#include "frame/RuntimeError.h"

namespace orvalis::com {

namespace {

void setErrorInfo(REFIID iid, const wchar_t* source, const std::u16string& description) {
  ICreateErrorInfo* create = nullptr;
  if (FAILED(CreateErrorInfo(&create))) {
    SetErrorInfo(0, nullptr);  // at least no earlier error's description
    return;
  }
  create->SetGUID(iid);
  create->SetSource(const_cast<LPOLESTR>(source));
  create->SetDescription(const_cast<LPOLESTR>(reinterpret_cast<const wchar_t*>(description.c_str())));
  IErrorInfo* info = nullptr;
  if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
    SetErrorInfo(0, info);
    info->Release();
  }
  create->Release();
}

}  // namespace

HRESULT hresultFromErrorNumber(long number) {
  if (number < 0) return static_cast<HRESULT>(number);
  return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number & 0xFFFF);
}

HRESULT currentExceptionToHresult(REFIID iid, const wchar_t* source) noexcept {
  try {
    throw;
  } catch (const RuntimeError& error) {
    // An error that another component raised keeps the source it named.
    const wchar_t* origin =
        error.source().empty() ? source : reinterpret_cast<const wchar_t*>(error.source().c_str());
    setErrorInfo(iid, origin, error.description());
    return hresultFromErrorNumber(error.number());
  } catch (const std::bad_alloc&) {
    return failWithoutErrorInfo(E_OUTOFMEMORY);
  } catch (const NullReference&) {
    return failWithoutErrorInfo(E_POINTER);
  } catch (...) {
    return failWithoutErrorInfo(E_UNEXPECTED);
  }
}

HRESULT failWithoutErrorInfo(HRESULT hr) noexcept {
  SetErrorInfo(0, nullptr);
  return hr;
}

}  // namespace orvalis::com
