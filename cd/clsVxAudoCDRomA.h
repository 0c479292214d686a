// The CD-ROM drives of the computer, as a collection of root texts for a
// drive chooser, and the door of the CD device that a player object of the
// process opened under the alias "cd".
#pragma once

#include <cstdint>
#include <memory>

#include "frame/Collection.h"
#include "frame/Platform.h"
#include "frame/Variant.h"
#include "mci/MciChannel.h"

namespace orvalis {

class clsVxAudoCDRomA {
 public:
  explicit clsVxAudoCDRomA(Platform& platform);
  ~clsVxAudoCDRomA();

  // A new collection of the CD-ROM roots ("D:\") in the order of the
  // system's drive list, without keys; their number goes to vCDRomDetect as
  // an Integer.
  Collection CDRomsCollection(Variant& vCDRomDetect);
  int32_t Eject();
  int32_t Load();

 private:
  Runtime& runtime_;
  Drives& drives_;
  MciChannel mci_;
  // The object's own collection reference: no member sets it, and the
  // collections handed to hosts are theirs alone. Released at destruction.
  std::shared_ptr<Collection> cdRoms_;
};

}  // namespace orvalis
