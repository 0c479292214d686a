#!/usr/bin/env bash
# Runs the environment checks of the end-to-end runner again and again, each
# time in a Wine prefix made anew, while another Wine job keeps the machine
# busy: the conditions of a first test run on a new machine.
#
#   tests/e2e/fresh_prefix_runs.sh BUILD_DIR [COUNT64 [COUNT32]]
#
# COUNT64 (default 20) runs for the 64-bit environment, then COUNT32
# (default 10) for the 32-bit one. Each run uses BUILD_DIR/fresh, where no
# DLL is built, so the runner stops after its environment checks
# (mci_probe, msgbox_probe, env/*.vbs). The load is a loop that creates
# prefixes of the other architecture in BUILD_DIR/fresh-load with wineboot,
# the heaviest Wine work there is. Each run's log stays as
# BUILD_DIR/fresh/run-ARCH-N.log; the last line is "fresh prefixes: N
# passed, M failed", and the exit code is non-zero when M > 0.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${1:?usage: tests/e2e/fresh_prefix_runs.sh BUILD_DIR [COUNT64 [COUNT32]]}
count64=${2:-20}
count32=${3:-10}
mkdir -p "$build"
build=$(cd "$build" && pwd)
runs=$build/fresh
load=$build/fresh-load
passed=0
failed=0

wine_loader() {  # wine_loader ARCH
  if [[ $1 == win64 ]]; then
    source "$here/wine-env.sh" && e2e_wine64_loader
  else
    echo wine
  fi
}

# load_loop ARCH — creates prefixes of ARCH until killed.
load_loop() {
  local loader i=0
  loader=$(wine_loader "$1") || return 1
  export WINEARCH=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  while true; do
    export WINEPREFIX=$load/prefix-$((i++ % 2))
    rm -rf "$WINEPREFIX"
    "$loader" wineboot -i >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
  done
}

start_load() {
  load_loop "$1" &
  load_pid=$!
}

stop_load() {
  kill "$load_pid" 2>/dev/null
  wait "$load_pid" 2>/dev/null
  local prefix
  for prefix in "$load"/prefix-*; do
    [[ -d $prefix ]] && WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
  done
  rm -rf "$load"
}

# fresh_runs ARCH COUNT OTHER_ARCH
fresh_runs() {
  local arch=$1 count=$2 i log rc t0
  (( count > 0 )) || return 0
  start_load "$3"
  for ((i = 1; i <= count; i++)); do
    rm -rf "$runs/wineprefix" "$runs/wineprefix64" "$runs/e2e" "$runs/e2e64"
    log=$runs/run-$arch-$i.log
    t0=$SECONDS
    E2E_ARCH=$arch bash "$here/run.sh" "$runs" >"$log" 2>&1
    rc=$?
    if (( rc == 0 )); then
      passed=$((passed + 1))
      echo "PASS $arch fresh prefix $i: $(tail -n 1 "$log") ($((SECONDS - t0)) s)"
    else
      failed=$((failed + 1))
      echo "FAIL $arch fresh prefix $i: exit code $rc ($((SECONDS - t0)) s); see $log"
      grep -e '^----' -e '^     ' "$log" | sed 's/^/  /'
    fi
  done
  stop_load
}

mkdir -p "$runs"
trap 'stop_load' EXIT
fresh_runs win64 "$count64" win32
fresh_runs win32 "$count32" win64
trap - EXIT
echo "fresh prefixes: $passed passed, $failed failed"
(( failed == 0 ))
