#!/usr/bin/env bash
# The version check must fail for each place that disagrees: run against a
# built DLL with a source tree whose project(VERSION), change log or
# library information suite says otherwise, and with a misnamed zip.
#
#   tests/release/version_check_test.sh DLL
#
# Prints PASS/FAIL lines and "VERDICT: N passed, M failed".
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
dll=${1:?usage: version_check_test.sh DLL}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
passed=0 failed=0
result() {
  if [[ $2 == yes ]]; then echo "PASS $1"; passed=$((passed + 1)); else echo "FAIL $1"; failed=$((failed + 1)); fi
}

# source_tree NAME — a copy of the three files the check reads.
source_tree() {
  mkdir -p "$tmp/$1/tests/e2e"
  cp "$root/CMakeLists.txt" "$root/CHANGELOG.md" "$tmp/$1/"
  cp "$root/tests/e2e/library_info.vbs" "$tmp/$1/tests/e2e/"
  echo "$tmp/$1"
}
# expect NAME SOURCE FAILURE [ZIP] — the check fails, naming FAILURE.
expect() {
  local out
  out=$(python3 "$here/version_check.py" "$2" "$dll" "${@:4}" 2>&1)
  result "$1" "$( [[ $? -ne 0 ]] && grep -q "^FAIL $3" <<<"$out" && echo yes)"
}

good=$(source_tree good)
result "the tree as it is passes" "$(python3 "$here/version_check.py" "$good" "$dll" >/dev/null && echo yes)"

tree=$(source_tree bumped)
sed -i 's/^\(project([A-Za-z]* VERSION [0-9.]*\)[0-9]\( \)/\19\2/' "$tree/CMakeLists.txt"
expect "a new project(VERSION) without a rebuild fails at the resource" "$tree" "the DLL's file version"

tree=$(source_tree changelog)
sed -i '0,/^## /s/^## .*/## 9.9.9.9/' "$tree/CHANGELOG.md"
expect "a change log whose top entry is another version fails" "$tree" "the change log's top entry"

tree=$(source_tree suite)
sed -i 's/\(CheckEqual "Revision", app\.Revision, \)[0-9]*/\1999/' "$tree/tests/e2e/library_info.vbs"
expect "a library information suite expecting another revision fails" "$tree" "the library information suite"

python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1], "w").write(sys.argv[2], "x/orvalis.dll")' \
  "$tmp/orvalis-0.0.0.1-win32.zip" "$dll"
expect "a zip named with another version fails" "$good" "orvalis-0.0.0.1-win32.zip is named" "$tmp/orvalis-0.0.0.1-win32.zip"

echo "VERDICT: $passed passed, $failed failed"
((failed == 0))
