// A windowed host of the Orvalis library, to look at and to read as an
// example: a playlist in a real list box that the library fills
// (OpenPlaylist), buttons for play, pause, resume and stop, the position and
// the remaining time twice a second, a volume slider on the speakers
// (clsVxAudoWMixerB), and a window that follows the mouse when it is pressed
// anywhere on its body (FormMove).
//
//   demo_window.exe [playlist.m3u]
//   demo_window.exe --selftest [--linger STOPFILE] playlist.m3u
//
// The library calls a host's list and form late-bound, by member name, the
// way it calls a VB list box and form. A C++ host therefore hands it two
// small automation objects of its own: one over the list box, one that
// tells the window's handle (ListBoxObject and FormObject below).
//
// --selftest drives the window through its own controls, prints PASS and
// FAIL lines and a closing verdict, and exits; with --linger it then plays
// the first entry again and stays open until STOPFILE exists (so that a
// screenshot shows it playing).
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <oleauto.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "orvalis_h.h"

namespace {

// ---- The host objects the library calls ------------------------------------

// Argument `position` (counted from the first) converted to `type`;
// DISPPARAMS lists arguments last first, and a caller may pass references.
HRESULT argument(const DISPPARAMS* params, UINT position, VARTYPE type, VARIANT& value) {
  VariantInit(&value);
  if (!params || position >= params->cArgs) return DISP_E_BADPARAMCOUNT;
  return VariantChangeType(&value, &params->rgvarg[params->cArgs - 1 - position], 0, type);
}

HRESULT longResult(VARIANT* result, LONG value) {
  V_VT(result) = VT_I4;
  V_I4(result) = value;
  return S_OK;
}

HRESULT textResult(VARIANT* result, const std::wstring& text) {
  V_VT(result) = VT_BSTR;
  V_BSTR(result) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return S_OK;
}

// An automation object with a fixed table of member names, matched without
// regard to case as automation names are. It lives as long as the window,
// so reference counting only counts.
class WindowObject : public IDispatch {
 public:
  struct Member {
    const wchar_t* name;
    DISPID id;
  };

  WindowObject(const Member* members, UINT count) : members_(members), count_(count) {}
  virtual ~WindowObject() = default;
  void attach(HWND window) { window_ = window; }

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    *object = (riid == IID_IUnknown || riid == IID_IDispatch) ? this : nullptr;
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override { return --references_; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      for (UINT m = 0; m < count_; ++m)
        if (lstrcmpiW(names[i], members_[m].name) == 0) ids[i] = members_[m].id;
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override {
    VARIANT unused;
    VariantInit(&unused);
    const HRESULT hr = answer(id, flags, params, result ? result : &unused);
    VariantClear(&unused);
    return hr;
  }

 protected:
  virtual HRESULT answer(DISPID id, WORD flags, const DISPPARAMS* params, VARIANT* result) = 0;
  HWND window_ = nullptr;

 private:
  const Member* members_;
  UINT count_;
  ULONG references_ = 1;
};

// The list box as the library sees a host list: AddItem, ListCount,
// List(i), ListIndex, text and hWnd, like a VB list box.
class ListBoxObject final : public WindowObject {
 public:
  ListBoxObject() : WindowObject(kMembers, ARRAYSIZE(kMembers)) {}

 private:
  enum : DISPID { kAddItem = 1, kListCount, kList, kListIndex, kText, kHwnd };
  static constexpr Member kMembers[] = {{L"AddItem", kAddItem},   {L"ListCount", kListCount},
                                        {L"List", kList},         {L"ListIndex", kListIndex},
                                        {L"text", kText},         {L"hWnd", kHwnd}};

  LONG send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return static_cast<LONG>(SendMessageW(window_, message, wParam, lParam));
  }
  HRESULT entry(LONG index, VARIANT* result) {
    if (index < 0) return textResult(result, L"");  // no selection: empty text
    const LONG length = send(LB_GETTEXTLEN, index);
    if (length == LB_ERR) return DISP_E_BADINDEX;
    std::wstring text(length + 1, L'\0');
    text.resize(send(LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data())));
    return textResult(result, text);
  }

