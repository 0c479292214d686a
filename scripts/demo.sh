#!/usr/bin/env bash
# The main job: builds orvalis.dll (and the framework component
# vxbrennet.dll that its About box needs), registers them in a private Wine
# prefix under build/, and runs a demo host (demo/demo.vbs) that plays an
# MP3 through the library and prints what the library reads back.
#
#   scripts/demo.sh [file.mp3]     (without a file it synthesises a tone)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
cross=(); [[ -f build/win32/CMakeCache.txt ]] || cross=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake)
cmake -S . -B build/win32 "${cross[@]}" >/dev/null
cmake --build build/win32 -j2 --target orvalis vxbrennet >/dev/null

# shellcheck source=tests/e2e/wine-env.sh
source tests/e2e/wine-env.sh
e2e_start build

mp3=${1:-}
if [[ -z $mp3 ]]; then
  mp3=$E2E_DIR/media/demo.mp3
  tests/e2e/make-test-mp3.sh "$mp3" 6.8 523 >/dev/null
fi
export ORVALIS_DEMO_MP3
ORVALIS_DEMO_MP3=$(e2e_winpath "$(cd "$(dirname "$mp3")" && pwd)/$(basename "$mp3")")

echo "Registering orvalis.dll and its framework component vxbrennet.dll in $WINEPREFIX"
e2e_wine regsvr32 /s "$(e2e_winpath build/win32/orvalis.dll)"
e2e_wine regsvr32 /s "$(e2e_winpath build/win32/vxbrennet.dll)"
echo "Running the demo host (demo/demo.vbs)"
e2e_wine cscript //nologo "$(e2e_winpath demo/demo.vbs)" 2>/dev/null | tr -d '\r'
