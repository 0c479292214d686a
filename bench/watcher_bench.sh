#!/usr/bin/env bash
# Runs the playback watcher's processor-time benchmark under Wine
# (watcher_bench.exe): a host waiting 10 s in its message loop on a 6-second
# song, alone and with a watcher and a sink, in the end-to-end environment
# of BUILD_DIR (default build). Build the 32-bit cross build first.
#
#   bench/watcher_bench.sh [BUILD_DIR [ROUNDS [INTERVAL]]]
#
# The line that starts with RATIO is the figure (goal: at most 1.05).
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${1:-build}
rounds=${2:-3}
interval=${3:-250}

# shellcheck source=../tests/e2e/wine-env.sh
source "$here/../tests/e2e/wine-env.sh"
e2e_start "$build" || exit 1

servers=("$E2E_BUILD/win32/orvalis.dll" "$E2E_BUILD/win32/orvalisevents.dll")
exe=$E2E_BUILD/win32/watcher_bench.exe
for file in "${servers[@]}" "$exe"; do
  [[ -f $file ]] || { echo "watcher_bench: $file is missing (build the cross build first)"; exit 1; }
done

mp3=$E2E_DIR/media/tone-6s.mp3
mkdir -p "$(dirname "$mp3")"
[[ -f $mp3 ]] || "$here/../tests/e2e/make-test-mp3.sh" "$mp3" 6.0 440 >/dev/null || exit 1

for server in "${servers[@]}"; do
  e2e_wine regsvr32 /s "$(e2e_winpath "$server")" || { echo "watcher_bench: regsvr32 failed"; exit 1; }
done
status=0
e2e_wine "$exe" "$(e2e_winpath "$mp3")" "$rounds" "$interval" </dev/null | tr -d '\r' || status=1
for server in "${servers[@]}"; do
  e2e_wine regsvr32 /u /s "$(e2e_winpath "$server")"
done
exit "$status"
