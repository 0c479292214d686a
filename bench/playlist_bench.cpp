// Loads and saves a 100 000-entry playlist through a host list object and
// reports the time the library itself spends, apart from the host's own
// AddItem / List calls, next to the cost of reading the file's lines with
// the C++ standard library.
//
//   build/native/bench/playlist_bench [entries]
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "doubles/FakeMixer.h"
#include "doubles/FakeLibraryGlobal.h"
#include "doubles/FakeRuntime.h"
#include "frame/Drives.h"
#include "doubles/FakeSound.h"
#include "frame/Files.h"
#include "frame/HostObject.h"
#include "frame/Platform.h"
#include "frame/Shell.h"
#include "frame/Text.h"
#include "mp3/clsVxAudoMP3PlayerB.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace orvalis;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string narrowPath(std::u16string_view path) { return toUtf8(path); }

// Files on the local disk through the standard library.
class DiskFiles final : public Files {
 public:
  std::string readAll(std::u16string_view path) override {
    std::ifstream file(narrowPath(path), std::ios::binary | std::ios::ate);
    if (!file) throw RuntimeError(vb_error::FileNotFound);
    std::string bytes(static_cast<size_t>(file.tellg()), '\0');
    file.seekg(0);
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
  }
  std::unique_ptr<FileReplacement> replace(std::u16string_view path) override {
    struct Replacement : FileReplacement {
      explicit Replacement(std::string path) : path(std::move(path)), file(this->path + ".tmp", std::ios::binary) {}
      void write(std::string_view bytes) override { file.write(bytes.data(), bytes.size()); }
      void commit() override {
        file.close();
        std::rename((path + ".tmp").c_str(), path.c_str());
      }
      std::string path;
      std::ofstream file;
    };
    return std::make_unique<Replacement>(narrowPath(path));
  }
  void writeInPlace(std::u16string_view path, std::string_view bytes) override {
    std::ofstream file(narrowPath(path), std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
};

struct NoRegistry final : Registry {
  int32_t createKey(uint32_t, const std::string&, uintptr_t&) override { return 1; }
  int32_t setDefaultValue(uintptr_t, uint32_t, const std::string&) override { return 1; }
  int32_t closeKey(uintptr_t) override { return 1; }
};
struct NoWindows final : WindowManager {
  void releaseCapture() override {}
  intptr_t sendMessage(uint32_t, uint32_t, uintptr_t, intptr_t) override { return 0; }
};
struct NoDrives final : Drives {
  uint32_t logicalDriveStrings(uint32_t, std::string&) override { return 0; }
  uint32_t driveType(std::u16string_view) override { return 0; }
};
struct NoMci final : MciService {
  uint32_t sendString(std::u16string_view, std::span<char16_t>, uint32_t) override { return 0; }
  void errorString(uint32_t, std::span<char16_t>) override {}
};

// A list control that keeps its entries and clocks the time spent inside
// its own members, so that the library's share can be told apart.
class TimedList final : public HostObject {
 public:
  std::vector<std::u16string> entries;
  double hostSeconds = 0;

  Variant invoke(std::u16string_view name, CallKind, std::vector<Argument>& args) override {
    const auto start = Clock::now();
    Variant result;
    if (name == u"AddItem") {
      entries.push_back(args[0].value.text());
    } else if (name == u"List") {
      result = Variant(entries[static_cast<size_t>(args[0].value.integral())]);
    } else if (name == u"ListCount") {
      result = Variant(static_cast<int32_t>(entries.size()));
    }
    hostSeconds += secondsSince(start);
    return result;
  }
};

template <class Body>
double bestOf(int runs, Body&& body) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) best = std::min(best, body());
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int entries = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::string path = "playlist_bench.m3u";
  {
    std::ofstream file(path, std::ios::binary);
    for (int i = 0; i < entries; ++i)
      file << "C:\\Music\\Artist " << i % 97 << "\\Album " << i % 13 << "\\" << i << " - Song title.mp3  \r\n";
  }

  testing::FakeRuntime runtime;
  NoMci mci;
  DiskFiles files;
  NoRegistry registry;
  NoWindows windows;
  testing::FakeMixer mixer;
  NoDrives drives;
  testing::FakeSound sound;
  testing::FakeSoundResources soundResources;
  testing::FakeLibraryGlobal global;
  Platform platform{runtime, mci, files, registry, windows, mixer, drives, sound, soundResources, global};
  clsVxAudoMP3PlayerB player(platform);
  const std::u16string playlist(path.begin(), path.end());

  // The yardstick: every line read with std::getline into a string.
  const double getlineSeconds = bestOf(5, [&] {
    const auto start = Clock::now();
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line, '\r');) {
      if (file.peek() == '\n') file.get();
      lines.push_back(std::move(line));
    }
    return secondsSince(start);
  });

  double loadHost = 0;
  const double loadLibrary = bestOf(5, [&] {
    auto list = std::make_shared<TimedList>();
    const auto start = Clock::now();
    player.OpenPlaylist(playlist, list);
    const double total = secondsSince(start);
    loadHost = list->hostSeconds;
    if (list->entries.size() != static_cast<size_t>(entries)) std::fprintf(stderr, "load lost entries\n");
    return total - list->hostSeconds;
  });

  auto source = std::make_shared<TimedList>();
  player.OpenPlaylist(playlist, source);
  // Saving runs a 16-bit index, so it is measured on the first 32 768 entries.
  source->entries.resize(std::min<size_t>(source->entries.size(), 32767));
  double saveHost = 0;
  const double saveLibrary = bestOf(5, [&] {
    source->hostSeconds = 0;
    const auto start = Clock::now();
    player.SavePlaylist(u"playlist_bench_out.m3u", source);
    const double total = secondsSince(start);
    saveHost = source->hostSeconds;
    return total - source->hostSeconds;
  });
  std::remove(path.c_str());
  std::remove("playlist_bench_out.m3u");

  std::printf("entries                 %d\n", entries);
  std::printf("std::getline lines      %8.2f ms\n", getlineSeconds * 1e3);
  std::printf("OpenPlaylist library    %8.2f ms  (host AddItem %.2f ms)  ratio %.2f\n",
              loadLibrary * 1e3, loadHost * 1e3, loadLibrary / getlineSeconds);
  std::printf("SavePlaylist library    %8.2f ms  (host List %.2f ms, %zu entries)\n", saveLibrary * 1e3,
              saveHost * 1e3, source->entries.size());
  std::printf("messages shown          %zu\n", runtime.messageBoxes.size());
  const bool withinTarget = loadLibrary <= 2 * getlineSeconds;
  std::printf("load within 2x getline  %s\n", withinTarget ? "yes" : "no");
  return 0;
}
