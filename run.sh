#!/bin/sh
# Installs what is needed, builds, and runs the terminal.
#
# The port the terminal uses is the first line of Q275.ini (in this folder).
# When that file is absent, empty, or names the board simulator's link, the
# simulator stands in for the RIB, the radio and the board: it is started with
# its state kept in the user's data folder, Q275.ini is pointed at its link,
# and it is stopped when the terminal exits. When Q275.ini names a real port
# (e.g. /dev/ttyUSB0), the terminal simply runs on it.
set -e
cd "$(dirname "$0")"
./tools/install-deps.sh
# Its own build folder: the tests build a debug configuration in build/.
B=build-run
cmake -S . -B "$B" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DQ275_BENCH=OFF >/dev/null
cmake --build "$B" -j "$(nproc 2>/dev/null || echo 2)" >"$B/build.log" 2>&1 || { cat "$B/build.log"; exit 1; }

SIMDIR="${XDG_DATA_HOME:-$HOME/.local/share}/q275-sim"
LINK="$SIMDIR/ttyQ275"

port=""
if [ -f Q275.ini ]; then
    IFS= read -r port <Q275.ini || true
fi
if [ -n "$port" ] && [ "$port" != "$LINK" ]; then
    exec "./$B/q275-terminal" "$@"
fi

mkdir -p "$SIMDIR"
printf '%s' "$LINK" >Q275.ini

# A simulator started by another ./run.sh that is still running is shared rather
# than replaced (it stops when that run's terminal exits).
simpid=""
if [ -f "$SIMDIR/sim.pid" ]; then
    old=$(cat "$SIMDIR/sim.pid" 2>/dev/null || true)
    if [ -n "$old" ] && kill -0 "$old" 2>/dev/null && [ -L "$LINK" ] &&
        grep -q q275-sim "/proc/$old/cmdline" 2>/dev/null; then
        exec "./$B/q275-terminal" "$@"
    fi
fi

"./$B/tools/sim/q275-sim" --link "$LINK" --state "$SIMDIR/board.state" \
    --log "$SIMDIR/frames.log" --control "$SIMDIR/control" --with-parent \
    >"$SIMDIR/sim.out" 2>"$SIMDIR/sim.err" &
simpid=$!
echo "$simpid" >"$SIMDIR/sim.pid"
stop_sim() {
    if [ -n "$simpid" ]; then
        kill "$simpid" 2>/dev/null || true
        wait "$simpid" 2>/dev/null || true
        rm -f "$SIMDIR/sim.pid"
        simpid=""
    fi
}
trap stop_sim EXIT
trap 'exit 130' INT TERM

# Wait (at most 5 s) for the simulator to announce its line.
i=0
while [ ! -s "$SIMDIR/sim.out" ]; do
    if ! kill -0 "$simpid" 2>/dev/null || [ $i -ge 50 ]; then
        echo "The board simulator did not start:" >&2
        cat "$SIMDIR/sim.err" >&2
        exit 1
    fi
    sleep 0.1
    i=$((i + 1))
done

status=0
"./$B/q275-terminal" "$@" || status=$?
exit $status
