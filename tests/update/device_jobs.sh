#!/bin/sh
# Runs the device jobs of the window-less test program against the simulator (a Linux program on
# a pseudo-terminal): on Linux over the pseudo-terminal itself, and with "wine" as the Windows
# program through a COM port of the Wine prefix linked to that pseudo-terminal.
#   device_jobs.sh DEVSIM TEST_PROGRAM [wine]
# Under Wine, WINEPREFIX names the prefix. COM1 to COM4 are never used: Wine maps the machine's
# own serial console there.
set -u
devsim=$1
tests=$2
runner=${3:-}
work=$(mktemp -d)
failures=0
trap '[ -n "$simulator" ] && kill $simulator 2>/dev/null; [ -n "$runner" ] && rm -f "$WINEPREFIX/dosdevices/com21"; rm -rf "$work"' EXIT
simulator=

# The port the test opens for the simulator's pseudo-terminal PTY, and a file's name as the test
# program sees it.
port_for() {
    if [ -n "$runner" ]; then
        ln -sfn "$1" "$WINEPREFIX/dosdevices/com21"
        echo COM21
    else
        echo "$1"
    fi
}
program_path() {
    if [ -n "$runner" ]; then winepath -w "$1" 2>/dev/null; else echo "$1"; fi
}
# A port name the system has no device for.
if [ -n "$runner" ]; then missing_port=COM199; else missing_port=/dev/tarvex-no-such-port; fi

# run_test GTEST_TEST PORT FIRMWARE [WAITING_FILE]: the test program, natively or under Wine,
# its output in test.out; it must have run that one test, and passed it (a name that matches no
# test, or a skipped test, fails).
run_test() {
    env TARVEX_PORT="$2" TARVEX_FIRMWARE="$3" TARVEX_WAITING_FILE="${4:-}" \
        $runner "$tests" --gtest_filter="JobsWithoutAWindow.$1" > "$work/test.out" 2>&1 &&
        grep -q '^\[  PASSED  \] 1 test\.' "$work/test.out"
}

# play NAME GTEST_TEST FIRMWARE SIMULATOR_EXIT DEVSIM_ARGS...: the simulator on a pty mapped as
# COM21 and the test against it; the test must pass and the simulator end with SIMULATOR_EXIT.
play() {
    name=$1 test=$2 firmware=$3 expected=$4
    shift 4
    "$devsim" "$@" > "$work/port" 2> "$work/devsim.err" < /dev/null &
    simulator=$!
    for i in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
    run_test "$test" "$(port_for "$(head -n 1 "$work/port")")" "$(program_path "$firmware")"
    test_rc=$?
    wait $simulator
    devsim_rc=$?
    simulator=
    if [ $test_rc -ne 0 ] || [ "$devsim_rc" -ne "$expected" ]; then
        echo "FAILED: $name (test $test_rc, simulator $devsim_rc)"
        cat "$work/test.out" "$work/devsim.err"
        failures=$((failures + 1))
    else
        echo "passed: $name"
    fi
}

# play_hang_up_in_wait: the console job waits for a simulator that is switched on a minute later;
# once the job says it waits, the simulator ends, which hangs the line up.
play_hang_up_in_wait() {
    "$devsim" console --power-cycle 60000 > "$work/port" 2> "$work/devsim.err" < /dev/null &
    simulator=$!
    for i in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
    rm -f "$work/waiting"
    run_test ConsoleThatHangsUpDuringTheWaitEndsTheJob "$(port_for "$(head -n 1 "$work/port")")" \
        "$(program_path "$work/console.bin")" "$(program_path "$work/waiting")" &
    job=$!
    for i in $(seq 400); do [ -e "$work/waiting" ] && break; sleep 0.05; done
    kill $simulator 2>/dev/null
    wait $simulator
    simulator=
    if wait $job; then
        echo "passed: console hanging up during the wait"
    else
        echo "FAILED: console hanging up during the wait"
        cat "$work/test.out" "$work/devsim.err"
        failures=$((failures + 1))
    fi
}

head -c 11000 /dev/urandom > "$work/console.bin"
head -c 2500 /dev/urandom > "$work/sign.bin"
# Larger than a pseudo-terminal holds, so that the hang-up meets the write itself: a pty has no
# output queue the drain could watch, and a small image would be handed over whole at once.
head -c 400000 /dev/urandom > "$work/console-large.bin"

play "console, markers split and noisy" ConsoleIsReprogrammed "$work/console.bin" 0 \
    console --expect "$work/console.bin" --split --noise
play "console hanging up after 100 bytes" ConsoleThatHangsUpFailsTheJob "$work/console-large.bin" 1 \
    console --hang-up-after 100
play_hang_up_in_wait
play "console transfer cancelled" ACancelledTransferCountsWhatWentOut "$work/console-large.bin" 0 \
    console --line-rate
play "sign with XOFF, asking twice" SignGetsTheFieldUpdateEachTimeItAsks "$work/sign.bin" 0 \
    sign --expect "$work/sign.bin" --retries 1 --xoff-after 1500 --xoff-ms 200
run_test MissingPortIsNamedInTheStatusLine "$missing_port" "$(program_path "$work/console.bin")" ||
    { echo "FAILED: missing port"; cat "$work/test.out"; failures=$((failures + 1)); }
: > "$work/empty.bin"
run_test EmptyFileEndsTheJobBeforeThePortIsOpened "$missing_port" "$(program_path "$work/empty.bin")" ||
    { echo "FAILED: empty file"; cat "$work/test.out"; failures=$((failures + 1)); }
exit $failures
