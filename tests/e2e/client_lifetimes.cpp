// Object lifetimes: for every creatable class that the registered type
// library lists, create / call / release cycles in one process, early-bound
// (the class's own interface) and late-bound (IDispatch, the name looked up
// on each new object), the call of class_calls.h. The process's private bytes must not grow by more
// than 1 MiB from cycle 1 000 to the last, and DllCanUnloadNow must answer
// S_OK once every object and factory is gone and the thread's apartment has
// ended. Objects released by the host in the middle of their own call (a
// list object that lets go of the player from inside AddItem) must finish
// the call unharmed.
//
//   client_lifetimes.exe [--cycles N]      (default 1 000; the full run 100 000)
//
// ORVALIS_LIFETIME_CYCLES, when set, gives N (the runner passes no arguments).
//
// A short run (fewer than 2 000 cycles) measures the growth from its half.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "class_calls.h"
#include "client_checks.h"
#include "com_client.h"
#include "fake_host.h"
#include "orvalis_h.h"
#include "typelib_walk.h"

using e2e::check;
using e2e::ClassInfo;
using e2e::FakeHost;
using e2e::hex;
using e2e::narrow;

namespace {

using e2e::environment;

constexpr long kSettledCycle = 1000;  // the growth is measured from here on
constexpr SIZE_T kAllowedGrowth = 1 << 20;

long settledCycle(long cycles) { return std::min(kSettledCycle, cycles / 2); }

// The process's private bytes. Wine 8 leaves PrivateUsage at 0 and counts
// the process's committed private memory as PagefileUsage (which Windows
// reports equal to PrivateUsage), so that stands in for it there.
SIZE_T privateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

double seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

BSTR text(const wchar_t* value) { return SysAllocString(value); }

// --- Cycles -------------------------------------------------------------------------

struct Run {
  long cycles = 0;
  long failedCalls = 0;
  HRESULT firstFailure = S_OK;
  SIZE_T settled = 0;  // private bytes after cycle 1 000
  SIZE_T last = 0;
  double microsecondsPerCycle = 0;
};

void report(const ClassInfo& cls, const char* binding, const Run& run) {
  const long long growth = static_cast<long long>(run.last) - static_cast<long long>(run.settled);
  std::printf("lifetimes: %-22s %-11s %7ld cycles %8.1f us/cycle  private bytes %7llu KiB at cycle %ld, "
              "%7llu KiB at the end (%+lld KiB)\n",
              narrow(cls.name).c_str(), binding, run.cycles, run.microsecondsPerCycle,
              static_cast<unsigned long long>(run.settled / 1024), settledCycle(run.cycles),
              static_cast<unsigned long long>(run.last / 1024), growth / 1024);
  const std::string name = narrow(cls.name) + " " + binding;
  check(name + ": every call of " + std::to_string(run.cycles) + " cycles comes back", run.failedCalls == 0,
        std::to_string(run.failedCalls) + " failed, the first with " + hex(run.firstFailure));
  check(name + ": private bytes grow by at most 1 MiB after cycle " + std::to_string(settledCycle(run.cycles)),
        growth <= static_cast<long long>(kAllowedGrowth),
        std::to_string(growth) + " bytes");
}

template <class Cycle>
Run cycle(long cycles, Cycle&& one) {
  Run run;
  const double start = seconds();
  for (long i = 1; i <= cycles; ++i) {
    const HRESULT hr = one();
    if (!e2e::cameBack(hr) && run.failedCalls++ == 0) run.firstFailure = hr;
    if (i == settledCycle(cycles)) run.settled = privateBytes();
  }
  run.microsecondsPerCycle = (seconds() - start) * 1e6 / cycles;
  run.cycles = cycles;
  run.last = privateBytes();
  if (settledCycle(cycles) < 1) run.settled = run.last;
  return run;
}

void classCycles(const ClassInfo& cls, const e2e::ClassCall* call, long cycles) {
  IClassFactory* factory = nullptr;
  HRESULT hr = CoGetClassObject(cls.clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) {
    check(narrow(cls.name) + ": class factory", false, hex(hr));
    return;
  }
  Run early = cycle(cycles, [&] {
    IUnknown* object = nullptr;
    HRESULT result = factory->CreateInstance(nullptr, cls.iid, reinterpret_cast<void**>(&object));
    if (FAILED(result)) return result;
    result = e2e::earlyCall(call, object);
    object->Release();
    return result;
  });
  report(cls, "early-bound", early);

  e2e::LateCall lateCall(call);
  Run late = cycle(cycles, [&] {
    IDispatch* object = nullptr;
    HRESULT result = factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object));
    if (FAILED(result)) return result;
    result = lateCall(object);
    object->Release();
    return result;
  });
  report(cls, "late-bound", late);
  factory->Release();
}

