// The framework component's About service: shows the About box of a
// library, described by the application object the library hands over.
#pragma once

#include "frame/HostObject.h"
#include "frame/Platform.h"

namespace orvalis::vxbrennet {

class clsVxBrennetA {
 public:
  explicit clsVxBrennetA(Platform& platform);

  // A box titled "About <Title>" with the title, the version
  // Major.Minor.Revision and the file description, read late-bound from the
  // application object. Nothing for an object raises error 91; a missing
  // member error 438.
  void AppAboutVxel(const ObjectRef& oApp);

 private:
  Platform& platform_;
};

}  // namespace orvalis::vxbrennet
