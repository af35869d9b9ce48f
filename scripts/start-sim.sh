# Sourced by run-window.sh and run-demo.sh (with BUILD and VR60_PORT_DIR set):
# starts the simulated logger published as COM7, stops it when the script ends,
# and waits until its pty path is the first line of $SIMOUT.
SIMOUT=$(mktemp /tmp/vr60sim-out.XXXXXX)
"$BUILD/vr60sim" --com 7 >"$SIMOUT" 2>&1 &
SIM=$!
trap 'kill $SIM 2>/dev/null; wait $SIM 2>/dev/null; rm -f "$SIMOUT"' EXIT INT TERM
for _ in 1 2 3 4 5 6 7 8 9 10; do
  [ -s "$SIMOUT" ] && break
  sleep 0.1
done
