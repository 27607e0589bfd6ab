#!/bin/sh
# Runs the device jobs of the Windows test program against the simulator (a Linux program on a
# pseudo-terminal), through a COM port of the Wine prefix linked to that pseudo-terminal.
#   jobs_on_a_com_port.sh DEVSIM TEST_EXE
# WINEPREFIX names the prefix. COM1 to COM4 are never used: Wine maps the machine's own serial
# console there.
set -u
devsim=$1
tests=$2
work=$(mktemp -d)
failures=0
trap '[ -n "$simulator" ] && kill $simulator 2>/dev/null; rm -f "$WINEPREFIX/dosdevices/com21"; rm -rf "$work"' EXIT
simulator=

# play NAME GTEST_TEST FIRMWARE SIMULATOR_EXIT DEVSIM_ARGS...: the simulator on a pty mapped as
# COM21 and the test against it; the test must pass and the simulator end with SIMULATOR_EXIT.
play() {
    name=$1 test=$2 firmware=$3 expected=$4
    shift 4
    "$devsim" "$@" > "$work/port" 2> "$work/devsim.err" < /dev/null &
    simulator=$!
    for i in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
    ln -sfn "$(head -n 1 "$work/port")" "$WINEPREFIX/dosdevices/com21"
    TARVEX_PORT=COM21 TARVEX_FIRMWARE="$(winepath -w "$firmware" 2>/dev/null)" \
        wine "$tests" --gtest_filter="JobsOnAComPort.$test" > "$work/test.out" 2>&1
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
    ln -sfn "$(head -n 1 "$work/port")" "$WINEPREFIX/dosdevices/com21"
    rm -f "$work/waiting"
    TARVEX_PORT=COM21 TARVEX_FIRMWARE="$(winepath -w "$work/console.bin" 2>/dev/null)" \
        TARVEX_WAITING_FILE="$(winepath -w "$work/waiting" 2>/dev/null)" \
        wine "$tests" --gtest_filter=JobsOnAComPort.ConsoleThatHangsUpDuringTheWaitEndsTheJob \
        > "$work/test.out" 2>&1 &
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
TARVEX_PORT=COM199 TARVEX_FIRMWARE="$(winepath -w "$work/console.bin" 2>/dev/null)" wine "$tests" --gtest_filter=JobsOnAComPort.MissingPortIsNamedInTheStatusLine > "$work/test.out" 2>&1 ||
    { echo "FAILED: missing port"; cat "$work/test.out"; failures=$((failures + 1)); }
: > "$work/empty.bin"
TARVEX_PORT=COM199 TARVEX_FIRMWARE="$(winepath -w "$work/empty.bin" 2>/dev/null)" wine "$tests" --gtest_filter=JobsOnAComPort.EmptyFileEndsTheJobBeforeThePortIsOpened > "$work/test.out" 2>&1 ||
    { echo "FAILED: empty file"; cat "$work/test.out"; failures=$((failures + 1)); }
exit $failures
