#!/bin/sh
# `make screenshots`: every page of the window under a virtual X server, as PNG
# files in docs/screenshots: Settings connected to the simulated logger, Log
# Data after a download, Browse with the downloaded points, the Test page, and
# the session window on the downloaded log.
set -e
BUILD=$(cd "${1:-build}" && pwd)
OUT=$(cd "$(dirname "$0")/.." && pwd)/docs/screenshots
mkdir -p "$OUT"
TMP=$(mktemp -d /tmp/vr60-shots.XXXXXX)
export VR60_PORT_DIR="$TMP/ports" HOME="$TMP/home" XDG_CONFIG_HOME="$TMP/home/.config"
mkdir -p "$VR60_PORT_DIR" "$HOME" "$TMP/work"
DISPLAY_NUMBER=${VR60_SHOT_DISPLAY:-97}
Xvfb ":$DISPLAY_NUMBER" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
"$BUILD/vr60sim" --com 7 >"$TMP/sim.out" 2>&1 &
SIM=$!
UTIL=
trap 'kill $UTIL $SIM $XVFB 2>/dev/null; wait 2>/dev/null; rm -rf "$TMP"' EXIT INT TERM
export DISPLAY=":$DISPLAY_NUMBER"
sleep 1
cd "$TMP/work"
"$BUILD/vr60util" --port COM7 >"$TMP/util.out" 2>&1 &
UTIL=$!
WID=$(xdotool search --sync --onlyvisible --name "VR60 UTIL")
xdotool windowfocus --sync "$WID"
# The window sits at the screen's centre; the tab bar is 92 px below its top.
eval "$(xdotool getwindowgeometry --shell "$WID")"
tab() { xdotool mousemove $((X + $1)) $((Y + 99)) click 1; sleep 0.7; }
shot() { import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$OUT/$1.png"; }

xdotool key space          # Connect, the focused button
sleep 6
shot settings
tab 121                    # Log Data
xdotool mousemove $((X + 210)) $((Y + 312)) click 1   # Log Download
sleep 4
shot logdata
tab 194                    # Browse
shot browse
xdotool key alt+e
wait $UTIL 2>/dev/null || true
UTIL=
# The Test page is hidden in every configuration; this run shows it for the picture only.
VR60_SHOW_TEST_PAGE=1 "$BUILD/vr60util" --port COM7 >"$TMP/util.out" 2>&1 &
UTIL=$!
WID=$(xdotool search --sync --onlyvisible --name "VR60 UTIL")
sleep 1
shot test
kill $UTIL 2>/dev/null; wait $UTIL 2>/dev/null || true
UTIL=
# The session window on the log downloaded above.
LOG=$(ls "$TMP"/work/*.sbp | head -n 1)
"$BUILD/vr60view" "$LOG" >"$TMP/view.out" 2>&1 &
UTIL=$!
WID=$(xdotool search --sync --onlyvisible --name "session|sbp" | head -n 1)
sleep 2
eval "$(xdotool getwindowgeometry --shell "$WID")"
shot view
kill $UTIL 2>/dev/null; wait $UTIL 2>/dev/null || true
UTIL=
# The station window with five units: two pass, one fails an item, one never answers
# the start, and one never sends its result (BIT timeout).
SIMS=
PORTS=
n=0
for options in "" "--selftest-pass 0xFFFFFFEF" "--fault drop=0x13" "" "--selftest-delay 600000"; do
    n=$((n + 1))
    # shellcheck disable=SC2086
    "$BUILD/vr60sim" --no-alias --serial $((1200 + n)) --user "Unit $n" --selftest-delay 500 $options >"$TMP/station$n.out" 2>&1 &
    SIMS="$SIMS $!"
done
sleep 1
for n in 1 2 3 4 5; do PORTS="$PORTS${PORTS:+,}$(head -n 1 "$TMP/station$n.out")"; done
printf '[VR60TEST]\r\ntest1=67108880\r\nauto_log_clear=0\r\nauto_poweroff=0\r\n' >"$TMP/work/VR60Test.ini"
VR60_DB="sqlite:$TMP/station.sqlite" "$BUILD/vr60util" --station --ports "$PORTS" >"$TMP/station.out" 2>&1 &
UTIL=$!
WID=$(xdotool search --sync --onlyvisible --name "Test station")
sleep 20
eval "$(xdotool getwindowgeometry --shell "$WID")"
shot station
kill $UTIL $SIMS 2>/dev/null; wait $UTIL 2>/dev/null || true
UTIL=
echo "Screenshots in $OUT:"
ls "$OUT"
