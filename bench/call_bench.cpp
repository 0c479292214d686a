// The library's own cost per call, measured against what it drives, in one
// process under Wine (see README):
//   1. PositioninMS of player B, early- and late-bound, against the two raw
//      mciSendStringA calls it makes (the same command texts and buffers);
//   2. late-bound gets that never reach the MCI service (player B's
//      Filename, clsVxAudoWMixerA's NumSamples) against Scripting.Dictionary's
//      Count, all through IDispatch::Invoke with the identifiers resolved once;
//   3. the processor time of TimeOut 2 against a plain two-second Sleep.
// Every measurement is a median over interleaved rounds (the order of the
// contenders alternates from round to round), and the ratios are the
// medians of each round's ratio, so a machine that is busier in one moment
// than in the next weighs on both sides alike. A last table gives the cost
// of single system calls the library makes, to tell where time goes.
//
//   call_bench.exe MP3 [ROUNDS]
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bench_clock.h"
#include "orvalis_h.h"

// winmm's command-string entry point; <mmsystem.h> itself stays out, since
// its mixer structures share names with the library's records.
extern "C" __declspec(dllimport) DWORD WINAPI mciSendStringA(LPCSTR command, LPSTR reply,
                                                            UINT replyLength, HWND callback);

namespace {

using bench::now;
using bench::median;

// Microseconds per call of `body`, run `count` times.
double microsecondsPerCall(int count, const std::function<void()>& body) {
  const double start = now();
  for (int i = 0; i < count; ++i) body();
  return (now() - start) * 1e6 / count;
}

// One contender: a name and the work of one call.
struct Contender {
  Contender(const char* name, std::function<void()> call) : name(name), call(std::move(call)) {}
  const char* name;
  std::function<void()> call;
  std::vector<double> perCall;  // microseconds, one entry per round
};

// Runs the contenders in turn for `rounds` rounds of `batch` calls each;
// odd rounds run them in reverse order.
void race(std::vector<Contender>& contenders, int rounds, int batch) {
  for (auto& c : contenders) c.call();  // warm: first-call caches, page faults
  for (int round = 0; round < rounds; ++round) {
    for (size_t k = 0; k < contenders.size(); ++k) {
      Contender& c = contenders[round % 2 ? contenders.size() - 1 - k : k];
      c.perCall.push_back(microsecondsPerCall(batch, c.call));
    }
  }
}

// The median over rounds of a / b.
double medianRatio(const Contender& a, const Contender& b) {
  std::vector<double> ratios;
  for (size_t i = 0; i < a.perCall.size() && i < b.perCall.size(); ++i)
    ratios.push_back(a.perCall[i] / b.perCall[i]);
  return median(ratios);
}

void printTimes(const std::vector<Contender>& contenders) {
  for (const auto& c : contenders)
    std::printf("  %-44s %9.2f us per call (median of %zu rounds)\n", c.name, median(c.perCall),
                c.perCall.size());
}

// The processor time of this thread and of the whole process, in seconds.
struct ProcessorTime {
  double thread;
  double process;
};

ProcessorTime processorTime() { return {bench::threadSeconds(), bench::processSeconds()}; }

template <class T>
T* create(const wchar_t* progId, REFIID iid) {
  CLSID clsid;
  T* object = nullptr;
  if (FAILED(CLSIDFromProgID(progId, &clsid))) return nullptr;
  CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&object));
  return object;
}

DISPID dispid(IDispatch* object, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

// A late-bound call without arguments, its result cleared, as a host makes it.
std::function<void()> lateGet(IDispatch* object, DISPID id, WORD flags) {
  return [object, id, flags] {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, &result, nullptr, nullptr);
    VariantClear(&result);
  };
}

