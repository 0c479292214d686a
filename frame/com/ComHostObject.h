// A host object (list control, form, any IDispatch) as the core sees it:
// late-bound calls by member name through GetIDsOfNames and Invoke, with
// the host's failures turned into runtime errors the way VB reports them.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <dispex.h>

#include "frame/HostObject.h"

namespace orvalis::com {

class ComHostObject final : public HostObject {
 public:
  explicit ComHostObject(IDispatch* dispatch);  // takes its own reference
  ~ComHostObject() override;
  ComHostObject(const ComHostObject&) = delete;
  ComHostObject& operator=(const ComHostObject&) = delete;

  IDispatch* dispatch() const { return dispatch_; }

  Variant invoke(std::u16string_view name, CallKind kind, std::vector<Argument>& args) override;

 private:
  DISPID memberId(std::u16string_view name);

  IDispatch* dispatch_;
  IDispatchEx* scriptObject_ = nullptr;
};

// Raises the runtime error for a failed IDispatch::Invoke: the code and
// description of the host's exception, or of the failure and the thread's
// error object, reported as VB reports them (hostCallError). Frees the
// exception's texts.
[[noreturn]] void raiseDispatchFailure(HRESULT hr, EXCEPINFO* exception);

}  // namespace orvalis::com
