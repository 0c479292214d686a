# shellcheck shell=bash
# The end-to-end test environment: a private 32-bit Wine prefix, an X server
# (Xvfb) so that message boxes really show, a PulseAudio server with a null
# sink so that Wine has wave-out, wave-in and mixer devices and MP3 files
# really play through MCI, a drive D: that Wine reports as a CD-ROM drive
# (its CD audio device opens but is never ready: there is no disc), and the
# message-box watcher that records and dismisses every dialog.
#
#   source tests/e2e/wine-env.sh
#   e2e_start BUILD_DIR        # sets everything up, installs an EXIT trap
#   e2e_wine prog.exe args...  # run a Windows program in the environment
#   e2e_run_vbs script.vbs OUT # run a VBScript with cscript, stdout to OUT
#   e2e_stop                   # tears down what e2e_start started
#
# Everything lives under BUILD_DIR: the prefix in BUILD_DIR/wineprefix, the
# rest in BUILD_DIR/e2e (logs, helper programs, the PulseAudio socket, the
# watcher's log).
#
# E2E_ARCH=win64 sets up the 64-bit environment instead, for the 64-bit
# build (BUILD_DIR/win64): a 64-bit prefix in BUILD_DIR/wineprefix64, the
# rest in BUILD_DIR/e2e64, and every program run by the wine64 loader, so
# that cscript and regsvr32 are the 64-bit ones; the helper programs are
# built for x86_64. 64-bit code runs natively where 32-bit code needs an
# emulator, so this environment is the faster one. e2e_stop runs from an EXIT/INT/TERM trap as well, so the
# environment is torn down when a test fails or the run is interrupted; it
# stops only the processes e2e_start started.
#
# Exported for the programs run under Wine (Windows paths):
#   ORVALIS_MSGBOX_LOG  the watcher's log, one "title<TAB>text" line per box
#   ORVALIS_E2E_TMP     a scratch folder
#   ORVALIS_E2E_SOURCE  the folder tests/e2e itself
#   ORVALIS_CDROM_DRIVE a drive root that Wine reports as a CD-ROM drive (D:\)
# Unix-side variables: E2E_DIR, E2E_BIN, E2E_MSGBOX_LOG (Unix path of the log).
#
# Timings on a machine that emulates 32-bit code with qemu: a cold start
# (new prefix) takes about a minute, a warm one a few seconds; each Wine
# process then starts in two to five seconds.

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

E2E_STARTED=0
E2E_XVFB_PID=
E2E_PULSE_PID=
E2E_WATCHER_PID=
E2E_WINESERVER_STARTED=0

e2e_log() { printf 'e2e: %s\n' "$*" >&2; }

# Unix path -> Windows path on drive Z: (Z: is the Unix root in every prefix;
# cheaper than starting winepath, which is a whole Wine process).
e2e_winpath() {
  local p
  p=$(realpath -m -- "$1")
  printf 'Z:%s\n' "${p//\//\\}"
}