std::string narrow(BSTR text) {
  std::string bytes(WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(bytes.size() ? bytes.size() - 1 : 0);
  return bytes;
}

bool positionBench(_clsVxAudoMP3PlayerB* player, const wchar_t* mp3, int rounds) {
  BSTR name = SysAllocString(mp3);
  player->put_Filename(name);
  SysFreeString(name);
  // Opened and held still: a playing song would end during the run, and
  // its decoding would load the machine unevenly.
  player->Play();
  player->Pause();
  BSTR quoted = nullptr;
  player->get_Filename(&quoted);
  const std::string device = narrow(quoted);
  SysFreeString(quoted);
  const std::string setFormat = "set " + device + " time format milliseconds";
  const std::string status = "status " + device + " position";
  // The buffers as the library hands them over: the prepared text "0" with
  // reply length 0, and the 30-character position field as it stands.
  char prepared[2] = "0";
  char reply[31] = {};
  char probe[31] = {};
  if (mciSendStringA(status.c_str(), probe, 30, nullptr) != 0) {
    std::printf("FAIL the device %s does not answer\n", device.c_str());
    return false;
  }

  IDispatch* late = nullptr;
  player->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&late));
  const DISPID position = dispid(late, L"PositioninMS");
  std::vector<Contender> contenders{
      {"raw mciSendStringA pair", [&] {
         mciSendStringA(setFormat.c_str(), prepared, 0, nullptr);
         mciSendStringA(status.c_str(), reply, 30, nullptr);
       }},
      {"PositioninMS early-bound", [&] {
         LONG value = 0;
         player->PositioninMS(&value);
       }},
      {"PositioninMS late-bound (Invoke)", lateGet(late, position, DISPATCH_METHOD | DISPATCH_PROPERTYGET)},
  };
  race(contenders, rounds, 10);
  std::printf("PositioninMS against the raw MCI calls it makes (%s)\n", status.c_str());
  printTimes(contenders);
  std::printf("RATIO early-bound PositioninMS / raw pair: %.3f (target <= 1.10)\n",
              medianRatio(contenders[1], contenders[0]));
  std::printf("RATIO late-bound PositioninMS / raw pair: %.3f\n", medianRatio(contenders[2], contenders[0]));
  std::printf("  early-bound cost beyond the raw pair: %.2f us per call\n",
              median(contenders[1].perCall) - median(contenders[0].perCall));
  late->Release();
  player->StopPlay();
  return true;
}

bool lateBoundBench(int rounds) {
  auto* player = create<IDispatch>(L"Orvalis.clsVxAudoMP3PlayerB", IID_IDispatch);
  auto* mixer = create<IDispatch>(L"Orvalis.clsVxAudoWMixerA", IID_IDispatch);
  auto* dictionary = create<IDispatch>(L"Scripting.Dictionary", IID_IDispatch);
  if (!player || !mixer || !dictionary) {
    std::printf("FAIL cannot create the objects (player %p, mixer %p, dictionary %p)\n",
                static_cast<void*>(player), static_cast<void*>(mixer), static_cast<void*>(dictionary));
    return false;
  }
  {
    // A name of a usual length, as a host sets it.
    VARIANT name;
    V_VT(&name) = VT_BSTR;
    V_BSTR(&name) = SysAllocString(L"C:\\Music\\Artist - Song.mp3");
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&name, &put, 1, 1};
    player->Invoke(dispid(player, L"Filename"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                   &params, nullptr, nullptr, nullptr);
    VariantClear(&name);
  }
  std::vector<Contender> contenders{
      {"Scripting.Dictionary Count (Invoke)", lateGet(dictionary, dispid(dictionary, L"Count"), DISPATCH_PROPERTYGET)},
      {"player B Filename get (Invoke)", lateGet(player, dispid(player, L"Filename"), DISPATCH_PROPERTYGET)},
      {"clsVxAudoWMixerA NumSamples get (Invoke)", lateGet(mixer, dispid(mixer, L"NumSamples"), DISPATCH_PROPERTYGET)},
  };
  race(contenders, rounds, 50);
  std::printf("Late-bound gets that do not reach the service, against Dictionary.Count\n");
  printTimes(contenders);
  std::printf("RATIO late-bound Filename get / Dictionary.Count: %.3f (target <= 1.00)\n",
              medianRatio(contenders[1], contenders[0]));
  std::printf("RATIO late-bound NumSamples get / Dictionary.Count: %.3f (target <= 1.00)\n",
              medianRatio(contenders[2], contenders[0]));
  player->Release();
  mixer->Release();
  dictionary->Release();
  return true;
}

