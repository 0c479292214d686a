// The WAV file class: builds PCM WAV images from sample arrays, writes them
// to disk, and plays sound files and sound resources through the
// platform's simple sound call.
//
// No member has an error handler of its own: errors go back to the caller.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "frame/Arrays.h"
#include "frame/Platform.h"
#include "frame/Variant.h"

namespace orvalis {

class clsVxAudoWaveFileA {
 public:
  explicit clsVxAudoWaveFileA(Platform& platform) : platform_(platform) {}

  // The sound file PlaySound plays, stored and read back unchanged.
  std::u16string Filename;

  // The image of a PCM WAV file holding WaveData(channel, frame).
  ByteArray CreateWaveArray(const LongArray& WaveData, int32_t SampleRate, int32_t BitsPerSample);
  // Makes WaveArray's bytes the whole content of the file Path.
  void WriteWave(const std::u16string& Path, std::span<const uint8_t> WaveArray);

  // Flags are SoundSndAudoConstants values, handed to the platform as given.
  int32_t PlaySound(std::optional<int32_t> lSndConstValue);
  void PlaySoundFromResourceFile(const Variant& ResNameID, const Variant& ResType,
                                 std::optional<int32_t> lSndConstValue);
  int32_t StopSound();

 private:
  Platform& platform_;
};

}  // namespace orvalis
