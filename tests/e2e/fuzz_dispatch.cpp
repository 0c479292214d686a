// Late-bound fuzzing of every member of every creatable class that the
// registered type library lists: each member (method, property get, let and
// set) is called through IDispatch::Invoke with each of its arguments in
// turn set to each value of a table of hostile values (Empty, Null, the
// extremes of each number type, NaN and the infinities, huge and foreign
// texts, objects that are no list, arrays with odd bounds, ...), passed by
// value, as a reference to a variable of the value's own type and as a
// reference to a Variant, the other arguments at sane values. Every call
// must come back with S_OK, a DISP_E_* code, or DISP_E_EXCEPTION carrying a
// VB error number and a description.
//
//   fuzz_dispatch.exe [--full] [--class NAME] [--member NAME] [--verbose]
//
// Then each by-reference parameter of every member gets a null pointer in
// an early-bound call through the vtable, which must answer E_POINTER.
//
// Without --full it runs the short pass of the test command: the values
// marked for it, by value and by typed reference. A crash (an unhandled
// exception or an abort of the C++ runtime) or a call that does not return
// within a time limit ends the run with a FAIL line naming the call, the
// table so far and the verdict. Run it without a display: message boxes
// then return at once.
//
// Members that wait get only short durations (TimeOut), and a recording is
// stopped by a timer that calls StopRecording. Files are written only in a
// scratch folder (the working directory, ORVALIS_E2E_TMP\fuzz), and the
// registry keys of a file-type association go to a scratch key that stands
// in for HKEY_CLASSES_ROOT in this process.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "client_checks.h"
#include "com_client.h"
#include "fake_host.h"
#include "orvalis_h.h"
#include "typelib_walk.h"

using e2e::check;
using e2e::ClassInfo;
using e2e::FakeHost;
using e2e::MemberInfo;
using e2e::narrow;
using e2e::ParamInfo;

namespace {

using e2e::environment;

// --- Tallies ----------------------------------------------------------------------

struct Tally {
  long members = 0;
  long calls = 0;
  long ok = 0;
  long vbErrors = 0;
  long dispatchErrors = 0;
  long skipped = 0;  // values a waiting member does not get
  long bad = 0;
};

std::vector<std::pair<std::wstring, Tally>> gTallies;
std::map<long, long> gVbNumbers;
std::map<HRESULT, long> gDispatchCodes;
long gCrashes = 0;
long gStuck = 0;
std::chrono::steady_clock::time_point gStart;
CRITICAL_SECTION gOutput;

const char* dispatchCodeName(HRESULT hr) {
  switch (hr) {
    case DISP_E_UNKNOWNINTERFACE: return "UNKNOWNINTERFACE";
    case DISP_E_MEMBERNOTFOUND: return "MEMBERNOTFOUND";
    case DISP_E_PARAMNOTFOUND: return "PARAMNOTFOUND";
    case DISP_E_TYPEMISMATCH: return "TYPEMISMATCH";
    case DISP_E_UNKNOWNNAME: return "UNKNOWNNAME";
    case DISP_E_NONAMEDARGS: return "NONAMEDARGS";
    case DISP_E_BADVARTYPE: return "BADVARTYPE";
    case DISP_E_OVERFLOW: return "OVERFLOW";
    case DISP_E_BADINDEX: return "BADINDEX";
    case DISP_E_ARRAYISLOCKED: return "ARRAYISLOCKED";
    case DISP_E_BADPARAMCOUNT: return "BADPARAMCOUNT";
    case DISP_E_PARAMNOTOPTIONAL: return "PARAMNOTOPTIONAL";
    case DISP_E_BADCALLEE: return "BADCALLEE";
    case DISP_E_NOTACOLLECTION: return "NOTACOLLECTION";
    default: return "other";
  }
}

void printTable() {
  std::printf("fuzz: %-24s %7s %7s %7s %8s %7s %7s %4s\n", "class", "members", "calls", "ok", "VB error",
              "DISP_E", "skipped", "bad");
  Tally total;
  for (const auto& [name, t] : gTallies) {
    std::printf("fuzz: %-24s %7ld %7ld %7ld %8ld %7ld %7ld %4ld\n", narrow(name).c_str(), t.members, t.calls,
                t.ok, t.vbErrors, t.dispatchErrors, t.skipped, t.bad);
    total.members += t.members;
    total.calls += t.calls;
    total.ok += t.ok;
    total.vbErrors += t.vbErrors;
    total.dispatchErrors += t.dispatchErrors;
    total.skipped += t.skipped;
    total.bad += t.bad;
  }
  std::printf("fuzz: %-24s %7ld %7ld %7ld %8ld %7ld %7ld %4ld\n", "total", total.members, total.calls, total.ok,
              total.vbErrors, total.dispatchErrors, total.skipped, total.bad);
  std::string numbers;
  for (const auto& [number, times] : gVbNumbers) numbers += " " + std::to_string(number) + " x" + std::to_string(times);
  std::printf("fuzz: VB error numbers:%s\n", numbers.c_str());
  std::string codes;
  for (const auto& [code, times] : gDispatchCodes)
    codes += std::string(" ") + dispatchCodeName(code) + " x" + std::to_string(times);
  std::printf("fuzz: DISP_E codes:%s\n", codes.c_str());
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - gStart).count();
  std::printf("fuzz: %ld crashes, %ld stuck calls; %ld calls in %.1f s (%.0f calls per second)\n", gCrashes, gStuck,
              total.calls, seconds, seconds > 0 ? total.calls / seconds : 0.0);
  std::fflush(stdout);
}

// --- Crashes and stuck calls ---------------------------------------------------------

