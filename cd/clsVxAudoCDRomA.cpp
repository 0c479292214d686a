#include "cd/clsVxAudoCDRomA.h"

#include <string>

#include "frame/Conversion.h"
#include "frame/Drives.h"
#include "frame/Runtime.h"

namespace orvalis {

namespace {

constexpr uint32_t kDriveListSize = 255;

}  // namespace

clsVxAudoCDRomA::clsVxAudoCDRomA(Platform& platform)
    : runtime_(platform.runtime), drives_(platform.drives), mci_(platform.mci) {}

clsVxAudoCDRomA::~clsVxAudoCDRomA() { cdRoms_.reset(); }

// The system writes one root per drive, "X:\" and a NUL, so roots start at
// characters 1, 5, 9, ... of the list. Counters are 16-bit, as is the count
// handed back.
Collection clsVxAudoCDRomA::CDRomsCollection(Variant& vCDRomDetect) {
  std::string buffer = runtime_.toAnsi(std::u16string(kDriveListSize, u' '));
  const uint32_t written = drives_.logicalDriveStrings(kDriveListSize, buffer);
  const std::u16string list = runtime_.fromAnsi(buffer);
  const int16_t length = toInteger(static_cast<int64_t>(written));

  Collection cdRoms;
  int16_t count = 0;
  for (int16_t position = 1; position <= length; position = addInteger(position, 4)) {
    const std::u16string drive =
        position <= static_cast<int16_t>(list.size()) ? list.substr(position - 1, 3) : u"";
    if (drives_.driveType(drive) == kDriveCdRom) {
      cdRoms.Add(Variant(drive));
      count = addInteger(count, 1);
    }
  }
  vCDRomDetect = Variant(count);
  return cdRoms;
}

// Neither names a drive: they act on whatever device the process has open
// under "cd", and a refusal goes unreported.
int32_t clsVxAudoCDRomA::Eject() {
  mci_.send(u"set cd door open");
  return 0;
}

int32_t clsVxAudoCDRomA::Load() {
  mci_.send(u"set cd door closed");
  return 0;
}

}  // namespace orvalis
