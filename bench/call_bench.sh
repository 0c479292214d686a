#!/usr/bin/env bash
# Runs the call-cost benchmark of orvalis.dll under Wine: the C++ client
# (call_bench.exe, early- and late-bound against raw MCI calls and against
# Scripting.Dictionary, TimeOut's processor time) and the VBScript client
# (call_bench.vbs), then the layers of PositioninMS timed apart
# (call_profile.exe), in the end-to-end environment of BUILD_DIR (default
# build: its prefix, sound server and display). Build the cross build first.
#
#   bench/call_bench.sh [BUILD_DIR [ROUNDS]]
#
# Prints the measurements; the lines that start with RATIO and EXTRA are the
# figures to compare with their targets.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${1:-build}
rounds=${2:-300}

# shellcheck source=../tests/e2e/wine-env.sh
source "$here/../tests/e2e/wine-env.sh"
e2e_start "$build" || exit 1

dll=$E2E_BUILD/win32/orvalis.dll
exe=$E2E_BUILD/win32/call_bench.exe
profile=$E2E_BUILD/win32/call_profile.exe
for file in "$dll" "$exe" "$profile"; do
  [[ -f $file ]] || { echo "call_bench: $file is missing (build the cross build first)"; exit 1; }
done

mp3=$E2E_DIR/media/tone-12s.mp3
mkdir -p "$(dirname "$mp3")"
[[ -f $mp3 ]] || "$here/../tests/e2e/make-test-mp3.sh" "$mp3" 12.0 550 >/dev/null || exit 1

e2e_wine regsvr32 /s "$(e2e_winpath "$dll")" || { echo "call_bench: regsvr32 failed"; exit 1; }
status=0
e2e_wine "$exe" "$(e2e_winpath "$mp3")" "$rounds" </dev/null | tr -d '\r' || status=1
e2e_wine cscript //nologo "$(e2e_winpath "$here/call_bench.vbs")" </dev/null | tr -d '\r' || status=1
e2e_wine "$profile" "$(e2e_winpath "$mp3")" "$rounds" </dev/null | tr -d '\r' || status=1
e2e_wine regsvr32 /u /s "$(e2e_winpath "$dll")"
exit "$status"
