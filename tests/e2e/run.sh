#!/usr/bin/env bash
# Runs the end-to-end suites under Wine.
#
#   tests/e2e/run.sh BUILD_DIR [CLIENT.exe ...]
#
# 1. Starts the environment (wine-env.sh) with its prefix in BUILD_DIR.
# 2. Makes the test MP3 and exports, as Windows paths and values:
#      ORVALIS_TEST_MP3, ORVALIS_TEST_MP3_MS (4 s), ORVALIS_END_MP3,
#      ORVALIS_END_MP3_MS (4.8 s), ORVALIS_LONG_MP3, ORVALIS_LONG_MP3_MS
#      (12 s), ORVALIS_GREEK_MP3, ORVALIS_JAPANESE_MP3 (3 s each, named in
#      Greek and Japanese) with their _MS, ORVALIS_TWO_SECOND_MP3 (2 s, for
#      the playback watcher), ORVALIS_MSGBOX_LOG, ORVALIS_E2E_TMP
# 3. Checks the environment itself: MP3 playback through MCI (mci_probe),
#    message boxes seen and dismissed by the watcher (msgbox_probe) and the
#    scripts in tests/e2e/env/.
# 4. When BUILD_DIR/win32/orvalis.dll exists: checks the release artifacts
#    (artifact_check.sh) and that every place agrees on the version
#    (tests/release/version_check.py); before anything is registered, runs
#    the registration-free hosts (regfree_client.cpp) and checks the release
#    zip of BUILD_DIR/release where scripts/release.sh made one (unpacked
#    into a fresh folder of the prefix, registered, its sample run,
#    unregistered). Then it plants a
#    stand-in of the runtime's registration of the collection interface (see
#    plant_runtime_keys), registers the DLL with regsvr32 (and beside it the
#    framework component vxbrennet.dll, exported to the suites as
#    ORVALIS_VXBRENNET_DLL) and runs every tests/e2e/*.vbs with cscript
#    (with the test-only event_recorder.dll registered for them), then
#    every C++ client: those named on the command line, or else
#    BUILD_DIR/win32/client_*.exe.
#
# E2E_ARCH=win64 runs the same suites for the 64-bit build instead: the
# environment of wine-env.sh in its 64-bit form (its own prefix and folder,
# BUILD_DIR/e2e64), BUILD_DIR/win64/orvalis.dll registered with the 64-bit
# regsvr32, every tests/e2e/*.vbs run by the 64-bit cscript and the 64-bit
# programs of BUILD_DIR/win64. Its suites are named with "win64/" in front
# (E2E_ONLY matches the name with or without it).
#
# Each suite prints "PASS ..." and "FAIL ..." lines and ends with
# "VERDICT: N passed, M failed". A suite fails when it prints a FAIL line,
# lacks the verdict as its last line, has a verdict that disagrees with its
# lines, exits non-zero or runs out of time (E2E_SUITE_TIMEOUT seconds,
# default 300); a failure of the suite itself counts as one more failed check.
# E2E_ONLY, a list of glob patterns (for example "client_mixer* *mixer*.vbs"),
# runs only the suites whose names match; the environment still starts and
# the DLL is still registered. The message-box log starts empty for each
# suite. Outputs are kept in
# BUILD_DIR/e2e/out/ (BUILD_DIR/e2e64/out/). The last line is "e2e: N
# passed, M failed" ("e2e win64: ..."); the exit code is non-zero when M > 0.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${1:?usage: tests/e2e/run.sh BUILD_DIR [CLIENT.exe ...]}
shift
clients=("$@")
export E2E_ARCH=${E2E_ARCH:-win32}
arch=$E2E_ARCH
suite_prefix=
[[ $arch == win64 ]] && suite_prefix=win64/

# shellcheck source=tests/e2e/wine-env.sh
source "$here/wine-env.sh"

total_passed=0
total_failed=0
broken=()

