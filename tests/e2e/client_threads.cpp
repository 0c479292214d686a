// Threads: the classes are apartment-threaded, and a host may run several
// single-threaded apartments. Four threads each create their own object of
// every class that the registered type library lists and call them at the
// same time, early- and late-bound in turn (the call of class_calls.h),
// while they check that what belongs to a thread stays with it: the
// BuddyObjectGlobal slot and the application object of clsVxOrvalisA, and
// the fields of each thread's own objects. The module-wide state the
// threads share is exercised on the way: the type-information cache (every
// thread's first late-bound calls start together), the class factories and
// the count of live objects (objects are made anew every 1 000 rounds), the
// text-to-number reader (TimeOut "0") and the sound service that owns the
// bytes of a playing sound (asynchronous in-memory sounds of this
// program's own WAVE resource, started and stopped from every thread).
//
//   client_threads.exe [--rounds N]   (default 300; the full run 10 000)
//
// ORVALIS_THREAD_ROUNDS, when set, gives N (the runner passes no arguments).
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "class_calls.h"
#include "client_checks.h"
#include "fake_host.h"
#include "orvalis_h.h"
#include "typelib_walk.h"

using e2e::check;
using e2e::ClassInfo;
using e2e::FakeHost;
using e2e::hex;
using e2e::narrow;

namespace {

constexpr int kThreads = 4;
constexpr long kRenewEvery = 1000;
constexpr LONG kSndAsyncMemory = 1 | 4;  // SND_ASYNC | SND_MEMORY

double seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Shared {
  const std::vector<ClassInfo>* classes = nullptr;
  std::vector<e2e::ClassCall> calls;
  long rounds = 0;
  HANDLE start = nullptr;  // set once every thread is ready
};

struct ThreadResult {
  DWORD threadId = 0;
  long calls = 0;
  long failures = 0;
  std::string firstFailure;
  long slotMismatches = 0;      // BuddyObjectGlobal read back another object
  long applicationMismatches = 0;  // the application object named another thread
  long fieldMismatches = 0;     // a player's Filename read back another text
  long sounds = 0;
  ULONG buddyReferencesAfter = 0;  // the slot's object after the apartment ended
  double seconds = 0;
};

struct Apartment {
  Shared* shared;
  ThreadResult result;
};

// One thread's objects, one of each class, each seen through its own
// interface and through IDispatch.
struct Objects {
  std::vector<IUnknown*> early;
  std::vector<IDispatch*> late;
  _clsVxOrvalisA* info = nullptr;
  _clsVxAudoMP3PlayerB* player = nullptr;
  _clsVxAudoWaveFileA* wave = nullptr;

  bool create(const std::vector<ClassInfo>& classes) {
    for (const ClassInfo& cls : classes) {
      IUnknown* object = nullptr;
      IDispatch* dispatch = nullptr;
      if (FAILED(CoCreateInstance(cls.clsid, nullptr, CLSCTX_INPROC_SERVER, cls.iid, reinterpret_cast<void**>(&object))))
        return false;
      object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
      early.push_back(object);
      late.push_back(dispatch);
      if (cls.name == L"clsVxOrvalisA") info = static_cast<_clsVxOrvalisA*>(object);
      if (cls.name == L"clsVxAudoMP3PlayerB") player = static_cast<_clsVxAudoMP3PlayerB*>(object);
      if (cls.name == L"clsVxAudoWaveFileA") wave = static_cast<_clsVxAudoWaveFileA*>(object);
    }
    return info && player && wave;
  }
  void release() {
    for (IUnknown* object : early) object->Release();
    for (IDispatch* dispatch : late)
      if (dispatch) dispatch->Release();
    early.clear();
    late.clear();
    info = nullptr;
    player = nullptr;
    wave = nullptr;
  }
};

// The ThreadID of the thread's application object, read late-bound.
DWORD applicationThread(_clsVxOrvalisA* info) {
  IDispatch* application = nullptr;
  if (FAILED(info->get_GetProStdProperties(&application)) || !application) return 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"ThreadID")};
  DISPID id = 0;
  VARIANT value;
  VariantInit(&value);
  DISPPARAMS none{};
  DWORD thread = 0;
  if (SUCCEEDED(application->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) &&
      SUCCEEDED(application->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr,
                                    nullptr)) &&
      SUCCEEDED(VariantChangeType(&value, &value, 0, VT_I4)))
    thread = static_cast<DWORD>(V_I4(&value));
  VariantClear(&value);
  application->Release();
  return thread;
}

