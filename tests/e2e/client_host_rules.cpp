// The frame's rules as a C++ host meets them through MP3 player B: the
// wait's message loop (the host's quit request, a duration changed while
// waiting), Variant subtypes the automation runtime converts, failures of a
// host list object and their VB error numbers, the user's locale in
// text-to-number, and a playlist file larger than 4 GiB.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <functional>
#include <string>
#include <vector>

#include "client_checks.h"
#include "com_client.h"
#include "orvalis_h.h"

using e2e::check;
using e2e::hex;

namespace {

using e2e::HostObject;
using e2e::environment;
using e2e::narrow;
using e2e::errorDescription;
using e2e::messageBoxLog;

// Whether the watcher logs an " Error" box with exactly this text after
// `before` (one "title<TAB>text" line per box).
bool sawErrorBox(const std::string& before, const std::string& text) {
  const std::string line = " Error\t" + text;
  for (int i = 0; i < 40; ++i) {
    const std::string log = messageBoxLog();
    for (size_t at = log.find(line, before.size()); at != std::string::npos; at = log.find(line, at + 1)) {
      const size_t end = at + line.size();
      if (end == log.size() || log[end] == '\r' || log[end] == '\n') return true;
    }
    Sleep(50);
  }
  return false;
}

_clsVxAudoMP3PlayerB* createPlayer() { return e2e::create<_clsVxAudoMP3PlayerB>(L"Orvalis.clsVxAudoMP3PlayerB", IID__clsVxAudoMP3PlayerB); }

// Milliseconds that TimeOut takes with this duration, and its HRESULT.
struct Wait {
  HRESULT hr;
  DWORD milliseconds;
};
Wait timeOut(_clsVxAudoMP3PlayerB* player, VARIANT& duration) {
  const DWORD start = GetTickCount();
  const HRESULT hr = player->TimeOut(&duration);
  return {hr, GetTickCount() - start};
}

// --- The wait's message loop ---------------------------------------------------------

VARIANT* gDuration = nullptr;

void CALLBACK quitTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  PostQuitMessage(7);
}

void CALLBACK shortenTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  V_R8(gDuration) = 0;
}

void messageLoop(_clsVxAudoMP3PlayerB* player) {
  VARIANT duration;
  VariantInit(&duration);
  V_VT(&duration) = VT_R8;
  V_R8(&duration) = 6;
  SetTimer(nullptr, 0, 200, quitTimer);
  Wait wait = timeOut(player, duration);
  check("TimeOut returns when the host asks to quit", SUCCEEDED(wait.hr) && wait.milliseconds < 4000,
        hex(wait.hr) + ", " + std::to_string(wait.milliseconds) + " ms");
  MSG message{};
  bool quit = false;
  while (!quit && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) quit = message.message == WM_QUIT;
  check("the quit request reaches the host's own loop with its exit code", quit && message.wParam == 7,
        quit ? std::to_string(message.wParam) : "no WM_QUIT");

  // Host code that runs during the wait (here a timer) ends it by setting
  // the caller's variable to 0.
  V_R8(&duration) = 6;
  gDuration = &duration;
  SetTimer(nullptr, 0, 200, shortenTimer);
  wait = timeOut(player, duration);
  check("TimeOut reads the duration anew while it waits",
        SUCCEEDED(wait.hr) && wait.milliseconds < 4000,
        hex(wait.hr) + ", " + std::to_string(wait.milliseconds) + " ms");
}

// --- Variant subtypes ------------------------------------------------------------------

DECIMAL decimal(ULONGLONG digits, BYTE scale, bool negative = false) {
  DECIMAL value{};
  value.Lo64 = digits;
  value.scale = scale;
  value.sign = negative ? DECIMAL_NEG : 0;
  return value;
}

void setDecimal(VARIANT& variant, const DECIMAL& value) {
  V_DECIMAL(&variant) = value;
  V_VT(&variant) = VT_DECIMAL;  // after the value: the two share the first bytes
}

