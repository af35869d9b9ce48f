#!/bin/sh
# `make run` without a display: a simulated logger on a pseudo-terminal,
# connected, identified, its settings read and its log downloaded through vr60ctl.
set -e
BUILD=$(cd "${1:-build}" && pwd)
# The records and the logbook of the demo stay in the build folder, out of the user's own.
export XDG_DATA_HOME="${VR60_RUN_DATA:-$BUILD/run-data}" VR60_DB=
LOGDIR="${VR60_DEMO_LOGS:-$(mktemp -d /tmp/vr60-demo-logs.XXXXXX)}"
mkdir -p "$LOGDIR"
export VR60_PORT_DIR="${VR60_PORT_DIR:-$(mktemp -d /tmp/vr60-demo-ports.XXXXXX)}"
. "$(dirname "$0")/start-sim.sh"
echo "== Simulated logger on $(head -n 1 "$SIMOUT"), published as COM7 in $VR60_PORT_DIR"
echo
echo "== vr60ctl ports"
"$BUILD/vr60ctl" ports
echo
echo "== vr60ctl --port COM7 info"
"$BUILD/vr60ctl" --port COM7 info
echo
echo "== vr60ctl --port COM7 settings"
"$BUILD/vr60ctl" --port COM7 settings
echo
echo "== vr60ctl --port COM7 download   (in $LOGDIR)"
(cd "$LOGDIR" && "$BUILD/vr60ctl" --port COM7 download)
echo
echo "== vr60ctl logbook   (the demo's own, in $XDG_DATA_HOME)"
"$BUILD/vr60ctl" logbook
echo
for f in "$LOGDIR"/*.sbp; do
  [ -e "$f" ] && echo "== The simulated log is in $f ($(wc -c <"$f") bytes)"
done
echo
for f in "$LOGDIR"/*.sbp; do
  [ -e "$f" ] || continue
  echo "== vr60ctl convert $(basename "$f")   (NMEA, PLT, CSV, and GPX/KML through gpsbabel)"
  (cd "$LOGDIR" && "$BUILD/vr60ctl" convert "$(basename "$f")")
  echo
  echo "== Files in $LOGDIR:"
  ls -l "$LOGDIR"
done
