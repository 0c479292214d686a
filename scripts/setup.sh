#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, and
# makes 32-bit programs runnable. Safe to run again: when everything is in
# place it only checks, in about a second, and prints nothing.
#
#   scripts/setup.sh            install what is missing (needs root)
#   scripts/setup.sh --check    exit 1 when something is missing, change nothing
#
# A package mirror may be caught in the middle of a sync: one index fails to
# download, and the packages it holds (security updates of amd64 libraries,
# say) then lack their i386 twins, so apt refuses the install as "held broken
# packages". The script goes on with the package lists it has when the
# update fails, and retries a failed install once pinned to the release
# (-t <codename>), whose i386 and amd64 copies always match. Installs never
# remove a package (--no-remove): without it apt would rather drop the i386
# twin of a package whose amd64 copy it updates (the 32-bit GStreamer
# plugins, say) than report the mismatch.
#
# ORVALIS_APT_GET names the apt command (default apt-get) and
# ORVALIS_APT_LISTS the folder of its package lists; the tests of this
# script point them at stubs.
#
# 32-bit x86 code: Wine for the 32-bit DLL runs 32-bit Linux programs. Some
# virtual machines cannot execute 32-bit code at all (exec of any i386 ELF
# fails with "Exec format error", and even a far jump to a 32-bit code
# segment faults). There the script installs qemu's user-mode emulator and
# registers it with binfmt_misc for i386 ELF files, so that Wine runs under
# emulation. qemu 7.2 (Debian 12's own) makes every Wine process start take
# about a minute, because it scans its page table page by page on each mmap;
# qemu 8 and later do not, so on Debian 12 it comes from bookworm-backports.
set -euo pipefail

mode=install
[[ ${1:-} == --check ]] && mode=check

log=$(mktemp -t orvalis-setup.XXXXXX)
trap 'rm -f "$log"' EXIT

fail() {
  echo "setup.sh: $*" >&2
  if [[ -s $log ]]; then
    echo "---- last lines of the install log ----" >&2
    tail -n 40 "$log" >&2
  fi
  exit 1
}

as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo -n "$@"
  else
    fail "need root to run: $*"
  fi
}

# Build, unit tests, cross build, and the end-to-end tests under Wine.
PACKAGES=(
  cmake g++ make libgtest-dev libgmock-dev
  g++-mingw-w64-i686 mingw-w64-tools
  wine wine32:i386 libwine-dev
  xvfb xauth
  pulseaudio pulseaudio-utils
  lame sox
  # winegstreamer decodes MP3 for the MCI service: decodebin (base) and
  # mpegaudioparse + mpg123audiodec (good), 32-bit like Wine itself.
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
  # The 64-bit build and its end-to-end tests: the x86_64 cross compiler,
  # 64-bit Wine (the wine64 loader and wineserver64) and 64-bit GStreamer
  # plugins for its winegstreamer.
  g++-mingw-w64-x86-64 wine64
  gstreamer1.0-plugins-base:amd64 gstreamer1.0-plugins-good:amd64
  # The windowed demo: Wine's own fonts (Marlett draws the caption buttons)
  # and ImageMagick's import for its screenshot.
  fonts-wine imagemagick
  # The fuzz targets: clang with libFuzzer and the sanitizer runtimes.
  clang libclang-rt-14-dev
  # The release: deterministic zips (scripts/zip_folder.py) and the version
  # check; git gives the build its time (the last commit's).
  python3 git
)

missing_packages() {
  local p status
  for p in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ $status == "install ok installed" ]] || printf '%s\n' "$p"
  done
}

APT_GET=${ORVALIS_APT_GET:-apt-get}
APT_LISTS=${ORVALIS_APT_LISTS:-/var/lib/apt/lists}

have_package_lists() {
  compgen -G "$APT_LISTS/*_Packages*" >/dev/null
}

updated=0
apt_update() {
  (( updated )) && return 0
  if ! as_root "$APT_GET" update >>"$log" 2>&1; then
    have_package_lists || fail "apt-get update failed and there are no package lists to go on with"
    echo "setup.sh: warning: apt-get update failed (a mirror in the middle of a sync?); going on with the package lists there are" >&2
  fi
  updated=1
}

release_codename() {
  (. /etc/os-release && echo "${VERSION_CODENAME:-}")
}

apt_get_install() {
  as_root env DEBIAN_FRONTEND=noninteractive "$APT_GET" install -y --no-install-recommends --no-remove \
    "$@" >>"$log" 2>&1
}

