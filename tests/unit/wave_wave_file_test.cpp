#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>

#include "doubles/FakePlatform.h"
#include "doubles/RaisedError.h"
#include "wave/clsVxAudoWaveFileA.h"

namespace orvalis {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::raisedError;

// An array of Long laid out as the runtime lays it out: the first index
// varies fastest. `value(c, f)` fills it.
struct SampleArray {
  std::vector<ArrayBounds> bounds;
  std::vector<int32_t> elements;

  SampleArray(ArrayBounds channels, ArrayBounds frames, std::function<int32_t(int32_t, int32_t)> value)
      : bounds{channels, frames} {
    for (int32_t f = frames.lower; f <= frames.upper; ++f)
      for (int32_t c = channels.lower; c <= channels.upper; ++c) elements.push_back(value(c, f));
  }
  SampleArray(std::vector<ArrayBounds> dims, size_t count) : bounds(std::move(dims)), elements(count) {}

  LongArray view() const { return LongArray(bounds, elements.data()); }
};

Bytes bytesOf(const ByteArray& array) { return Bytes(array.data(), array.data() + array.size()); }

struct WaveFileTest : ::testing::Test {
  testing::FakePlatform fakes;
  std::unique_ptr<clsVxAudoWaveFileA> wave = std::make_unique<clsVxAudoWaveFileA>(fakes.platform);

  Bytes create(const SampleArray& samples, int32_t rate, int32_t bits) {
    return bytesOf(wave->CreateWaveArray(samples.view(), rate, bits));
  }

