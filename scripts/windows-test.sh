#!/bin/sh
# `make wintest`: the Windows command-line program (scripts/windows-build.sh) run
# under Wine against vr60sim, each operation beside the Linux vr60ctl of BUILD for
# the same simulator options. The simulator's pty is Wine's COM7: registered once
# under HKLM\Software\Wine\Ports, from which Wine's mount manager fills
# dosdevices/com7 and the SERIALCOMM table; each case then points dosdevices/com7
# at its own simulator. The request logs of both programs, the downloaded files and
# the outputs (but for the port and the folder, which each system names its own way)
# must be the same.
# Usage: windows-test.sh [BUILD] [WINDOWS_BUILD]   (defaults build, build-win)
set -e
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=$(cd "${1:-build}" && pwd)
WIN=${2:-build-win}
if ! [ -x /usr/lib/wine/wine64 ]; then
  [ "$(id -u)" -eq 0 ] && SUDO= || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends wine64
fi
./scripts/windows-build.sh "$WIN"
WIN=$(cd "$WIN" && pwd)
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX="$WIN/wine" WINEDEBUG=-all TZ=UTC
if ! [ -f "$WINEPREFIX/.vr60-ready" ]; then
  rm -rf "$WINEPREFIX"
  $WINE wineboot -i >/dev/null 2>&1
  $WINE reg add 'HKLM\Software\Wine\Ports' /v COM7 /d /dev/null /f >/dev/null
  $WINESERVER -w
  touch "$WINEPREFIX/.vr60-ready"
fi
# One server for the whole run: the mount manager maps COM7 once, each case re-points it.
$WINESERVER -k 2>/dev/null || true
$WINESERVER -p >/dev/null 2>&1

RUN="$WIN/run"
rm -rf "$RUN"
mkdir -p "$RUN/win" "$RUN/linux" "$RUN/home"
export XDG_CONFIG_HOME="$RUN/home/config" XDG_DATA_HOME="$RUN/home/data" VR60_PORT_DIR="$RUN/home/ports"
SIM_PID=
cleanup() {
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null
  $WINESERVER -k >/dev/null 2>&1 || true
}
trap cleanup EXIT
FAILED=0
fail() { echo "FAILED: $*"; FAILED=$((FAILED + 1)); }

# start_sim LOG OPTIONS...: a simulator logging its requests to $RUN/LOG; sets PTY.
start_sim() {
  log=$1; shift
  "$BUILD/vr60sim" --no-alias --request-log "$RUN/$log" "$@" >"$RUN/$log.sim" 2>&1 &
  SIM_PID=$!
  for _ in $(seq 100); do
    PTY=$(head -n1 "$RUN/$log.sim")
    [ -n "$PTY" ] && break
    sleep 0.05
  done
  ln -sfn "$PTY" "$WINEPREFIX/dosdevices/com7"
}
stop_sim() {
  kill "$SIM_PID" 2>/dev/null || true
  wait "$SIM_PID" 2>/dev/null || true
  SIM_PID=
}
# on_windows NAME ARGS...: vr60ctl.exe in $RUN/win; stdout in NAME.out, status in NAME.status.
on_windows() {
  name=$1; shift
  (cd "$RUN/win" && $WINE "$WIN/vr60ctl.exe" "$@" >"$name.out" 2>"$name.err"; echo $? >"$name.status") || true
}
on_linux() {
  name=$1; shift
  (cd "$RUN/linux" && "$BUILD/vr60ctl" "$@" >"$name.out" 2>"$name.err"; echo $? >"$name.status") || true
}
# same NAME: both programs answered alike. Each system names the port and the proposed log
# file its own way, and only the Linux program keeps records.
same() {
  for part in status out; do
    sed -e 's#\\\\\.\\COM7#PORT#g' -e 's#COM7 (PORT)#PORT#g' -e 's#COM7#PORT#g' -e 's#^Log file *Z:.*\\#Log file FOLDER/#' \
      -e 's#_[0-9]\{8\}_[0-9]\{6\}\.sbp$#_DATE_TIME.sbp#' "$RUN/win/$1.$part" >"$RUN/win/$1.$part.cmp"
    sed -e "s#$PTY#PORT#g" -e "s#^Log file *$RUN/linux/#Log file FOLDER/#" -e 's#_[0-9]\{8\}_[0-9]\{6\}\.sbp$#_DATE_TIME.sbp#' \
      -e '/^Session stored in /d' -e '/^Test record stored in /d' "$RUN/linux/$1.$part" >"$RUN/linux/$1.$part.cmp"
    cmp -s "$RUN/win/$1.$part.cmp" "$RUN/linux/$1.$part.cmp" ||
      fail "$1: the $part differs: $(diff "$RUN/linux/$1.$part.cmp" "$RUN/win/$1.$part.cmp" | head -5)"
  done
}
# case NAME "SIM OPTIONS" ARGS...: the operation on both systems, each against a fresh simulator.
case_on_both() {
  name=$1; options=$2; shift 2
  # shellcheck disable=SC2086
  start_sim "$name.win.requests" $options
  on_windows "$name" --port COM7 "$@"
  stop_sim
  # shellcheck disable=SC2086
  start_sim "$name.linux.requests" $options
  on_linux "$name" --port "$PTY" "$@"
  stop_sim
  cmp -s "$RUN/$name.win.requests" "$RUN/$name.linux.requests" ||
    fail "$name: other requests on Windows: $(diff "$RUN/$name.linux.requests" "$RUN/$name.win.requests" | head -5)"
  same "$name"
}
status_of() { cat "$RUN/$1/$2.status"; }