# Waits up to $1 tenths of a second for the command that follows to succeed.
e2e_wait_for() {
  local tenths=$1 i
  shift
  for ((i = 0; i < tenths; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}

# Builds a helper program unless it is up to date. Uses the cross build's copy
# when that exists.
e2e_build_tool() {
  local name=$1 src=$2 out
  shift 2
  if [[ -n ${E2E_CROSS_DIR:-} && -f $E2E_CROSS_DIR/$name.exe && $E2E_CROSS_DIR/$name.exe -nt $src ]]; then
    printf '%s\n' "$E2E_CROSS_DIR/$name.exe"
    return 0
  fi
  out=$E2E_BIN/$name.exe
  if [[ ! -f $out || $src -nt $out ]]; then
    "$E2E_MINGW-g++" -O2 -Wall -static -static-libgcc -static-libstdc++ \
      -o "$out" "$src" "$@" >"$E2E_DIR/build-$name.log" 2>&1 || {
      e2e_log "cannot build $name (see $E2E_DIR/build-$name.log):"
      cat "$E2E_DIR/build-$name.log" >&2
      return 1
    }
  fi
  printf '%s\n' "$out"
}

e2e_start_xvfb() {
  local fdfile=$E2E_DIR/xvfb.display
  rm -f "$fdfile"
  # -displayfd: Xvfb picks a free display itself and writes its number.
  Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp -noreset \
    7>"$fdfile" >"$E2E_DIR/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  if ! e2e_wait_for 100 test -s "$fdfile"; then
    e2e_log "Xvfb did not start:"; cat "$E2E_DIR/xvfb.log" >&2
    return 1
  fi
  DISPLAY=:$(tr -dc '0-9' <"$fdfile")
  export DISPLAY
}

e2e_start_pulse() {
  local run=$E2E_DIR/pulse
  rm -rf "$run"
  mkdir -p "$run/state" "$run/config"
  # Runs as root without --system: no login session, no D-Bus, no autospawn,
  # no default script; only a null sink (its monitor is the capture source)
  # and a native-protocol socket of our own that accepts any local client.
  PULSE_RUNTIME_PATH=$run PULSE_STATE_PATH=$run/state PULSE_CONFIG_PATH=$run/config \
    HOME=$run pulseaudio -n --daemonize=no --use-pid-file=no --exit-idle-time=-1 \
      --disallow-exit --disable-shm=yes \
      --log-target="file:$E2E_DIR/pulseaudio.log" \
      -L "module-null-sink sink_name=orvalis_null sink_properties=device.description=OrvalisNull" \
      -L "module-native-protocol-unix socket=$run/native auth-anonymous=1" \
      </dev/null >"$E2E_DIR/pulseaudio.out" 2>&1 &
  E2E_PULSE_PID=$!
  export PULSE_SERVER=unix:$run/native
  export PULSE_RUNTIME_PATH=$run
  if ! e2e_wait_for 100 pactl info >/dev/null 2>&1; then
    e2e_log "PulseAudio did not start:"
    cat "$E2E_DIR/pulseaudio.out" "$E2E_DIR/pulseaudio.log" >&2 2>/dev/null
    return 1
  fi
}

# Waits until the prefix's server has ended, with the programs and services
# it ran: the prefix's registry is then on disk, and nothing of the set-up
# is still running when the tests begin.
e2e_wait_server_exit() {
  timeout 300 wineserver -w && return 0
  e2e_log "the Wine server of $WINEPREFIX was still running after 300 s"
  return 1
}

# A new prefix takes about 0.6 GiB (32-bit) or 1.3 GiB (64-bit: both
# system folders): Wine copies its DLLs into it. A disk that fills up while
# the prefix is made or while the suites write their files makes programs
# fail with no word of why, so a run that cannot hold the prefix and some
# room beside it does not start.
E2E_MIN_FREE_MIB=3072
e2e_enough_disk() {
  local free
  free=$(df -Pm "$(dirname "$WINEPREFIX")" | awk 'NR == 2 { print $4 }')
  [[ -z $free ]] || (( free >= E2E_MIN_FREE_MIB )) && return 0
  e2e_log "only $free MiB free beside $WINEPREFIX; a new prefix and the suites need $E2E_MIN_FREE_MIB MiB"
  return 1
}

# Creates the prefix once; later runs reuse it.
e2e_make_prefix() {
  local marker=$WINEPREFIX/.orvalis-prefix-ready t0=$SECONDS
  [[ -f $marker ]] && return 0
  rm -rf "$WINEPREFIX"
  e2e_enough_disk || return 1
  e2e_log "creating the Wine prefix $WINEPREFIX (takes a minute)"
  # No Mono or Gecko: their install prompts would wait for a click.
  if ! WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" timeout 900 "$E2E_WINE_LOADER" wineboot -i \
        >"$E2E_DIR/wineboot.log" 2>&1; then
    e2e_log "wineboot failed:"; tail -n 30 "$E2E_DIR/wineboot.log" >&2
    return 1
  fi
  e2e_wait_server_exit || return 1
  # Audio through PulseAudio only, so a missing server shows as "no device"
  # rather than a silent fall-back to ALSA.
  cat >"$E2E_DIR/audio.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Audio"="pulse"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
  if ! timeout 300 "$E2E_WINE_LOADER" regedit /S "$(e2e_winpath "$E2E_DIR/audio.reg")" >>"$E2E_DIR/wineboot.log" 2>&1; then
    e2e_log "the prefix's audio settings were not written:"; tail -n 30 "$E2E_DIR/wineboot.log" >&2
    return 1
  fi
  e2e_wait_server_exit || return 1
  touch "$marker"
  e2e_log "prefix ready after $((SECONDS - t0)) s"
}

# Drive D: as a CD-ROM drive: GetDriveTypeA reports 5 for it and it shows in
# the drive list. It needs the registry value HKLM\Software\Wine\Drives
# "d:"="cdrom" and the link dosdevices/d: to a folder (an empty one: the
# cdaudio device opens on it and reports "not ready"); Wine's mount manager
# reads both when the server starts, so this runs before the shared server
# does. Other drives are left as they are.
E2E_CDROM_LETTER=d
e2e_make_cdrom_drive() {
  local folder=$E2E_DIR/cdrom link=$WINEPREFIX/dosdevices/$E2E_CDROM_LETTER:
  mkdir -p "$folder"
  if [[ $(readlink "$link" 2>/dev/null) != "$folder" ]]; then
    rm -f "$link"
    ln -s "$folder" "$link" || { e2e_log "cannot link $link"; return 1; }
  fi
  export ORVALIS_CDROM_DRIVE=${E2E_CDROM_LETTER^^}:\\
  # The server writes its registry to system.reg when it exits.
  grep -q -i "^\"$E2E_CDROM_LETTER:\"=\"cdrom\"" "$WINEPREFIX/system.reg" 2>/dev/null && return 0
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n"%s:"="cdrom"\n' \
    "$E2E_CDROM_LETTER" >"$E2E_DIR/cdrom.reg"
  timeout 300 "$E2E_WINE_LOADER" regedit /S "$(e2e_winpath "$E2E_DIR/cdrom.reg")" >"$E2E_DIR/cdrom.log" 2>&1
  e2e_wait_server_exit || return 1
  grep -q -i "^\"$E2E_CDROM_LETTER:\"=\"cdrom\"" "$WINEPREFIX/system.reg" || {
    e2e_log "drive $E2E_CDROM_LETTER: is not registered as a CD-ROM drive:"; cat "$E2E_DIR/cdrom.log" >&2
    return 1
  }
}

e2e_start_watcher() {
  local exe
  exe=$(e2e_build_tool mbwatch "$E2E_LIB_DIR/mbwatch.cpp" -municode) || return 1
  E2E_MSGBOX_LOG=$E2E_DIR/msgbox.log
  E2E_MSGBOX_STOP=$E2E_DIR/msgbox.stop
  rm -f "$E2E_MSGBOX_LOG" "$E2E_MSGBOX_STOP"
  "$E2E_WINE_LOADER" "$exe" "$(e2e_winpath "$E2E_MSGBOX_LOG")" "$(e2e_winpath "$E2E_MSGBOX_STOP")" \
    </dev/null >"$E2E_DIR/mbwatch.out" 2>&1 &
  E2E_WATCHER_PID=$!
  # The watcher creates its log as soon as it runs.
  if ! e2e_wait_for 1200 test -e "$E2E_MSGBOX_LOG"; then
    e2e_log "the message-box watcher did not start:"; cat "$E2E_DIR/mbwatch.out" >&2
    return 1
  fi
  export ORVALIS_MSGBOX_LOG
  ORVALIS_MSGBOX_LOG=$(e2e_winpath "$E2E_MSGBOX_LOG")
  export E2E_MSGBOX_LOG
}

# The 64-bit loader: Debian's wine command always takes the 32-bit one
# when both are installed.
e2e_wine64_loader() {
  local candidate
  for candidate in "$(command -v wine64 2>/dev/null)" /usr/lib/wine/wine64 /usr/lib64/wine/wine64 \
                   /usr/lib/x86_64-linux-gnu/wine/wine64 /opt/wine-stable/bin/wine64; do
    [[ -n $candidate && -x $candidate ]] && { printf '%s\n' "$candidate"; return 0; }
  done
  return 1
}

# e2e_start BUILD_DIR
e2e_start() {
  local build=${1:?usage: e2e_start BUILD_DIR} t0=$SECONDS
  if (( E2E_STARTED )); then e2e_log "already started"; return 0; fi
  mkdir -p "$build"
  build=$(cd "$build" && pwd)
  export E2E_ARCH=${E2E_ARCH:-win32}
  local prefix folder
  case $E2E_ARCH in
    win32)
      prefix=wineprefix folder=e2e E2E_MINGW=i686-w64-mingw32 E2E_WINE_LOADER=wine ;;
    win64)
      prefix=wineprefix64 folder=e2e64 E2E_MINGW=x86_64-w64-mingw32
      E2E_WINE_LOADER=$(e2e_wine64_loader) || { e2e_log "wine64 is missing (run scripts/setup.sh)"; return 1; } ;;
    *) e2e_log "E2E_ARCH is win32 or win64, not $E2E_ARCH"; return 1 ;;
  esac
  export E2E_BUILD=$build
  export E2E_DIR=$build/$folder
  export E2E_BIN=$E2E_DIR/bin
  export E2E_CROSS_DIR=${E2E_CROSS_DIR:-$build/$E2E_ARCH}
  mkdir -p "$E2E_DIR" "$E2E_BIN" "$E2E_DIR/tmp"

  export WINEPREFIX=$build/$prefix
  export WINEARCH=$E2E_ARCH
  export WINEDEBUG=${WINEDEBUG:--all}
  # A suite's program also keeps Wine's error channel, on its own standard
  # error: a program that dies in Wine's loader or in a system DLL before
  # printing anything leaves its reason there.
  E2E_SUITE_WINEDEBUG=${E2E_SUITE_WINEDEBUG:-$WINEDEBUG,err+all}
  # No menu entries or file associations written into the host's home.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d}
  # GStreamer (winegstreamer) keeps its plugin registry inside the build.
  export GST_REGISTRY=$E2E_DIR/gst-registry.bin
  export ORVALIS_E2E_TMP ORVALIS_E2E_SOURCE
  ORVALIS_E2E_TMP=$(e2e_winpath "$E2E_DIR/tmp")
  ORVALIS_E2E_SOURCE=$(e2e_winpath "$E2E_LIB_DIR")

  E2E_STARTED=1
  trap 'e2e_stop' EXIT
  trap 'e2e_stop; trap - INT; kill -INT $$' INT
  trap 'e2e_stop; trap - TERM; kill -TERM $$' TERM

  local tool
  for tool in "$E2E_WINE_LOADER" wineserver Xvfb pulseaudio pactl "$E2E_MINGW-g++"; do
    command -v "$tool" >/dev/null 2>&1 || { e2e_log "$tool is missing (run scripts/setup.sh)"; return 1; }
  done

  # Leftovers of an earlier run that was killed hard would hold on to the
  # old display and sound server.
  wineserver -k >/dev/null 2>&1 || true
  timeout 60 wineserver -w >/dev/null 2>&1 || true

  e2e_start_xvfb || return 1
  e2e_start_pulse || return 1
  e2e_make_prefix || return 1
  e2e_make_cdrom_drive || return 1
  # One server for the whole run: services and the desktop stay up between
  # the programs, so each starts in seconds.
  # A server still running here (one that has not ended yet) would not be
  # the persistent one, and would end between two programs.
  if ! wineserver -p; then
    e2e_log "cannot start a persistent Wine server for $WINEPREFIX"
    return 1
  fi
  E2E_WINESERVER_STARTED=1
  e2e_start_watcher || return 1
  e2e_log "environment up in $((SECONDS - t0)) s (DISPLAY=$DISPLAY, PULSE_SERVER=$PULSE_SERVER)"
}