// TimeOut 2 on an idle player against Sleep(2000), alternately.
bool timeOutBench(int repeats) {
  auto* player = create<_clsVxAudoMP3PlayerB>(L"Orvalis.clsVxAudoMP3PlayerB", IID__clsVxAudoMP3PlayerB);
  if (!player) return false;
  std::vector<double> extraThread, extraProcess, wall;
  for (int i = 0; i < repeats; ++i) {
    ProcessorTime before = processorTime();
    Sleep(2000);
    ProcessorTime slept = processorTime();
    VARIANT duration;
    V_VT(&duration) = VT_I4;
    V_I4(&duration) = 2;
    const double start = now();
    player->TimeOut(&duration);
    wall.push_back(now() - start);
    ProcessorTime waited = processorTime();
    extraThread.push_back((waited.thread - slept.thread) - (slept.thread - before.thread));
    extraProcess.push_back((waited.process - slept.process) - (slept.process - before.process));
  }
  std::printf("TimeOut 2 against Sleep(2000), %d times each\n", repeats);
  std::printf("  TimeOut's wall time: median %.3f s\n", median(wall));
  std::printf("  processor time beyond the sleep's, calling thread: median %.4f s, max %.4f s\n",
              median(extraThread), *std::max_element(extraThread.begin(), extraThread.end()));
  std::printf("  processor time beyond the sleep's, whole process: median %.4f s, max %.4f s\n",
              median(extraProcess), *std::max_element(extraProcess.begin(), extraProcess.end()));
  std::printf("EXTRA TimeOut 2 processor time beyond a 2 s sleep: %.4f s (target <= 0.05)\n",
              *std::max_element(extraThread.begin(), extraThread.end()));
  player->Release();
  return true;
}

// What single system calls cost here, for reading the figures above.
void buildingBlocks(IUnknown* object, int rounds) {
  const std::wstring command = L"status \"Z:\\work\\build\\e2e\\media\\tone-12s.mp3\" position";
  const std::string reply = "1234" + std::string(26, '\0');
  static CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  std::vector<Contender> blocks{
      {"WideCharToMultiByte, sizing and converting", [&] {
         char out[128];
         const int n = WideCharToMultiByte(CP_ACP, 0, command.data(), static_cast<int>(command.size()),
                                           nullptr, 0, nullptr, nullptr);
         WideCharToMultiByte(CP_ACP, 0, command.data(), static_cast<int>(command.size()), out, n,
                             nullptr, nullptr);
       }},
      {"MultiByteToWideChar, sizing and converting", [&] {
         wchar_t out[64];
         const int n = MultiByteToWideChar(CP_ACP, 0, reply.data(), static_cast<int>(reply.size()), nullptr, 0);
         MultiByteToWideChar(CP_ACP, 0, reply.data(), static_cast<int>(reply.size()), out, n);
       }},
      {"malloc + free (64 bytes)", [] {
         void* volatile block = std::malloc(64);
         std::free(block);
       }},
      {"IUnknown::AddRef + Release, called directly", [object] {
         object->AddRef();
         object->Release();
       }},
      {"the same two through DispCallFunc", [object] {
         VARIANT result;
         // AddRef and Release are the second and third vtable entries.
         for (ULONG_PTR slot : {1, 2})
           DispCallFunc(object, slot * sizeof(void*), CC_STDCALL, VT_UI4, 0, nullptr, nullptr, &result);
       }},
      {"SysAllocStringLen + SysFreeString", [&] {
         SysFreeString(SysAllocStringLen(command.data(), static_cast<UINT>(command.size())));
       }},
      {"SetErrorInfo(0, nullptr)", [] { SetErrorInfo(0, nullptr); }},
      {"Enter/LeaveCriticalSection", [] {
         EnterCriticalSection(&section);
         LeaveCriticalSection(&section);
       }},
  };
  race(blocks, rounds, 50);
  std::printf("Single calls, for reference\n");
  printTimes(blocks);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: call_bench MP3 [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 300;
  std::wstring mp3(argv[1], argv[1] + std::strlen(argv[1]));
  CoInitialize(nullptr);
  bool ok = true;
  auto* player = create<_clsVxAudoMP3PlayerB>(L"Orvalis.clsVxAudoMP3PlayerB", IID__clsVxAudoMP3PlayerB);
  if (!player) {
    std::printf("FAIL Orvalis.clsVxAudoMP3PlayerB cannot be created (is orvalis.dll registered?)\n");
    return 1;
  }
  ok = positionBench(player, mp3.c_str(), rounds) && ok;
  player->Release();
  ok = lateBoundBench(rounds) && ok;
  ok = timeOutBench(3) && ok;
  if (auto* dictionary = create<IUnknown>(L"Scripting.Dictionary", IID_IUnknown)) {
    buildingBlocks(dictionary, std::min(rounds, 100));
    dictionary->Release();
  }
  CoUninitialize();
  return ok ? 0 : 1;
}
