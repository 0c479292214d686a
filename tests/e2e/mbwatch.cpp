// mbwatch: dismisses the message boxes that appear while the end-to-end
// tests run, and records each one so that a test can check what was shown.
//
//   mbwatch.exe LOGFILE STOPFILE
//
// Every ~50 ms the watcher looks at the top-level windows of the desktop.
// Each visible dialog (window class "#32770") it has not handled yet gets one
// line appended to LOGFILE, in UTF-8:
//
//   title<TAB>text<CR><LF>
//
// where text is the dialog's message text. Inside title and text a line
// break (CR LF, LF or CR) is written as the two characters \n and a tab as
// \t; nothing else is escaped. The line is on disk before the dialog is
// answered: the watcher then presses OK (or, when the dialog has no OK
// button, Cancel; failing both, it closes the window).
//
// LOGFILE is created (empty) when the watcher starts, so its existence tells
// the caller that the watcher is running. The watcher ends when STOPFILE
// exists.
//
// The watcher also lets go of the mouse for the programs: a window dragged
// by its caption (WM_NCLBUTTONDOWN with HTCAPTION, as a form-drag helper
// sends) runs a move loop that lasts until the left button comes up, which
// under Xvfb never happens by itself. A thread found in such a loop gets a
// WM_LBUTTONUP posted to the moving window, and a note goes to stderr.

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>

#include <string>
#include <vector>

namespace {

// Static control that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;

std::wstring windowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  if (n <= 0) return std::wstring();
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  int got = GetWindowTextW(hwnd, &s[0], n + 1);
  s.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return s;
}

std::wstring className(HWND hwnd) {
  wchar_t buf[256];
  int n = GetClassNameW(hwnd, buf, 256);
  return std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

struct StaticSearch {
  std::wstring text;
};

BOOL CALLBACK findStaticText(HWND child, LPARAM lp) {
  auto* s = reinterpret_cast<StaticSearch*>(lp);
  if (_wcsicmp(className(child).c_str(), L"Static") != 0) return TRUE;
  LONG style = GetWindowLongW(child, GWL_STYLE);
  if ((style & SS_TYPEMASK) == SS_ICON || (style & SS_TYPEMASK) == SS_BITMAP)
    return TRUE;
  std::wstring t = windowText(child);
  if (t.empty()) return TRUE;
  s->text = t;
  return FALSE;
}

// The message text of a dialog: the message-box text control when there is
// one, otherwise the first static control with text.
std::wstring dialogMessage(HWND dlg) {
  HWND item = GetDlgItem(dlg, kMessageTextId);
  if (item) return windowText(item);
  StaticSearch s;
  EnumChildWindows(dlg, findStaticText, reinterpret_cast<LPARAM>(&s));
  return s.text;
}

std::wstring escapeField(const std::wstring& in) {
  std::wstring out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    wchar_t c = in[i];
    if (c == L'\r') {
      if (i + 1 < in.size() && in[i + 1] == L'\n') ++i;
      out += L"\\n";
    } else if (c == L'\n') {
      out += L"\\n";
    } else if (c == L'\t') {
      out += L"\\t";
    } else {
      out += c;
    }
  }
  return out;
}

std::string toUtf8(const std::wstring& w) {
  if (w.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()),
                              nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0],
                      n, nullptr, nullptr);
  return s;
}

// Appends one line and closes the file again, so the line is complete on
// disk before the dialog is answered and a reader never sees half of it.
bool appendLine(const wchar_t* path, const std::string& line) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    HANDLE h = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ |
                           FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      BOOL ok = WriteFile(h, line.data(), static_cast<DWORD>(line.size()),
                          &written, nullptr);
      FlushFileBuffers(h);
      CloseHandle(h);
      return ok && written == line.size();
    }
    Sleep(10);  // a reader may hold it without sharing for a moment
  }
  return false;
}

void answer(HWND dlg) {
  HWND ok = GetDlgItem(dlg, IDOK);
  if (ok) {
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(ok));
    return;
  }
  HWND cancel = GetDlgItem(dlg, IDCANCEL);
  if (cancel) {
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(cancel));
    return;
  }
  PostMessageW(dlg, WM_CLOSE, 0, 0);
}

struct Scan {
  std::vector<HWND> dialogs;
  std::vector<DWORD> threads;  // threads owning a visible top-level window
};

BOOL CALLBACK collectWindows(HWND hwnd, LPARAM lp) {
  if (!IsWindowVisible(hwnd)) return TRUE;
  auto* scan = reinterpret_cast<Scan*>(lp);
  DWORD tid = GetWindowThreadProcessId(hwnd, nullptr);
  bool known = false;
  for (DWORD t : scan->threads) known = known || t == tid;
  if (!known) scan->threads.push_back(tid);
  if (className(hwnd) == L"#32770") scan->dialogs.push_back(hwnd);
  return TRUE;
}

// Ends the move or size loops the threads are in, as a user releasing the
// mouse button would.
void releaseMoveLoops(const std::vector<DWORD>& threads) {
  for (DWORD tid : threads) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(tid, &info)) continue;
    if (!(info.flags & GUI_INMOVESIZE) || !info.hwndMoveSize) continue;
    PostMessageW(info.hwndMoveSize, WM_LBUTTONUP, 0, 0);
    fwprintf(stderr, L"mbwatch: released the mouse for the move loop of window %p (\"%ls\")\n",
             static_cast<void*>(info.hwndMoveSize), windowText(info.hwndMoveSize).c_str());
    fflush(stderr);
  }
}

bool contains(const std::vector<HWND>& v, HWND h) {
  for (HWND x : v)
    if (x == h) return true;
  return false;
}

bool fileExists(const wchar_t* path) {
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    fputws(L"usage: mbwatch LOGFILE STOPFILE\n", stderr);
    return 2;
  }
  const wchar_t* logPath = argv[1];
  const wchar_t* stopPath = argv[2];
  if (!appendLine(logPath, std::string())) {
    fwprintf(stderr, L"mbwatch: cannot write %ls\n", logPath);
    return 1;
  }

  // Dialogs already answered and still on screen: they are not logged again
  // while they close. A handle leaves the list once its window is gone, so a
  // later dialog that gets the same handle is seen as new.
  std::vector<HWND> handled;
  while (!fileExists(stopPath)) {
    Scan scan;
    EnumWindows(collectWindows, reinterpret_cast<LPARAM>(&scan));
    releaseMoveLoops(scan.threads);
    std::vector<HWND> still;
    for (HWND h : handled)
      if (IsWindow(h) && contains(scan.dialogs, h)) still.push_back(h);
    handled.swap(still);

    for (HWND dlg : scan.dialogs) {
      if (contains(handled, dlg)) continue;
      std::wstring line = escapeField(windowText(dlg)) + L"\t" +
                          escapeField(dialogMessage(dlg)) + L"\r\n";
      if (!appendLine(logPath, toUtf8(line)))
        fwprintf(stderr, L"mbwatch: cannot append to %ls\n", logPath);
      answer(dlg);
      handled.push_back(dlg);
    }
    Sleep(50);
  }
  return 0;
}
