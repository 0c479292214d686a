#!/usr/bin/env bash
# Checks the release artifacts: each DLL named is at most
# ARTIFACT_MAX_BYTES bytes (default 1 MiB), carries no debug sections and no
# symbol table, and imports system DLLs only (the C++ runtime is linked in).
#
#   tests/e2e/artifact_check.sh DLL...
#
# Prints PASS/FAIL lines and "VERDICT: N passed, M failed"; exit code 1 when
# a check failed.
set -uo pipefail

max=${ARTIFACT_MAX_BYTES:-1048576}
# DLLs that every Windows installation carries in its system folder.
system_dlls=(advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
  oleaut32.dll shell32.dll shlwapi.dll user32.dll version.dll winmm.dll)
passed=0
failed=0

check() {
  local name=$1 ok=$2 detail=${3:-}
  if [[ $ok == yes ]]; then
    echo "PASS $name"; passed=$((passed + 1))
  else
    echo "FAIL $name${detail:+ - $detail}"; failed=$((failed + 1))
  fi
}

for dll in "$@"; do
  base=$(basename "$dll")
  if [[ ! -f $dll ]]; then
    check "$base exists" no "$dll"
    continue
  fi
  size=$(stat -c %s "$dll")
  check "$base is at most $max bytes" "$( ((size <= max)) && echo yes)" "$size bytes"

  headers=$(objdump -h "$dll" 2>&1) || { check "objdump reads $base" no "$headers"; continue; }
  # A long section name that has lost its string table shows as "/N".
  debug=$(awk '$1 ~ /^[0-9]+$/ && ($2 ~ /^\.z?debug/ || $2 ~ /^\//) {print $2}' <<<"$headers" | tr '\n' ' ')
  check "$base has no debug sections" "$([[ -z $debug ]] && echo yes)" "$debug"
  if objdump -f "$dll" | grep -q 'HAS_SYMS'; then
    check "$base has no symbol table" no
  else
    check "$base has no symbol table" yes
  fi

  foreign=
  for import in $(objdump -p "$dll" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    [[ " ${system_dlls[*]} " == *" $import "* ]] || foreign+="$import "
  done
  check "$base imports system DLLs only" "$([[ -z $foreign ]] && echo yes)" "$foreign"
done

echo "VERDICT: $passed passed, $failed failed"
((failed == 0))
