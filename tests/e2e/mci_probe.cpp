// mci_probe: checks that MP3 playback through the MCI command-string service
// works in this environment, the way the player classes use it: the device
// is opened by its quoted file name, played, and asked for its mode, length
// and position.
//
//   mci_probe.exe FILE EXPECTED_MS [WAIT_MS]
//
// FILE is the MP3 file (a Windows path), EXPECTED_MS its length in
// milliseconds, WAIT_MS how long to let it play before the position is read
// again (default 1500). Prints every command with its return code and reply,
// then one PASS or FAIL line per check and a closing
// "VERDICT: N passed, M failed" line; the exit code is 0 only when all
// checks passed.

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
  (ok ? passed : failed)++;
}

struct Reply {
  MCIERROR rc;
  std::string text;
};

Reply send(const std::string& cmd) {
  char buf[128];
  std::memset(buf, 0, sizeof buf);
  MCIERROR rc = mciSendStringA(cmd.c_str(), buf, sizeof buf, nullptr);
  Reply r{rc, std::string(buf)};
  char err[256] = "";
  if (rc != 0) mciGetErrorStringA(rc, err, sizeof err);
  std::printf("> %s\n  rc=%lu reply=\"%s\"%s%s\n", cmd.c_str(),
              static_cast<unsigned long>(rc), r.text.c_str(),
              rc ? " error=" : "", err);
  std::fflush(stdout);
  return r;
}

long leadingNumber(const std::string& s) {
  return std::strtol(s.c_str(), nullptr, 10);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: mci_probe FILE EXPECTED_MS [WAIT_MS]\n");
    return 2;
  }
  const std::string dev = std::string("\"") + argv[1] + "\"";
  const long expected = std::strtol(argv[2], nullptr, 10);
  const DWORD waitMs = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1500;

  std::printf("wave-out devices: %u, wave-in devices: %u, mixers: %u\n",
              waveOutGetNumDevs(), waveInGetNumDevs(), mixerGetNumDevs());
  check(waveOutGetNumDevs() > 0, "a wave-out device exists");

  Reply open = send("open " + dev);
  check(open.rc == 0, "open by quoted file name");
  Reply play = send("play " + dev);
  check(play.rc == 0, "play");
  Reply mode = send("status " + dev + " mode");
  check(mode.rc == 0 && mode.text == "playing",
        "mode right after play is \"playing\" (got \"" + mode.text + "\")");
  send("set " + dev + " time format milliseconds");
  Reply length = send("status " + dev + " length");
  long len = leadingNumber(length.text);
  check(length.rc == 0 && std::labs(len - expected) <= 100,
        "length " + std::to_string(len) + " ms within 100 ms of " +
            std::to_string(expected));
  Reply pos1 = send("status " + dev + " position");
  Sleep(waitMs);
  Reply pos2 = send("status " + dev + " position");
  long p1 = leadingNumber(pos1.text), p2 = leadingNumber(pos2.text);
  check(pos1.rc == 0 && pos2.rc == 0 && p2 > p1 &&
            p2 - p1 >= static_cast<long>(waitMs) / 2,
        "position advances while playing (" + std::to_string(p1) + " -> " +
            std::to_string(p2) + " over " + std::to_string(waitMs) + " ms)");
  send("stop " + dev);
  Reply stopped = send("status " + dev + " mode");
  check(stopped.rc == 0 && stopped.text != "playing",
        "mode after stop is not \"playing\" (got \"" + stopped.text + "\")");
  Reply close = send("close " + dev);
  check(close.rc == 0, "close");
  // Not a check: a command naming a file that is not open opens it for the
  // length of that command, so this usually answers.
  send("status " + dev + " mode");

  std::printf("VERDICT: %d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
