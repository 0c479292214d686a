// The automation runtime's global services as the library information
// class reaches them: the library's application object, the loaders of the
// library module's own resources (never the host's), the thread's shared
// object slot, and creation of objects by ProgID. The application object
// and the slot exist once per thread that uses the library. The COM layer
// implements this on Windows; tests use a recording double.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/RuntimeError.h"
#include "frame/Variant.h"

namespace orvalis {

// Picture kinds of the picture loader (the runtime's LoadResConstants).
namespace picture_kind {
constexpr int16_t Bitmap = 0;
constexpr int16_t Icon = 1;
constexpr int16_t Cursor = 2;
}  // namespace picture_kind

class LibraryGlobal {
 public:
  virtual ~LibraryGlobal() = default;

  // The calling thread's application object, the same object on every call.
  virtual ObjectRef application() = 0;

  // Loaders of the library module's resources. A resource the module does
  // not hold raises error 326 (resourceNotFound below).
  virtual std::u16string loadString(int32_t id) = 0;
  virtual ObjectRef loadPicture(const Variant& id, int16_t kind) = 0;
  virtual std::vector<uint8_t> loadData(const Variant& id, const Variant& type) = 0;

  // The calling thread's shared object slot (Nothing when empty). Setting it
  // takes a reference to the new object and then lets go of the old one.
  virtual ObjectRef sharedObject() = 0;
  virtual void setSharedObject(const ObjectRef& object) = 0;

  // A new object of the class registered under the ProgID; error 429 when
  // there is none or it cannot be created.
  virtual ObjectRef createObject(std::u16string_view progId) = 0;
};

// A resource id or type as the resource functions take it: a number from 1
// to 65535, or a name. Numbers (and Empty, which counts as 0) outside that
// range name no resource at all: nullopt. Null raises error 94, objects and
// other subtypes error 13; a fractional number rounds half to even.
struct ResourceName {
  uint16_t number = 0;  // 0 when the resource is named
  std::u16string name;
};
std::optional<ResourceName> resourceName(const Variant& idOrType);

// The runtime's error for a missing resource: 326, "Resource with
// identifier '<id>' not found".
RuntimeError resourceNotFound(const Variant& id);

}  // namespace orvalis