  HRESULT answer(DISPID id, WORD flags, const DISPPARAMS* params, VARIANT* result) override {
    VARIANT value;
    HRESULT hr = S_OK;
    switch (id) {
      case kAddItem:
        if (FAILED(hr = argument(params, 0, VT_BSTR, value))) return hr;
        send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(V_BSTR(&value) ? V_BSTR(&value) : L""));
        VariantClear(&value);
        return S_OK;
      case kListCount:
        return longResult(result, send(LB_GETCOUNT));
      case kList:
        if (FAILED(hr = argument(params, 0, VT_I4, value))) return hr;
        return entry(V_I4(&value), result);
      case kListIndex:
        if (!(flags & DISPATCH_PROPERTYPUT)) return longResult(result, send(LB_GETCURSEL));
        // The library writes the index as the text of its digits.
        if (FAILED(hr = argument(params, 0, VT_I4, value))) return hr;
        send(LB_SETCURSEL, V_I4(&value));
        return S_OK;
      case kText:
        return entry(send(LB_GETCURSEL), result);
      case kHwnd:
        return longResult(result, static_cast<LONG>(reinterpret_cast<INT_PTR>(window_)));
    }
    return DISP_E_MEMBERNOTFOUND;
  }
};

// The main window as a host form: FormMove only reads its hWnd.
class FormObject final : public WindowObject {
 public:
  FormObject() : WindowObject(kMembers, ARRAYSIZE(kMembers)) {}

 private:
  static constexpr Member kMembers[] = {{L"hWnd", 1}};
  HRESULT answer(DISPID id, WORD, const DISPPARAMS*, VARIANT* result) override {
    if (id != 1) return DISP_E_MEMBERNOTFOUND;
    return longResult(result, static_cast<LONG>(reinterpret_cast<INT_PTR>(window_)));
  }
};

// ---- The window ---------------------------------------------------------------

enum ControlId { kPlay = 101, kPause, kResume, kStop, kList, kVolume };
constexpr UINT_PTR kClockTimer = 1;
constexpr UINT kClockMs = 500;  // position and remaining time twice a second
constexpr int kWidth = 460, kHeight = 330;

// A BSTR result turned into a std::wstring, freeing the BSTR.
std::wstring take(BSTR text) {
  std::wstring value = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return value;
}

std::wstring windowText(HWND window) {
  std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
  text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
  return text;
}

// Everything the window holds: one window per program.
struct Demo {
  HWND window = nullptr, list = nullptr, nowPlaying = nullptr, positionLabel = nullptr, position = nullptr,
       remaining = nullptr, volume = nullptr, volumeText = nullptr;
  HFONT font = nullptr, clockFont = nullptr;
  _clsVxAudoMP3PlayerB* player = nullptr;
  _clsVxAudoWMixerB* mixer = nullptr;
  ListBoxObject listObject;
  FormObject formObject;
  bool started = false;    // a song was started, so the clock asks for its position
  LONG positionMs = 0;     // what the clock read last
  int captionPresses = 0;  // caption presses that reached the window (FormMove's)
  std::wstring stopFile;   // --linger: close once this file exists
} demo;

template <class Interface>
Interface* create(const wchar_t* progId, REFIID iid) {
  CLSID clsid;
  Interface* object = nullptr;
  if (SUCCEEDED(CLSIDFromProgID(progId, &clsid)))
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&object));
  return object;
}

HWND child(const wchar_t* windowClass, const wchar_t* text, DWORD style, int x, int y, int width,
           int height, int id = 0, HFONT font = demo.font) {
  HWND window = CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                demo.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return window;
}