# judge NAME OUT RC — adds a suite's result to the totals.
judge() {
  local name=$1 out=$2 rc=$3 passed failed last problem=""
  passed=$(grep -c '^PASS ' "$out" || true)
  failed=$(grep -c '^FAIL ' "$out" || true)
  last=$(grep -v '^[[:space:]]*$' "$out" | tail -n 1 || true)
  if [[ $last =~ ^VERDICT:\ ([0-9]+)\ passed,\ ([0-9]+)\ failed[[:space:]]*$ ]]; then
    if (( BASH_REMATCH[1] != passed || BASH_REMATCH[2] != failed )); then
      problem="verdict says ${BASH_REMATCH[1]} passed, ${BASH_REMATCH[2]} failed but the lines say $passed, $failed"
    fi
  else
    problem="no closing VERDICT line"
  fi
  if (( rc == 124 || rc == 137 )); then
    problem="timed out${problem:+; $problem}"
  elif (( rc != 0 )) && (( failed == 0 )); then
    problem="exit code $rc${problem:+; $problem}"
  fi
  if (( passed + failed == 0 )) && [[ -z $problem ]]; then
    problem="ran no check"
  fi
  # Script errors that cscript under Wine does not report by itself.
  # A suite whose script classes raise errors on purpose (a host list that
  # refuses an entry) says how many with "NOTE script errors raised on
  # purpose: N": the engine reports each one to cscript like a script error.
  local script_errors raised reported ignore='set_host_properties ignored'
  raised=$(sed -n 's/^NOTE script errors raised on purpose: \([0-9][0-9]*\)$/\1/p' "$out" | awk '{n += $1} END {print n + 0}')
  reported=$(grep -c 'fixme:wscript:ActiveScriptSite_OnScriptError' "$out.stderr" 2>/dev/null || true)
  if (( raised > 0 && ${reported:-0} == raised )); then
    ignore='set_host_properties ignored\|ActiveScriptSite_OnScriptError'
  fi
  script_errors=$(grep -E 'fixme:(vbscript|wscript):' "$out.stderr" 2>/dev/null \
    | grep -v -e "$ignore" | sed 's/^[0-9a-f]*:fixme://' | sort | uniq -c | head -n 10)
  if [[ -n $script_errors ]] && grep -q -e 'OnScriptError' -e 'parser_error' -e 'failed:' <<<"$script_errors"; then
    problem="${problem:+$problem; }the script stopped on an error"
  fi

  if [[ -n $problem ]]; then
    failed=$((failed + 1))
  fi
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  if (( failed > 0 )); then
    broken+=("$name")
    echo "---- $name: $passed passed, $failed failed${problem:+ ($problem)}"
    grep '^FAIL ' "$out" | sed 's/^/     /'
    if [[ -n $script_errors ]]; then
      echo "     Wine's script engine said:"
      sed 's/^ */     ! /' <<<"$script_errors"
    fi
    if [[ -n $problem ]]; then
      show_tail "last output lines" "$out" '|'
      show_tail "last lines of its standard error and Wine's messages" "$out.stderr" '!'
      show_low_disk
    fi
  else
    echo "     $name: $passed passed"
  fi
  if [[ -s $E2E_MSGBOX_LOG ]]; then
    echo "     message boxes: $(grep -c . "$E2E_MSGBOX_LOG")"
  fi
}

# show_tail TITLE FILE MARK — the last lines of FILE for a failed suite, or
# a word that there were none, so that an empty tail is not mistaken for a
# cut log. The sound libraries' chatter is left out.
show_tail() {
  local lines
  lines=$(grep -v -e '^ALSA lib' -e 'GStreamer-CRITICAL' -e '^[[:space:]]*$' "$2" 2>/dev/null | tail -n 15)
  if [[ -n $lines ]]; then
    echo "     $1:"
    sed "s/^/     $3 /" <<<"$lines"
  elif [[ -e $2 ]]; then
    echo "     $1: none"
  else
    echo "     $1: none (no file $2)"
  fi
}

# show_low_disk — a word on the disk when it is nearly full: a full disk
# stops a suite before its program starts (its script copy or output
# cannot be written), with nothing from the program itself.
show_low_disk() {
  local free
  free=$(df -Pm "$E2E_DIR" 2>/dev/null | awk 'NR == 2 { print $4 }')
  if [[ -n $free ]] && (( free < 512 )); then
    echo "     the disk of $E2E_DIR has only $free MiB free"
  fi
}

# wanted NAME — whether E2E_ONLY (when set) selects the suite NAME (given
# without the architecture's prefix).
wanted() {
  local pattern
  [[ -z ${E2E_ONLY:-} ]] && return 0
  for pattern in $E2E_ONLY; do
    # shellcheck disable=SC2053
    [[ $1 == $pattern || $suite_prefix$1 == $pattern ]] && return 0
  done
  return 1
}

