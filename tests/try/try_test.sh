#!/bin/sh
# make try end to end, on the offscreen platform: the try-out folder is set up, both simulated
# devices are listed with their descriptions, a console job and a sign job run on them (twice
# for the console: each device plays again for every job), and closing Tarvex2 ends the
# simulators and removes their registrations.
#   try_test.sh SOURCE BUILD
set -u
source=$1
build=$2
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime XDG_STATE_HOME=$work/state QT_QPA_PLATFORM=offscreen
mkdir -m 700 "$XDG_RUNTIME_DIR"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

sh "$source/tools/try/try.sh" "$build" "$work/try" > "$work/out" 2>&1 &
try=$!
trap 'kill $try 2>/dev/null; pkill -f "$build/tarvex2\$" 2>/dev/null; rm -rf "$work"' EXIT
for i in $(seq 200); do grep -q "Close the window" "$work/out" 2>/dev/null && break; sleep 0.05; done
console=$(sed -n 's/^  Simulated Quorlex 2000 console: *//p' "$work/out")
sign=$(sed -n 's/^  Simulated Tessary 5500 sign controller: *//p' "$work/out")
[ -n "$console" ] && [ -n "$sign" ] || fail "no simulators: $(cat "$work/out")"
for name in Quorlex2000.hex Arena2000.hex OvalTrack.hex ED-40517_Veziv16.fud OrvLicense.txt; do
    [ -s "$work/try/$name" ] || fail "no $name in the try-out folder"
done
grep -l "simulated Quorlex 2000 console" "$XDG_RUNTIME_DIR/tarvex2/ports/"* > /dev/null ||
    fail "the console is not registered"

# Whether the process $2 ends within $1 tenths of a second.
ends_within() {
    for i in $(seq "$1"); do kill -0 "$2" 2>/dev/null || return 0; sleep 0.1; done
    ! kill -0 "$2" 2>/dev/null
}

# What every process of the try-out is doing, for a job that does not end.
report_stuck() {
    echo "--- make try's output:"; cat "$work/out"
    echo "--- the job's output:"; cat "$work/job"
    echo "--- the processes:"
    ps -eo pid,ppid,stat,etime,wchan:24,args | grep -E "tarvex2|PID" | grep -v grep
    echo "--- who holds a terminal:"
    for fd in /proc/[0-9]*/fd/*; do
        target=$(readlink "$fd" 2>/dev/null) || continue
        case $target in /dev/pts/*) echo "$fd -> $target";; esac
    done
    if command -v gdb > /dev/null; then
        for pid in $(pgrep -f "tarvex2-(demo|devsim)"); do
            echo "--- threads of $(tr '\0' ' ' < /proc/$pid/cmdline)"
            gdb -p "$pid" -batch -ex "thread apply all bt 12" 2>/dev/null | grep -E "^(Thread|#)"
        done
    fi
}

# The jobs a newcomer runs, through the real window (the demo driver in the same folder). A job
# takes seconds; one still running after a minute is reported with what every process does.
for type in 0 1 3; do
    port=$console
    [ $type -eq 3 ] && port=$sign
    "$build/tarvex2-demo" --port "$port" --type $type --workdir "$work/try" > "$work/job" 2>&1 &
    job=$!
    if ! ends_within 600 $job; then
        fail "type $type: no end after a minute"
        report_stuck
        kill -9 $job
    fi
    wait $job
    grep -q "^job:      succeeded" "$work/job" || fail "type $type: $(tail -4 "$work/job")"
done

pkill -f "$build/tarvex2\$"
if ! ends_within 200 $try; then
    fail "make try did not end with the window"
    report_stuck
    pkill -9 -P $try
    kill -9 $try
fi
wait $try
[ -z "$(ls "$XDG_RUNTIME_DIR/tarvex2/ports")" ] || fail "the simulators outlived the window"
pgrep -f "tarvex2-devsim .*--repeat" > /dev/null && fail "a simulator still runs"

[ $failures -eq 0 ] && echo "make try: all passed"
exit $failures