void createControls() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  demo.font = CreateFontIndirectW(&metrics.lfMessageFont);
  LOGFONTW large = metrics.lfMessageFont;
  large.lfHeight = -22;
  large.lfWeight = FW_BOLD;
  demo.clockFont = CreateFontIndirectW(&large);

  child(WC_STATICW, L"Playlist (double-click an entry to play it)", 0, 12, 10, 436, 16);
  demo.list = child(WC_LISTBOXW, L"", WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                    12, 28, 436, 110, kList);
  const wchar_t* captions[] = {L"Play", L"Pause", L"Resume", L"Stop"};
  for (int i = 0; i < 4; ++i) child(WC_BUTTONW, captions[i], BS_PUSHBUTTON, 12 + i * 112, 148, 100, 28, kPlay + i);
  demo.nowPlaying = child(WC_STATICW, L"Nothing playing", SS_ENDELLIPSIS, 12, 188, 436, 16);
  demo.positionLabel = child(WC_STATICW, L"Position", 0, 12, 212, 200, 16);
  child(WC_STATICW, L"Remaining", 0, 236, 212, 100, 16);
  demo.position = child(WC_STATICW, L"-:--", 0, 12, 230, 200, 28, 0, demo.clockFont);
  demo.remaining = child(WC_STATICW, L"-:--", 0, 236, 230, 200, 28, 0, demo.clockFont);
  child(WC_STATICW, L"Volume", 0, 12, 276, 60, 16);
  demo.volume = child(TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_AUTOTICKS, 72, 270, 300, 30, kVolume);
  demo.volumeText = child(WC_STATICW, L"", 0, 384, 276, 64, 16);
  child(WC_STATICW, L"Drag the window by any free spot.", 0, 12, 306, 436, 16);
  demo.listObject.attach(demo.list);
  demo.formObject.attach(demo.window);
}

// The playlist file goes into the list box through the library.
void openPlaylist(const std::wstring& file) {
  BSTR name = SysAllocString(file.c_str());
  IDispatch* list = &demo.listObject;
  demo.player->OpenPlaylist(&name, &list);
  SysFreeString(name);
}

LONG speakerVolume() {
  VOL_CONTROL speakers = SPEAKER;
  LONG percent = 0;
  demo.mixer->GetVolume(&speakers, &percent);
  return percent;
}

void showVolume() { SetWindowTextW(demo.volumeText, (std::to_wstring(speakerVolume()) + L" %").c_str()); }

