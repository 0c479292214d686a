#include "wave/WaveImage.h"

#include <bit>
#include <cstring>

#if (defined(__i386__) || defined(__x86_64__)) && defined(__GNUC__)
#define ORVALIS_SSE2_COPY 1
#include <emmintrin.h>
#endif

#include "frame/Conversion.h"
#include "frame/RuntimeError.h"

namespace orvalis {

namespace {

[[noreturn]] void subscriptOutOfRange() { throw RuntimeError(vb_error::SubscriptOutOfRange); }

// "÷ 8": a division in double precision, converted back rounding half to
// even (exact for the depths that are accepted).
int32_t eighth(int32_t value) { return toLong(value / 8.0); }

// The header's sizes, each computed in 32 bits in the order that decides
// which overflow is reported.
struct WaveSizes {
  int32_t channels;
  int32_t frames;
  int32_t byteRate;
  int32_t blockAlign;
  int32_t imageLength;
  int32_t riffSize;
  int32_t dataSize;
};

WaveSizes sizesOf(const LongArray& samples, int32_t rate, int32_t bits) {
  if (samples.dimensions() < 2 || !samples.hasElements()) subscriptOutOfRange();
  WaveSizes sizes{};
  sizes.channels = addLong(samples.bounds(0).upper, 1);
  sizes.frames = addLong(samples.bounds(1).upper, 1);
  const int32_t c = sizes.channels;
  sizes.byteRate = eighth(multiplyLong(multiplyLong(rate, c), bits));
  sizes.blockAlign = eighth(multiplyLong(bits, c));
  sizes.imageLength = addLong(multiplyLong(sizes.blockAlign, sizes.frames), kWaveHeaderLength);
  sizes.riffSize = subtractLong(sizes.imageLength, 8);
  sizes.dataSize = eighth(multiplyLong(multiplyLong(c, sizes.frames), bits));
  return sizes;
}

// Writes the header fields in offset order into an image of `length`
// bytes. A byte past the end is a subscript out of range (an image shorter
// than its header, from negative channel or frame counts), raised where
// that byte would be stored.
class HeaderWriter {
 public:
  HeaderWriter(uint8_t* header, int32_t length) : header_(header), length_(length) {}

  void letters(const char (&text)[5]) {
    for (int i = 0; i < 4; ++i) put(static_cast<uint8_t>(text[i]));
  }

  // Bytes 0 to 2 are the value's low 24 bits; byte 3 is the value divided
  // by 2^24, truncated toward zero, which must be a byte: a value below
  // -2^24 does not fit (error 6), one between -2^24 and 0 leaves a 0 there.
  void long32(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    put(static_cast<uint8_t>(bits));
    put(static_cast<uint8_t>(bits >> 8));
    put(static_cast<uint8_t>(bits >> 16));
    const int32_t top = value / 16777216;
    if (top < 0 || top > 255) throw RuntimeError(vb_error::Overflow);
    put(static_cast<uint8_t>(top));
  }

  // The low 16 bits; the bits above them are ignored.
  void integer16(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    put(static_cast<uint8_t>(bits));
    put(static_cast<uint8_t>(bits >> 8));
  }

 private:
  void put(uint8_t byte) {
    if (offset_ >= length_) subscriptOutOfRange();
    header_[offset_++] = byte;
  }

  uint8_t* header_;
  int32_t length_;
  int32_t offset_ = 0;
};

void writeHeader(uint8_t* header, const WaveSizes& sizes, int32_t rate, int32_t bits) {
  HeaderWriter field(header, sizes.imageLength);
  field.letters("RIFF");
  field.long32(sizes.riffSize);
  field.letters("WAVE");
  field.letters("fmt ");
  field.long32(16);
  field.integer16(1);  // PCM
  field.integer16(sizes.channels);
  field.long32(rate);
  field.long32(sizes.byteRate);
  field.integer16(sizes.blockAlign);
  field.integer16(bits);
  field.letters("data");
  field.long32(sizes.dataSize);
}

// The sample copy: each Long reduced to its low 8 or 16 bits, nothing
// clipped. This is the whole cost of a large image.
void lowBytes(const int32_t* from, size_t count, uint8_t* to) {
  for (size_t i = 0; i < count; ++i) to[i] = static_cast<uint8_t>(from[i]);
}

void lowWords(const int32_t* from, size_t count, uint8_t* to) {
  if constexpr (std::endian::native == std::endian::little) {
    for (size_t i = 0; i < count; ++i) {
      const auto sample = static_cast<uint16_t>(from[i]);
      std::memcpy(to + 2 * i, &sample, 2);
    }
  } else {
    for (size_t i = 0; i < count; ++i) {
      const auto sample = static_cast<uint32_t>(from[i]);
      to[2 * i] = static_cast<uint8_t>(sample);
      to[2 * i + 1] = static_cast<uint8_t>(sample >> 8);
    }
  }
}

using SampleCopy = void (*)(const int32_t* from, size_t count, uint8_t* to);

#if defined(ORVALIS_SSE2_COPY)
// An image of a megabyte or more goes straight to memory: SSE2 packs the
// samples and streaming stores write each 16-byte block without first
// reading the cache line it fills, a read that would add half again to the
// memory traffic of the copy. (The image is far larger than the caches, so
// keeping it there is worth nothing.) 32-bit builds target processors
// without SSE2 unless told otherwise, hence the target attributes; these
// copies are chosen only where the processor has it.
constexpr size_t kStreamingBytes = size_t{1} << 20;

bool processorHasSse2() {
#if defined(__x86_64__)
  return true;
#else
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse2");
#endif
}

// Eight samples as 16-bit words. Sign-extending each low half first makes
// the saturating pack keep it exactly.
[[gnu::target("sse2")]] inline __m128i packLowWords(const int32_t* at) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 4));
  return _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(a, 16), 16), _mm_srai_epi32(_mm_slli_epi32(b, 16), 16));
}