// The player's Filename set to this thread's own text and read back.
bool ownField(_clsVxAudoMP3PlayerB* player, long round) {
  const std::wstring mine = L"thread " + std::to_wstring(GetCurrentThreadId()) + L" round " + std::to_wstring(round);
  BSTR text = SysAllocString(mine.c_str());
  player->put_Filename(text);
  SysFreeString(text);
  BSTR seen = nullptr;
  player->get_Filename(&seen);
  const bool same = seen && mine == seen;
  SysFreeString(seen);
  return same;
}

// TimeOut "0": the text goes through the process's number reader.
HRESULT zeroTimeOut(_clsVxAudoMP3PlayerB* player) {
  VARIANT duration;
  V_VT(&duration) = VT_BSTR;
  V_BSTR(&duration) = SysAllocString(L"0");
  const HRESULT hr = player->TimeOut(&duration);
  VariantClear(&duration);
  return hr;
}

// An asynchronous in-memory sound of this program's own WAVE resource 101.
HRESULT playOwnSound(_clsVxAudoWaveFileA* wave) {
  VARIANT id, type;
  V_VT(&id) = VT_I4;
  V_I4(&id) = 101;
  V_VT(&type) = VT_BSTR;
  V_BSTR(&type) = SysAllocString(L"WAVE");
  auto flags = static_cast<SoundSndAudoConstants>(kSndAsyncMemory);
  const HRESULT hr = wave->PlaySoundFromResourceFile(&id, &type, &flags);
  VariantClear(&type);
  return hr;
}