void openMixer() {
  LONG opened = 0;
  if (demo.mixer) demo.mixer->OpenMixer(0, &opened);
  if (!opened) {
    EnableWindow(demo.volume, FALSE);
    SetWindowTextW(demo.volumeText, L"no mixer");
    return;
  }
  SendMessageW(demo.volume, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  SendMessageW(demo.volume, TBM_SETTICFREQ, 10, 0);
  SendMessageW(demo.volume, TBM_SETPOS, TRUE, speakerVolume());
  showVolume();
}

void onVolume() {
  if (!demo.mixer) return;
  VOL_CONTROL speakers = SPEAKER;
  LONG accepted = 0;
  demo.mixer->SetVolume(&speakers, static_cast<LONG>(SendMessageW(demo.volume, TBM_GETPOS, 0, 0)), &accepted);
  showVolume();
}

// Position and remaining time, asked twice a second while a song is on.
void showClock() {
  if (!demo.started) {
    SetWindowTextW(demo.positionLabel, L"Position");
    SetWindowTextW(demo.position, L"-:--");
    SetWindowTextW(demo.remaining, L"-:--");
    return;
  }
  BSTR text = nullptr;
  demo.player->FormatPosition(&text);
  const std::wstring position = take(text);
  demo.player->PositioninMS(&demo.positionMs);
  demo.player->FormatTimeRemaining(&text);
  const std::wstring remaining = take(text);
  SetWindowTextW(demo.positionLabel, (L"Position (" + std::to_wstring(demo.positionMs) + L" ms)").c_str());
  SetWindowTextW(demo.position, position.c_str());
  SetWindowTextW(demo.remaining, (L"-" + remaining).c_str());
}

void play() {
  LONG index = static_cast<LONG>(SendMessageW(demo.list, LB_GETCURSEL, 0, 0));
  if (index < 0) index = 0;
  const LONG length = static_cast<LONG>(SendMessageW(demo.list, LB_GETTEXTLEN, index, 0));
  if (length == LB_ERR) return;  // an empty playlist
  SendMessageW(demo.list, LB_SETCURSEL, index, 0);
  std::wstring entry(length + 1, L'\0');
  entry.resize(SendMessageW(demo.list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(entry.data())));

  BSTR name = SysAllocString(entry.c_str());
  demo.player->put_Filename(name);
  SysFreeString(name);
  demo.player->Play();
  demo.started = true;
  BSTR duration = nullptr;
  demo.player->FormatDuration(&duration);
  SetWindowTextW(demo.nowPlaying,
                 (L"Playing " + entry.substr(entry.find_last_of(L'\\') + 1) + L"  (" + take(duration) + L")").c_str());
  showClock();
}

void onCommand(int id, int notification) {
  switch (id) {
    case kPlay: play(); break;
    case kPause: demo.player->Pause(); break;
    case kResume: demo.player->ResumePlay(); break;
    case kStop:
      demo.player->StopPlay();
      demo.started = false;
      SetWindowTextW(demo.nowPlaying, L"Stopped");
      showClock();
      break;
    case kList:
      if (notification == LBN_DBLCLK) play();
      break;
  }
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      demo.window = window;
      createControls();
      return 0;
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == demo.volume) onVolume();
      return 0;
    case WM_TIMER:
      showClock();
      if (!demo.stopFile.empty() && GetFileAttributesW(demo.stopFile.c_str()) != INVALID_FILE_ATTRIBUTES)
        DestroyWindow(window);
      return 0;
    case WM_LBUTTONDOWN: {
      // A press on the body (not on a control) drags the window, as a press
      // on its caption would.
      IDispatch* form = &demo.formObject;
      demo.player->FormMove(&form);
      return 0;
    }
    case WM_NCLBUTTONDOWN:
      if (wParam == HTCAPTION) ++demo.captionPresses;
      break;
    case WM_DESTROY:
      KillTimer(window, kClockTimer);
      if (demo.started) demo.player->StopPlay();
      if (demo.mixer) {
        LONG result = 0;
        demo.mixer->CloseMixer(&result);
      }
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND createWindow() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = L"OrvalisDemo";
  RegisterClassW(&windowClass);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, kWidth, kHeight};
  AdjustWindowRect(&frame, style, FALSE);
  return CreateWindowW(L"OrvalisDemo", L"Orvalis demo", style, 40, 40, frame.right - frame.left,
                       frame.bottom - frame.top, nullptr, nullptr, windowClass.hInstance, nullptr);
}

// ---- Self-test ------------------------------------------------------------------

int passed = 0, failed = 0;