// Sixteen samples as bytes: each low byte, 0 to 255, passes both saturating
// packs unchanged.
[[gnu::target("sse2")]] inline __m128i packLowBytes(const int32_t* at) {
  const __m128i mask = _mm_set1_epi32(0xFF);
  const __m128i a = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), mask);
  const __m128i b = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 4)), mask);
  const __m128i c = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 8)), mask);
  const __m128i d = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 12)), mask);
  return _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
}

// The samples before the first 16-byte boundary of `to`, and those after
// the last whole block, go through the plain loops.
[[gnu::target("sse2")]] void streamLowWords(const int32_t* from, size_t count, uint8_t* to) {
  size_t i = 0;
  while (i < count && (reinterpret_cast<uintptr_t>(to + 2 * i) & 15) != 0) ++i;
  lowWords(from, i, to);
  for (; i + 8 <= count; i += 8) _mm_stream_si128(reinterpret_cast<__m128i*>(to + 2 * i), packLowWords(from + i));
  _mm_sfence();
  lowWords(from + i, count - i, to + 2 * i);
}

[[gnu::target("sse2")]] void streamLowBytes(const int32_t* from, size_t count, uint8_t* to) {
  size_t i = 0;
  while (i < count && (reinterpret_cast<uintptr_t>(to + i) & 15) != 0) ++i;
  lowBytes(from, i, to);
  for (; i + 16 <= count; i += 16) _mm_stream_si128(reinterpret_cast<__m128i*>(to + i), packLowBytes(from + i));
  _mm_sfence();
  lowBytes(from + i, count - i, to + i);
}
#endif

// The copy for a run of `count` samples of `bits` bits.
SampleCopy sampleCopy(int32_t bits, size_t count) {
#if defined(ORVALIS_SSE2_COPY)
  static const bool sse2 = processorHasSse2();
  if (sse2 && count * static_cast<size_t>(bits / 8) >= kStreamingBytes)
    return bits == 8 ? streamLowBytes : streamLowWords;
#endif
  return bits == 8 ? lowBytes : lowWords;
}

// Frame f's samples, channels 0 to C - 1, stand next to each other in the
// array's memory and map onto consecutive bytes of the image, so whole
// runs are copied at once: every frame together when the channel index
// starts at 0, frame by frame otherwise. Every index read lies within the
// array's real bounds: both lower bounds are at most 0, and C - 1 and
// F - 1 are the upper bounds. Returns false when there is nothing to copy
// (no channel or no frame), so the caller zeroes what the header's sizes
// left for the data.
bool copySamples(const LongArray& samples, const WaveSizes& sizes, int32_t bits, uint8_t* data) {
  if (samples.dimensions() != 2) subscriptOutOfRange();
  const ArrayBounds channels = samples.bounds(0);
  const ArrayBounds frames = samples.bounds(1);
  if (channels.lower > 0 || frames.lower > 0) subscriptOutOfRange();
  if (sizes.channels <= 0 || sizes.frames <= 0) return false;

  const size_t perFrame = static_cast<size_t>(sizes.channels);
  const size_t rowLength = static_cast<size_t>(channels.count());
  const int32_t* firstRow = samples.elements() + static_cast<size_t>(-int64_t{frames.lower}) * rowLength +
                            static_cast<size_t>(-int64_t{channels.lower});
  const size_t frameBytes = static_cast<size_t>(sizes.blockAlign);
  if (rowLength == perFrame) {
    const size_t count = perFrame * static_cast<size_t>(sizes.frames);
    sampleCopy(bits, count)(firstRow, count, data);
    return true;
  }
  const SampleCopy copy = sampleCopy(bits, perFrame);
  for (size_t f = 0; f < static_cast<size_t>(sizes.frames); ++f)
    copy(firstRow + f * rowLength, perFrame, data + f * frameBytes);
  return true;
}

}  // namespace

ByteArray buildWaveImage(const LongArray& samples, int32_t sampleRate, int32_t bitsPerSample) {
  // Only 8 and 16 bits have a sample layout; any other depth would give a
  // header over silence, so it is refused as an invalid argument.
  if (bitsPerSample != 8 && bitsPerSample != 16)
    throw RuntimeError(vb_error::InvalidProcedureCall);
  const WaveSizes sizes = sizesOf(samples, sampleRate, bitsPerSample);
  // A length below 1 leaves no valid index 0 to L - 1.
  if (sizes.imageLength < 1) subscriptOutOfRange();

  // The header is checked before the image is made: every image that gets
  // past it holds at least the 44 header bytes.
  uint8_t header[kWaveHeaderLength];
  writeHeader(header, sizes, sampleRate, bitsPerSample);
  ByteArray image(static_cast<size_t>(sizes.imageLength));
  std::memcpy(image.data(), header, kWaveHeaderLength);
  uint8_t* data = image.data() + kWaveHeaderLength;
  if (!copySamples(samples, sizes, bitsPerSample, data))
    std::memset(data, 0, image.size() - kWaveHeaderLength);
  return image;
}

}  // namespace orvalis