// --- Released during its own call -----------------------------------------------------

// Calls `member` of a new object whose only reference the host list holds
// and drops from inside its first call back (AddItem, ListCount, hWnd).
// Texts are the playlist in the working folder, objects and Variants the
// list.
void releasedDuringItsCall(const ClassInfo& cls, const e2e::MemberInfo& member) {
  IDispatch* object = nullptr;
  if (FAILED(CoCreateInstance(cls.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&object))))
    return;
  FakeHost* host = FakeHost::create();
  bool released = false;
  host->onFirstCall([&] {
    object->Release();
    released = true;
  });
  const size_t count = member.params.size();
  std::vector<VARIANT> variables(count), passed(count);
  for (size_t i = 0; i < count; ++i) {
    const e2e::ParamInfo& param = member.params[i];
    VARIANT& v = variables[i];
    VariantInit(&v);
    if (param.type == VT_BSTR) {
      V_VT(&v) = VT_BSTR;
      V_BSTR(&v) = text(L"lifetimes.m3u");
    } else {
      V_VT(&v) = VT_DISPATCH;
      V_DISPATCH(&v) = host;
      host->AddRef();
    }
    VARIANT& p = passed[count - 1 - i];  // DISPPARAMS lists the last argument first
    VariantInit(&p);
    if (param.type == VT_VARIANT) {
      V_VT(&p) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&p) = &v;
    } else if (param.byReference) {
      V_VT(&p) = VT_BYREF | V_VT(&v);
      V_BYREF(&p) = &V_I4(&v);
    } else {
      p = v;  // the variable still owns the value
    }
  }
  DISPPARAMS params{passed.data(), nullptr, static_cast<UINT>(count), 0};
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = object->Invoke(member.id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                                    nullptr, nullptr);
  VariantClear(&result);
  for (VARIANT& v : variables) VariantClear(&v);
  const bool called = host->calls() > 0;
  if (!released) object->Release();
  host->Release();
  check(narrow(cls.name) + "." + narrow(member.name) + " returns after the host released the object from inside it",
        hr == S_OK && called, hex(hr) + (called ? "" : ", the host was never called"));
}

// The same early-bound: player B's OpenPlaylist and player A's
// MP3OpenPlayList, released from inside AddItem.
void releasedDuringItsEarlyBoundCall() {
  struct Case {
    const char* name;
    const CLSID& clsid;
    const IID& iid;
    std::function<HRESULT(IUnknown*, BSTR*, IDispatch**)> open;
  };
  const Case cases[] = {
      {"clsVxAudoMP3PlayerB.OpenPlaylist", CLSID_clsVxAudoMP3PlayerB, IID__clsVxAudoMP3PlayerB,
       [](IUnknown* o, BSTR* file, IDispatch** list) {
         return static_cast<_clsVxAudoMP3PlayerB*>(o)->OpenPlaylist(file, list);
       }},
      {"clsVxAudoMP3PlayerA.MP3OpenPlayList", CLSID_clsVxAudoMP3PlayerA, IID__clsVxAudoMP3PlayerA,
       [](IUnknown* o, BSTR* file, IDispatch** list) {
         VARIANT listBox, result;
         V_VT(&listBox) = VT_DISPATCH;
         V_DISPATCH(&listBox) = *list;
         VariantInit(&result);
         const HRESULT hr = static_cast<_clsVxAudoMP3PlayerA*>(o)->MP3OpenPlayList(file, &listBox, &result);
         VariantClear(&result);
         return hr;
       }},
  };
  for (const Case& c : cases) {
    IUnknown* object = nullptr;
    if (FAILED(CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, c.iid, reinterpret_cast<void**>(&object))))
      continue;
    FakeHost* host = FakeHost::create();
    bool released = false;
    host->onFirstCall([&] {
      object->Release();
      released = true;
    });
    BSTR file = text(L"lifetimes.m3u");
    IDispatch* list = host;
    const HRESULT hr = c.open(object, &file, &list);
    SysFreeString(file);
    if (!released) object->Release();
    const bool called = host->calls() > 0;
    host->Release();
    check(std::string(c.name) + " early-bound returns after the host released the object from inside it",
          hr == S_OK && called && released, hex(hr));
  }
}

}  // namespace

