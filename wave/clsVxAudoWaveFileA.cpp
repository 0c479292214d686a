#include "wave/clsVxAudoWaveFileA.h"

#include <string_view>

#include "frame/Files.h"
#include "frame/Runtime.h"
#include "frame/RuntimeError.h"
#include "frame/Sound.h"
#include "wave/WaveImage.h"

namespace orvalis {

namespace {

// Sound resources carry this type by convention; it stands in for a
// ResType the caller left out.
constexpr const char16_t* kDefaultResourceType = u"WAVE";

}  // namespace

ByteArray clsVxAudoWaveFileA::CreateWaveArray(const LongArray& WaveData, int32_t SampleRate,
                                              int32_t BitsPerSample) {
  return buildWaveImage(WaveData, SampleRate, BitsPerSample);
}

// The new content goes into a file beside the old one, which takes the old
// file's place (and keeps its attributes, security and links where the
// platform can) only once every byte is written: a failure at any step
// leaves the old file as it was. Where the folder takes no new file but the
// file itself may be written, the bytes go into the file in place. Every
// failure (a missing folder, a read-only or locked file, a full disk, an
// empty path) raises its error: a write that did not happen never passes
// for one that did.
void clsVxAudoWaveFileA::WriteWave(const std::u16string& Path, std::span<const uint8_t> WaveArray) {
  const std::string_view bytes(reinterpret_cast<const char*>(WaveArray.data()), WaveArray.size());
  std::unique_ptr<FileReplacement> file;
  try {
    file = platform_.files.replace(Path);
  } catch (const NoFileBeside&) {
    platform_.files.writeInPlace(Path, bytes);
    return;
  }
  file->write(bytes);
  file->commit();
}

// Filename goes to the ANSI call as before whenever the code page can carry
// it. A name it cannot carry goes to the wide call instead: the ANSI form
// would hold '?' and name no file. With SND_MEMORY the text is no name but
// the sound's bytes, which go as the ANSI call takes them either way.
int32_t clsVxAudoWaveFileA::PlaySound(std::optional<int32_t> lSndConstValue) {
  const auto flags = static_cast<uint32_t>(lSndConstValue.value_or(snd::SND_ASYNC));
  Runtime& runtime = platform_.runtime;
  if (flags & snd::SND_MEMORY) return platform_.sound.sndPlaySound(runtime.toAnsi(Filename), flags);
  if (std::optional<std::string> name = runtime.toAnsiExactly(Filename))
    return platform_.sound.sndPlaySound(std::move(*name), flags);
  return platform_.sound.sndPlaySoundWide(Filename, flags);
}

// The resource's bytes go to the sound call as they are: as a file name, or
// as an in-memory WAV image when the caller's flags include SND_MEMORY.
void clsVxAudoWaveFileA::PlaySoundFromResourceFile(const Variant& ResNameID, const Variant& ResType,
                                                   std::optional<int32_t> lSndConstValue) {
  const Variant type = ResType.isMissing() ? Variant(kDefaultResourceType) : ResType;
  const auto name = resourceId(ResNameID);
  const auto kind = resourceId(type);
  std::optional<std::string> bytes;
  if (name && kind) bytes = platform_.soundResources.load(*name, *kind);
  if (!bytes) raiseResourceNotFound(ResNameID);
  const auto flags = static_cast<uint32_t>(lSndConstValue.value_or(snd::SND_SYNC));
  platform_.sound.sndPlaySound(std::move(*bytes), flags);
}

int32_t clsVxAudoWaveFileA::StopSound() {
  return platform_.sound.sndPlaySound(std::nullopt, snd::SND_ASYNC);
}

}  // namespace orvalis