void numericSubtypes(_clsVxAudoMP3PlayerB* player) {
  struct Case {
    const char* name;
    std::function<void(VARIANT&)> set;
  };
  static LONGLONG byReference = -1;
  const Case cases[] = {
      {"I1", [](VARIANT& v) { V_VT(&v) = VT_I1; V_I1(&v) = -1; }},
      {"UI2", [](VARIANT& v) { V_VT(&v) = VT_UI2; V_UI2(&v) = 0; }},
      {"UI4", [](VARIANT& v) { V_VT(&v) = VT_UI4; V_UI4(&v) = 0; }},
      {"I8", [](VARIANT& v) { V_VT(&v) = VT_I8; V_I8(&v) = -5; }},
      {"UI8", [](VARIANT& v) { V_VT(&v) = VT_UI8; V_UI8(&v) = 0; }},
      {"INT", [](VARIANT& v) { V_VT(&v) = VT_INT; V_INT(&v) = -2; }},
      {"UINT", [](VARIANT& v) { V_VT(&v) = VT_UINT; V_UINT(&v) = 0; }},
      {"DECIMAL", [](VARIANT& v) { setDecimal(v, decimal(25, 1, true)); }},
      {"I8 by reference", [](VARIANT& v) { V_VT(&v) = VT_BYREF | VT_I8; V_I8REF(&v) = &byReference; }},
  };
  for (const Case& c : cases) {
    VARIANT duration;
    VariantInit(&duration);
    c.set(duration);
    const Wait wait = timeOut(player, duration);
    check(std::string("TimeOut takes a ") + c.name + " duration", wait.hr == S_OK, hex(wait.hr));
  }
  VARIANT duration;
  VariantInit(&duration);
  setDecimal(duration, decimal(3, 1));  // 0.3 s
  const Wait wait = timeOut(player, duration);
  check("TimeOut waits a Decimal 0.3 s", wait.hr == S_OK && wait.milliseconds >= 300,
        hex(wait.hr) + ", " + std::to_string(wait.milliseconds) + " ms");
}

// --- A host list object in C++ -------------------------------------------------------

// A list control whose members answer as each check scripts them. Counts
// its references so that a leak shows.
class ScriptedList final : public HostObject {
 public:
  ScriptedList() : HostObject({L"ListCount", L"List", L"AddItem", L"hWnd"}) {}

  // Fills `result` (may be null for a put) or returns a failure.
  using Member = std::function<HRESULT(DISPPARAMS*, VARIANT*, EXCEPINFO*)>;
  Member listCount, list, hWnd;
  std::vector<std::wstring> added;

  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT*) override {
    switch (id) {
      case 1: return listCount ? listCount(params, result, exception) : DISP_E_MEMBERNOTFOUND;
      case 2: return list ? list(params, result, exception) : DISP_E_MEMBERNOTFOUND;
      case 3: {
        VARIANT text;
        VariantInit(&text);
        if (FAILED(VariantChangeType(&text, &params->rgvarg[0], 0, VT_BSTR))) return DISP_E_TYPEMISMATCH;
        added.emplace_back(V_BSTR(&text), SysStringLen(V_BSTR(&text)));
        VariantClear(&text);
        return S_OK;
      }
      case 4: return hWnd ? hWnd(params, result, exception) : DISP_E_MEMBERNOTFOUND;
    }
    return DISP_E_MEMBERNOTFOUND;
  }
};

// An object without IDispatch, for a result that cannot be converted.
class Opaque final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    *object = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override { return --references; }
  ULONG references = 1;
};

ScriptedList::Member answer(std::function<void(VARIANT&)> set) {
  return [set](DISPPARAMS*, VARIANT* result, EXCEPINFO*) {
    if (result) set(*result);
    return S_OK;
  };
}

ScriptedList::Member failWith(HRESULT hr) {
  return [hr](DISPPARAMS*, VARIANT*, EXCEPINFO*) { return hr; };
}

ScriptedList::Member paths() {
  return answer([](VARIANT& v) {
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(L"C:\\Music\\song.mp3");
  });
}