int main(int argc, char** argv) {
  long cycles = 1000;
  if (const char* fromEnvironment = std::getenv("ORVALIS_LIFETIME_CYCLES")) cycles = std::atol(fromEnvironment);
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--cycles") == 0) cycles = std::atol(argv[i + 1]);

  // The playlist the list calls read, in a scratch working folder.
  std::wstring folder = environment(L"ORVALIS_E2E_TMP");
  if (!folder.empty()) {
    folder += L"\\lifetimes";
    CreateDirectoryW(folder.c_str(), nullptr);
    SetCurrentDirectoryW(folder.c_str());
  }
  HANDLE file = CreateFileW(L"lifetimes.m3u", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, "a.mp3\r\nb.mp3\r\n", 14, &written, nullptr);
  CloseHandle(file);

  CoInitialize(nullptr);
  std::vector<ClassInfo> classes;
  const HRESULT hr = e2e::registeredClasses(LIBID_Orvalis, 1, 0, classes);
  check("the registered type library lists the creatable classes", SUCCEEDED(hr), hex(hr));
  // Our own reference keeps the module loaded (and its entry point
  // callable) after COM lets go of it.
  wchar_t path[MAX_PATH] = {};
  {
    IUnknown* first = nullptr;
    if (!classes.empty() && SUCCEEDED(CoCreateInstance(classes[0].clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                                       reinterpret_cast<void**>(&first))))
      first->Release();
    GetModuleFileNameW(GetModuleHandleW(L"orvalis.dll"), path, MAX_PATH);
  }
  HMODULE module = LoadLibraryW(path);
  auto canUnloadNow = e2e::canUnloadNowOf(module);
  check("orvalis.dll exports DllCanUnloadNow", canUnloadNow != nullptr);
  if (!canUnloadNow) return e2e::verdict();

  const std::vector<e2e::ClassCall> calls = e2e::classCalls();
  std::printf("lifetimes: %ld cycles per class and binding\n", cycles);
  for (const ClassInfo& cls : classes) {
    const e2e::ClassCall* call = e2e::callFor(calls, cls.name);
    if (!call && !cls.members.empty()) {
      check(narrow(cls.name) + " has a call for its lifetime cycles", false);
      continue;
    }
    classCycles(cls, call, cycles);
  }

  for (const ClassInfo& cls : classes)
    for (const e2e::MemberInfo& member : cls.members)
      for (const wchar_t* name : {L"OpenPlaylist", L"SavePlaylist", L"ListNoChar", L"ListSingleNoChar", L"FormMove",
                                  L"MP3OpenPlayList", L"MP3SavePlayList"})
        if (member.name == name) releasedDuringItsCall(cls, member);
  releasedDuringItsEarlyBoundCall();

  // The thread's application object (GetProStdProperties) keeps the module
  // loaded until the apartment ends.
  check("DllCanUnloadNow is S_FALSE while the thread's library data lives", canUnloadNow() == S_FALSE);
  CoUninitialize();
  const HRESULT unload = canUnloadNow();
  check("DllCanUnloadNow is S_OK once every object, factory and the apartment are gone", unload == S_OK, hex(unload));
  FreeLibrary(module);
  return e2e::verdict();
}