DWORD WINAPI apartment(void* parameter) {
  auto& self = *static_cast<Apartment*>(parameter);
  Shared& shared = *self.shared;
  ThreadResult& result = self.result;
  result.threadId = GetCurrentThreadId();
  CoInitialize(nullptr);
  auto tally = [&](HRESULT hr, const wchar_t* where) {
    ++result.calls;
    if (e2e::cameBack(hr)) return;
    if (result.failures++ == 0) result.firstFailure = narrow(where) + " " + hex(hr);
  };

  WaitForSingleObject(shared.start, INFINITE);
  const double start = seconds();
  Objects objects;
  if (!objects.create(*shared.classes)) {
    result.firstFailure = "creating the objects";
    ++result.failures;
    CoUninitialize();
    return 1;
  }
  std::vector<const e2e::ClassCall*> calls;
  std::vector<e2e::LateCall*> lateCalls;
  for (const ClassInfo& cls : *shared.classes) {
    calls.push_back(e2e::callFor(shared.calls, cls.name));
    lateCalls.push_back(new e2e::LateCall(calls.back()));
  }
  FakeHost* buddy = FakeHost::create();
  tally(objects.info->putref_BuddyObjectGlobal(buddy), L"putref BuddyObjectGlobal");

  for (long round = 0; round < shared.rounds; ++round) {
    if (round > 0 && round % kRenewEvery == 0) {
      objects.release();
      if (!objects.create(*shared.classes)) {
        ++result.failures;
        break;
      }
    }
    // Late-bound first, so that the threads' first lookups meet in the
    // type-information cache.
    const bool late = round % 2 == 0;
    for (size_t c = 0; c < objects.early.size(); ++c) {
      const wchar_t* name = (*shared.classes)[c].name.c_str();
      tally(late ? (*lateCalls[c])(objects.late[c]) : e2e::earlyCall(calls[c], objects.early[c]), name);
    }
    IDispatch* seen = nullptr;
    tally(objects.info->get_BuddyObjectGlobal(&seen), L"get BuddyObjectGlobal");
    if (seen != buddy) ++result.slotMismatches;
    if (seen) seen->Release();
    if (!ownField(objects.player, round)) ++result.fieldMismatches;
    tally(zeroTimeOut(objects.player), L"TimeOut \"0\"");
    if (round % 100 == 0 && applicationThread(objects.info) != GetCurrentThreadId()) ++result.applicationMismatches;
    if (round % 20 == 0) {
      tally(playOwnSound(objects.wave), L"PlaySoundFromResourceFile");
      ++result.sounds;
    } else if (round % 20 == 10) {
      LONG stopped = 0;
      tally(objects.wave->StopSound(&stopped), L"StopSound");
    }
  }
  LONG stopped = 0;
  objects.wave->StopSound(&stopped);
  objects.release();
  for (e2e::LateCall* call : lateCalls) delete call;
  result.seconds = seconds() - start;
  CoUninitialize();  // ends the thread's library data, and with it the slot
  buddy->AddRef();
  result.buddyReferencesAfter = buddy->Release();
  buddy->Release();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  long rounds = 300;
  if (const char* fromEnvironment = std::getenv("ORVALIS_THREAD_ROUNDS")) rounds = std::atol(fromEnvironment);
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atol(argv[i + 1]);

  CoInitialize(nullptr);
  std::vector<ClassInfo> classes;
  const HRESULT hr = e2e::registeredClasses(LIBID_Orvalis, 1, 0, classes);
  check("the registered type library lists the creatable classes", SUCCEEDED(hr), hex(hr));
  Shared shared;
  shared.classes = &classes;
  shared.calls = e2e::classCalls();
  shared.rounds = rounds;
  shared.start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  for (const ClassInfo& cls : classes)
    if (!e2e::callFor(shared.calls, cls.name) && !cls.members.empty())
      check(narrow(cls.name) + " has a call for the threads", false);

  // Our own reference keeps the module's entry point callable after COM
  // lets go of the module.
  IUnknown* first = nullptr;
  if (!classes.empty() && SUCCEEDED(CoCreateInstance(classes[0].clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                                     reinterpret_cast<void**>(&first))))
    first->Release();
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(L"orvalis.dll"), path, MAX_PATH);
  HMODULE module = LoadLibraryW(path);

  Apartment apartments[kThreads];
  HANDLE threads[kThreads];
  for (int t = 0; t < kThreads; ++t) {
    apartments[t].shared = &shared;
    threads[t] = CreateThread(nullptr, 0, apartment, &apartments[t], 0, nullptr);
  }
  const double start = seconds();
  SetEvent(shared.start);
  WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
  const double elapsed = seconds() - start;

  long calls = 0;
  for (int t = 0; t < kThreads; ++t) {
    CloseHandle(threads[t]);
    const ThreadResult& r = apartments[t].result;
    calls += r.calls;
    const std::string name = "thread " + std::to_string(t + 1);
    std::printf("threads: %s: %ld rounds, %ld calls in %.1f s (%.0f calls per second), %ld sounds\n", name.c_str(),
                rounds, r.calls, r.seconds, r.seconds > 0 ? r.calls / r.seconds : 0.0, r.sounds);
    check(name + ": every call comes back", r.failures == 0,
          std::to_string(r.failures) + " failed, the first: " + r.firstFailure);
    check(name + ": BuddyObjectGlobal is the thread's own object on every read", r.slotMismatches == 0,
          std::to_string(r.slotMismatches) + " reads saw another");
    check(name + ": the application object names the thread", r.applicationMismatches == 0,
          std::to_string(r.applicationMismatches));
    check(name + ": each object keeps the thread's own Filename", r.fieldMismatches == 0,
          std::to_string(r.fieldMismatches));
    check(name + ": the end of its apartment releases the slot's object", r.buddyReferencesAfter == 1,
          std::to_string(r.buddyReferencesAfter) + " references left");
  }
  std::printf("threads: %d threads, %ld calls in %.1f s (%.0f calls per second together)\n", kThreads, calls, elapsed,
              elapsed > 0 ? calls / elapsed : 0.0);
  CloseHandle(shared.start);
  CoUninitialize();
  auto canUnloadNow = e2e::canUnloadNowOf(module);
  const HRESULT unload = canUnloadNow ? canUnloadNow() : E_FAIL;
  check("DllCanUnloadNow is S_OK once every thread has ended", unload == S_OK, hex(unload));
  if (module) FreeLibrary(module);
  return e2e::verdict();
}
