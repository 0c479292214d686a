// The runtime's global services on Windows (frame/LibraryGlobal.h): the
// resources of the module this code is linked into (its own HINSTANCE,
// never the host's), COM creation by ProgID, and the per-thread library
// data that holds the application object and the shared object slot.
#pragma once

#include "frame/LibraryGlobal.h"

namespace orvalis::com {

class WindowsLibraryGlobal final : public LibraryGlobal {
 public:
  ObjectRef application() override;
  std::u16string loadString(int32_t id) override;
  ObjectRef loadPicture(const Variant& id, int16_t kind) override;
  std::vector<uint8_t> loadData(const Variant& id, const Variant& type) override;
  ObjectRef sharedObject() override;
  void setSharedObject(const ObjectRef& object) override;
  ObjectRef createObject(std::u16string_view progId) override;
};

}  // namespace orvalis::com
