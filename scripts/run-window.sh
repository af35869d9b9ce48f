#!/bin/sh
# `make run`: the window on the attached logger, or else on a simulated one.
# The simulator is published as COM7 and vr60util starts with that port chosen;
# closing the window stops the simulator. Without a display: the command-line demo.
set -e
BUILD=$(cd "${1:-build}" && pwd)
# The records and the logbook of these runs stay in the build folder, out of the user's own.
export XDG_DATA_HOME="${VR60_RUN_DATA:-$BUILD/run-data}" VR60_DB=
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
  echo "No display (DISPLAY is not set): running the command-line demo instead of the window."
  exec "$(dirname "$0")/run-demo.sh" "$BUILD"
fi
WORK="${VR60_RUN_DIR:-$(mktemp -d /tmp/vr60-run.XXXXXX)}"
mkdir -p "$WORK"
# A logger on USB (the first USB serial device) is used instead of the simulated
# one, unless VR60_SIMULATED=1.
if [ -z "$VR60_SIMULATED" ]; then
  for LOGGER in /dev/serial/by-id/* /dev/ttyACM* /dev/ttyUSB*; do
    [ -e "$LOGGER" ] || continue
    echo "Logger on $LOGGER (VR60_SIMULATED=1 make run: the simulated one instead); log files go to $WORK, records to $XDG_DATA_HOME"
    cd "$WORK"
    exec "$BUILD/vr60util" --port "$LOGGER"
  done
fi
export VR60_PORT_DIR="${VR60_PORT_DIR:-$(mktemp -d /tmp/vr60-run-ports.XXXXXX)}"
. "$(dirname "$0")/start-sim.sh"
echo "Simulated logger on $(head -n 1 "$SIMOUT") as COM7; log files go to $WORK, records to $XDG_DATA_HOME"
cd "$WORK"
"$BUILD/vr60util" --port COM7
