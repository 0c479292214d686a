// The byte image of a PCM WAV file: a 44-byte RIFF header ("RIFF", "WAVE",
// a 16-byte "fmt " chunk, "data") followed by the samples, frame after
// frame, channel 0 first within a frame.
#pragma once

#include <cstdint>

#include "frame/Arrays.h"

namespace orvalis {

constexpr int32_t kWaveHeaderLength = 44;

// Builds the image of `samples`, indexed (channel, frame) from 0, at
// `sampleRate` frames per second and 8 or 16 bits per sample. The sizes are
// worked out in 32-bit arithmetic. Raises error 5 for another depth, 9 for
// an array without elements, without exactly two dimensions or with a lower
// bound above 0, and 6 when a size overflows or does not fit its field.
ByteArray buildWaveImage(const LongArray& samples, int32_t sampleRate, int32_t bitsPerSample);

}  // namespace orvalis