# suite_vbs SCRIPT / suite_exe NAME EXE [ARGS...]
suite_vbs() {
  local script=$1 name out rc
  name=${script#"$here"/}
  wanted "$name" || return 0
  out=$outdir/${name//\//_}.out
  e2e_msgbox_reset
  E2E_TIMEOUT=${E2E_SUITE_TIMEOUT:-300} e2e_run_vbs "$script" "$out"
  rc=$?
  cp "$E2E_MSGBOX_LOG" "$out.msgbox"
  judge "$suite_prefix$name" "$out" "$rc"
}

suite_exe() {
  local name=$1 exe=$2 out rc
  shift 2
  wanted "$name" || return 0
  out=$outdir/$name.out
  e2e_msgbox_reset
  E2E_TIMEOUT=${E2E_SUITE_TIMEOUT:-300} e2e_run_exe "$exe" "$out" "$@"
  rc=$?
  cp "$E2E_MSGBOX_LOG" "$out.msgbox"
  judge "$suite_prefix$name" "$out" "$rc"
}

finish() {
  if (( ${#broken[@]} )); then
    echo "e2e: failing suites: ${broken[*]}"
  fi
  echo "e2e${suite_prefix:+ ${suite_prefix%/}}: $total_passed passed, $total_failed failed"
  e2e_stop
  (( total_failed == 0 ))
  exit
}

t0=$SECONDS
if ! e2e_start "$build"; then
  echo "e2e: the test environment did not start"
  total_failed=$((total_failed + 1))
  finish
fi
outdir=$E2E_DIR/out
rm -rf "$outdir"
mkdir -p "$outdir"

# make_test_mp3 NAME FILE SECONDS HZ — makes a tone MP3 and exports NAME (its
# Windows path) and NAME_MS (its length in milliseconds).
make_test_mp3() {
  local name=$1 file=$2 ms
  if ! ms=$("$here/make-test-mp3.sh" "$file" "$3" "$4"); then
    echo "e2e: cannot make the test MP3 $file"
    total_failed=$((total_failed + 1))
    finish
  fi
  export "$name=$(e2e_winpath "$file")" "${name}_MS=$ms"
}
make_test_mp3 ORVALIS_TEST_MP3 "$E2E_DIR/media/tone.mp3" 4.0 440
# For the end of a song: its last whole second lasts 800 ms while it plays.
make_test_mp3 ORVALIS_END_MP3 "$E2E_DIR/media/tone-4.8s.mp3" 4.8 660
# For positions beyond 9 s, where MP3 player A's seconds turn from text to
# a number.
make_test_mp3 ORVALIS_LONG_MP3 "$E2E_DIR/media/tone-12s.mp3" 12.0 550
# Names beyond the ANSI code page (Wine's is 1252 here): Greek and Japanese.
make_test_mp3 ORVALIS_GREEK_MP3 "$E2E_DIR/media/Ελληνικό τραγούδι.mp3" 3.0 494
make_test_mp3 ORVALIS_JAPANESE_MP3 "$E2E_DIR/media/日本の歌.mp3" 3.0 587
# For the playback watcher's events: a song that ends within a short wait.
make_test_mp3 ORVALIS_TWO_SECOND_MP3 "$E2E_DIR/media/tone-2s.mp3" 2.0 523

echo "e2e: environment checks"
if probe=$(e2e_build_tool mci_probe "$here/mci_probe.cpp" -lwinmm); then
  suite_exe env-mci_probe "$probe" "$ORVALIS_TEST_MP3" "$ORVALIS_TEST_MP3_MS"
else
  total_failed=$((total_failed + 1)); broken+=(env-mci_probe)
fi
if probe=$(e2e_build_tool msgbox_probe "$here/msgbox_probe.cpp" -luser32); then
  suite_exe env-msgbox_probe "$probe"
else
  total_failed=$((total_failed + 1)); broken+=(env-msgbox_probe)
fi
for script in "$here"/env/*.vbs; do
  [[ -e $script ]] && suite_vbs "$script"
done

dll=$E2E_BUILD/$arch/orvalis.dll
if [[ ! -f $dll ]]; then
  echo "e2e: $dll does not exist (no cross build yet): the library's suites are skipped"
  finish
fi

framework=$E2E_BUILD/$arch/vxbrennet.dll
servers=("$dll")
[[ -f $framework ]] && servers+=("$framework")
# The optional events companion, registered beside them the same way.
companion=$E2E_BUILD/$arch/orvalisevents.dll
[[ -f $companion ]] && servers+=("$companion")
export ORVALIS_VXBRENNET_DLL
ORVALIS_VXBRENNET_DLL=$(e2e_winpath "$framework")

# The identities of the library and of the framework component: after
# unregistration none may be left in HKEY_CLASSES_ROOT, and nothing that was
# there before may be missing.
library_marks=(Orvalis. orvalis.dll VxBrennet. vxbrennet.dll OrvalisEvents. orvalisevents.dll)
while read -r guid; do library_marks+=("$guid"); done < <(
  cat "$here/../../frame/orvalis.idl" "$here/../../vxbrennet/vxbrennet.idl" "$here/../../events/orvalisevents.idl" |
    grep -o -E 'uuid\([0-9A-Fa-f-]{36}\)' | cut -c6-41 |
    grep -v -i -e A4C46780-499F-101B-BB78-00AA00383CBB -e AD4EF4EA-FAC9-11CF-8425-00A0C9110056)

export_classes_root() {
  local file=$1 attempt
  # regedit now and then exits without writing the file (seen once with
  # three prefixes busy at once); an empty export would hide every key.
  for attempt in 1 2 3; do
    rm -f "$file"
    e2e_wine regedit /E "$(e2e_winpath "$file")" HKEY_CLASSES_ROOT >/dev/null 2>&1
    [[ -s $file ]] && break
  done
  # regedit writes UTF-16; compare as UTF-8 text.
  iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' >"$file.txt"
}

# The automation runtime registers the collection interface that
# CDRomsCollection returns; Wine's prefix has no such registration, so a
# stand-in of it is planted before the library registers, and the audit
# checks that registration and unregistration leave it as it was.
runtime_collection_key='HKEY_CLASSES_ROOT\Interface\{A4C46780-499F-101B-BB78-00AA00383CBB}'
plant_runtime_keys() {
  local reg=$E2E_DIR/runtime-keys.reg
  # Deleted and imported on every run, so that a faulty registration of an
  # earlier run cannot leave its values or subkeys behind as the reference.
  printf '%s\n' 'REGEDIT4' '' \
    "[-$runtime_collection_key]" '' \
    "[$runtime_collection_key]" '@="_Collection"' '' \
    "[$runtime_collection_key\\ProxyStubClsid32]" '@="{00020424-0000-0000-C000-000000000046}"' '' \
    "[$runtime_collection_key\\TypeLib]" '@="{000204EF-0000-0000-C000-000000000046}"' '"Version"="6.0"' \
    >"$reg"
  e2e_wine regedit /S "$(e2e_winpath "$reg")" >/dev/null 2>&1
}

# In a 64-bit prefix, Wine's type-library marshaller writes the interface
# keys of the type libraries it loads into the 32-bit view as well, where no
# unregistration of the 64-bit build looks. forget_marshaller_keys deletes
# the keys there whose TypeLib names the library or the framework component.
forget_marshaller_keys() {
  local file=$E2E_DIR/wow64-interfaces.reg key
  [[ $arch == win64 ]] || return 0
  rm -f "$file"
  e2e_wine regedit /E "$(e2e_winpath "$file")" 'HKEY_CLASSES_ROOT\Wow6432Node\Interface' >/dev/null 2>&1
  [[ -s $file ]] || return 0
  while read -r key; do
    e2e_wine reg delete "$key" /f >/dev/null 2>&1
  done < <(iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' |
    awk -v marks="$(printf '%s\n' "${library_marks[@]}" | grep -E '^[0-9A-Fa-f-]{36}$' | tr 'a-f' 'A-F')" '
      BEGIN { n = split(marks, list, "\n"); for (i = 1; i <= n; i++) ours["{" list[i] "}"] = 1 }
      /^\[/ { section = ($0 ~ /\\TypeLib\]$/) ? substr($0, 2, length($0) - 10) : ""; next }
      section != "" && /^@=/ { value = toupper(substr($0, 4, 38)); if (value in ours) print section; section = "" }')
}

# key_sections KEY FILE — the sections of an exported .reg text at KEY and below.
key_sections() {
  awk -v key="[$1" 'index($0, "[") == 1 { inside = index(tolower($0), tolower(key)) == 1 } inside' "$2"
}

registration_audit() {
  local before=$outdir/hkcr-before.reg after=$outdir/hkcr-after.reg out=$outdir/registration.out mark
  local runtime_key=$outdir/runtime-key.reg
  wanted registration || return 0
  : >"$out"
  e2e_wine regedit /E "$(e2e_winpath "$runtime_key")" "$runtime_collection_key" >/dev/null 2>&1
  iconv -f UTF-16 -t UTF-8 "$runtime_key" 2>/dev/null | tr -d '\r' >"$runtime_key.txt"
  if [[ -n $(key_sections "$runtime_collection_key" "$runtime_key.txt") ]] &&
     diff <(key_sections "$runtime_collection_key" "$before.txt") \
          <(key_sections "$runtime_collection_key" "$runtime_key.txt") >/dev/null; then
    echo "PASS registration leaves the runtime's collection interface key as it was" >>"$out"
  else
    echo "FAIL registration leaves the runtime's collection interface key as it was:" \
      "$(tr '\n' ' ' <"$runtime_key.txt" | cut -c1-300)" >>"$out"
  fi
  for server in "${servers[@]}"; do
    if e2e_wine regsvr32 /u /s "$(e2e_winpath "$server")" >>"$out" 2>&1; then
      echo "PASS regsvr32 /u $(basename "$server") succeeds" >>"$out"
    else
      echo "FAIL regsvr32 /u $(basename "$server") succeeds" >>"$out"
    fi
  done
  export_classes_root "$after"
  for mark in "${library_marks[@]}"; do
    if grep -q -i -F -- "$mark" "$after.txt"; then
      echo "FAIL unregistration leaves no key naming $mark: $(grep -i -F -m1 -- "$mark" "$after.txt")" >>"$out"
    else
      echo "PASS unregistration leaves no key naming $mark" >>"$out"
    fi
  done
  local lost
  lost=$(comm -23 <(grep '^\[' "$before.txt" | sort -u) <(grep '^\[' "$after.txt" | sort -u) | head -n 5)
  if [[ -n $lost ]]; then
    echo "FAIL unregistration removes no key of other libraries: ${lost//$'\n'/ }" >>"$out"
  else
    echo "PASS unregistration removes no key of other libraries" >>"$out"
  fi
  local passed failed
  passed=$(grep -c '^PASS ' "$out" || true)
  failed=$(grep -c '^FAIL ' "$out" || true)
  echo "VERDICT: $passed passed, $failed failed" >>"$out"
  judge "${suite_prefix}registration" "$out" 0
}

# The type library checker ends with its own closing line.
typelib_suite() {
  local exe=$E2E_BUILD/$arch/typelib_check.exe out=$outdir/typelib_check.out rc
  wanted typelib_check || return 0
  E2E_TIMEOUT=${E2E_SUITE_TIMEOUT:-300} e2e_run_exe "$exe" "$out.raw" "$(e2e_winpath "$dll")"
  rc=$?
  grep -v '^typelib_check: ' "$out.raw" | sed 's/^/FAIL /' >"$out"
  if [[ $(tail -n 1 "$out.raw") =~ ^typelib_check:\ ([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
    total_passed=$((total_passed + BASH_REMATCH[1] - 1))
    echo "PASS embedded type library and resources (${BASH_REMATCH[1]} facts)" >>"$out"
  fi
  echo "VERDICT: $(grep -c '^PASS ' "$out") passed, $(grep -c '^FAIL ' "$out") failed" >>"$out"
  judge "${suite_prefix}typelib_check" "$out" "$rc"
}

# The 64-bit prefix also runs 32-bit programs: the 32-bit build registered
# with the 32-bit regsvr32 beside the 64-bit one. Each host gets its own
# build, both library files are listed under the shared type library key,
# and unregistering one leaves the other working.
coexistence_suite() {
  local out=$outdir/coexistence.out dll32=$E2E_BUILD/win32/orvalis.dll
  local script=$E2E_DIR/which-build.vbs key='HKCR\TypeLib\{6D60E839-A320-49DE-BD18-CF2A747AC83B}\1.0\0'
  wanted coexistence || return 0
  [[ -f $dll32 ]] || { echo "     ${suite_prefix}coexistence: skipped, no 32-bit build"; return 0; }
  : >"$out"
  printf '%s\r\n' 'On Error Resume Next' 'Set info = CreateObject("Orvalis.clsVxOrvalisA")' \
    'If Err.Number <> 0 Then WScript.Echo "none" Else WScript.Echo info.GetProStdProperties.Path' >"$script"
  # check DESCRIPTION COMMAND... — one PASS or FAIL line.
  check() { if "${@:2}"; then echo "PASS $1" >>"$out"; else echo "FAIL $1" >>"$out"; fi; }
  folder64() { e2e_wine cscript //nologo "$(e2e_winpath "$script")" 2>/dev/null | tr -d '\r'; }
  folder32() { e2e_wine 'C:\windows\syswow64\cscript.exe' //nologo "$(e2e_winpath "$script")" 2>/dev/null | tr -d '\r'; }
  listed() { e2e_wine reg query "$key\\$1" 2>/dev/null | tr -d '\r' | grep -q -i -F "$(e2e_winpath "$2")"; }
  check "the 32-bit regsvr32 registers the 32-bit build beside the 64-bit one" \
    e2e_wine 'C:\windows\syswow64\regsvr32.exe' /s "$(e2e_winpath "$dll32")"
  check "the type library lists the 32-bit file under win32" listed win32 "$dll32"
  check "and the 64-bit file under win64" listed win64 "$dll"
  check "the 64-bit cscript gets the 64-bit build" test "$(folder64)" = "$(e2e_winpath "$E2E_BUILD/win64")"
  check "the 32-bit cscript gets the 32-bit build" test "$(folder32)" = "$(e2e_winpath "$E2E_BUILD/win32")"
  check "the 64-bit build unregisters" e2e_wine regsvr32 /u /s "$(e2e_winpath "$dll")"
  check "which leaves the 32-bit file listed" listed win32 "$dll32"
  check "and the 32-bit build working by ProgID" test "$(folder32)" = "$(e2e_winpath "$E2E_BUILD/win32")"
  check "while 64-bit hosts find no class" test "$(folder64)" = none
  check "the 32-bit build unregisters" e2e_wine 'C:\windows\syswow64\regsvr32.exe' /u /s "$(e2e_winpath "$dll32")"
  check "no library file is listed then" eval '! e2e_wine reg query "$key" >/dev/null 2>&1'
  check "the 64-bit build registers again" e2e_wine regsvr32 /s "$(e2e_winpath "$dll")"
  echo "VERDICT: $(grep -c '^PASS ' "$out") passed, $(grep -c '^FAIL ' "$out") failed" >>"$out"
  judge "${suite_prefix}coexistence" "$out" 0
}

# The release artifacts: size, no debug sections, system imports only.
artifact_suite() {
  local out=$outdir/artifact.out rc
  wanted artifact || return 0
  bash "$here/artifact_check.sh" "${servers[@]}" >"$out" 2>&1
  rc=$?
  judge "${suite_prefix}artifact" "$out" "$rc"
}

# One version everywhere: the version resource, the manifest, the change
# log, the library information suite's expectations and the release zips
# (where scripts/release.sh has made them in BUILD_DIR/release) agree with
# project(VERSION).
version_suite() {
  local out=$outdir/version.out rc zips=()
  wanted version || return 0
  for zip in "$E2E_BUILD"/release/orvalis-*-"$arch".zip; do
    [[ -f $zip ]] && zips+=("$zip")
  done
  python3 "$here/../release/version_check.py" "$here/../.." "$dll" "${zips[@]}" >"$out" 2>&1
  rc=$?
  judge "${suite_prefix}version" "$out" "$rc"
}

# The release zip as a host developer gets it (scripts/release.sh, in
# BUILD_DIR/release), before the build's DLLs are registered: unpacked into
# a fresh folder of the prefix, its DLLs registered from there, its own
# VBScript sample run, and both unregistered again, leaving nothing of the
# library in HKEY_CLASSES_ROOT.
release_zip_suite() {
  local out=$outdir/release_zip.out name zip dir folder version printed path
  wanted release_zip || return 0
  name=$(cat "$E2E_BUILD/$arch/release-name" 2>/dev/null) || name=
  zip=$E2E_BUILD/release/$name.zip
  if [[ -z $name || ! -f $zip ]]; then
    echo "     ${suite_prefix}release_zip: skipped, no release zip (scripts/release.sh --no-build)"
    return 0
  fi
  : >"$out"
  e2e_msgbox_reset
  check() { if "${@:2}"; then echo "PASS $1" >>"$out"; else echo "FAIL $1" >>"$out"; fi; }
  dir=$E2E_DIR/release_zip
  folder=$dir/$name
  rm -rf "$dir"
  mkdir -p "$dir"
  check "$name.zip unpacks" python3 -m zipfile -e "$zip" "$dir"
  for file in orvalis.dll vxbrennet.dll Orvalis.sxs.manifest VxBrennet.sxs.manifest README.txt LICENSE \
              CHANGELOG.md samples/hello.vbs samples/hello.cpp samples/demo.vbs; do
    check "the zip holds $file" test -s "$folder/$file"
  done
  check "regsvr32 registers orvalis.dll from the zip's folder" \
    e2e_wine regsvr32 /s "$(e2e_winpath "$folder/orvalis.dll")"
  check "regsvr32 registers vxbrennet.dll from the zip's folder" \
    e2e_wine regsvr32 /s "$(e2e_winpath "$folder/vxbrennet.dll")"
  # orvalis-1.0.0.101-win32 -> "Orvalis 1.0.101", as the sample prints it.
  version=${name#orvalis-}
  version=${version%-"$arch"}
  IFS=. read -r major minor _ revision <<<"$version"
  printed=$(cd "$folder/samples" && e2e_wine cscript //nologo hello.vbs 2>>"$out.stderr" | tr -d '\r')
  echo "$printed" | sed 's/^/NOTE hello.vbs: /' >>"$out"
  check "the sample hello.vbs names Orvalis $major.$minor.$revision" \
    grep -q "^Orvalis $major\.$minor\.$revision - " <<<"$printed"
  check "and creates a player" grep -q "^A player, playing: False" <<<"$printed"
  printf '%s\r\n' 'Set info = CreateObject("Orvalis.clsVxOrvalisA")' \
    'WScript.Echo info.GetProStdProperties.Path' >"$dir/path.vbs"
  path=$(e2e_wine cscript //nologo "$(e2e_winpath "$dir/path.vbs")" 2>>"$out.stderr" | tr -d '\r')
  check "the library answers from the zip's folder" test "$path" = "$(e2e_winpath "$folder")"
  check "regsvr32 /u unregisters vxbrennet.dll" e2e_wine regsvr32 /u /s "$(e2e_winpath "$folder/vxbrennet.dll")"
  check "regsvr32 /u unregisters orvalis.dll" e2e_wine regsvr32 /u /s "$(e2e_winpath "$folder/orvalis.dll")"
  export_classes_root "$dir/hkcr-after.reg"
  local mark left=
  for mark in "${library_marks[@]}"; do
    grep -q -i -F -- "$mark" "$dir/hkcr-after.reg.txt" && left+="$mark "
  done
  check "HKEY_CLASSES_ROOT names nothing of the library afterwards${left:+ ($left)}" test -z "$left"
  echo "VERDICT: $(grep -c '^PASS ' "$out") passed, $(grep -c '^FAIL ' "$out") failed" >>"$out"
  judge "${suite_prefix}release_zip" "$out" 0
  forget_marshaller_keys
  plant_runtime_keys
}

# Registration-free use, before anything is registered. regfree_hkcr: the
# export of HKEY_CLASSES_ROOT taken just before names nothing of the library
# or the framework component. Then the two hosts of regfree_client.cpp, each
# in a folder of its own: regfree_host, given the library's assembly
# manifest, and regfree_client beside copies of the DLLs and their assembly
# manifests.
regfree_suites() {
  local dir=$E2E_DIR/regfree out=$outdir/regfree_hkcr.out mark found=
  if wanted regfree_hkcr; then
    for mark in "${library_marks[@]}"; do
      grep -q -i -F -- "$mark" "$outdir/hkcr-before.reg.txt" && found+="$mark "
    done
    if [[ ! -s $outdir/hkcr-before.reg.txt ]]; then
      echo "FAIL HKEY_CLASSES_ROOT names nothing of the library before registration - the export is empty" >"$out"
    elif [[ -z $found ]]; then
      echo "PASS HKEY_CLASSES_ROOT names nothing of the library before registration" >"$out"
    else
      echo "FAIL HKEY_CLASSES_ROOT names nothing of the library before registration - $found" >"$out"
    fi
    echo "VERDICT: $(grep -c '^PASS ' "$out") passed, $(grep -c '^FAIL ' "$out") failed" >>"$out"
    judge "${suite_prefix}regfree_hkcr" "$out" 0
  fi
  rm -rf "$dir"
  mkdir -p "$dir/app" "$dir/host"
  cp "$dll" "$E2E_BUILD/$arch/Orvalis.sxs.manifest" "$E2E_BUILD/$arch/regfree_client.exe" "$dir/app/" &&
    cp "$framework" "$E2E_BUILD/$arch/VxBrennet.sxs.manifest" "$dir/app/" &&
    cp "$E2E_BUILD/$arch/regfree_host.exe" "$dir/host/" ||
    { total_failed=$((total_failed + 1)); broken+=(regfree); return; }
  # regfree_host first: regfree_client's last check leaves keys behind (Wine's
  # type-library marshaller registers the type library it loads), undone below.
  suite_exe regfree_host "$dir/host/regfree_host.exe" "$(e2e_winpath "$dir/app/Orvalis.sxs.manifest")"
  suite_exe regfree_client "$dir/app/regfree_client.exe" "$ORVALIS_TEST_MP3" "$ORVALIS_TEST_MP3_MS"
  # What Wine's marshaller registered (the library's TypeLib and Interface
  # keys, and the collection interface's key, which the type library lists
  # too) goes again, so that the registration audit starts from the state
  # it exported.
  wanted regfree_client || return 0
  e2e_wine regsvr32 /u /s "$(e2e_winpath "$dll")" >/dev/null 2>&1 || true
  forget_marshaller_keys
  plant_runtime_keys
}

# A prefix kept from an earlier run may still hold a registration.
for server in "${servers[@]}" "$E2E_BUILD/$arch/event_recorder.dll"; do
  [[ -f $server ]] || continue
  e2e_wine regsvr32 /u /s "$(e2e_winpath "$server")" >/dev/null 2>&1 || true
done
forget_marshaller_keys
plant_runtime_keys
export_classes_root "$outdir/hkcr-before.reg"
echo "e2e: release artifacts and registration-free use"
artifact_suite
version_suite
regfree_suites
release_zip_suite
for server in "${servers[@]}"; do
  echo "e2e: registering $server"
  if ! e2e_wine regsvr32 /s "$(e2e_winpath "$server")" >"$outdir/regsvr32.out" 2>&1; then
    echo "---- regsvr32 /s $(basename "$server") failed; the library's suites are skipped"
    tail -n 10 "$outdir/regsvr32.out" | sed 's/^/     ! /'
    total_failed=$((total_failed + 1)); broken+=(regsvr32)
    finish
  fi
done

echo "e2e: library suites"
typelib_suite
# The scripts' own sink for the watcher's events, a test-only server: it
# stands in for WScript.ConnectObject, which Wine's script host lacks.
# Registered for the scripts alone and unregistered after them, so that
# the registration audit sees none of its keys.
recorder=$E2E_BUILD/$arch/event_recorder.dll
if [[ -f $recorder ]] && ! e2e_wine regsvr32 /s "$(e2e_winpath "$recorder")" >/dev/null 2>&1; then
  echo "---- regsvr32 /s event_recorder.dll failed"
  total_failed=$((total_failed + 1)); broken+=(event_recorder)
fi
for script in "$here"/*.vbs; do
  [[ -e $script ]] && suite_vbs "$script"
done
if [[ -f $recorder ]] && ! e2e_wine regsvr32 /u /s "$(e2e_winpath "$recorder")" >/dev/null 2>&1; then
  echo "---- regsvr32 /u /s event_recorder.dll failed"
  total_failed=$((total_failed + 1)); broken+=(event_recorder)
fi
if (( ${#clients[@]} == 0 )); then
  for exe in "$E2E_BUILD/$arch"/client_*.exe; do
    [[ -e $exe ]] && clients+=("$exe")
  done
fi
for exe in "${clients[@]}"; do
  if [[ ! -f $exe ]]; then
    echo "---- $exe: no such program"
    total_failed=$((total_failed + 1)); broken+=("$exe")
    continue
  fi
  suite_exe "$(basename "$exe" .exe)" "$exe"
done

# The windowed demo host tests itself through its own controls, on a
# playlist of two of the test MP3s.
if [[ -f $E2E_BUILD/$arch/demo_window.exe ]]; then
  printf '%s\r\n' "$ORVALIS_LONG_MP3" "$ORVALIS_TEST_MP3" >"$E2E_DIR/tmp/demo_window.m3u"
  suite_exe demo_window "$E2E_BUILD/$arch/demo_window.exe" --selftest \
    "$(e2e_winpath "$E2E_DIR/tmp/demo_window.m3u")"
fi

# The late-bound fuzzer's short pass (FUZZ_ARGS=--full for the whole
# table), without a display so that message boxes return at once; last,
# but for the 64-bit coexistence check, since it sets mixer levels and leaves the CD device as the values left it.
fuzzer=$E2E_BUILD/$arch/fuzz_dispatch.exe
if [[ -f $fuzzer ]]; then
  display=${DISPLAY-}
  unset DISPLAY
  # shellcheck disable=SC2086
  suite_exe fuzz_dispatch "$fuzzer" ${FUZZ_ARGS:-}
  export DISPLAY=$display
fi

[[ $arch == win64 ]] && coexistence_suite
registration_audit
echo "e2e: took $((SECONDS - t0)) s"
finish
