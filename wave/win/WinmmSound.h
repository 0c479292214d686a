// winmm's sndPlaySoundA and sndPlaySoundW, and the sound resources of the library module and
// of the host's program file.
#pragma once

#include "frame/Sound.h"

namespace orvalis::win {

class WinmmSound final : public SoundService {
 protected:
  int32_t playSound(const std::string* name, uint32_t flags) override;
  int32_t playSoundWide(const std::u16string& name, uint32_t flags) override;
};

// PlaySoundFromResourceFile reads the resources of the library module
// itself and, when it holds no such resource (it carries none of its own
// making), those of the program that hosts it: a host ships its sounds as
// resources of its own executable, as it would for PlaySound's
// SND_RESOURCE.
class ModuleSoundResources final : public SoundResources {
 public:
  std::optional<std::string> load(const ResourceId& name, const ResourceId& type) override;
};

}  // namespace orvalis::win
