// Where the time of an early-bound PositioninMS goes, layer by layer, in one
// process under Wine: the raw mciSendStringW pair, the same pair through the
// WinMM service wrapper, through the MCI channel, and through player B's
// logic; then the pieces the logic adds (the command text and the reading of
// the reply). Each layer
// runs the real Windows services; the services PositioninMS does not use are
// the test doubles. The COM call itself is what call_bench's early-bound
// figure adds to the logic's.
//
//   call_profile.exe MP3 [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bench_clock.h"
#include "doubles/FakePlatform.h"
#include "frame/Conversion.h"
#include "frame/win/WindowsRuntime.h"
#include "mci/MciChannel.h"
#include "mci/win/WinmmMciService.h"
#include "mp3/clsVxAudoMP3PlayerB.h"

// <mmsystem.h> stays out: its SND_* macros would rename the sound flags of
// the core's headers.
extern "C" __declspec(dllimport) DWORD WINAPI mciSendStringW(LPCWSTR command, LPWSTR reply,
                                                            UINT replyLength, HWND callback);

namespace {

using bench::now;
using bench::median;

struct Layer {
  Layer(const char* name, int batch, std::function<void()> call)
      : name(name), batch(batch), call(std::move(call)) {}
  const char* name;
  int batch;
  std::function<void()> call;
  std::vector<double> perCall;
};

volatile double gSink;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: call_profile MP3 [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
  using namespace orvalis;
  win::WindowsRuntime runtime;
  win::WinmmMciService service;
  testing::FakePlatform doubles;
  Platform platform{runtime, service, doubles.files, doubles.registry, doubles.windows,
                    doubles.mixer, doubles.drives, doubles.sound, doubles.soundResources,
                    doubles.global};

  clsVxAudoMP3PlayerB player(platform);
  player.Filename = runtime.fromAnsi(argv[1]);
  player.Play();
  player.Pause();
  const std::u16string device = player.Filename;
  const std::u16string setFormat = u"set " + device + u" time format milliseconds";
  const std::u16string status = u"status " + device + u" position";
  const auto wide = [](const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
  };

  wchar_t prepared[2] = L"0";
  wchar_t reply[31] = {};
  std::u16string preparedBuffer = u"0";
  std::u16string replyBuffer(30, u'\0');
  MciChannel channel(service);
  FixedText field(30);
  channel.send(status, field);
  const std::u16string replyText = field.text();

  std::vector<Layer> layers{
      {"raw mciSendStringW pair", 10, [&] {
         mciSendStringW(wide(setFormat), prepared, 0, nullptr);
         mciSendStringW(wide(status), reply, 30, nullptr);
       }},
      {"WinmmMciService::sendString pair", 10, [&] {
         service.sendString(setFormat, preparedBuffer, 0);
         service.sendString(status, replyBuffer, 30);
       }},
      {"MciChannel::send pair", 10, [&] {
         channel.send(setFormat);
         channel.send(status, field);
       }},
      {"clsVxAudoMP3PlayerB::PositioninMS (logic)", 10, [&] { gSink = player.PositioninMS(); }},
      {"  the two command texts (verb + name + rest)", 200, [&] {
         std::u16string a(u"set ");
         a += device;
         a += u" time format milliseconds";
         std::u16string b(u"status ");
         b += device;
         b += u" position";
         gSink = static_cast<double>(a.size() + b.size());
       }},
      {"  numericPrefix + toLong of the reply", 200, [&] { gSink = toLong(numericPrefix(replyText)); }},
  };
  for (auto& layer : layers) layer.call();
  for (int round = 0; round < rounds; ++round) {
    for (size_t k = 0; k < layers.size(); ++k) {
      Layer& layer = layers[round % 2 ? layers.size() - 1 - k : k];
      const double start = now();
      for (int i = 0; i < layer.batch; ++i) layer.call();
      layer.perCall.push_back((now() - start) * 1e6 / layer.batch);
    }
  }
  std::printf("PositioninMS layer by layer (medians of %d interleaved rounds)\n", rounds);
  for (const auto& layer : layers)
    std::printf("  %-46s %9.2f us per call\n", layer.name, median(layer.perCall));
  player.StopPlay();
  return 0;
}
