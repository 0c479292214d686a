// Object lifetimes: for every creatable class that the registered type
// library lists, create / call / release cycles in one process, early-bound
// (the class's own interface) and late-bound (IDispatch, the name looked up
// on each new object). The process's private bytes must not grow by more
// than 1 MiB from cycle 1 000 to the last, and DllCanUnloadNow must answer
// S_OK once every object and factory is gone and the thread's apartment has
// ended. Objects released by the host in the middle of their own call (a
// list object that lets go of the player from inside AddItem) must finish
// the call unharmed.
//
//   client_lifetimes.exe [--cycles N]      (default 1 000; the full run 100 000)
//
// A short run (fewer than 2 000 cycles) measures the growth from its half.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

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

// --- The call of each cycle --------------------------------------------------------

// A member per class that does the class's own work, the device services
// left out where the class has such a member (under Wine on an emulated
// processor one MCI command takes about a millisecond): a field, the
// application object, a WAV image, an error text; the CD classes have only
// members that send MCI commands. The same member is called early- and
// late-bound.
struct CycleCall {
  const wchar_t* className;
  const wchar_t* member;  // late-bound, with the arguments below
  WORD flags;
  std::function<HRESULT(IUnknown*)> early;
};

// Arguments that the late-bound calls of one class share for the whole run.
struct LateArguments {
  std::vector<VARIANT> values;  // last argument first, as DISPPARAMS lists them
  ~LateArguments() {
    for (VARIANT& v : values) VariantClear(&v);
  }
};

SAFEARRAY* samples() {
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {4, 0}};  // two channels of four frames
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 2, bounds);
  LONG* data = nullptr;
  SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
  for (int i = 0; i < 8; ++i) data[i] = i * 1000;
  SafeArrayUnaccessData(array);
  return array;
}

std::vector<CycleCall> cycleCalls() {
  return {
      {L"clsVxOrvalisA", L"GetProStdProperties", DISPATCH_PROPERTYGET,
       [](IUnknown* o) {
         IDispatch* application = nullptr;
         const HRESULT hr = static_cast<_clsVxOrvalisA*>(o)->get_GetProStdProperties(&application);
         if (application) application->Release();
         return hr;
       }},
      {L"clsVxAudoWMixerA", L"NumSamples", DISPATCH_PROPERTYGET,
       [](IUnknown* o) {
         LONG value = 0;
         return static_cast<_clsVxAudoWMixerA*>(o)->get_NumSamples(&value);
       }},
      {L"clsVxAudoMP3PlayerA", L"MP3File", DISPATCH_PROPERTYGET,
       [](IUnknown* o) {
         BSTR value = nullptr;
         const HRESULT hr = static_cast<_clsVxAudoMP3PlayerA*>(o)->get_MP3File(&value);
         SysFreeString(value);
         return hr;
       }},
      {L"clsVxAudoMP3PlayerB", L"Filename", DISPATCH_PROPERTYGET,
       [](IUnknown* o) {
         BSTR value = nullptr;
         const HRESULT hr = static_cast<_clsVxAudoMP3PlayerB*>(o)->get_Filename(&value);
         SysFreeString(value);
         return hr;
       }},
      {L"clsVxAudoMCISoundRecA", L"StopRecording", DISPATCH_METHOD,
       [](IUnknown* o) { return static_cast<_clsVxAudoMCISoundRecA*>(o)->StopRecording(); }},
      {L"clsVxAudoWaveFileA", L"CreateWaveArray", DISPATCH_METHOD,
       [](IUnknown* o) {
         static SAFEARRAY* data = samples();
         LONG rate = 8000, bits = 16;
         SAFEARRAY* image = nullptr;
         const HRESULT hr = static_cast<_clsVxAudoWaveFileA*>(o)->CreateWaveArray(&data, &rate, &bits, &image);
         if (image) SafeArrayDestroy(image);
         return hr;
       }},
      {L"clsVxAudoWMixerB", L"CloseMixer", DISPATCH_METHOD,
       [](IUnknown* o) {
         LONG result = 0;
         return static_cast<_clsVxAudoWMixerB*>(o)->CloseMixer(&result);
       }},
      {L"clsVxAudoCDRomA", L"Eject", DISPATCH_METHOD,
       [](IUnknown* o) {
         LONG result = 0;
         return static_cast<_clsVxAudoCDRomA*>(o)->Eject(&result);
       }},
      {L"clsVxAudoCDPlayerA", L"GetNumTracks", DISPATCH_METHOD,
       [](IUnknown* o) {
         SHORT tracks = 0;
         return static_cast<_clsVxAudoCDPlayerA*>(o)->GetNumTracks(&tracks);
       }},
      {L"clsVxAudoCDPlayerB", L"checkError", DISPATCH_METHOD,
       [](IUnknown* o) {
         BSTR value = nullptr;
         const HRESULT hr = static_cast<_clsVxAudoCDPlayerB*>(o)->checkError(&value);
         SysFreeString(value);
         return hr;
       }},
  };
}

