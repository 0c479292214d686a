#!/usr/bin/env bash
# Tests scripts/setup.sh's way through a faulty package mirror without the
# network: stub apt-get and dpkg-query commands go first on PATH. The stub
# apt-get fails "update", fails installs as told, and records every call;
# the stub dpkg-query reports every package missing until an install has
# succeeded. Ends with "setup: N passed, M failed".
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
setup=$here/../../scripts/setup.sh
work=$(mktemp -d -t orvalis-setup-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")

mkdir -p "$work/bin" "$work/lists" "$work/no-lists"
touch "$work/lists/deb.debian.org_debian_dists_${codename}_main_binary-i386_Packages"

cat >"$work/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "apt-get $*" >>"$STUB_DIR/calls"
case $1 in
  update) echo "E: File has unexpected size. Mirror sync in progress?"; exit 100 ;;
  install)
    if [[ " $* " == *" -t "* ]]; then outcome=$STUB_PINNED; else outcome=$STUB_PLAIN; fi
    if [[ $outcome == fail ]]; then
      echo "E: Unable to correct problems, you have held broken packages."
      exit 100
    fi
    touch "$STUB_DIR/installed" ;;
esac
exit 0
STUB
cat >"$work/bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
[[ -e $STUB_DIR/installed ]] && printf 'install ok installed'
exit 0
STUB
cat >"$work/bin/sudo" <<'STUB'
#!/usr/bin/env bash
[[ $1 == -n ]] && shift
exec "$@"
STUB
chmod +x "$work/bin/"*

passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then
    echo "PASS $1"; passed=$((passed + 1))
  else
    echo "FAIL $1"; failed=$((failed + 1))
  fi
}

# run_setup PLAIN PINNED LISTS [ARGS...] — runs setup.sh against the stubs;
# leaves its exit code in $rc, its stderr in $work/err, apt's calls in
# $work/calls.
run_setup() {
  rm -f "$work/calls" "$work/installed"
  touch "$work/calls"
  STUB_DIR=$work STUB_PLAIN=$1 STUB_PINNED=$2 PATH="$work/bin:$PATH" \
    ORVALIS_APT_GET="$work/bin/apt-get" ORVALIS_APT_LISTS=$3 \
    bash "$setup" "${@:4}" >"$work/out" 2>"$work/err"
  rc=$?
}
installs() { grep -c '^apt-get install' "$work/calls"; }
said() { grep -q -- "$1" "$work/err"; }

run_setup fail ok "$work/lists"
check "a failed update with package lists is a one-line warning" \
  test "$(grep -c 'warning: apt-get update failed' "$work/err")" = 1
check "a failed install is retried once, pinned to $codename" \
  grep -q -- "^apt-get install .*-t $codename " "$work/calls"
check "the pinned retry comes after one plain install" test "$(installs)" = 2
check "setup succeeds once the pinned install succeeds" test "$rc" = 0
check "no install may remove a package" \
  test "$(grep '^apt-get install' "$work/calls" | grep -vc -- ' --no-remove ')" = 0

run_setup fail fail "$work/lists"
check "setup fails when the pinned install fails too" test "$rc" = 1
check "its message names the pinned install" said "failed, also pinned to $codename"
check "it shows the tail of the install log" said "held broken packages"
check "it tries no more than twice" test "$(installs)" = 2

run_setup fail ok "$work/no-lists"
check "a failed update without package lists stops setup" test "$rc" = 1
check "with a clear message" said "no package lists to go on with"
check "before any install" test "$(installs)" = 0

run_setup fail fail "$work/lists" --check
check "--check reports the missing packages" grep -q '^missing packages:' "$work/out"
check "--check exits 1 and calls no apt-get" test "$rc:$(wc -l <"$work/calls")" = "1:0"

echo "setup: $passed passed, $failed failed"
(( failed == 0 ))
