#!/usr/bin/env bash
# The main job: builds orvalis.dll (and the framework component
# vxbrennet.dll that its About box needs), registers them in a private Wine
# prefix under build/, and runs a demo host (demo/demo.vbs) that plays an
# MP3 through the library and prints what the library reads back.
#
#   scripts/demo.sh [file.mp3]     (without a file it synthesises a tone)
#
# With --window it runs the windowed demo host instead (demo/demo_window.cpp)
# on the test environment's X server: a playlist of three synthesised tones
# loaded into its list box, its self-test (play, pause, resume, volume,
# dragging, stop), then the first song playing again while the script takes
# a screenshot of the window (default build/demo-window.png).
#
#   scripts/demo.sh --window [--screenshot FILE.png]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

window=0
screenshot=build/demo-window.png
mp3=
while (( $# )); do
  case $1 in
    --window) window=1 ;;
    --screenshot) screenshot=${2:?--screenshot needs a file name}; shift ;;
    *) mp3=$1 ;;
  esac
  shift
done

bash scripts/setup.sh
targets=(orvalis vxbrennet)
(( window )) && targets+=(demo_window)
cross=(); [[ -f build/win32/CMakeCache.txt ]] || cross=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake)
cmake -S . -B build/win32 "${cross[@]}" >/dev/null
cmake --build build/win32 -j2 --target "${targets[@]}" >/dev/null

# shellcheck source=tests/e2e/wine-env.sh
source tests/e2e/wine-env.sh
e2e_start build

echo "Registering orvalis.dll and its framework component vxbrennet.dll in $WINEPREFIX"
e2e_wine regsvr32 /s "$(e2e_winpath build/win32/orvalis.dll)"
e2e_wine regsvr32 /s "$(e2e_winpath build/win32/vxbrennet.dll)"

# The windowed host: runs its self-test, then keeps playing until the
# screenshot is taken.
run_window() {
  # The songs go to C:\Music in the prefix, for short names in the list.
  local media=$WINEPREFIX/drive_c/Music out stop spec name seconds hz rc=0 i
  mkdir -p "$media" "$(dirname "$screenshot")"
  out=$E2E_DIR/demo_window.out
  stop=$E2E_DIR/demo_window.stop
  rm -f "$media"/*.mp3 "$stop"
  : >"$out"  # no verdict of an earlier run
  : >"$media/demo.m3u"
  for spec in "01 Tone A4:14:440" "02 Tone C5:9:523" "03 Tone E5:11:659"; do
    IFS=: read -r name seconds hz <<<"$spec"
    tests/e2e/make-test-mp3.sh "$media/$name.mp3" "$seconds" "$hz" >/dev/null
    printf 'C:\\Music\\%s.mp3\r\n' "$name" >>"$media/demo.m3u"
  done
  # There is no window manager on the X server: Wine draws the window's
  # caption and frame itself when the program's windows are not decorated.
  # Its caption buttons are glyphs of its Marlett font, and its dialog font
  # is Tahoma: Debian's Wine finds neither where fonts-wine puts them, but
  # it loads every font in the prefix's Fonts folder.
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\demo_window.exe\\X11 Driver]\n"Decorated"="N"\n' \
    >"$E2E_DIR/undecorated.reg"
  e2e_wine regedit /S "$(e2e_winpath "$E2E_DIR/undecorated.reg")" >/dev/null 2>&1

  echo "Running the windowed demo host (demo/demo_window.cpp) on $DISPLAY"
  e2e_wine build/win32/demo_window.exe --selftest --linger "$(e2e_winpath "$stop")" \
    'C:\Music\demo.m3u' </dev/null >"$out" 2>"$out.stderr" &
  local pid=$!
  for ((i = 0; i < 600; i++)); do
    grep -q '^VERDICT' "$out" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
  done
  if grep -q '^VERDICT' "$out"; then
    sleep 2  # a few clock ticks into the song again
    # import waits for a mouse click when no window has that name: hence
    # the time limit.
    timeout 60 import -window "Orvalis demo" "$screenshot" || rc=1
  else
    rc=1
  fi
  touch "$stop"
  wait "$pid" || rc=1
  tr -d '\r' <"$out"
  if (( rc == 0 )); then
    echo "Screenshot: $screenshot"
  else
    echo "The windowed demo host failed (see $out.stderr)" >&2
  fi
  return "$rc"
}

if (( window )); then
  run_window
  exit
fi

if [[ -z $mp3 ]]; then
  mp3=$E2E_DIR/media/demo.mp3
  tests/e2e/make-test-mp3.sh "$mp3" 6.8 523 >/dev/null
fi
export ORVALIS_DEMO_MP3
ORVALIS_DEMO_MP3=$(e2e_winpath "$(cd "$(dirname "$mp3")" && pwd)/$(basename "$mp3")")

echo "Running the demo host (demo/demo.vbs)"
e2e_wine cscript //nologo "$(e2e_winpath demo/demo.vbs)" 2>/dev/null | tr -d '\r'
