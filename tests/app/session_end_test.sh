#!/bin/sh
# The end of a session in the middle of a job: SIGTERM, SIGHUP and SIGINT close Tarvex2 as its
# window's close does, within a few seconds: the job's port is let go of, the settings are saved
# and the job log gets the job's end line. The job waits for a console that is never switched on.
# Then a file-size limit below the log's size: the log's writes fail, and the job completes.
# usage: session_end_test.sh TARVEX2-DEMO TARVEX2-DEVSIM
set -u
demo=$1
devsim=$2
work=$(mktemp -d)
simulator=
program=
trap '[ -n "$program" ] && kill -9 $program 2>/dev/null; [ -n "$simulator" ] && kill $simulator 2>/dev/null; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" XDG_STATE_HOME="$work/state"
mkdir -m 700 "$work/runtime"
fail() { echo "FAILED: $*"; exit 1; }

for signal in TERM HUP INT; do
    folder="$work/$signal"
    mkdir "$folder"
    "$devsim" files "$folder" > /dev/null
    "$devsim" console --power-cycle 600000 > "$work/port" 2> /dev/null < /dev/null &
    simulator=$!
    for i in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
    port=$(head -n 1 "$work/port")
    "$demo" --port "$port" --type 0 --workdir "$folder" > "$work/out" 2>&1 &
    program=$!
    for i in $(seq 200); do grep -q "Waiting for user to cycle power" "$work/out" && break; sleep 0.05; done
    grep -q "Waiting for user to cycle power" "$work/out" || fail "$signal: the job did not start: $(cat "$work/out")"
    kill -s "$signal" $program
    for i in $(seq 100); do kill -0 $program 2>/dev/null || break; sleep 0.05; done
    kill -0 $program 2>/dev/null && fail "$signal: Tarvex2 still runs 5 s after the signal"
    wait $program
    program=
    [ -s "$folder/Tarvex2.cfg" ] || fail "$signal: the settings were not saved: $(cat "$work/out")"
    tail -n 1 "$XDG_STATE_HOME/tarvex2/jobs.log" | grep -q "end: Waiting for user to cycle power" ||
        fail "$signal: no end line in the job log: $(tail -n 3 "$XDG_STATE_HOME/tarvex2/jobs.log")"
    # The port is free again: another program can have it exclusively.
    python3 -c "import os, fcntl, sys, termios
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
fcntl.ioctl(fd, termios.TIOCEXCL)" "$port" || fail "$signal: the port is still held"
    kill $simulator 2>/dev/null
    wait $simulator 2>/dev/null
    simulator=
    echo "$signal: closed as the window's close does"
done

# A file-size limit (ulimit -f, in blocks of 1 KB) below the size the job log already has.
folder="$work/limit"
mkdir "$folder"
"$devsim" files "$folder" > /dev/null
head -c 20000 /dev/zero | tr '\0' 'x' >> "$XDG_STATE_HOME/tarvex2/jobs.log"
"$devsim" console > "$work/port" 2> /dev/null < /dev/null &
simulator=$!
for i in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
sh -c 'ulimit -f 8 && exec "$@"' limited "$demo" --port "$(head -n 1 "$work/port")" --type 0 \
    --workdir "$folder" > "$work/out" 2>&1
rc=$?
wait $simulator
simulator=
[ $rc -eq 0 ] || fail "under a file-size limit: exit $rc: $(cat "$work/out")"
echo "a file-size limit: the job completed"
