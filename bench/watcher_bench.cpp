// The processor time that the playback watcher adds to a host: a host plays
// a 6-second song through MP3 player B and waits 10 s in a form's message
// loop, once alone and once with a watcher and one sink connected; the
// process's processor time (user and kernel, all its threads: the media
// service's included) is measured over each wait. Runs alternate, ROUNDS
// of each; the medians are compared.
//
//   watcher_bench.exe SONG.mp3 [ROUNDS [INTERVAL]]
//
// INTERVAL is the watcher's Interval in ms (default 250, as a host leaves
// it; a shorter one shows what the ticks themselves cost). Prints one line
// per run and "RATIO watched/alone <x>" (goal: at most 1.05 at 250 ms).
#include <windows.h>
#include <ocidl.h>
#include <ole2.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "com_client.h"
#include "orvalis_h.h"
#include "orvalisevents_h.h"

namespace {

// A sink that counts the events it is given.
class CountingSink final : public IDispatch {
 public:
  int events = 0;
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID___clsVxAudoWatcherA) {
      *object = static_cast<IDispatch*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    ++events;
    return S_OK;
  }
};

// A form's idle loop: sleeps until a message comes, handles it.
void waitWithMessages(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

// One run: the processor seconds of the 10-second wait; `events` gets the
// sink's count when watched.
double run(const std::wstring& song, bool watched, int* events, LONG interval) {
  _clsVxAudoMP3PlayerB* player =
      e2e::create<_clsVxAudoMP3PlayerB>(L"Orvalis.clsVxAudoMP3PlayerB", IID__clsVxAudoMP3PlayerB);
  _clsVxAudoWatcherA* watcher = nullptr;
  IConnectionPoint* point = nullptr;
  CountingSink sink;
  DWORD cookie = 0;
  if (watched) {
    watcher = e2e::create<_clsVxAudoWatcherA>(L"OrvalisEvents.clsVxAudoWatcherA", IID__clsVxAudoWatcherA);
    IConnectionPointContainer* container = nullptr;
    watcher->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    container->FindConnectionPoint(DIID___clsVxAudoWatcherA, &point);
    container->Release();
    point->Advise(&sink, &cookie);
    watcher->put_Interval(interval);
    VARIANT result;
    VariantInit(&result);
    watcher->Watch(player, &result);
  }
  BSTR name = SysAllocString(song.c_str());
  player->put_Filename(name);
  SysFreeString(name);
  player->Play();
  const double start = bench::processSeconds();
  waitWithMessages(10'000);
  const double spent = bench::processSeconds() - start;
  player->StopPlay();
  if (watched) {
    point->Unadvise(cookie);
    point->Release();
    watcher->Release();
    *events = sink.events;
  }
  player->Release();
  return spent;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::printf("usage: watcher_bench SONG.mp3 [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;
  const LONG interval = argc > 3 ? _wtoi(argv[3]) : 250;
  CoInitialize(nullptr);
  std::vector<double> alone, watched;
  for (int i = 0; i < rounds; ++i) {
    alone.push_back(run(argv[1], false, nullptr, interval));
    std::printf("alone    %.3f s of processor time in 10 s\n", alone.back());
    int events = 0;
    watched.push_back(run(argv[1], true, &events, interval));
    std::printf("watched  %.3f s of processor time in 10 s (%d events)\n", watched.back(), events);
    std::fflush(stdout);
  }
  const double ratio = bench::median(watched) / bench::median(alone);
  std::printf("RATIO watched/alone %.3f (medians %.3f s / %.3f s, interval %ld ms, goal <= 1.05 at 250)\n",
              ratio, bench::median(watched), bench::median(alone), static_cast<long>(interval));
  CoUninitialize();
  return 0;
}
