// The library information class: hands out the library's application
// object, loads the library module's own resources, shares one object per
// thread between all objects of the class (BuddyObjectGlobal), and shows
// the About box through the maker's framework component VxBrennet.
//
// Only About handles errors: it reports each failing step through the
// framework's error handler and carries on. Every other member passes its
// errors to the caller.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/HostObject.h"
#include "frame/Platform.h"
#include "frame/RuntimeError.h"
#include "frame/Variant.h"

namespace orvalis {

class LibraryGlobal;

class clsVxOrvalisA {
 public:
  explicit clsVxOrvalisA(Platform& platform);

  ObjectRef GetProStdProperties();
  std::u16string GetProResStrings(int32_t lResId);
  ObjectRef GetProResPicture(int32_t lResId, int32_t lRestype);
  std::vector<uint8_t> GetProResData(int32_t lResId, const Variant& vRestype);
  int32_t About();

  ObjectRef BuddyObjectGlobal();
  void setBuddyObjectGlobal(const ObjectRef& oNewValue);

 private:
  template <class Step>
  void reportingErrors(Step&& step);
  void reportError(const RuntimeError& error);

  LibraryGlobal& global_;
};

}  // namespace orvalis