// The late-bound arguments of a cycle's member (only CreateWaveArray takes
// any), by reference to variables that live as long as `arguments`.
void lateArguments(const std::wstring& member, LateArguments& arguments, std::vector<VARIANT>& storage) {
  storage.resize(3);
  for (VARIANT& v : storage) VariantInit(&v);
  if (member == L"CreateWaveArray") {
    V_VT(&storage[0]) = VT_ARRAY | VT_I4;
    V_ARRAY(&storage[0]) = samples();
    V_VT(&storage[1]) = VT_I4;
    V_I4(&storage[1]) = 8000;
    V_VT(&storage[2]) = VT_I4;
    V_I4(&storage[2]) = 16;
    arguments.values.resize(3);
    for (int i = 0; i < 3; ++i) {
      VARIANT& reference = arguments.values[2 - i];
      V_VT(&reference) = VT_BYREF | V_VT(&storage[i]);
      V_BYREF(&reference) = &V_I4(&storage[i]);
    }
  }
}

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
    // A VB error is a way back like any other; the object's error path is
    // part of its life.
    const HRESULT hr = one();
    if (FAILED(hr) && HRESULT_FACILITY(hr) != FACILITY_CONTROL && run.failedCalls++ == 0) run.firstFailure = hr;
    if (i == settledCycle(cycles)) run.settled = privateBytes();
  }
  run.microsecondsPerCycle = (seconds() - start) * 1e6 / cycles;
  run.cycles = cycles;
  run.last = privateBytes();
  if (settledCycle(cycles) < 1) run.settled = run.last;
  return run;
}

void classCycles(const ClassInfo& cls, const CycleCall* call, long cycles) {
  IClassFactory* factory = nullptr;
  HRESULT hr = CoGetClassObject(cls.clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) {
    check(narrow(cls.name) + ": class factory", false, hex(hr));
    return;
  }

  // Early-bound: the class's own interface; a class without members gets
  // its IDispatch's GetTypeInfoCount, the one slot it has.
  Run early = cycle(cycles, [&] {
    IUnknown* object = nullptr;
    HRESULT result = factory->CreateInstance(nullptr, cls.iid, reinterpret_cast<void**>(&object));
    if (FAILED(result)) return result;
    if (call) {
      result = call->early(object);
    } else {
      UINT count = 0;
      result = static_cast<IDispatch*>(object)->GetTypeInfoCount(&count);
    }
    object->Release();
    return result;
  });
  report(cls, "early-bound", early);

  // Late-bound: IDispatch, the name looked up on each new object; a class
  // without members gets its type information instead.
  LateArguments arguments;
  std::vector<VARIANT> storage;
  if (call) lateArguments(call->member, arguments, storage);
  Run late = cycle(cycles, [&] {
    IDispatch* object = nullptr;
    HRESULT result = factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object));
    if (FAILED(result)) return result;
    if (call) {
      LPOLESTR names[] = {const_cast<LPOLESTR>(call->member)};
      DISPID id = 0;
      result = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
      if (SUCCEEDED(result)) {
        DISPPARAMS params{arguments.values.data(), nullptr, static_cast<UINT>(arguments.values.size()), 0};
        VARIANT value;
        VariantInit(&value);
        EXCEPINFO exception{};
        result = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, call->flags, &params, &value, &exception, nullptr);
        if (result == DISP_E_EXCEPTION) result = exception.scode;  // the VB error, if it is one
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        VariantClear(&value);
      }
    } else {
      ITypeInfo* info = nullptr;
      result = object->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info);
      if (info) info->Release();
    }
    object->Release();
    return result;
  });
  for (VARIANT& v : storage) VariantClear(&v);
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

std::wstring environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  GetEnvironmentVariableW(name, value, 1024);
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  long cycles = 1000;
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
  auto canUnloadNow = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  check("orvalis.dll exports DllCanUnloadNow", canUnloadNow != nullptr);
  if (!canUnloadNow) return e2e::verdict();

  const std::vector<CycleCall> calls = cycleCalls();
  std::printf("lifetimes: %ld cycles per class and binding\n", cycles);
  for (const ClassInfo& cls : classes) {
    const CycleCall* call = nullptr;
    for (const CycleCall& c : calls)
      if (cls.name == c.className) call = &c;
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
