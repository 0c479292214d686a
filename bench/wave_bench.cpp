// Builds the WAV image of ten minutes of stereo 16-bit sound at 44.1 kHz
// through the wave file class and sets its time against a plain memcpy of
// the image's size into a new block, the least any builder of a new image
// spends.
//
//   build/bench/bench/wave_bench [seconds]
//
// Both make a new block each run. The allocator is told to keep freed
// memory, so both soon reuse pages the process already has and the best
// runs compare the copies themselves, not the system handing out fresh
// pages (which costs either side far more than the copy on some machines).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "doubles/FakePlatform.h"
#include "wave/clsVxAudoWaveFileA.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace orvalis;

constexpr int kRuns = 15;

struct Timing {
  double best = 1e9;

  template <class Body>
  void run(Body&& body) {
    const auto start = Clock::now();
    body();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
};

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // Large blocks from the heap rather than fresh mappings, kept when freed.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
  const int32_t rate = 44100;
  const int32_t channels = 2;
  const int32_t frames = seconds * rate;

  // WaveData(0 To 1, 0 To frames - 1) as the runtime lays it out.
  std::vector<int32_t> samples(static_cast<size_t>(channels) * frames);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int32_t>((i * 7919) % 65536) - 32768;
  const LongArray waveData({{0, channels - 1}, {0, frames - 1}}, samples.data());

  testing::FakePlatform fakes;
  clsVxAudoWaveFileA wave(fakes.platform);
  const size_t imageSize = wave.CreateWaveArray(waveData, rate, 16).size();
  const std::vector<uint8_t> source(imageSize, 0x5A);
  uint8_t check = 0;

  // The two take turns, so that both meet the same load of the machine.
  Timing build, copy;
  for (int round = 0; round < kRuns; ++round) {
    build.run([&] {
      const ByteArray image = wave.CreateWaveArray(waveData, rate, 16);
      check ^= image.data()[imageSize - 1];
    });
    copy.run([&] {
      const std::unique_ptr<uint8_t[]> target(new uint8_t[imageSize]);
      std::memcpy(target.get(), source.data(), imageSize);
      check ^= target[imageSize - 1];
    });
  }

  std::printf("image: %d s stereo 16-bit at %d Hz, %zu bytes from %zu Longs\n", seconds, rate, imageSize,
              samples.size());
  std::printf("CreateWaveArray: %.1f ms (best of %d)\n", build.best * 1e3, kRuns);
  std::printf("memcpy of the image's size: %.1f ms (best of %d)\n", copy.best * 1e3, kRuns);
  std::printf("ratio: %.2fx (goal: at most 2x)%s\n", build.best / copy.best, check == 0xFF ? " " : "");
  return 0;
}