  int32_t errorOf(const LongArray& samples, int32_t rate, int32_t bits) {
    return raisedError([&] { wave->CreateWaveArray(samples, rate, bits); });
  }
  int32_t errorOf(const SampleArray& samples, int32_t rate, int32_t bits) {
    return errorOf(samples.view(), rate, bits);
  }
};

// --- CreateWaveArray -----------------------------------------------------------

TEST_F(WaveFileTest, MonoEightBitImageIsTheHeaderThenTheSampleBytes) {
  const SampleArray samples({0, 0}, {0, 3}, [](int32_t, int32_t f) { return 128 + f; });
  const Bytes expected = {'R', 'I', 'F', 'F', 0x28, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                          0x10, 0, 0, 0, 0x01, 0, 0x01, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0,
                          0x01, 0, 0x08, 0, 'd', 'a', 't', 'a', 0x04, 0, 0, 0,
                          0x80, 0x81, 0x82, 0x83};
  EXPECT_EQ(create(samples, 8000, 8), expected);
}

TEST_F(WaveFileTest, StereoSixteenBitImageInterleavesLittleEndianSamples) {
  const SampleArray samples({0, 1}, {0, 0}, [](int32_t c, int32_t) { return c == 0 ? 1000 : -1000; });
  const Bytes expected = {'R', 'I', 'F', 'F', 0x28, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                          0x10, 0, 0, 0, 0x01, 0, 0x02, 0, 0x44, 0xAC, 0, 0,
                          0x10, 0xB1, 0x02, 0,  // byte rate 176400
                          0x04, 0, 0x10, 0, 'd', 'a', 't', 'a', 0x04, 0, 0, 0,
                          0xE8, 0x03, 0x18, 0xFC};
  EXPECT_EQ(create(samples, 44100, 16), expected);
}

TEST_F(WaveFileTest, FramesFollowOneAnotherChannelZeroFirst) {
  const SampleArray samples({0, 2}, {0, 1}, [](int32_t c, int32_t f) { return 10 * f + c; });
  const Bytes image = create(samples, 8000, 16);
  ASSERT_EQ(image.size(), 44u + 12u);
  EXPECT_EQ(Bytes(image.begin() + 44, image.end()),
            (Bytes{0, 0, 1, 0, 2, 0, 10, 0, 11, 0, 12, 0}));
  EXPECT_EQ(image[32], 6);  // block align
}

TEST_F(WaveFileTest, SamplesKeepTheirLowBitsWithoutClipping) {
  const SampleArray wide({0, 0}, {0, 2}, [](int32_t, int32_t f) { return f == 0 ? 40000 : f == 1 ? -1 : -40000; });
  const Bytes sixteen = create(wide, 8000, 16);
  EXPECT_EQ(Bytes(sixteen.begin() + 44, sixteen.end()), (Bytes{0x40, 0x9C, 0xFF, 0xFF, 0xC0, 0x63}));

  const SampleArray narrow({0, 0}, {0, 2}, [](int32_t, int32_t f) { return f == 0 ? 300 : f == 1 ? -1 : 0; });
  const Bytes eight = create(narrow, 8000, 8);
  EXPECT_EQ(Bytes(eight.begin() + 44, eight.end()), (Bytes{44, 0xFF, 0}));
}

// Images of a megabyte and more take the vector copy; every sample must
// still land where the small loop puts it, up to the last one.
TEST_F(WaveFileTest, LargeImagesHoldEverySampleInPlace) {
  const auto value = [](int32_t c, int32_t f) {
    return static_cast<int32_t>((int64_t{f} * 7919 + c * 104729) % 200003 - 100001);
  };
  for (int32_t bits : {8, 16}) {
    const int32_t frames = (1 << 20) / 2 + 3;  // a megabyte or more, and a tail
    const SampleArray samples({0, 1}, {0, frames - 1}, value);
    const Bytes image = create(samples, 44100, bits);
    ASSERT_EQ(image.size(), 44u + 2u * frames * (bits / 8));
    size_t wrong = 0;
    for (int32_t f = 0; f < frames; ++f)
      for (int32_t c = 0; c < 2; ++c) {
        const auto low = static_cast<uint32_t>(value(c, f));
        const size_t at = 44 + (static_cast<size_t>(f) * 2 + c) * (bits / 8);
        wrong += image[at] != static_cast<uint8_t>(low);
        if (bits == 16) wrong += image[at + 1] != static_cast<uint8_t>(low >> 8);
      }
    EXPECT_EQ(wrong, 0u) << bits << " bits";
  }
}

// Counts come from the upper bounds; lower bounds below 0 widen the array
// without changing which elements are read.
TEST_F(WaveFileTest, NegativeLowerBoundsReadOnlyIndicesFromZero) {
  const SampleArray samples({-1, 1}, {-2, 1}, [](int32_t c, int32_t f) { return c < 0 || f < 0 ? 99 : 10 * f + c; });
  const Bytes image = create(samples, 8000, 8);
  EXPECT_EQ(image[22], 2);  // channels
  EXPECT_EQ(Bytes(image.begin() + 44, image.end()), (Bytes{0, 1, 10, 11}));
}

// Negative counts make a header over a data area that nothing fills: those
// bytes read 0, never what the memory held before.
TEST_F(WaveFileTest, DataThatNoSampleFillsIsZero) {
  const SampleArray samples({-4, -2}, {-5, -3}, [](int32_t, int32_t) { return 7; });
  {
    // Leave a block of the image's size dirty, for the allocator to reuse.
    const std::unique_ptr<uint8_t[]> dirty(new uint8_t[46]);
    std::fill_n(dirty.get(), 46, uint8_t{0xAA});
  }
  const Bytes image = create(samples, 8000, 8);  // C = -1, F = -2: A = -1, L = 46
  ASSERT_EQ(image.size(), 46u);
  EXPECT_EQ(image[40], 2);  // data size C x F x 8 / 8
  EXPECT_EQ(Bytes(image.begin() + 44, image.end()), (Bytes{0, 0}));
}

TEST_F(WaveFileTest, ArraysThatCannotBeReadAsChannelsAndFramesAreSubscriptErrors) {
  EXPECT_EQ(errorOf(LongArray(), 8000, 8), 9);  // never allocated
  EXPECT_EQ(errorOf(SampleArray({{0, 3}}, 4), 8000, 8), 9);
  EXPECT_EQ(errorOf(SampleArray({{0, 0}, {0, 1}, {0, 1}}, 4), 8000, 8), 9);
  EXPECT_EQ(errorOf(SampleArray({{0, 0}, {0, -1}}, 0), 8000, 8), 9);  // no elements
  EXPECT_EQ(errorOf(SampleArray({1, 2}, {0, 3}, [](int32_t, int32_t) { return 0; }), 8000, 8), 9);
  EXPECT_EQ(errorOf(SampleArray({0, 1}, {1, 3}, [](int32_t, int32_t) { return 0; }), 8000, 16), 9);
}

TEST_F(WaveFileTest, OnlyEightAndSixteenBitsAreAccepted) {
  const SampleArray samples({0, 0}, {0, 0}, [](int32_t, int32_t) { return 0; });
  for (int32_t bits : {0, 4, 12, 24, 32, -8}) EXPECT_EQ(errorOf(samples, 8000, bits), 5) << bits;
  EXPECT_EQ(errorOf(LongArray(), 8000, 24), 5);  // refused before the array is looked at
}

TEST_F(WaveFileTest, SizesOverflowingThirtyTwoBitsAreOverflowErrors) {
  const SampleArray oneFrame({0, 1}, {0, 0}, [](int32_t, int32_t) { return 0; });
  EXPECT_EQ(errorOf(oneFrame, 1 << 27, 16), 6);  // R x C x B
  // Frame counts are read from the bounds; the elements are never reached.
  const SampleArray huge({{0, 1}, {0, (1 << 29) - 1}}, 1);
  EXPECT_EQ(errorOf(huge, 44100, 16), 6);  // A x F
  const SampleArray top({{0, 0}, {0, std::numeric_limits<int32_t>::max()}}, 1);
  EXPECT_EQ(errorOf(top, 8000, 8), 6);  // upper bound + 1
}

TEST_F(WaveFileTest, AFieldWhoseTopByteWouldBeNegativeIsAnOverflowError) {
  const SampleArray samples({0, 0}, {0, 0}, [](int32_t, int32_t) { return 0; });
  EXPECT_EQ(errorOf(samples, -16777217, 8), 6);
  // Above -2^24 the truncated quotient is 0: the field is written.
  const Bytes image = create(samples, -1, 8);
  EXPECT_EQ(Bytes(image.begin() + 24, image.begin() + 32),
            (Bytes{0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00}));
}

TEST_F(WaveFileTest, AnImageShorterThanItsHeaderIsASubscriptError) {
  const SampleArray samples({-4, -3}, {0, 0}, [](int32_t, int32_t) { return 0; });  // C = -2
  EXPECT_EQ(errorOf(samples, 8000, 8), 9);  // L = 42
  const SampleArray none({-99, -45}, {0, 0}, [](int32_t, int32_t) { return 0; });  // C = -44
  EXPECT_EQ(errorOf(none, 8000, 8), 9);    // L = 0
}

// --- WriteWave -----------------------------------------------------------------

TEST_F(WaveFileTest, WriteWaveMakesTheBytesTheWholeFile) {
  fakes.files.contents[u"C:\\a.wav"] = std::string(100, 'x');
  const Bytes bytes = {'R', 'I', 'F', 'F', 0, 0xFF};
  wave->WriteWave(u"C:\\a.wav", bytes);
  EXPECT_EQ(fakes.files.contents[u"C:\\a.wav"], std::string("RIFF\0\xFF", 6));
  wave->WriteWave(u"C:\\empty.wav", {});
  EXPECT_EQ(fakes.files.contents.at(u"C:\\empty.wav"), "");
}

TEST_F(WaveFileTest, AFailedWriteRaisesItsErrorAndKeepsTheOldFile) {
  fakes.files.contents[u"C:\\full.wav"] = "old";
  fakes.files.writeFailures[u"C:\\full.wav"] = vb_error::DiskFull;
  fakes.files.failures[u"Z:\\missing\\a.wav"] = vb_error::PathNotFound;
  const Bytes bytes = {1, 2, 3};
  EXPECT_EQ(raisedError([&] { wave->WriteWave(u"C:\\full.wav", bytes); }), vb_error::DiskFull);
  EXPECT_EQ(raisedError([&] { wave->WriteWave(u"Z:\\missing\\a.wav", bytes); }), vb_error::PathNotFound);
  EXPECT_EQ(fakes.files.contents[u"C:\\full.wav"], "old");
  EXPECT_EQ(fakes.files.contents.count(u"Z:\\missing\\a.wav"), 0u);
  EXPECT_TRUE(fakes.files.inPlaceWrites.empty());  // no second way for a refusal other than the folder's
}

// A folder the caller may not create files in, holding a file it may
// write: the bytes go into the file itself, whole, and cut it at their end.
TEST_F(WaveFileTest, WhereNoFileCanBeCreatedBesideTheTargetItIsWrittenInPlace) {
  fakes.files.contents[u"C:\\locked\\a.wav"] = std::string(100, 'x');
  fakes.files.noFileBeside.insert(u"C:\\locked\\a.wav");
  const Bytes bytes = {'R', 'I', 'F', 'F'};
  wave->WriteWave(u"C:\\locked\\a.wav", bytes);
  EXPECT_EQ(fakes.files.contents[u"C:\\locked\\a.wav"], "RIFF");
  EXPECT_EQ(fakes.files.inPlaceWrites, (std::vector<std::u16string>{u"C:\\locked\\a.wav"}));
  EXPECT_EQ(fakes.files.replacementsStarted, 0);

  // An in-place write that fails is no success either.
  fakes.files.writeFailures[u"C:\\locked\\a.wav"] = vb_error::DiskFull;
  EXPECT_EQ(raisedError([&] { wave->WriteWave(u"C:\\locked\\a.wav", bytes); }), vb_error::DiskFull);
}

// --- PlaySound, StopSound --------------------------------------------------------

TEST_F(WaveFileTest, PlaySoundPlaysTheFilenameWithTheCallersFlagsOrAsync) {
  wave->Filename = u"C:\\Sounds\\d\u00e9j\u00e0.wav";
  fakes.sound.results = {1, 0, 1, 1};
  EXPECT_EQ(wave->PlaySound(std::nullopt), 1);
  EXPECT_EQ(wave->PlaySound(0), 0);  // the platform's answer
  wave->PlaySound(9);
  wave->PlaySound(0x20000 | 0x2000);
  ASSERT_EQ(fakes.sound.calls.size(), 4u);
  EXPECT_EQ(fakes.sound.calls[0].name, std::string("C:\\Sounds\\d\xe9j\xe0.wav"));
  std::vector<uint32_t> flags;
  for (const auto& call : fakes.sound.calls) flags.push_back(call.flags);
  EXPECT_EQ(flags, (std::vector<uint32_t>{1, 0, 9, 0x22000}));

  wave->Filename.clear();  // an empty name, not the null pointer
  wave->PlaySound(std::nullopt);
  EXPECT_EQ(fakes.sound.calls.back().name, std::string());
}

TEST_F(WaveFileTest, PlaySoundOfANameTheAnsiCodePageLacksUsesTheWideCallAndHoldsTheName) {
  const std::u16string name = u"C:\\\u0389\u03c7\u03bf\u03b9\\\u9234.wav";
  wave->Filename = name;
  EXPECT_EQ(wave->PlaySound(std::nullopt), 1);
  ASSERT_EQ(fakes.sound.calls.size(), 1u);
  EXPECT_EQ(fakes.sound.calls[0].wideName, name);
  EXPECT_EQ(fakes.sound.calls[0].name, std::nullopt);
  EXPECT_EQ(fakes.sound.calls[0].flags, 1u);
  ASSERT_NE(fakes.sound.heldWideName(), nullptr);
  EXPECT_EQ(*fakes.sound.heldWideName(), name);

  // With SND_MEMORY the text is the sound's bytes, for the ANSI call as ever;
  // a synchronous sound leaves what is held alone.
  wave->PlaySound(0x4);
  EXPECT_EQ(fakes.sound.calls[1].name, std::string("C:\\????\\?.wav"));
  EXPECT_NE(fakes.sound.heldWideName(), nullptr);
}

TEST_F(WaveFileTest, StopSoundSendsNoNameWithAsyncAndReturnsTheResult) {
  fakes.sound.results = {0};
  EXPECT_EQ(wave->StopSound(), 0);
  EXPECT_EQ(fakes.sound.calls.at(0).name, std::nullopt);
  EXPECT_EQ(fakes.sound.calls.at(0).flags, 1u);
  EXPECT_EQ(wave->StopSound(), 1);
}

// --- PlaySoundFromResourceFile ---------------------------------------------------

struct SoundResourceTest : WaveFileTest {
  const std::string image = std::string("RIFF\x24\0\0\0WAVE\x80\xFF\0", 15);
  SoundResourceTest() {
    fakes.soundResources.resources[{ResourceId(uint16_t{101}), ResourceId(u"WAVE")}] = image;
    fakes.soundResources.resources[{ResourceId(u"CHIME"), ResourceId(uint16_t{10})}] = "chime.wav";
  }
  int32_t errorOf(const Variant& id, const Variant& type) {
    return raisedError([&] { wave->PlaySoundFromResourceFile(id, type, std::nullopt); });
  }
};

TEST_F(SoundResourceTest, TheResourceBytesGoToTheSoundCallAsTheyAre) {
  wave->PlaySoundFromResourceFile(Variant(int16_t{101}), Variant(u"WAVE"), 5);
  wave->PlaySoundFromResourceFile(Variant(u"CHIME"), Variant(10.0), std::nullopt);
  ASSERT_EQ(fakes.sound.calls.size(), 2u);
  EXPECT_EQ(fakes.sound.calls[0].name, image);  // NULs and high bytes included
  EXPECT_EQ(fakes.sound.calls[0].flags, 5u);
  EXPECT_EQ(fakes.sound.calls[1].name, std::string("chime.wav"));
  EXPECT_EQ(fakes.sound.calls[1].flags, 0u);  // SND_SYNC when left out
}

TEST_F(SoundResourceTest, ALeftOutTypeMeansWave) {
  wave->PlaySoundFromResourceFile(Variant(int32_t{101}), Variant::missing(), 4);
  ASSERT_EQ(fakes.soundResources.loads.size(), 1u);
  EXPECT_EQ(fakes.soundResources.loads[0].second, ResourceId(u"WAVE"));
  EXPECT_EQ(fakes.sound.calls.at(0).name, image);
}

TEST_F(SoundResourceTest, AResourceTheStoreLacksRaisesResourceNotFound) {
  try {
    wave->PlaySoundFromResourceFile(Variant(int32_t{102}), Variant(u"WAVE"), std::nullopt);
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 326);
    EXPECT_EQ(error.description(), u"Resource with identifier '102' not found");
  }
  EXPECT_EQ(errorOf(Variant(int32_t{0}), Variant(u"WAVE")), 326);
  EXPECT_EQ(errorOf(Variant(int32_t{70000}), Variant(u"WAVE")), 326);
  EXPECT_EQ(errorOf(Variant(int32_t{101}), Variant()), 326);  // an Empty type is no type
  EXPECT_EQ(errorOf(Variant::null(), Variant(u"WAVE")), 94);
  EXPECT_EQ(errorOf(Variant(u"101"), Variant::error(5)), 13);
  EXPECT_EQ(fakes.soundResources.loads.size(), 1u);  // only the first had a possible id
  EXPECT_TRUE(fakes.sound.calls.empty());
}

// The platform reads an asynchronous in-memory sound after the call has
// returned: its bytes must outlive the call and the object.
TEST_F(SoundResourceTest, AnAsyncMemorySoundKeepsItsBytesUntilStoppedOrReplaced) {
  wave->PlaySoundFromResourceFile(Variant(int32_t{101}), Variant(u"WAVE"), 5);
  const std::string* playing = fakes.sound.calls.at(0).bytes;
  wave.reset();  // the host releases the object while the sound plays
  ASSERT_EQ(fakes.sound.heldSound(), playing);
  EXPECT_EQ(*playing, image);

  clsVxAudoWaveFileA other(fakes.platform);
  fakes.sound.results = {0};  // SND_NOSTOP while a sound plays: refused
  other.PlaySoundFromResourceFile(Variant(int32_t{101}), Variant(u"WAVE"), 5 | 16);
  EXPECT_EQ(fakes.sound.heldSound(), playing);

  other.StopSound();
  EXPECT_EQ(fakes.sound.heldSound(), nullptr);
}

}  // namespace
}  // namespace orvalis
