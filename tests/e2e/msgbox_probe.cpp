// msgbox_probe: checks that message boxes really show in this environment and
// that the watcher records and dismisses them: shows boxes the way the
// library's error handlers do and reads the watcher's log (its Windows path
// in ORVALIS_MSGBOX_LOG) afterwards.
//
// Prints PASS/FAIL lines and "VERDICT: N passed, M failed"; exit code 0 only
// when all checks passed.

#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
  std::fflush(stdout);
  (ok ? passed : failed)++;
}

std::wstring logPath() {
  wchar_t buf[1024];
  DWORD n = GetEnvironmentVariableW(L"ORVALIS_MSGBOX_LOG", buf, 1024);
  return (n > 0 && n < 1024) ? std::wstring(buf, n) : std::wstring();
}

std::string readAll(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::string all;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) all.append(buf, got);
  CloseHandle(h);
  return all;
}

// Waits up to two seconds for `line` to appear in the log after `before`
// bytes.
bool logged(const std::wstring& path, size_t before, const std::string& line) {
  for (int i = 0; i < 40; ++i) {
    std::string all = readAll(path);
    if (all.size() > before && all.find(line, before) != std::string::npos) return true;
    Sleep(50);
  }
  return false;
}

std::string printable(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\t') out += "<TAB>";
    else if (c == '\r') out += "<CR>";
    else if (c == '\n') out += "<LF>";
    else out += c;
  }
  return out;
}

}  // namespace

int main() {
  const std::wstring path = logPath();
  check(!path.empty(), "ORVALIS_MSGBOX_LOG is set");
  check(GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES,
        "the watcher's log exists");

  size_t before = readAll(path).size();
  DWORD t0 = GetTickCount();
  int r = MessageBoxW(nullptr, L"Overflow", L" Error", MB_OK);
  DWORD took = GetTickCount() - t0;
  check(r == IDOK, "the box is answered with OK (MessageBox returned " +
                       std::to_string(r) + ")");
  // Without a display Wine's MessageBox returns at once without showing a
  // window; the watcher needs at least one of its polling rounds.
  check(took >= 20, "the box was really shown (" + std::to_string(took) + " ms)");
  const std::string first = " Error\tOverflow\r\n";
  check(logged(path, before, first), "the log has the line \"" + printable(first) + "\"");

  before = readAll(path).size();
  r = MessageBoxW(nullptr, L"Line one\r\nLine\ttwo \u00e9\u20ac", L"Stop",
                  MB_OKCANCEL | MB_ICONSTOP);
  check(r == IDOK, "a box with OK and Cancel is answered with OK (" +
                       std::to_string(r) + ")");
  // Line breaks and tabs escaped, the rest in UTF-8.
  const std::string second = "Stop\tLine one\\nLine\\ttwo \xC3\xA9\xE2\x82\xAC\r\n";
  check(logged(path, before, second),
        "the log has the line \"" + printable(second) + "\"");

  std::printf("VERDICT: %d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
