#!/usr/bin/env bash
# Builds and runs every test: the set-up script's own tests, the unit tests
# of the portable core (native build, then again under AddressSanitizer and
# UndefinedBehaviorSanitizer in build/asan), a 10-second pass of each fuzz
# target (scripts/fuzz.sh), then the end-to-end suites of orvalis.dll under
# Wine (cross build), including the release zips that scripts/release.sh
# packs from the cross builds. The 64-bit build (build/win64) runs the same
# end-to-end suites under 64-bit Wine at the same time, named "win64/...";
# each run's output is printed when both are done.
# The last line is the end-to-end total of both, "e2e: N passed, M failed";
# the exit code is non-zero when any test failed or a build broke.
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

# e2e_total LOG — "N M" from a run's closing "e2e...: N passed, M failed".
e2e_total() {
  sed -n 's/^e2e[^:]*: \([0-9][0-9]*\) passed, \([0-9][0-9]*\) failed$/\1 \2/p' "$1" | tail -n 1
}

cross_build() {  # cross_build ARCH TOOLCHAIN
  local cross=()
  [[ -f build/$1/CMakeCache.txt ]] || cross=(-DCMAKE_TOOLCHAIN_FILE=cmake/$2.cmake)
  cmake -S . -B "build/$1" "${cross[@]}" && cmake --build "build/$1" -j2
}

mkdir -p build
rm -f build/e2e-win32.log build/e2e-win64.log
# Both cross builds come first, so that the two end-to-end runs then go side
# by side: the 32-bit one (under the emulator, where the machine needs one)
# and the 64-bit one, each with its own prefix, X display, sound server and
# folder. Building the 64-bit DLL beside the 32-bit suites made them take
# turns instead: the build outlasted the suites on two cores.
if [[ -f cmake/WindowsModule.cmake ]]; then
  cross_build win32 mingw-i686 || status=1
  cross_build win64 mingw-x86_64 || status=1
  # Their bytes come again from a second folder and a later link (seconds
  # each; scripts/release.sh --check rebuilds everything twice instead).
  bash tests/release/reproducible_check.sh build win32 || status=1
  [[ -f build/win64/orvalis.dll ]] && { bash tests/release/reproducible_check.sh build win64 || status=1; }
  # The version check itself fails for each place that disagrees.
  bash tests/release/version_check_test.sh build/win32/orvalis.dll || status=1
  # The release zips from these builds (seconds), which the end-to-end
  # suites unpack, register and check against the version.
  bash scripts/release.sh --no-build || status=1
fi
bash tests/e2e/run.sh build >build/e2e-win32.log 2>&1 &
e2e32=$!
if [[ -f build/win64/orvalis.dll ]]; then
  E2E_ARCH=win64 bash tests/e2e/run.sh build >build/e2e-win64.log 2>&1 || status=1
fi
wait "$e2e32" || status=1
cat build/e2e-win32.log
if [[ -f build/e2e-win64.log ]]; then
  cat build/e2e-win64.log
  read -r passed32 failed32 <<<"$(e2e_total build/e2e-win32.log)"
  read -r passed64 failed64 <<<"$(e2e_total build/e2e-win64.log)"
  echo "e2e: $((${passed32:-0} + ${passed64:-0})) passed, $((${failed32:-1} + ${failed64:-1})) failed"
fi
exit "$status"
