#!/usr/bin/env bash
# Checks, cheaply, that a cross build gives the same bytes again in another
# folder and at another time; scripts/release.sh --check proves it in full
# (two whole builds of the commit).
#
#   tests/release/reproducible_check.sh BUILD_DIR ARCH   (ARCH: win32, win64)
#
# BUILD_DIR/ARCH must be built. What could stamp the bytes is redone:
# 1. the type libraries (widl, then tlbfix --stamp): made again in a second
#    build folder, BUILD_DIR/repro-ARCH, seconds later, they must equal the
#    first build's;
# 2. the link: orvalis.dll, vxbrennet.dll and orvalisevents.dll linked again, later, from the
#    same objects must equal the DLLs as they were (time stamps, checksum);
# 3. build paths: neither DLL may carry the source or the build folder;
# 4. the zip: the installed files zipped twice, the second time a second
#    later and with their modification times changed, give the same zip.
# Prints PASS/FAIL lines and "VERDICT: N passed, M failed"; exit code 1 when
# a check failed.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
root=$PWD
build=$(cd "${1:?usage: reproducible_check.sh BUILD_DIR ARCH}" && pwd)
arch=${2:?usage: reproducible_check.sh BUILD_DIR ARCH}
dir=$build/$arch
second=$build/repro-$arch
passed=0 failed=0
check() {
  if "${@:2}"; then echo "PASS $1"; passed=$((passed + 1)); else echo "FAIL $1"; failed=$((failed + 1)); fi
}

# The build as it stands first (nothing to do right after a build): a
# configuration run since, after a commit, brings a new time.
cmake --build "$dir" --target orvalis vxbrennet orvalisevents >"$build/repro-$arch.log" 2>&1 ||
  check "$arch builds (see $build/repro-$arch.log)" false

toolchain=mingw-i686
[[ $arch == win64 ]] && toolchain=mingw-x86_64
# The time widl records is in seconds: make sure it has moved on.
sleep 1
rm -rf "$second"
# The same moment as the first build's, which may be of an earlier commit.
if SOURCE_DATE_EPOCH=$(cat "$dir/source_date_epoch") cmake -S "$root" -B "$second" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" >>"$build/repro-$arch.log" 2>&1 &&
    cmake --build "$second" -j2 --target orvalis_typelib vxbrennet_typelib orvalisevents_typelib >>"$build/repro-$arch.log" 2>&1; then
  check "a second folder's orvalis.tlb is the same, byte for byte" cmp "$dir/typelib/orvalis.tlb" "$second/typelib/orvalis.tlb"
  check "and its vxbrennet.tlb" cmp "$dir/vxbrennet/vxbrennet.tlb" "$second/vxbrennet/vxbrennet.tlb"
  check "and its orvalisevents.tlb" cmp "$dir/orvalisevents/orvalisevents.tlb" "$second/orvalisevents/orvalisevents.tlb"
  check "and the resources compiled from them" cmp "$dir/typelib/orvalis_res.o" "$second/typelib/orvalis_res.o"
else
  check "the type libraries build in a second folder (see $build/repro-$arch.log)" false
fi
rm -rf "$second"

for module in orvalis vxbrennet orvalisevents; do
  cp "$dir/$module.dll" "$build/repro-$arch-$module.dll"
  rm -f "$dir/$module.dll"
  if cmake --build "$dir" --target "$module" >>"$build/repro-$arch.log" 2>&1; then
    check "$module.dll linked again is the same, byte for byte" cmp "$build/repro-$arch-$module.dll" "$dir/$module.dll"
  else
    check "$module.dll links again (see $build/repro-$arch.log)" false
    cp "$build/repro-$arch-$module.dll" "$dir/$module.dll"
  fi
  rm -f "$build/repro-$arch-$module.dll"
  check "$module.dll names neither the source nor the build folder" \
    eval '! grep -a -q -F -e "$root" -e "$dir" "$dir/$module.dll"'
done

stage=$build/repro-$arch-zip
rm -rf "$stage"
if cmake --install "$dir" --prefix "$stage/first/release" >>"$build/repro-$arch.log" 2>&1; then
  epoch=$(cat "$dir/source_date_epoch")
  cp -r "$stage/first/release" "$stage/release"
  python3 scripts/zip_folder.py "$stage/first/release" "$stage/first.zip" "$epoch"
  sleep 1
  touch "$stage/release/LICENSE" "$stage/release/orvalis.dll"
  python3 scripts/zip_folder.py "$stage/release" "$stage/second.zip" "$epoch"
  check "the installed files zip to the same bytes again" cmp "$stage/first.zip" "$stage/second.zip"
else
  check "cmake --install puts the release in a prefix (see $build/repro-$arch.log)" false
fi
rm -rf "$stage"

echo "VERDICT: $passed passed, $failed failed"
((failed == 0))
