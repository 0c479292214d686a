// The process's one sound as the objects of several threads share it.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "doubles/FakeSound.h"
#include "frame/Sound.h"

namespace orvalis {
namespace {

// A platform that, like winmm, goes on reading an asynchronous sound's
// bytes after the call that started it: each call first reads the sound it
// stops, and counts bytes that changed under it (freed and reused). It
// relies on the service's lock, as the Windows service does.
class ReadingPlatform final : public SoundService {
 public:
  std::atomic<int> damaged{0};

 protected:
  int32_t playSound(const std::string* name, uint32_t flags) override {
    if (playing_ && *playing_ != expected_) ++damaged;
    playing_ = name && (flags & snd::SND_ASYNC) ? name : nullptr;
    if (playing_) expected_ = *playing_;
    return 1;
  }
  // A file name plays from the file: it stops the sound before it and holds
  // no bytes the platform reads.
  int32_t playSoundWide(const std::u16string&, uint32_t) override {
    if (playing_ && *playing_ != expected_) ++damaged;
    playing_ = nullptr;
    return 1;
  }
  void exclusive() override { lock_.lock(); }
  void endExclusive() override { lock_.unlock(); }

 private:
  std::mutex lock_;
  const std::string* playing_ = nullptr;
  std::string expected_;
};

TEST(SoundServiceTest, SoundsOfSeveralThreadsNeverLoseTheBytesThatPlay) {
  ReadingPlatform sound;
  auto host = [&sound](char tag) {
    for (int i = 0; i < 20000; ++i) {
      if (i % 7 == 0) sound.sndPlaySound(std::nullopt, snd::SND_ASYNC);  // StopSound
      else sound.sndPlaySound(std::string(48, tag) + std::to_string(i), snd::SND_ASYNC | snd::SND_MEMORY);
    }
  };
  std::vector<std::thread> threads;
  for (char tag : {'a', 'b', 'c', 'd'}) threads.emplace_back(host, tag);
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(sound.damaged, 0);
}

// A synchronous sound is over when its call returns: its bytes go with the
// call, and an asynchronous sound's bytes stay held as they were.
TEST(SoundServiceTest, ASynchronousSoundKeepsNothingAndLeavesTheHeldBytes) {
  testing::FakeSound sound;
  sound.sndPlaySound(std::string("async image"), snd::SND_ASYNC | snd::SND_MEMORY);
  const std::string* held = sound.heldSound();
  ASSERT_NE(held, nullptr);
  sound.sndPlaySound(std::string("sync image"), snd::SND_SYNC | snd::SND_MEMORY);
  EXPECT_EQ(sound.calls.at(1).name, "sync image");
  EXPECT_EQ(sound.heldSound(), held);
  sound.sndPlaySound(std::nullopt, snd::SND_SYNC);  // a stop, whatever its flags
  EXPECT_EQ(sound.heldSound(), nullptr);
}

}  // namespace
}  // namespace orvalis
