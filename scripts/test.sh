#!/usr/bin/env bash
# Builds and runs every test: the set-up script's own tests, the unit tests
# of the portable core (native build, then again under AddressSanitizer and
# UndefinedBehaviorSanitizer in build/asan), a 10-second pass of each fuzz
# target (scripts/fuzz.sh), then the end-to-end suites of orvalis.dll under Wine (cross build).
# The last line is the end-to-end total, "e2e: N passed, M failed"; the exit
# code is non-zero when any test failed or a build broke.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh

status=0

# The set-up logic itself, against stubs of apt (no network).
bash tests/setup/setup_test.sh || status=1

cmake -S . -B build/native
cmake --build build/native -j2
ctest --test-dir build/native --output-on-failure || status=1

cmake -S . -B build/asan -DORVALIS_SANITIZE=ON
cmake --build build/asan -j2
ctest --test-dir build/asan --output-on-failure -j2 || status=1

bash scripts/fuzz.sh short || status=1

if [[ -f cmake/WindowsModule.cmake ]]; then
  cross=(); [[ -f build/win32/CMakeCache.txt ]] || cross=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake)
  cmake -S . -B build/win32 "${cross[@]}"
  cmake --build build/win32 -j2
fi

bash tests/e2e/run.sh build || status=1
exit "$status"
