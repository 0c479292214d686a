// A small check harness for the end-to-end C++ clients: PASS/FAIL lines and
// the closing verdict the runner reads.
#pragma once

#include <cstdio>
#include <string>

namespace e2e {

inline int gPassed = 0;
inline int gFailed = 0;

inline void check(const std::string& name, bool condition, const std::string& detail = {}) {
  if (condition) {
    ++gPassed;
    std::printf("PASS %s\n", name.c_str());
  } else {
    ++gFailed;
    std::printf("FAIL %s%s%s\n", name.c_str(), detail.empty() ? "" : " - ", detail.c_str());
  }
  std::fflush(stdout);
}

inline int verdict() {
  std::printf("VERDICT: %d passed, %d failed\n", gPassed, gFailed);
  return gFailed == 0 ? 0 : 1;
}

inline std::string hex(long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
  return text;
}

}  // namespace e2e