char gCall[2048] = "setting up";
volatile LONGLONG gCallStarted = 0;  // GetTickCount64() while a call runs, else 0
constexpr LONGLONG kStuckAfterMs = 45000;

[[noreturn]] void abortRun(const char* what) {
  EnterCriticalSection(&gOutput);
  check(std::string(what) + " during " + gCall, false);
  printTable();
  e2e::verdict();
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 3);
  for (;;) Sleep(INFINITE);
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* info) {
  char what[160];
  std::snprintf(what, sizeof what, "crash: exception 0x%08lX at %p",
                static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                info->ExceptionRecord->ExceptionAddress);
  ++gCrashes;
  abortRun(what);
}

void onAbort(int) {
  ++gCrashes;
  abortRun("crash: the C++ runtime aborted");
}

DWORD WINAPI watchdog(void*) {
  for (;;) {
    Sleep(250);
    const LONGLONG started = InterlockedCompareExchange64(&gCallStarted, 0, 0);
    if (started && static_cast<LONGLONG>(GetTickCount64()) - started > kStuckAfterMs) {
      ++gStuck;
      abortRun("stuck: no return within 45 s");
    }
  }
}

// --- The values -----------------------------------------------------------------

IDispatch* gDictionary = nullptr;
IRecordInfo* gRecord = nullptr;  // the type library's MIXERCONTROL

BSTR text(const std::wstring& value) { return SysAllocStringLen(value.data(), static_cast<UINT>(value.size())); }

void makeText(VARIANT* v, const std::wstring& value) {
  V_VT(v) = VT_BSTR;
  V_BSTR(v) = text(value);
}

// A new array of `type` with these bounds (first dimension first), its
// elements numbered.
SAFEARRAY* newArray(VARTYPE type, std::vector<SAFEARRAYBOUND> bounds) {
  SAFEARRAY* array = SafeArrayCreate(type, static_cast<UINT>(bounds.size()), bounds.data());
  if (!array) return nullptr;
  LONG elements = 1;
  for (const auto& b : bounds) elements *= static_cast<LONG>(b.cElements);
  void* data = nullptr;
  if (elements > 0 && SUCCEEDED(SafeArrayAccessData(array, &data))) {
    for (LONG i = 0; i < elements; ++i) {
      if (type == VT_I4) static_cast<LONG*>(data)[i] = i * 1000 - 2000;
      if (type == VT_UI1) static_cast<BYTE*>(data)[i] = static_cast<BYTE>(i * 37);
      if (type == VT_VARIANT) {
        VARIANT& element = static_cast<VARIANT*>(data)[i];
        switch (i % 5) {
          case 0: V_VT(&element) = VT_NULL; break;
          case 1: makeText(&element, L"x"); break;
          case 2: V_VT(&element) = VT_R8; V_R8(&element) = 3.5; break;
          case 3: V_VT(&element) = VT_DISPATCH; V_DISPATCH(&element) = gDictionary; gDictionary->AddRef(); break;
          default: break;  // Empty
        }
      }
    }
    SafeArrayUnaccessData(array);
  }
  return array;
}

void makeArray(VARIANT* v, VARTYPE type, std::vector<SAFEARRAYBOUND> bounds) {
  V_VT(v) = VT_ARRAY | type;
  V_ARRAY(v) = newArray(type, std::move(bounds));
}

void makeRecord(VARIANT* v, IRecordInfo* record);

struct FuzzValue {
  const char* name;
  bool shortPass;
  std::function<void(VARIANT*)> make;  // into a VARIANT already initialised
  // A value no member can look into (an array, an object without
  // IDispatch, a record) that a Variant parameter must still take.
  bool opaque = false;
  bool variantsOnly = false;  // given to Variant parameters only
};

