// The platform's simple sound call and the store of sound resources, as
// the wave class reaches them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "frame/Variant.h"

namespace orvalis {

// The flags of sndPlaySoundA, under the platform's names.
namespace snd {
constexpr uint32_t SND_SYNC = 0x0;
constexpr uint32_t SND_ASYNC = 0x1;
constexpr uint32_t SND_NODEFAULT = 0x2;
constexpr uint32_t SND_MEMORY = 0x4;
constexpr uint32_t SND_LOOP = 0x8;
constexpr uint32_t SND_NOSTOP = 0x10;
}  // namespace snd

// sndPlaySoundA (and, for names beyond the ANSI code page, sndPlaySoundW).
// The sound it plays belongs to the whole process: each call
// stops or replaces the one before. With SND_ASYNC the platform goes on
// reading the name or the in-memory WAV image after the call has returned,
// so the service owns those bytes and keeps them until a later call has
// stopped or replaced their sound. It keeps them whoever made the call:
// an object that is released while its sound plays leaves the sound to
// play to its end.
class SoundService {
 public:
  virtual ~SoundService() = default;

  // `name`: the ANSI file name or the sound's bytes, or nothing for the
  // null pointer (which stops the sound). The platform sees the bytes
  // followed by a NUL. Returns the platform's result (non-zero on success).
  int32_t sndPlaySound(std::optional<std::string> name, uint32_t flags);

  // sndPlaySoundW, for a file name that the ANSI code page cannot carry;
  // the name is held like the ANSI one.
  int32_t sndPlaySoundWide(std::u16string name, uint32_t flags);

  // The bytes or the wide name the platform may still be reading, for
  // tests.
  const std::string* heldSound() const { return held_.get(); }
  const std::u16string* heldWideName() const { return heldWide_.get(); }

 protected:
  // The platform calls themselves, given `name->c_str()` (or the null
  // pointer for no name).
  virtual int32_t playSound(const std::string* name, uint32_t flags) = 0;
  virtual int32_t playSoundWide(const std::u16string& name, uint32_t flags) = 0;

 private:
  std::unique_ptr<std::string> held_;
  std::unique_ptr<std::u16string> heldWide_;
};

// A resource's name or type: a number from 1 to 65535 or a name.
using ResourceId = std::variant<uint16_t, std::u16string>;

// How a host's Variant names a resource: a text is a name, a number an
// identifier (error 13 for objects and error values, 94 for Null, 6 when
// out of the 32-bit range). A number that no resource can carry (below 1
// or above 65535) is kept as nullopt: nothing holds it.
std::optional<ResourceId> resourceId(const Variant& value);

// Raises the runtime's "resource not found" error (326) for `id`.
[[noreturn]] void raiseResourceNotFound(const Variant& id);

// The resources that PlaySoundFromResourceFile reads.
class SoundResources {
 public:
  virtual ~SoundResources() = default;

  // The bytes of resource `name` of type `type`, or nullopt when the store
  // holds no such resource.
  virtual std::optional<std::string> load(const ResourceId& name, const ResourceId& type) = 0;
};

}  // namespace orvalis