# Tears down, in reverse order, what e2e_start started. Idempotent.
e2e_stop() {
  local i pid
  (( E2E_STARTED )) || return 0
  E2E_STARTED=0
  if [[ -n $E2E_WATCHER_PID ]]; then
    touch "$E2E_MSGBOX_STOP" 2>/dev/null || true
    for ((i = 0; i < 50; i++)); do
      kill -0 "$E2E_WATCHER_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$E2E_WATCHER_PID" 2>/dev/null || true
    wait "$E2E_WATCHER_PID" 2>/dev/null || true
    E2E_WATCHER_PID=
  fi
  if (( E2E_WINESERVER_STARTED )) || [[ -n ${WINEPREFIX:-} ]]; then
    wineserver -k >/dev/null 2>&1 || true
    timeout 30 wineserver -w >/dev/null 2>&1 || true
    E2E_WINESERVER_STARTED=0
  fi
  for pid in "$E2E_PULSE_PID" "$E2E_XVFB_PID"; do
    [[ -n $pid ]] || continue
    kill "$pid" 2>/dev/null || true
    for ((i = 0; i < 30; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  E2E_PULSE_PID=
  E2E_XVFB_PID=
  trap - EXIT INT TERM
}

# e2e_wine PROGRAM ARGS... — runs a Windows program in the environment with
# a time limit (E2E_TIMEOUT seconds, default 600); stdout and stderr as given.
e2e_wine() {
  timeout --kill-after=10 "${E2E_TIMEOUT:-600}" "$E2E_WINE_LOADER" "$@"
}

# e2e_expand_vbs SCRIPT OUT — writes the script that cscript really runs:
# tests/e2e/lib/check.vbs (the shared checks), then SCRIPT without its own
# Option Explicit (the shared part has it, and it may only come first).
# Wine's VBScript engine has no ExecuteGlobal, Execute or Eval (calling them
# raises error 445), so a script cannot include the shared part itself. The
# script runs from the combined copy under the build folder, so
# WScript.ScriptFullName names the copy; ORVALIS_E2E_SOURCE has the Windows
# path of tests/e2e for scripts that need files from there.
e2e_expand_vbs() {
  local script=$1 out=$2 prelude=$E2E_LIB_DIR/lib/check.vbs
  {
    if [[ -f $prelude ]]; then
      tr -d '\r' <"$prelude"
      printf "\n' ---- %s\n" "${script#"$E2E_LIB_DIR"/}"
    fi
    tr -d '\r' <"$script" | if [[ -f $prelude ]]; then
      grep -viE '^[[:space:]]*Option[[:space:]]+Explicit'
    else
      cat
    fi
  } | sed 's/$/\r/' >"$out"
}

# e2e_run_vbs SCRIPT OUT — runs a VBScript (with the shared checks, see
# above) with cscript; its output (CR LF turned into LF) goes to OUT, Wine's own messages
# to OUT.stderr. Returns cscript's exit code (124 on time-out).
e2e_run_vbs() {
  local script=$1 out=$2 rc copy
  mkdir -p "$E2E_DIR/scripts"
  copy=$E2E_DIR/scripts/$(basename "$(dirname "$script")")-$(basename "$script")
  if ! e2e_expand_vbs "$script" "$copy" 2>"$out.stderr"; then
    : >"$out"
    echo "e2e: cannot write the script copy $copy" >>"$out.stderr"
    return 1
  fi
  # cscript reports no script error itself; Wine's own notes on stderr do
  # (vbscript's "parser_error", wscript's "OnScriptError", and functions the
  # engine lacks), and the runner shows them.
  WINEDEBUG=$E2E_SUITE_WINEDEBUG,fixme+vbscript,fixme+wscript \
    e2e_wine cscript //nologo "$(e2e_winpath "$copy")" </dev/null >"$out.raw" 2>"$out.stderr"
  rc=$?
  tr -d '\r' <"$out.raw" >"$out"
  rm -f "$out.raw"
  return $rc
}

# e2e_run_exe EXE OUT [ARGS...] — the same for a Windows console program.
e2e_run_exe() {
  local exe=$1 out=$2 rc
  shift 2
  WINEDEBUG=$E2E_SUITE_WINEDEBUG e2e_wine "$exe" "$@" </dev/null >"$out.raw" 2>"$out.stderr"
  rc=$?
  tr -d '\r' <"$out.raw" >"$out"
  rm -f "$out.raw"
  return $rc
}

# The watcher's log so far, and a way to start a fresh one (the watcher
# appends, opening the file anew for each line).
e2e_msgbox_log() { cat "$E2E_MSGBOX_LOG"; }
e2e_msgbox_reset() { : >"$E2E_MSGBOX_LOG"; }