std::vector<FuzzValue> fuzzValues() {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  auto number = [](VARTYPE type, double value) {
    return [type, value](VARIANT* v) {
      V_VT(v) = VT_R8;
      V_R8(v) = value;
      if (type != VT_R8) VariantChangeType(v, v, 0, type);
    };
  };
  return {
      {"Empty", true, [](VARIANT*) {}},
      {"Null", true, [](VARIANT* v) { V_VT(v) = VT_NULL; }},
      {"Missing", false, [](VARIANT* v) { V_VT(v) = VT_ERROR; V_ERROR(v) = DISP_E_PARAMNOTFOUND; }},
      {"Integer -32768", false, number(VT_I2, -32768)},
      {"Integer 32767", true, number(VT_I2, 32767)},
      {"Long -2147483648", true, number(VT_I4, -2147483648.0)},
      {"Long 2147483647", false, number(VT_I4, 2147483647.0)},
      {"Double NaN", true, number(VT_R8, nan)},
      {"Double +Infinity", false, number(VT_R8, infinity)},
      {"Double -Infinity", false, number(VT_R8, -infinity)},
      {"Double -0", false, number(VT_R8, -0.0)},
      {"Double 1E300", true, number(VT_R8, 1e300)},
      {"Currency 922337203685477.5807", false,
       [](VARIANT* v) { V_VT(v) = VT_CY; V_CY(v).int64 = std::numeric_limits<LONGLONG>::max(); }},
      {"Currency -922337203685477.5808", false,
       [](VARIANT* v) { V_VT(v) = VT_CY; V_CY(v).int64 = std::numeric_limits<LONGLONG>::min(); }},
      {"Date 9999-12-31 23:59:59", true, [](VARIANT* v) { V_VT(v) = VT_DATE; V_DATE(v) = 2958465.99998843; }},
      {"Date 0100-01-01", false, [](VARIANT* v) { V_VT(v) = VT_DATE; V_DATE(v) = -657434.0; }},
      {"Boolean True", false, [](VARIANT* v) { V_VT(v) = VT_BOOL; V_BOOL(v) = VARIANT_TRUE; }},
      {"Byte 255", false, [](VARIANT* v) { V_VT(v) = VT_UI1; V_UI1(v) = 255; }},
      {"Text empty", true, [](VARIANT* v) { makeText(v, L""); }},
      {"Text null BSTR", false, [](VARIANT* v) { V_VT(v) = VT_BSTR; V_BSTR(v) = nullptr; }},
      {"Text of 100000 digits", true, [](VARIANT* v) { makeText(v, std::wstring(100000, L'9')); }},
      {"Text of 100000 letters", false, [](VARIANT* v) { makeText(v, std::wstring(100000, L'x')); }},
      {"Text outside the ANSI code page", true,
       [](VARIANT* v) { makeText(v, L"\x4E2D\x6587 \x0416\x0436 \xD83D\xDE00 \xD800 \x20AC"); }},
      {"Object Nothing", true, [](VARIANT* v) { V_VT(v) = VT_DISPATCH; V_DISPATCH(v) = nullptr; }},
      {"Object Scripting.Dictionary", true,
       [](VARIANT* v) { V_VT(v) = VT_DISPATCH; V_DISPATCH(v) = gDictionary; gDictionary->AddRef(); }},
      {"Object without IDispatch", true, [](VARIANT* v) { V_VT(v) = VT_UNKNOWN; V_UNKNOWN(v) = e2e::PlainObject::create(); },
       true, true},
      {"Record MIXERCONTROL", true, [](VARIANT* v) { if (gRecord) makeRecord(v, gRecord); }, true},
      {"Array Long(3 To 6)", false, [](VARIANT* v) { makeArray(v, VT_I4, {{4, 3}}); }, true},
      {"Array Long(1 To 2, -1 To 1)", true, [](VARIANT* v) { makeArray(v, VT_I4, {{2, 1}, {3, -1}}); }, true},
      {"Array Byte(-2 To 41)", false, [](VARIANT* v) { makeArray(v, VT_UI1, {{44, -2}}); }, true},
      {"Array Variant(-2 To 2)", false, [](VARIANT* v) { makeArray(v, VT_VARIANT, {{5, -2}}); }, true},
      {"Array Long(0 To -1), empty", true, [](VARIANT* v) { makeArray(v, VT_I4, {{0, 0}}); }, true},
      {"Array Long() never allocated", false, [](VARIANT* v) { V_VT(v) = VT_ARRAY | VT_I4; V_ARRAY(v) = nullptr; }, true},
  };
}

enum class Form { Value, TypedReference, VariantReference };

const char* formName(Form form) {
  switch (form) {
    case Form::Value: return "by value";
    case Form::TypedReference: return "by reference";
    default: return "by Variant reference";
  }
}

// Whether a wait of this many seconds would be long: what a waiting member
// must not get.
bool wouldWaitLong(const VARIANT& value) {
  VARIANT seconds;
  VariantInit(&seconds);
  if (FAILED(VariantChangeType(&seconds, const_cast<VARIANT*>(&value), 0, VT_R8))) return false;
  return V_R8(&seconds) > 1.0;  // NaN compares false: it ends the wait at once
}

// --- Sane values ----------------------------------------------------------------------

// Arguments that make a member do its real work harmlessly: files in the
// scratch folder, a host list, short durations, the library's own resources.
struct SaneValue {
  const wchar_t* member;
  const wchar_t* param;
  std::function<void(VARIANT*)> make;
};

auto saneText(const wchar_t* value) {
  return [value](VARIANT* v) { makeText(v, value); };
}
auto saneLong(LONG value) {
  return [value](VARIANT* v) { V_VT(v) = VT_I4; V_I4(v) = value; };
}
void makeHost(VARIANT* v) {
  V_VT(v) = VT_DISPATCH;
  V_DISPATCH(v) = FakeHost::create();
}

std::vector<SaneValue> saneValues() {
  return {
      {L"MyAppDefault", L"sAppName", saneText(L"OrvalisFuzz.Player")},
      {L"MyAppDefault", L"sEXE", saneText(L"fuzz.exe \"%1\"")},
      {L"MyAppDefault", L"sExt", saneText(L".orvalisfuzz")},
      {L"TimeOut", L"duration", [](VARIANT* v) { V_VT(v) = VT_R8; V_R8(v) = 0.01; }},
      {L"OpenPlaylist", L"TheList", saneText(L"fuzz.m3u")},
      {L"MP3OpenPlayList", L"TheFile", saneText(L"fuzz.m3u")},
      {L"SavePlaylist", L"TheList", saneText(L"saved.m3u")},
      {L"MP3SavePlayList", L"TheFile", saneText(L"saved.m3u")},
      {L"MP3OpenPlayList", L"TheListBox", makeHost},
      {L"MP3SavePlayList", L"TheListBox", makeHost},
      {L"ListSingleNoChar", L"List1", makeHost},
      {L"ListSingleNoChar", L"List2", makeHost},
      {L"RecordSound", L"sFileName", saneText(L"recording.wav")},
      {L"RecordSound", L"sBitsPerSample", saneText(L"16")},
      {L"RecordSound", L"sSamplesPerSec", saneText(L"11025")},
      {L"RecordSound", L"vDuration", [](VARIANT* v) { V_VT(v) = VT_R8; V_R8(v) = 0.05; }},
      {L"CreateWaveArray", L"SampleRate", saneLong(8000)},
      {L"CreateWaveArray", L"BitsPerSample", saneLong(16)},
      {L"WriteWave", L"Path", saneText(L"written.wav")},
      {L"PlaySound", L"lSndConstValue", saneLong(3)},  // SND_ASYNC | SND_NODEFAULT
      {L"PlaySoundFromResourceFile", L"ResNameID", saneLong(101)},
      {L"PlaySoundFromResourceFile", L"ResType", saneText(L"WAVE")},
      {L"PlaySoundFromResourceFile", L"lSndConstValue", saneLong(3)},
      {L"GetProResData", L"lResId", saneLong(1)},
      {L"GetProResData", L"vRestype", saneText(L"TYPELIB")},
      {L"OpenMixer", L"MixerNumber", saneLong(0)},
      {L"checkCDDrive", L"drive", saneText(L"D:\\")},
      {L"startCD", L"cdDrive", saneText(L"D:\\")},
      {L"CDRomsCollection", L"vCDRomDetect", [](VARIANT*) {}},
  };
}