std::wstring scratchFile(const wchar_t* name) { return environment(L"ORVALIS_E2E_TMP") + L"\\" + name; }

void hostLists(_clsVxAudoMP3PlayerB* player) {
  // A ListCount of Decimal 2.5: 1 is subtracted first and CLng(1.5) is 2,
  // so three entries are read.
  {
    ScriptedList names, source;
    source.listCount = answer([](VARIANT& v) { setDecimal(v, decimal(25, 1)); });
    source.list = paths();
    IDispatch* first = &names;
    IDispatch* second = &source;
    const HRESULT hr = player->ListNoChar(&first, &second);
    check("ListNoChar with a Decimal 2.5 ListCount adds three names",
          hr == S_OK && names.added.size() == 3 && names.added[0] == L"song",
          hex(hr) + ", " + std::to_string(names.added.size()) + " names");
  }
  // A 64-bit count beyond a Long overflows.
  {
    const std::string before = messageBoxLog();
    ScriptedList names, source;
    source.listCount = answer([](VARIANT& v) {
      V_VT(&v) = VT_I8;
      V_I8(&v) = 1LL << 40;
    });
    source.list = paths();
    IDispatch* first = &names;
    IDispatch* second = &source;
    player->ListNoChar(&first, &second);
    check("a 64-bit ListCount beyond a Long shows Overflow", sawErrorBox(before, "Overflow") && names.added.empty());
  }
  // An entry that is no automation object is a type mismatch, and the
  // library lets go of it.
  {
    const std::string before = messageBoxLog();
    Opaque opaque;
    ScriptedList source;
    source.listCount = answer([](VARIANT& v) {
      V_VT(&v) = VT_I4;
      V_I4(&v) = 1;
    });
    source.list = answer([&opaque](VARIANT& v) {
      opaque.AddRef();
      V_VT(&v) = VT_UNKNOWN;
      V_UNKNOWN(&v) = &opaque;
    });
    BSTR name = SysAllocString(scratchFile(L"opaque.m3u").c_str());
    IDispatch* list = &source;
    player->SavePlaylist(&name, &list);
    SysFreeString(name);
    check("an entry without IDispatch shows Type mismatch", sawErrorBox(before, "Type mismatch"));
    check("the unconverted entry is released", opaque.references == 1, std::to_string(opaque.references));
    check("the list object itself is released", source.references() == 1, std::to_string(source.references()));
  }
  // A host that runs out of memory: the box of any runtime error.
  {
    const std::string before = messageBoxLog();
    ScriptedList source;
    source.listCount = answer([](VARIANT& v) {
      V_VT(&v) = VT_I4;
      V_I4(&v) = 1;
    });
    source.list = failWith(E_OUTOFMEMORY);
    BSTR name = SysAllocString(scratchFile(L"memory.m3u").c_str());
    IDispatch* list = &source;
    const HRESULT hr = player->SavePlaylist(&name, &list);
    SysFreeString(name);
    check("a host's E_OUTOFMEMORY shows Out of memory", hr == S_OK && sawErrorBox(before, "Out of memory"),
          hex(hr));
  }
  // A host that raises a VB error directly: its number with its own
  // description, or the runtime's one when none came.
  {
    const std::string before = messageBoxLog();
    ScriptedList source;
    source.listCount = answer([](VARIANT& v) {
      V_VT(&v) = VT_I4;
      V_I4(&v) = 1;
    });
    source.list = [](DISPPARAMS*, VARIANT*, EXCEPINFO*) -> HRESULT {
      ICreateErrorInfo* create = nullptr;
      IErrorInfo* info = nullptr;
      CreateErrorInfo(&create);
      create->SetDescription(const_cast<LPOLESTR>(L"entry refused"));
      create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
      SetErrorInfo(0, info);
      info->Release();
      create->Release();
      return static_cast<HRESULT>(0x800A0005);
    };
    BSTR name = SysAllocString(scratchFile(L"raised.m3u").c_str());
    IDispatch* list = &source;
    player->SavePlaylist(&name, &list);
    source.list = failWith(static_cast<HRESULT>(0x800A0005));
    player->SavePlaylist(&name, &list);
    SysFreeString(name);
    check("a VB error with the host's description shows that description", sawErrorBox(before, "entry refused"));
    check("a bare VB error shows the runtime's description",
          sawErrorBox(before, "Invalid procedure call or argument"));
  }
}

