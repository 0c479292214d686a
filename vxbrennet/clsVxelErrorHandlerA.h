// The framework component's error report: shows an error that happened in
// a library, with the library's title, the error's number and description
// and the place where it happened.
#pragma once

#include <cstdint>
#include <string>

#include "frame/HostObject.h"
#include "frame/Platform.h"
#include "frame/Variant.h"

namespace orvalis::vxbrennet {

class clsVxelErrorHandlerA {
 public:
  explicit clsVxelErrorHandlerA(Platform& platform);

  // A box titled with the application object's Title ("Error" for Nothing)
  // saying "Error <Number>: <Description>" and "Location: <sLocation>",
  // read late-bound from the error object (Nothing raises error 91). The
  // remaining arguments are accepted for callers that pass them and not
  // shown.
  void ErrorHandlerMessageVx(const ObjectRef& oApp, const ObjectRef& oErr, const std::u16string& sMessage,
                             const std::u16string& sLocation, int32_t lLine, const std::u16string& sDetail,
                             int32_t lFlags, const Variant& vExtra);

 private:
  Platform& platform_;
};

}  // namespace orvalis::vxbrennet