// A record argument: a zeroed record of the type's size that lives as long
// as the process (clearing it releases nothing; it holds no text).
void makeRecord(VARIANT* v, IRecordInfo* record) {
  static BYTE storage[1024];
  std::memset(storage, 0, sizeof storage);
  V_VT(v) = VT_RECORD;
  V_RECORDINFO(v) = record;
  V_RECORD(v) = storage;
  if (record) record->AddRef();
}

void makeSane(const MemberInfo& member, const ParamInfo& param, VARIANT* v) {
  static const std::vector<SaneValue> table = saneValues();
  for (const SaneValue& sane : table) {
    if (_wcsicmp(sane.member, member.name.c_str()) == 0 && _wcsicmp(sane.param, param.name.c_str()) == 0) {
      sane.make(v);
      return;
    }
  }
  switch (param.type) {
    case VT_I2: V_VT(v) = VT_I2; V_I2(v) = 1; return;
    case VT_I4: V_VT(v) = VT_I4; V_I4(v) = param.enumeration ? param.firstEnumValue : 1; return;
    case VT_BOOL: V_VT(v) = VT_BOOL; V_BOOL(v) = VARIANT_FALSE; return;
    case VT_BSTR: makeText(v, L"fuzz"); return;
    case VT_DISPATCH: makeHost(v); return;
    case VT_RECORD: makeRecord(v, param.record); return;
    case VT_ARRAY | VT_I4: makeArray(v, VT_I4, {{2, 0}, {4, 0}}); return;  // two channels of four frames
    case VT_ARRAY | VT_UI1: makeArray(v, VT_UI1, {{44, 0}}); return;
    case VT_VARIANT: V_VT(v) = VT_I4; V_I4(v) = 1; return;
    default:
      if (param.type & VT_ARRAY) makeArray(v, param.type & VT_TYPEMASK, {{1, 0}});
      else V_VT(v) = VT_EMPTY;
      return;
  }
}

// --- One call ---------------------------------------------------------------------

// The arguments of one call as the caller holds them: its variables, and
// the VARIANTs that go into DISPPARAMS (the values themselves, or
// references to the variables).
class Arguments {
 public:
  explicit Arguments(size_t count) : variables_(count), passed_(count) {
    for (size_t i = 0; i < count; ++i) {
      VariantInit(&variables_[i]);
      VariantInit(&passed_[i]);
    }
  }
  ~Arguments() {
    for (VARIANT& v : variables_) VariantClear(&v);
  }
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;

  VARIANT* variable(size_t i) { return &variables_[i]; }
  size_t count() const { return variables_.size(); }

  void pass(size_t i, Form form) {
    VARIANT& variable = variables_[i];
    VARIANT& passed = passed_[i];
    VariantInit(&passed);
    const VARTYPE type = V_VT(&variable);
    if (form == Form::Value || type == VT_RECORD) {
      passed = variable;  // the variable still owns the value
    } else if (form == Form::VariantReference || type == VT_EMPTY || type == VT_NULL) {
      V_VT(&passed) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&passed) = &variable;
    } else {
      V_VT(&passed) = VT_BYREF | type;
      V_BYREF(&passed) = &V_I4(&variable);  // the value's storage inside the variable
    }
  }

  // `named`: the id that names the last argument (DISPID_PROPERTYPUT for
  // a property's value), if any.
  DISPPARAMS params(std::optional<DISPID> named) {
    // DISPPARAMS lists the arguments from last to first.
    reversed_.assign(passed_.rbegin(), passed_.rend());
    before_ = reversed_;
    DISPPARAMS params{};
    params.cArgs = static_cast<UINT>(reversed_.size());
    params.rgvarg = reversed_.empty() ? nullptr : reversed_.data();
    if (named && params.cArgs > 0) {
      namedId_ = *named;
      params.cNamedArgs = 1;
      params.rgdispidNamedArgs = &namedId_;
    }
    return params;
  }

  // Whether the call left DISPPARAMS as it was given (a callee may write
  // only through references).
  bool untouched() const { return std::memcmp(before_.data(), reversed_.data(), before_.size() * sizeof(VARIANT)) == 0; }

  // Clears the caller's variables; false when one holds no valid value.
  bool clear() {
    bool valid = true;
    for (VARIANT& v : variables_) {
      if (FAILED(VariantClear(&v))) valid = false;
      VariantInit(&v);
    }
    return valid;
  }

 private:
  std::vector<VARIANT> variables_;
  std::vector<VARIANT> passed_;
  std::vector<VARIANT> reversed_;
  std::vector<VARIANT> before_;
  DISPID namedId_ = DISPID_PROPERTYPUT;
};

WORD dispatchFlags(INVOKEKIND kind) {
  switch (kind) {
    case INVOKE_PROPERTYGET: return DISPATCH_PROPERTYGET;
    case INVOKE_PROPERTYPUT: return DISPATCH_PROPERTYPUT;
    case INVOKE_PROPERTYPUTREF: return DISPATCH_PROPERTYPUTREF;
    default: return DISPATCH_METHOD;
  }
}