// FormMove has no handler: the host's failure comes back as the VB error
// the runtime reports for it.
void dispatchErrors(_clsVxAudoMP3PlayerB* player) {
  const struct {
    HRESULT failure;
    long number;
    const wchar_t* description;
  } cases[] = {
      {DISP_E_PARAMNOTOPTIONAL, 449, L"Argument not optional"},
      {DISP_E_BADINDEX, 9, L"Subscript out of range"},
      {DISP_E_PARAMNOTFOUND, 448, L"Named argument not found"},
      {DISP_E_NONAMEDARGS, 446, L"Object doesn't support named arguments"},
      {DISP_E_BADVARTYPE, 458, L"Variable uses an Automation type not supported in Visual Basic"},
  };
  for (const auto& c : cases) {
    ScriptedList form;
    form.hWnd = failWith(c.failure);
    IDispatch* object = &form;
    const HRESULT hr = player->FormMove(&object);
    const std::wstring description = errorDescription();
    check("FormMove reports " + hex(c.failure) + " as error " + std::to_string(c.number),
          hr == static_cast<HRESULT>(0x800A0000 + c.number) && description == c.description,
          hex(hr) + " " + narrow(description));
  }
}

// --- The user's locale ---------------------------------------------------------------

// Texts read as the runtime reads them in the user's locale (English
// (United States) in the test prefix, which follows the Unix locale; Wine's
// conversion ignores the user's overrides, so no other locale is tried here).
void userLocale(_clsVxAudoMP3PlayerB* player) {
  for (const wchar_t* text : {L"(1)", L"1-", L"$0", L"1,000-"}) {
    VARIANT duration;
    V_VT(&duration) = VT_BSTR;
    V_BSTR(&duration) = SysAllocString(text);
    const Wait wait = timeOut(player, duration);
    VariantClear(&duration);
    check("TimeOut reads \"" + narrow(text) + "\" as the runtime does", wait.hr == S_OK, hex(wait.hr));
  }
}

// --- A playlist over 4 GiB -------------------------------------------------------------

void hugePlaylist(_clsVxAudoMP3PlayerB* player) {
  const std::wstring path = scratchFile(L"huge.m3u");
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const char start[] = "a.mp3\r\nb.mp3\r\n";
  DWORD written = 0;
  WriteFile(file, start, sizeof start - 1, &written, nullptr);
  LARGE_INTEGER size;
  size.QuadPart = (1LL << 32) + 16;  // a sparse file: the rest reads as NULs
  const bool made = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  check("a sparse file of 4 GiB + 16 bytes exists", made);
  if (!made) {
    DeleteFileW(path.c_str());
    return;
  }
  const std::string before = messageBoxLog();
  ScriptedList list;
  BSTR name = SysAllocString(path.c_str());
  IDispatch* object = &list;
  player->OpenPlaylist(&name, &object);
  SysFreeString(name);
  DeleteFileW(path.c_str());
  check("a playlist over 4 GiB shows Out of memory", sawErrorBox(before, "Out of memory"));
  check("and adds nothing from a truncated read", list.added.empty(), std::to_string(list.added.size()) + " added");
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  _clsVxAudoMP3PlayerB* player = createPlayer();
  check("CoCreateInstance by ProgID", player != nullptr);
  if (player) {
    messageLoop(player);
    numericSubtypes(player);
    hostLists(player);
    dispatchErrors(player);
    userLocale(player);
    hugePlaylist(player);
    player->Release();
  }
  CoUninitialize();
  return e2e::verdict();
}
