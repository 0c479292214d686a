#!/usr/bin/env bash
# Builds the libFuzzer targets of the portable core (tests/fuzz, clang with
# AddressSanitizer and UndefinedBehaviorSanitizer) in build/fuzz and runs
# each of them in turn.
#
#   scripts/fuzz.sh [short] [TARGET...]   10 seconds per target (scripts/test.sh runs this)
#   scripts/fuzz.sh long [TARGET...]      10 million executions per target, one
#                                         job, at nice 19 (from 2 minutes to
#                                         an hour per target on a busy
#                                         two-core machine)
#
# Inputs are up to 1 KiB: longer ones add nothing the properties need (the
# longest, a number past the Double range in hexadecimal, takes 258 bytes)
# and slow the line and field targets down several times.
# FUZZ_SECONDS (short) and FUZZ_RUNS (long) change the budget. Each target
# starts from its seeds in tests/fuzz/corpus/<target> and from what earlier
# runs kept in build/fuzz/corpus/<target>, where new inputs go. A finding
# (failed property, crash, sanitizer report, leak, an input slower than 10 s)
# is saved in build/fuzz/findings/ and makes the script fail; reproduce it
# with build/fuzz/tests/fuzz/fuzz_<target> <file>. The last line reads
# "fuzz: N passed, M failed"; before it, one line per target as it ends gives
# its executions and seconds.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

mode=short
if [[ ${1:-} == short || ${1:-} == long ]]; then
  mode=$1
  shift
fi

build=build/fuzz
mkdir -p "$build/findings" "$build/logs"
if ! { [[ -f $build/CMakeCache.txt ]] ||
       CC=clang CXX=clang++ cmake -S . -B "$build" -DORVALIS_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo; } \
       >"$build/logs/build.log" 2>&1 ||
   ! cmake --build "$build" -j2 >>"$build/logs/build.log" 2>&1; then
  tail -n 40 "$build/logs/build.log" >&2
  echo "fuzz: the targets do not build" >&2
  exit 1
fi

# A small quarantine keeps freed blocks poisoned for many executions (each
# uses far less than 16 MiB) at half the cost of the default 256 MiB.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}

if (( $# )); then
  targets=("$@")
else
  targets=()
  for source in tests/fuzz/*.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("$name")
  done
fi

budget=(-max_total_time="${FUZZ_SECONDS:-10}")
runner=()
if [[ $mode == long ]]; then
  budget=(-runs="${FUZZ_RUNS:-10000000}")
  runner=(nice -n 19)
fi

passed=0
failed=0
for target in "${targets[@]}"; do
  program=$build/tests/fuzz/fuzz_$target
  seeds=tests/fuzz/corpus/$target
  corpus=$build/corpus/$target
  log=$build/logs/$mode-$target.log
  mkdir -p "$corpus"
  start=$(date +%s%N)
  status=0
  "${runner[@]}" "$program" "${budget[@]}" -max_len=1024 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target-" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  tenths=$(( ($(date +%s%N) - start) / 100000000 ))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  if (( status == 0 )); then
    passed=$((passed + 1))
    verdict=PASS
  else
    failed=$((failed + 1))
    verdict=FAIL
    echo "---- $target: last lines of $log ----" >&2
    tail -n 30 "$log" >&2
  fi
  printf '%-4s %-16s %12s executions %7d.%d s\n' "$verdict" "$target" "${runs:-?}" $((tenths / 10)) $((tenths % 10))
done

echo "fuzz: $passed passed, $failed failed"
(( failed == 0 ))