// --- Guards around calls that wait or touch the machine ---------------------------------

// The registry keys of a file-type association go to a scratch key: the
// process's copy of the library's import of RegCreateKeyA is replaced by one
// that puts the keys of HKEY_CLASSES_ROOT under HKCU\Software\OrvalisFuzz.
// (Wine does not honour RegOverridePredefKey for HKEY_CLASSES_ROOT.)
constexpr const wchar_t* kScratchKey = L"Software\\OrvalisFuzz";
HKEY gScratchClasses = nullptr;

LONG WINAPI scratchRegCreateKeyA(HKEY root, LPCSTR path, PHKEY key) {
  return RegCreateKeyA(root == HKEY_CLASSES_ROOT ? gScratchClasses : root, path, key);
}

bool redirectClassesRoot(HMODULE module) {
  if (!module || RegCreateKeyExW(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 &gScratchClasses, nullptr) != ERROR_SUCCESS)
    return false;
  auto* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       imports.VirtualAddress && library->Name; ++library) {
    if (_stricmp(reinterpret_cast<const char*>(base + library->Name), "advapi32.dll") != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
    auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++addresses) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "RegCreateKeyA") != 0) continue;
      DWORD protection = 0;
      if (!VirtualProtect(&addresses->u1.Function, sizeof addresses->u1.Function, PAGE_READWRITE, &protection))
        return false;
      addresses->u1.Function = reinterpret_cast<ULONG_PTR>(&scratchRegCreateKeyA);
      VirtualProtect(&addresses->u1.Function, sizeof addresses->u1.Function, protection, &protection);
      return true;
    }
  }
  return false;
}

// Calls the object's StopRecording every 100 ms while the guard lives; the
// recording's wait processes the thread's messages, so the timer runs in it.
IDispatch* gStopTarget = nullptr;
DISPID gStopId = 0;

