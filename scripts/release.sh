#!/usr/bin/env bash
# Builds the release: for each architecture a zip named with the library's
# version, build/release/orvalis-<version>-win32.zip and -win64.zip, holding
# what `cmake --install` puts in a prefix (cmake/Release.cmake), and
# build/release/SHA256SUMS over the zips.
#
#   scripts/release.sh            build (build/win32, build/win64) and pack
#   scripts/release.sh --no-build pack the builds as they are (scripts/test.sh,
#                                 after its own cross builds)
#   scripts/release.sh --check    also build the commit a second time, from
#                                 an export of it in another folder, and fail
#                                 unless both give the same zips, byte for byte
#
# The build's time is the commit's (SOURCE_DATE_EPOCH, see
# cmake/Reproducible.cmake), and the zips are dated with it: two releases of
# one commit are identical. The last line is "release: OK" or says what
# failed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

build=yes check=no
for arg in "$@"; do
  case $arg in
    --no-build) build=no ;;
    --check) check=yes ;;
    *) echo "usage: scripts/release.sh [--no-build] [--check]" >&2; exit 2 ;;
  esac
done

# pack SOURCE BUILD_ROOT OUT — configures and builds (unless --no-build)
# BUILD_ROOT/win32 and /win64 from SOURCE, installs each into a folder named
# like its zip and zips it into OUT, then writes OUT/SHA256SUMS.
pack() {
  local source=$1 builds=$2 out=$3 arch toolchain dir name stage
  rm -rf "$out"
  mkdir -p "$out"
  for arch in win32 win64; do
    dir=$builds/$arch
    toolchain=mingw-i686
    [[ $arch == win64 ]] && toolchain=mingw-x86_64
    if [[ $build == yes ]]; then
      local cross=()
      [[ -f $dir/CMakeCache.txt ]] || cross=(-DCMAKE_TOOLCHAIN_FILE=$source/cmake/$toolchain.cmake)
      cmake -S "$source" -B "$dir" "${cross[@]}" >"$out/configure-$arch.log"
      cmake --build "$dir" -j2 --target release_modules >"$out/build-$arch.log"
    fi
    name=$(cat "$dir/release-name")
    stage=$out/stage/$name
    cmake --install "$dir" --prefix "$stage" >"$out/install-$arch.log"
    python3 "$source/scripts/zip_folder.py" "$stage" "$out/$name.zip" "$(cat "$dir/source_date_epoch")"
    echo "release: $out/$name.zip ($(stat -c %s "$out/$name.zip") bytes)"
  done
  (cd "$out" && sha256sum orvalis-*.zip >SHA256SUMS)
}

pack "$root" "$root/build" "$root/build/release"
cat build/release/SHA256SUMS

if [[ $check == yes ]]; then
  if [[ -n $(git status --porcelain --untracked-files=no) ]]; then
    echo "release: --check compares with the commit, but the work tree has changes"
    exit 1
  fi
  # A second build of the same commit, elsewhere and later.
  again=$root/build/release-check
  rm -rf "$again"
  mkdir -p "$again/source"
  git archive HEAD | tar -x -C "$again/source"
  export SOURCE_DATE_EPOCH
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
  build=yes pack "$again/source" "$again/build" "$again/release"
  if ! cmp build/release/SHA256SUMS "$again/release/SHA256SUMS"; then
    echo "release: a second build of the commit gave other zips"
    diff build/release/SHA256SUMS "$again/release/SHA256SUMS" || true
    exit 1
  fi
  echo "release: a second build, in $again, gave the same zips"
fi
echo "release: OK"