echo "Windows: platform checks"
(cd "$RUN/win" && $WINE "$WIN/platformcheck.exe") || fail "platformcheck.exe"

echo "Windows: --help names what the build leaves out"
on_windows help --help
grep -q 'without Qt' "$RUN/win/help.out" || fail "--help does not say what is left out"

echo "Windows: the port table"
on_windows ports ports
grep -q '^COM  7  \\\\\.\\COM7 ' "$RUN/win/ports.out" || fail "ports: COM7 not listed: $(cat "$RUN/win/ports.out")"

echo "Windows: info, settings, a wrapped download, analyze, the self test"
case_on_both info "--serial 77 --user Ann" info
case_on_both settings "" settings
# 3000 records from 0x40F000 run past the end of the log area and wrap.
case_on_both download "--points 3000 --log-seed 5 --ring-start 0x40F000" download --out wrapped.sbp --no-clear
cmp -s "$RUN/win/wrapped.sbp" "$RUN/linux/wrapped.sbp" || fail "download: the files differ"
[ "$(wc -c <"$RUN/win/wrapped.sbp")" -eq 96000 ] || fail "download: $(wc -c <"$RUN/win/wrapped.sbp") bytes, not 96000"
on_windows analyze analyze wrapped.sbp --json
on_linux analyze analyze wrapped.sbp --json
same analyze
cmp -s "$RUN/win/analyze.out" "$RUN/linux/analyze.out" || fail "analyze --json: the outputs differ"
case_on_both selftest "--selftest-delay 300" selftest --no-clear --no-power-off
[ "$(status_of win selftest)" = 0 ] || fail "selftest: status $(status_of win selftest)"

echo "Windows: the port vanishes mid-download"
case_on_both vanish "--points 1000 --fault hangup=4:3" download --out gone.sbp --no-clear
[ "$(status_of win vanish)" = 1 ] || fail "vanish: status $(status_of win vanish), not 1"
cmp -s "$RUN/win/gone.partial.sbp" "$RUN/linux/gone.partial.sbp" || fail "vanish: the kept partial files differ"
[ -e "$RUN/win/gone.sbp" ] && fail "vanish: an incomplete download took the asked-for name"

echo "Windows: Ctrl-C during the self test"
start_sim stop.requests --selftest-delay 60000
(cd "$RUN/win" && exec $WINE "$WIN/vr60ctl.exe" --port COM7 selftest >stop.out 2>stop.err) &
CTL=$!
for _ in $(seq 600); do grep -qx 0x13 "$RUN/stop.requests" 2>/dev/null && break; sleep 0.05; done
kill -INT $CTL
status=0
wait $CTL || status=$?
stop_sim
[ "$status" = 130 ] || fail "stop: status $status, not 130"
[ "$(sed -n '/^0x13$/,$p' "$RUN/stop.requests" | tail -n +2)" = 0x0E ] ||
  fail "stop: after 0x13 came $(sed -n '/^0x13$/,$p' "$RUN/stop.requests" | tail -n +2 | tr '\n' ' ')"
grep -q 'interrupted by SIGINT' "$RUN/win/stop.err" || fail "stop: $(cat "$RUN/win/stop.err")"

if [ "$FAILED" -gt 0 ]; then
  echo "$FAILED Windows checks failed (outputs in $RUN)"
  exit 1
fi
echo "The Windows program runs as the Linux one does."
