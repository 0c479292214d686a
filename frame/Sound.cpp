#include "frame/Sound.h"

#include "frame/Conversion.h"
#include "frame/RuntimeError.h"

namespace orvalis {

int32_t SoundService::sndPlaySound(std::optional<std::string> name, uint32_t flags) {
  auto bytes = name ? std::make_unique<std::string>(std::move(*name)) : nullptr;
  const int32_t result = playSound(bytes.get(), flags);
  // A call that succeeded has stopped or replaced the sound before it, so
  // those bytes are free now. One that failed may have left it playing
  // (SND_NOSTOP), so they stay, and its own bytes were never taken.
  if (result != 0) {
    held_ = std::move(bytes);
    heldWide_.reset();
  }
  return result;
}

int32_t SoundService::sndPlaySoundWide(std::u16string name, uint32_t flags) {
  auto text = std::make_unique<std::u16string>(std::move(name));
  const int32_t result = playSoundWide(*text, flags);
  if (result != 0) {
    heldWide_ = std::move(text);
    held_.reset();
  }
  return result;
}

std::optional<ResourceId> resourceId(const Variant& value) {
  if (value.type() == VarType::String) return ResourceId(value.text());
  const int32_t number = toLong(value);
  if (number < 1 || number > 0xFFFF) return std::nullopt;
  return ResourceId(static_cast<uint16_t>(number));
}

void raiseResourceNotFound(const Variant& id) {
  std::u16string shown;
  try {
    shown = toText(id);
  } catch (const RuntimeError&) {
  }
  throw RuntimeError(326, u"Resource with identifier '" + shown + u"' not found");
}

}  // namespace orvalis