void CALLBACK stopRecording(HWND, UINT, UINT_PTR, DWORD) {
  if (!gStopTarget) return;
  DISPPARAMS none{};
  gStopTarget->Invoke(gStopId, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
}

class RecordingStopper {
 public:
  RecordingStopper(IDispatch* object, const MemberInfo* stop) {
    if (!stop) return;
    gStopTarget = object;
    gStopId = stop->id;
    timer_ = SetTimer(nullptr, 0, 100, stopRecording);
  }
  ~RecordingStopper() {
    if (timer_) KillTimer(nullptr, timer_);
    gStopTarget = nullptr;
  }

 private:
  UINT_PTR timer_ = 0;
};

// --- The fuzzer -------------------------------------------------------------------------

struct Options {
  bool full = false;
  bool verbose = false;  // each call on its own line before it is made
  std::wstring onlyClass;
  std::wstring onlyMember;
};

class Fuzzer {
 public:
  Fuzzer(const Options& options) : options_(options), values_(fuzzValues()) {}

  void fuzzClass(const ClassInfo& cls, Tally& tally) {
    tally.members = static_cast<long>(cls.members.size());
    classProbes(cls, tally);
    for (const MemberInfo& member : cls.members) {
      if (!options_.onlyMember.empty() && _wcsicmp(options_.onlyMember.c_str(), member.name.c_str()) != 0) continue;
      IDispatch* object = create(cls);
      if (!object) {
        ++tally.bad;
        return;
      }
      fuzzMember(object, cls, member, tally);
      object->Release();
    }
  }

 private:
  IDispatch* create(const ClassInfo& cls) {
    IDispatch* object = nullptr;
    const HRESULT hr = CoCreateInstance(cls.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(&object));
    if (FAILED(hr)) check(narrow(cls.name) + " can be created", false, e2e::hex(hr));
    return SUCCEEDED(hr) ? object : nullptr;
  }

  // Calls the whole object has: names and ids it does not know.
  void classProbes(const ClassInfo& cls, Tally& tally) {
    IDispatch* object = create(cls);
    if (!object) return;
    DISPID id = 0;
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"NoSuchMemberAnywhere")};
    if (object->GetIDsOfNames(IID_NULL, unknown, 1, 0, &id) != DISP_E_UNKNOWNNAME) {
      ++tally.bad;
      check(narrow(cls.name) + ": GetIDsOfNames of an unknown name fails with DISP_E_UNKNOWNNAME", false);
    }
    for (DISPID missing : {DISPID(0), DISPID(-1), DISPID(0x60030000), DISPID(0x7FFFFFFF)}) {
      Arguments none(0);
      invoke(object, cls, missing, L"(no such member)", DISPATCH_METHOD, none, false, tally, "");
    }
    object->Release();
  }

  void fuzzMember(IDispatch* object, const ClassInfo& cls, const MemberInfo& member, Tally& tally) {
    const size_t count = member.params.size();
    call(object, cls, member, std::nullopt, Form::Value, tally);  // every argument sane
    for (size_t p = 0; p < count; ++p) {
      for (const FuzzValue& value : values_) {
        if (!options_.full && !value.shortPass) continue;
        if (value.variantsOnly && member.params[p].type != VT_VARIANT) continue;
        for (Form form : {Form::Value, Form::TypedReference, Form::VariantReference}) {
          if (!options_.full && form == Form::VariantReference) continue;
          call(object, cls, member, std::make_pair(p, &value), form, tally);
        }
      }
    }
    // Wrong shapes of call: a named argument, no argument, one too many,
    // and the member invoked as what it is not.
    const WORD flags = dispatchFlags(member.kind);
    const bool put = member.kind == INVOKE_PROPERTYPUT || member.kind == INVOKE_PROPERTYPUTREF;
    {
      Arguments none(0);
      invoke(object, cls, member.id, member.name, flags, none, put, tally, "no argument");
    }
    auto saneArguments = [&](Arguments& arguments) {
      for (size_t p = 0; p < count; ++p) {
        makeSane(member, member.params[p], arguments.variable(p));
        arguments.pass(p, member.params[p].byReference ? Form::TypedReference : Form::Value);
      }
    };
    if (count > 0 && !put) {
      Arguments named(count);
      saneArguments(named);
      invoke(object, cls, member.id, member.name, flags, named, false, tally, "the last argument named as 0", 0);
    }
    {
      Arguments extra(count + 1);
      saneArguments(extra);
      V_VT(extra.variable(count)) = VT_I4;
      extra.pass(count, Form::Value);
      invoke(object, cls, member.id, member.name, flags, extra, put, tally, "one argument too many");
    }
    {
      Arguments one(1);
      V_VT(one.variable(0)) = VT_I4;
      one.pass(0, Form::Value);
      const WORD wrong = member.kind == INVOKE_FUNC ? DISPATCH_PROPERTYPUT : DISPATCH_METHOD;
      invoke(object, cls, member.id, member.name, wrong, one, wrong == DISPATCH_PROPERTYPUT, tally,
             "invoked as what it is not");
    }
  }

  // One call of `member` with sane arguments, except `fuzzed` (parameter
  // index and value) passed in `form`.
  void call(IDispatch* object, const ClassInfo& cls, const MemberInfo& member,
            std::optional<std::pair<size_t, const FuzzValue*>> fuzzed, Form form, Tally& tally) {
    const size_t count = member.params.size();
    Arguments arguments(count);
    std::string shown = "sane arguments";
    for (size_t p = 0; p < count; ++p) {
      const ParamInfo& param = member.params[p];
      if (fuzzed && fuzzed->first == p) {
        fuzzed->second->make(arguments.variable(p));
        if (waitsFor(member, param) && wouldWaitLong(*arguments.variable(p))) {
          ++tally.skipped;
          return;
        }
        arguments.pass(p, form);
        shown = narrow(param.name) + " = " + fuzzed->second->name + " " + formName(form);
      } else {
        makeSane(member, param, arguments.variable(p));
        arguments.pass(p, param.byReference ? (param.type == VT_VARIANT ? Form::VariantReference : Form::TypedReference)
                                            : Form::Value);
      }
    }
    const bool put = member.kind == INVOKE_PROPERTYPUT || member.kind == INVOKE_PROPERTYPUTREF;
    if (member.name == L"MyAppDefault" && !gScratchClasses) {
      ++tally.skipped;  // its keys would land in the machine's HKEY_CLASSES_ROOT
      return;
    }
    RecordingStopper stopper(object, member.name == L"RecordSound" ? cls.member(L"StopRecording", INVOKE_FUNC) : nullptr);
    const std::string outcome =
        invoke(object, cls, member.id, member.name, dispatchFlags(member.kind), arguments, put, tally, shown);
    if (fuzzed && fuzzed->second->opaque && member.params[fuzzed->first].type == VT_VARIANT)
      ++opaqueOutcomes_[narrow(cls.name) + "." + narrow(member.name) + "(" + narrow(member.params[fuzzed->first].name) + ")"]
                       [outcome];
  }

 public:
  // What each Variant parameter answered for values it cannot look into.
  // A Variant parameter takes any Variant: the conversion lets them through
  // to the member, whose steps then fail on them as on any other unusable
  // value. Members that skip their failing steps or show them in a message
  // box therefore return normally; the others are shown.
  void checkOpaqueOutcomes() {
    static const char* const kReturnNormally[] = {
        "clsVxAudoMP3PlayerA.MP3ChangePositionTo(Second)", "clsVxAudoMP3PlayerA.MP3OpenPlayList(TheListBox)",
        "clsVxAudoMP3PlayerA.MP3SavePlayList(TheListBox)", "clsVxAudoMP3PlayerB.ListSingleNoChar(List1)",
        "clsVxAudoMP3PlayerB.ListSingleNoChar(List2)"};
    for (const auto& [parameter, outcomes] : opaqueOutcomes_) {
      std::string shown;
      for (const auto& [outcome, times] : outcomes) shown += " " + outcome + " x" + std::to_string(times);
      std::printf("fuzz: %s with values it cannot look into:%s\n", parameter.c_str(), shown.c_str());
      for (const char* name : kReturnNormally)
        if (parameter == name)
          check(parameter + " takes arrays, records and objects without IDispatch and returns normally",
                outcomes.size() == 1 && outcomes.count("S_OK"), shown);
    }
  }

 private:

  static bool waitsFor(const MemberInfo& member, const ParamInfo& param) {
    return member.name == L"TimeOut" && param.name == L"duration";
  }

  // Returns the outcome as the tables show it: S_OK, "error N" or the code.
  std::string invoke(IDispatch* object, const ClassInfo& cls, DISPID id, const std::wstring& memberName, WORD flags,
                     Arguments& arguments, bool put, Tally& tally, const std::string& shown,
                     std::optional<DISPID> named = std::nullopt) {
    std::snprintf(gCall, sizeof gCall, "%s.%s (%s)", narrow(cls.name).c_str(), narrow(memberName).c_str(),
                  shown.c_str());
    if (options_.verbose) {
      std::printf("fuzz: calling %s\n", gCall);
      std::fflush(stdout);
    }
    DISPPARAMS params = arguments.params(put ? std::optional<DISPID>(DISPID_PROPERTYPUT) : named);
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT badArgument = 0;
    InterlockedExchange64(&gCallStarted, static_cast<LONGLONG>(GetTickCount64()));
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, put ? nullptr : &result,
                                      &exception, &badArgument);
    InterlockedExchange64(&gCallStarted, 0);
    ++tally.calls;
    std::string problem = classify(hr, exception, tally);
    std::string outcome = hr == S_OK ? "S_OK" : e2e::hex(hr);
    if (hr == DISP_E_EXCEPTION) outcome = "error " + std::to_string(exception.scode & 0xFFFF);
    if (!arguments.untouched()) problem += "; it changed the DISPPARAMS it was given";
    if (FAILED(VariantClear(&result))) problem += "; its result is no valid Variant";
    if (!arguments.clear()) problem += "; it left an argument variable holding no valid Variant";
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (!problem.empty()) {
      if (problem[0] == ';') problem.erase(0, 2);
      ++tally.bad;
      if (++failuresShown_[memberName] <= 3) check(std::string(gCall) + " comes back as a dispatch result", false, problem);
    }
    return outcome;
  }

  // Counts the outcome; the text says what is wrong with it, if anything.
  std::string classify(HRESULT hr, EXCEPINFO& exception, Tally& tally) {
    if (hr == S_OK) {
      ++tally.ok;
      return {};
    }
    if (hr == DISP_E_EXCEPTION) {
      if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
      long number = -1;
      const auto scode = static_cast<unsigned long>(exception.scode);
      if ((scode & 0xFFFF0000UL) == 0x800A0000UL) number = static_cast<long>(scode & 0xFFFF);
      else if (scode == 0 && exception.wCode) number = exception.wCode;
      const bool described = exception.bstrDescription && SysStringLen(exception.bstrDescription) > 0;
      if (number >= 0 && described) {
        ++tally.vbErrors;
        ++gVbNumbers[number];
        return {};
      }
      return "DISP_E_EXCEPTION with scode " + e2e::hex(exception.scode) + ", wCode " +
             std::to_string(exception.wCode) + (described ? "" : ", no description");
    }
    if (HRESULT_FACILITY(hr) == FACILITY_DISPATCH && (hr & 0xFFFF) >= 1 && (hr & 0xFFFF) <= 0x13) {
      ++tally.dispatchErrors;
      ++gDispatchCodes[hr];
      return {};
    }
    return "HRESULT " + e2e::hex(hr);
  }

  const Options& options_;
  std::vector<FuzzValue> values_;
  std::map<std::wstring, int> failuresShown_;  // by member: the first few are shown
  std::map<std::string, std::map<std::string, long>> opaqueOutcomes_;
};