void check(const std::string& name, bool condition, const std::string& detail = {}) {
  (condition ? passed : failed)++;
  std::printf("%s %s%s%s\n", condition ? "PASS" : "FAIL", name.c_str(), detail.empty() ? "" : " - ",
              detail.c_str());
  std::fflush(stdout);
}

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Lets the window run (timer, clicks) for `ms` milliseconds.
void pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  for (LONG left; (left = static_cast<LONG>(end - GetTickCount())) > 0;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

// Runs the window until the clock has read a position past `after`, for at
// most `ms` milliseconds.
bool positionPasses(LONG after, DWORD ms) {
  for (DWORD waited = 0; waited < ms && demo.positionMs <= after; waited += 100) pump(100);
  return demo.positionMs > after;
}

void click(int id) { SendMessageW(GetDlgItem(demo.window, id), BM_CLICK, 0, 0); }

// The entries of a playlist file: its non-empty lines.
LONG playlistLines(const std::wstring& file) {
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return -1;
  char buffer[4096];
  DWORD read = 0;
  ReadFile(handle, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(handle);
  LONG lines = 0;
  for (DWORD i = 0; i < read; ++i)
    if (buffer[i] != '\r' && buffer[i] != '\n' && (i + 1 == read || buffer[i + 1] == '\r')) ++lines;
  return lines;
}

int selfTest(const std::wstring& playlist) {
  const LONG entries = static_cast<LONG>(SendMessageW(demo.list, LB_GETCOUNT, 0, 0));
  const LONG expected = playlistLines(playlist);
  check("OpenPlaylist fills the list box with the playlist's " + std::to_string(expected) + " entries",
        expected > 0 && entries == expected, std::to_string(entries));

  click(kPlay);
  const bool moving = positionPasses(0, 15000);
  const LONG first = demo.positionMs;
  const std::wstring firstText = windowText(demo.position);
  positionPasses(first, 3000);
  check("Play starts the first entry and the clock reads a moving position: " + std::to_string(first) +
            " ms, then " + std::to_string(demo.positionMs) + " ms",
        moving && demo.positionMs > first);
  check("the labels show \"" + narrow(windowText(demo.position)) + "\" and \"" +
            narrow(windowText(demo.remaining)) + "\" (before: \"" + narrow(firstText) + "\")",
        windowText(demo.position).find(L':') == 1 && windowText(demo.remaining).find(L':') == 2);

  click(kPause);
  pump(2 * kClockMs + 100);
  const LONG paused = demo.positionMs;
  pump(3 * kClockMs);
  check("Pause holds the position at " + std::to_string(paused) + " ms", demo.positionMs == paused,
        std::to_string(demo.positionMs));
  click(kResume);
  const bool resumed = positionPasses(paused + 1000, 8000);
  check("Resume moves it on to " + std::to_string(demo.positionMs) + " ms", resumed);

  SendMessageW(demo.volume, TBM_SETPOS, TRUE, 40);
  SendMessageW(demo.window, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(demo.volume));
  const LONG volume = demo.mixer ? speakerVolume() : -1;
  check("the slider sets the speakers to 40 % through the mixer class", volume == 40 &&
        windowText(demo.volumeText) == L"40 %", std::to_string(volume));

  // A press on a free spot of the body, as the mouse would send it.
  PostMessageW(demo.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kWidth - 8, 200));
  pump(300);
  check("a press on the body reaches the window as a caption press (FormMove)", demo.captionPresses == 1,
        std::to_string(demo.captionPresses));

  // The service opens a file that a command names afresh for that command,
  // so after the close a query meets a device that stands at its start.
  click(kStop);
  LONG stopped = -1, later = -1;
  demo.player->PositioninMS(&stopped);
  pump(1000);
  demo.player->PositioninMS(&later);
  check("Stop closes the song: a query finds it at " + std::to_string(stopped) + " ms, then " +
            std::to_string(later) + " ms, and the clock rests",
        resumed && stopped < 500 && later == stopped && windowText(demo.position) == L"-:--");
  std::printf("VERDICT: %d passed, %d failed\n", passed, failed);
  std::fflush(stdout);
  return failed == 0 ? 0 : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  bool selftest = false;
  std::wstring playlist;
  for (int i = 1; i < count; ++i) {
    const std::wstring arg = args[i];
    if (arg == L"--selftest") selftest = true;
    else if (arg == L"--linger" && i + 1 < count) demo.stopFile = args[++i];
    else playlist = arg;
  }
  LocalFree(args);

  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  demo.player = create<_clsVxAudoMP3PlayerB>(L"Orvalis.clsVxAudoMP3PlayerB", IID__clsVxAudoMP3PlayerB);
  demo.mixer = create<_clsVxAudoWMixerB>(L"Orvalis.clsVxAudoWMixerB", IID__clsVxAudoWMixerB);
  if (!demo.player) {
    MessageBoxW(nullptr, L"Orvalis.clsVxAudoMP3PlayerB cannot be created: register orvalis.dll first.",
                L"Orvalis demo", MB_OK | MB_ICONERROR);
    return 1;
  }

  createWindow();
  openMixer();
  if (!playlist.empty()) openPlaylist(playlist);
  ShowWindow(demo.window, selftest ? SW_SHOWNORMAL : show);
  UpdateWindow(demo.window);
  SetTimer(demo.window, kClockTimer, kClockMs, nullptr);

  int status = 0;
  if (selftest) {
    status = selfTest(playlist);
    if (demo.stopFile.empty()) DestroyWindow(demo.window);
    else click(kPlay);
  }
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (demo.mixer) demo.mixer->Release();
  demo.player->Release();
  CoUninitialize();
  return status;
}
