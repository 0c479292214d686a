// An empty class: its interface has no members, and creating one does
// nothing beyond making the object. Nothing else in the library refers to it.
#pragma once

namespace orvalis {

struct Platform;

class clsVxAudoGeneralA {
 public:
  explicit clsVxAudoGeneralA(Platform& platform);
};

}  // namespace orvalis