// --- Null references, early-bound ----------------------------------------------------------

// A C++ caller calls the vtable itself and may pass a null pointer where a
// by-reference parameter's variable belongs. Each such parameter of every
// member, in turn, gets one (the others sane): the member must answer
// E_POINTER, not crash and not run. An optional parameter is left out by a
// null pointer instead, and is not tried here.
class NullReferences {
 public:
  // The number of calls made; each one that did not answer E_POINTER is a
  // failed check.
  long run(const ClassInfo& cls) {
    long calls = 0;
    for (const MemberInfo& member : cls.members) {
      for (size_t p = 0; p < member.params.size(); ++p) {
        if (!member.params[p].byReference || member.params[p].optional) continue;
        IUnknown* object = nullptr;
        if (FAILED(CoCreateInstance(cls.clsid, nullptr, CLSCTX_INPROC_SERVER, cls.iid,
                                    reinterpret_cast<void**>(&object)))) {
          check(narrow(cls.name) + "'s default interface can be had early-bound", false);
          return calls;
        }
        const HRESULT hr = callWithNull(object, cls, member, p);
        ++calls;
        if (hr != E_POINTER)
          check(std::string(gCall) + " answers E_POINTER", false, e2e::hex(hr));
        object->Release();
      }
    }
    return calls;
  }

 private:
  // The argument's value as the ABI takes it, with its VARTYPE for
  // DispCallFunc: a by-reference parameter gets the address of the value
  // inside `storage`, or null for parameter `nulled`.
  static void place(const ParamInfo& param, bool nulled, VARIANT& storage, VARIANT& passed, VARTYPE& type) {
    std::memset(&passed, 0, sizeof passed);
    if (!param.byReference) {
      if (param.type == VT_I8) {  // the host's LongPtr in the 64-bit library
        VariantClear(&storage);
        V_VT(&storage) = VT_I8;
        V_I8(&storage) = 0;
      }
      passed = storage;  // the storage keeps owning the value
      type = V_VT(&storage);
      return;
    }
    type = static_cast<VARTYPE>(VT_BYREF | param.type);
    V_VT(&passed) = type;
    if (nulled) V_BYREF(&passed) = nullptr;
    else if (param.type == VT_VARIANT) V_BYREF(&passed) = &storage;
    else if (param.type == VT_RECORD) V_BYREF(&passed) = V_RECORD(&storage);
    else V_BYREF(&passed) = &V_I4(&storage);  // the value's own storage inside the Variant
  }