# apt_install [-t SUITE] PACKAGE... — installs; a failed install of the
# release's own packages is tried once more pinned to the release.
apt_install() {
  apt_update
  apt_get_install "$@" && return 0
  local codename
  codename=$(release_codename)
  if [[ $1 != -t && -n $codename ]]; then
    echo "setup.sh: apt-get install failed; trying once more pinned to $codename" >&2
    echo "---- retry: apt-get install -t $codename $* ----" >>"$log"
    apt_get_install -t "$codename" "$@" && return 0
    fail "apt-get install $* failed, also pinned to $codename"
  fi
  fail "apt-get install $* failed"
}

# --- i386 multiarch -------------------------------------------------------------
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  [[ $mode == check ]] && { echo "missing: i386 architecture"; exit 1; }
  as_root dpkg --add-architecture i386 || fail "dpkg --add-architecture i386 failed"
fi

# --- 32-bit execution --------------------------------------------------------
# Checked before the packages: some i386 packages run i386 programs while they are
# configured (gdk-pixbuf's loader cache, for one), which fails where 32-bit
# code cannot run natively until the emulator is registered.
BINFMT=/proc/sys/fs/binfmt_misc
QEMU=/usr/bin/qemu-i386-static

# A 96-byte static i386 program that exits with status 42.
runs_i386() {
  local probe status=0
  probe=$(mktemp -t orvalis-i386.XXXXXX)
  printf '%b' '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00' \
    '\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00' \
    '\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
    '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
    '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  (( status == 42 ))
}

qemu_major() {
  local v
  v=$("$QEMU" --version 2>/dev/null | sed -n 's/.*version \([0-9]*\)\..*/\1/p' | head -n1)
  echo "${v:-0}"
}

register_binfmt() {
  [[ -e $BINFMT/register ]] || as_root mount -t binfmt_misc binfmt_misc "$BINFMT" \
    || fail "cannot mount binfmt_misc"
  # Drop an earlier registration (it may hold an older qemu open: flag F).
  if [[ -e $BINFMT/qemu-i386 ]]; then
    echo -1 | as_root tee "$BINFMT/qemu-i386" >/dev/null
  fi
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf ':qemu-i386:M::%s:%s:%s:F\n' "$magic" "$mask" "$QEMU" \
    | as_root tee "$BINFMT/register" >/dev/null || fail "cannot register qemu-i386 with binfmt_misc"
}

qemu_installed=0
ensure_modern_qemu() {
  if [[ -x $QEMU ]] && (( $(qemu_major) >= 8 )); then
    return 0
  fi
  [[ $mode == check ]] && { echo "missing: qemu-user-static >= 8"; exit 1; }
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  if [[ $codename == bookworm ]]; then
    if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
      as_root tee /etc/apt/sources.list.d/bookworm-backports.sources >/dev/null <<'EOF2'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF2
      updated=0
    fi
    apt_install -t bookworm-backports qemu-user-static
  else
    apt_install qemu-user-static
  fi
  qemu_installed=1
  (( $(qemu_major) >= 8 )) || fail "qemu-user-static is older than 8 ($("$QEMU" --version | head -n1))"
}

if ! runs_i386 || [[ -e $BINFMT/qemu-i386 ]]; then
  # Either no native 32-bit support, or we already went the emulated way.
  ensure_modern_qemu
  if (( qemu_installed )) || [[ ! -e $BINFMT/qemu-i386 ]] || ! runs_i386 \
     || ! grep -qx "interpreter $QEMU" "$BINFMT/qemu-i386" \
     || ! grep -qx 'enabled' "$BINFMT/qemu-i386"; then
    [[ $mode == check ]] && { echo "missing: binfmt registration for i386"; exit 1; }
    register_binfmt
  fi
  runs_i386 || fail "32-bit programs still do not run (tried qemu-i386 via binfmt_misc)"
fi

# --- the packages ---------------------------------------------------------------
mapfile -t missing < <(missing_packages "${PACKAGES[@]}")
if [[ $mode == check ]] && (( ${#missing[@]} )); then
  echo "missing packages: ${missing[*]}"
  exit 1
fi
if (( ${#missing[@]} )); then
  apt_install "${missing[@]}"
  mapfile -t still < <(missing_packages "${PACKAGES[@]}")
  (( ${#still[@]} == 0 )) || fail "still missing after install: ${still[*]}"
fi

/usr/lib/wine/wine --version >/dev/null 2>&1 || fail "wine does not start: $(/usr/lib/wine/wine --version 2>&1 | head -n1)"
exit 0