  HRESULT callWithNull(IUnknown* object, const ClassInfo& cls, const MemberInfo& member, size_t nulled) {
    const size_t count = member.params.size() + (member.hasResult ? 1 : 0);
    std::vector<VARIANT> storage(count), passed(count);
    std::vector<VARTYPE> types(count);
    std::vector<VARIANT*> pointers(count);
    for (auto& v : storage) std::memset(&v, 0, sizeof v);
    for (size_t i = 0; i < member.params.size(); ++i) {
      makeSane(member, member.params[i], &storage[i]);
      place(member.params[i], i == nulled, storage[i], passed[i], types[i]);
      pointers[i] = &passed[i];
    }
    alignas(16) static BYTE result[64];  // room for any result the member might write
    if (member.hasResult) {
      std::memset(&passed[count - 1], 0, sizeof(VARIANT));
      types[count - 1] = VT_BYREF | VT_VARIANT;
      V_VT(&passed[count - 1]) = types[count - 1];
      V_BYREF(&passed[count - 1]) = result;
      pointers[count - 1] = &passed[count - 1];
    }
    std::snprintf(gCall, sizeof gCall, "%s.%s (%s) early-bound, %s a null pointer", narrow(cls.name).c_str(),
                  narrow(member.name).c_str(), e2e::kindName(member.kind),
                  narrow(member.params[nulled].name).c_str());
    VARIANT answer;
    VariantInit(&answer);
    std::memset(result, 0, sizeof result);
    InterlockedExchange64(&gCallStarted, static_cast<LONGLONG>(GetTickCount64()));
    const HRESULT called = DispCallFunc(object, member.vtableOffset, CC_STDCALL, VT_ERROR, static_cast<UINT>(count),
                                        types.data(), pointers.data(), &answer);
    InterlockedExchange64(&gCallStarted, 0);
    for (size_t i = 0; i < member.params.size(); ++i) VariantClear(&storage[i]);
    return SUCCEEDED(called) ? V_ERROR(&answer) : called;
  }
};

// --- Set-up -----------------------------------------------------------------------------

void writeFile(const wchar_t* name, const std::string& bytes) {
  HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// The scratch folder becomes the working directory: relative names that
// the values turn into (a number as text, say) land in it.
bool enterScratchFolder() {
  std::wstring folder = environment(L"ORVALIS_E2E_TMP");
  if (folder.empty()) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder = temp;
  }
  folder += L"\\fuzz";
  CreateDirectoryW(folder.c_str(), nullptr);
  if (!SetCurrentDirectoryW(folder.c_str())) return false;
  writeFile(L"fuzz.m3u", "a.mp3\r\nC:\\Music\\b.mp3\r\n\r\n");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  InitializeCriticalSection(&gOutput);
  Options options;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--full") == 0) options.full = true;
    if (std::strcmp(argv[i], "--verbose") == 0) options.verbose = true;
    if (std::strcmp(argv[i], "--class") == 0 && i + 1 < argc) {
      const std::string name = argv[++i];
      options.onlyClass.assign(name.begin(), name.end());
    }
    if (std::strcmp(argv[i], "--member") == 0 && i + 1 < argc) {
      const std::string name = argv[++i];
      options.onlyMember.assign(name.begin(), name.end());
    }
  }
  SetUnhandledExceptionFilter(onUnhandledException);
  std::signal(SIGABRT, onAbort);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  CloseHandle(CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr));

  CoInitialize(nullptr);
  check("the scratch folder is the working directory", enterScratchFolder());
  CLSID dictionary;
  if (FAILED(CLSIDFromProgID(L"Scripting.Dictionary", &dictionary)) ||
      FAILED(CoCreateInstance(dictionary, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&gDictionary)))) {
    check("Scripting.Dictionary can be created as the foreign object", false);
    return e2e::verdict();
  }

  const GUID mixerControl = {0x51A5326D, 0xB741, 0x4F3C, {0xB0, 0x86, 0xE9, 0x36, 0x30, 0x98, 0x47, 0x0B}};
  check("the type library describes the MIXERCONTROL record",
        SUCCEEDED(GetRecordInfoFromGuids(LIBID_Orvalis, 1, 0, 0x409, mixerControl, &gRecord)) && gRecord);

  std::vector<ClassInfo> classes;
  const HRESULT hr = e2e::registeredClasses(LIBID_Orvalis, 1, 0, classes);
  check("the registered type library lists the creatable classes", SUCCEEDED(hr), e2e::hex(hr));
  if (!classes.empty()) {
    IUnknown* first = nullptr;  // loads the library
    if (SUCCEEDED(CoCreateInstance(classes[0].clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&first))))
      first->Release();
  }
  check("the library's keys under HKEY_CLASSES_ROOT go to a scratch key",
        redirectClassesRoot(GetModuleHandleW(L"orvalis.dll")));
  std::printf("fuzz: %s pass, %zu classes\n", options.full ? "full" : "short", classes.size());
  std::fflush(stdout);

  gStart = std::chrono::steady_clock::now();
  Fuzzer fuzzer(options);
  for (const ClassInfo& cls : classes) {
    if (!options.onlyClass.empty() && _wcsicmp(options.onlyClass.c_str(), cls.name.c_str()) != 0) continue;
    gTallies.emplace_back(cls.name, Tally{});
    Tally& tally = gTallies.back().second;
    fuzzer.fuzzClass(cls, tally);
    check(narrow(cls.name) + ": " + std::to_string(tally.members) + " members, " + std::to_string(tally.calls) +
              " calls, every one came back as S_OK, a DISP_E_* code or a VB error",
          tally.bad == 0, std::to_string(tally.bad) + " bad outcomes");
    if (options.onlyMember.empty()) {
      const long nulls = NullReferences().run(cls);
      std::printf("fuzz: %s: %ld by-reference parameters given a null pointer early-bound\n",
                  narrow(cls.name).c_str(), nulls);
    }
  }

  // The association's keys went to the scratch key, not to HKEY_CLASSES_ROOT.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L".orvalisfuzz", 0, KEY_READ, &key) == ERROR_SUCCESS) {
    RegCloseKey(key);
    check("MyAppDefault wrote nothing under HKEY_CLASSES_ROOT", false);
  }
  if (gScratchClasses) {
    RegCloseKey(gScratchClasses);
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey);
  }

  if (options.onlyClass.empty() && options.onlyMember.empty()) fuzzer.checkOpaqueOutcomes();
  gDictionary->Release();
  if (gRecord) gRecord->Release();
  printTable();
  check("0 crashes and 0 stuck calls", gCrashes == 0 && gStuck == 0);
  CoUninitialize();
  return e2e::verdict();
}
