#!/bin/sh
# Inside the driver tests' virtual machine: the main window (tarvex2-demo, offscreen) runs jobs
# on the machine's own serial ports, whose far ends the host's simulators play. When the window
# asks for the device to be switched on, this script makes the file SHARED/on-PORTNAME the
# simulator waits for, as the technician's hand.
#   guest_jobs.sh BUILD SHARED STEP...
# Steps, run in order, each printing "PASS" or "FAIL" with its name:
#   console:PORT   a console job (Poolside) succeeds
#   sign:PORT      a sign job (Huevane) succeeds: the file twice, then the stop
#   stty:PORT      another program leaves the port with hardware handshake and XON/XOFF on
#   held:PORT      a sign job whose sign holds XOFF for good before the file's tail is sent
#                  never says the update is complete, keeps the port to itself meanwhile, and
#                  lets it go when the program is ended
#   denied:PORT    a user outside the port's group is told why the port cannot be opened
#   pulled-waiting:PORT    the adapter is pulled out while the console job waits for the
#                  console: the job ends at once, saying the line was dropped (and never that
#                  it is complete), and the port leaves the window's menu; plugged in again,
#                  the port is listed again, its tip the adapter's product and serial number,
#                  and a new job on it succeeds
#   pulled-sending:PORT    the same while the image of SHARED/large/Large.hex goes out (the
#                  simulator takes it at the line's pace) and the driver's queue holds some of
#                  it, without the new job
#   figures:PORT, figures-unplug:PORT    the figures of bench/driver_figures.py (make
#                  bench-drivers), printed; they fail only when they cannot be taken
# Exits with the number of failed steps.
set -u
build=$1
shared=$2
shift 2
failures=0
# The ports as udev leaves them on Debian: the group dialout may use them.
for port in /dev/ttyS1 /dev/ttyUSB0; do
    [ -e "$port" ] && chgrp dialout "$port" && chmod 660 "$port"
done
pass() { echo "PASS $1"; }
fail() { echo "FAIL $1: $2"; failures=$((failures + 1)); }

# waits_for SECONDS COMMAND...: true once COMMAND holds, false when the time is up.
waits_for() {
    tries=$(($1 * 20))
    shift
    until "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.05
    done
}
said() { grep -q "$2" "$1"; }
running() { kill -0 "$1" 2>/dev/null; }
ended() { ! running "$1"; }
# as_user GROUP COMMAND...: COMMAND as the ordinary user nobody, in GROUP and no other.
as_user() {
    group=$1
    shift
    setpriv --reuid=nobody --regid="$group" --clear-groups "$@"
}
# opens PORT: an ordinary user of the port's group can open it (root could open it even while
# a program holds it to itself).
opens() { as_user dialout stty -F "$1" > /dev/null 2>&1; }

# start_job NAME PORT TYPE [off]: the window starts the job in a folder with the files of
# $files; the device is switched on when it asks (unless "off" is given). The job log goes to
# $folder/state/tarvex2/jobs.log.
files=$shared/files
start_job() {
    folder=/tmp/job-$1
    rm -rf "$folder" && mkdir -p "$folder" && cp "$files"/* "$folder"/
    output=$shared/$1.out
    XDG_STATE_HOME=$folder/state "$build/tarvex2-demo" --port "$2" --type "$3" \
        --workdir "$folder" > "$output" 2>&1 &
    demo=$!
    if waits_for 60 said "$output" '^status: *Waiting for' && [ "${4:-on}" = on ]; then
        # Made whole under another name: the simulator removes the file as soon as it is there.
        touch "$shared/.on-${2##*/}" && mv "$shared/.on-${2##*/}" "$shared/on-${2##*/}"
    fi
}

# job NAME PORT TYPE: a whole job, which must succeed within two minutes.
job() {
    start_job "$@"
    if ! waits_for 120 ended "$demo"; then
        kill -9 "$demo"
        fail "$1" "the job did not end within two minutes"
    elif wait "$demo" && said "$output" '^job: *succeeded'; then
        pass "$1"
    else
        fail "$1" "the job did not succeed (see $output)"
    fi
}

# held NAME PORT: the sign stops the line with XOFF while the file's tail is in the driver's
# queue; the program must keep waiting for it rather than call the update complete.
held() {
    start_job "$1" "$2" 3
    if ! waits_for 60 said "$output" '^status: *Sending field update'; then
        fail "$1" "the file was never sent"
    else
        sleep 4
        if said "$output" 'Field update complete'; then
            fail "$1" "\"complete\" while the tail of the file was still in the port's queue"
        elif ! running "$demo"; then
            fail "$1" "the job ended while the sign held the line"
        elif opens "$2"; then
            fail "$1" "another program could open the port while the job held it"
        else
            pass "$1"
        fi
    fi
    kill "$demo" 2>/dev/null
    waits_for 10 ended "$demo" || { kill -9 "$demo"; fail "$1" "the program did not end"; }
    opens "$2" || fail "$1" "the port was not let go when the program ended"
}

# denied NAME PORT: the job of a user outside the port's group fails at the open, and its log
# says which group the user lacks.
denied() {
    folder=/tmp/job-$1
    rm -rf "$folder" && mkdir -p "$folder/runtime" && cp "$shared"/files/* "$folder"/
    chmod 700 "$folder/runtime" && chown -R nobody "$folder"
    output=$shared/$1.out
    as_user nogroup env HOME="$folder" XDG_RUNTIME_DIR="$folder/runtime" \
        XDG_STATE_HOME="$folder/state" timeout 60 "$build/tarvex2-demo" --port "$2" --type 0 \
        --workdir "$folder" > "$output" 2>&1
    words="permission denied: the user is not in the group that owns the port, dialout"
    if grep -q "$words" "$folder/state/tarvex2/jobs.log" 2>/dev/null; then
        pass "$1"
    else
        fail "$1" "the job log does not say \"$words\" (see $output)"
    fi
}

# start_queue_reader PORT: a reader of the bytes written to PORT that its driver still holds
# (TIOCOUTQ), started and waited for before the job: while the adapter carries a transfer, QEMU
# serves the machine's shared root so slowly that Python would take a minute to start. Once asked
# (by queued), it opens the port a second time, as root, whom the job's hold on the port does not
# keep out.
start_queue_reader() {
    rm -f /tmp/queue-ready /tmp/queue-ask /tmp/queue-answer
    /usr/bin/python3 -c 'import fcntl, os, struct, sys, termios, time
open("/tmp/queue-ready", "w").close()
while not os.path.exists("/tmp/queue-ask"):
    time.sleep(0.02)
port = os.open(sys.argv[1], os.O_RDONLY | os.O_NONBLOCK | os.O_NOCTTY)
queue = struct.unpack("i", fcntl.ioctl(port, termios.TIOCOUTQ, bytes(4)))[0]
with open("/tmp/queue-answer.new", "w") as answer:
    answer.write("%d\n" % queue)
os.rename("/tmp/queue-answer.new", "/tmp/queue-answer")' "$1" &
    waits_for 120 test -e /tmp/queue-ready
}
# queued: the reader's answer; "none" when it gave none.
queued() {
    touch /tmp/queue-ask
    waits_for 5 test -s /tmp/queue-answer && cat /tmp/queue-answer || echo none
}

# listed PORT: the port's item in the window's Communications menu, with its tip; nothing when
# the menu does not list it.
listed() {
    "$build/tarvex2-demo" --ports 2>&1 | grep "^port: *$1\( \|$\)"
}

index=0
# ask_hand ACTION: the host's hand at the adapter does ACTION (unplug or plug) and says when.
ask_hand() {
    touch "$shared/.$1" && mv "$shared/.$1" "$shared/$1"
    waits_for 10 test ! -e "$shared/$1"
}

# pulled NAME PORT MOMENT: the adapter pulled out at MOMENT (waiting or sending) of a console
# job, which must end within two seconds with the words for a dropped line in its log.
pulled() {
    if [ "$3" = waiting ]; then
        start_job "$1" "$2" 0 off
        [ -n "$(listed "$2")" ] || fail "$1" "the menu does not list $2 before it is pulled out"
    else
        # A file larger than everything between the driver and the simulator can hold, which
        # takes in a few kilobytes a second: the job is still sending when the adapter goes.
        files=$shared/large
        start_queue_reader "$2" || fail "$1" "the queue's reader did not start"
        start_job "$1" "$2" 4
        files=$shared/files
        waits_for 60 said "$output" '^status: *Reprogramming the Quorlex' && sleep 1
    fi
    if ! running "$demo"; then
        fail "$1" "the job ended before the adapter was pulled out (see $output)"
        return
    fi
    if [ "$3" = sending ]; then
        queue=$(queued)
        echo "$1: $queue bytes in the adapter's queue as it is pulled out"
        if [ "$queue" = none ]; then
            fail "$1" "the queue's reader gave no answer"
        elif [ "$queue" -eq 0 ]; then
            fail "$1" "the adapter's queue was empty as it was pulled out: nothing was left to lose"
        fi
    fi
    ask_hand unplug || fail "$1" "the adapter could not be pulled out"
    if ! waits_for 2 ended "$demo"; then
        fail "$1" "the job went on after the adapter was pulled out"
        kill -9 "$demo"
    elif ! grep -q "the line was dropped" "$folder/state/tarvex2/jobs.log"; then
        fail "$1" "the job log does not say the line was dropped (see $output)"
    elif said "$output" 'console complete'; then
        fail "$1" "\"complete\" though the adapter went with bytes still in its queue"
    else
        pass "$1"
    fi
    wait "$demo"
    [ "$3" = waiting ] || return
    [ -z "$(listed "$2")" ] || fail "$1" "the menu still lists $2 once the adapter is out"
    ask_hand plug || fail "$1" "the adapter could not be plugged in again"
    if waits_for 10 test -e "$2"; then
        item=$(listed "$2")
        case $item in
            *"(QEMU USB SERIAL - TARVEX01)") ;;
            *) fail "$1" "the menu lists \"$item\", not $2 with the adapter's product as its tip" ;;
        esac
        chgrp dialout "$2" && chmod 660 "$2"
        job "$1-again" "$2" 0
    else
        fail "$1" "$2 did not come back when the adapter was plugged in again"
    fi
}

# figures NAME PORT PAIRS [unplug]: bench/driver_figures.py over PORT.
figures() {
    name=$1
    shift
    if /usr/bin/python3 "$(dirname "$0")/../../bench/driver_figures.py" "$build" "$shared" "$@"; then
        pass "$name"
    else
        fail "$name" "the figures could not be taken"
    fi
}

for step in "$@"; do
    index=$((index + 1))
    port=${step#*:}
    name=$index-${step%%:*}-${port##*/}
    case $step in
        console:*) job "$name" "$port" 0 ;;
        sign:*) job "$name" "$port" 3 ;;
        stty:*) stty -F "$port" crtscts ixon && pass "$name" || fail "$name" "stty failed" ;;
        held:*) held "$name" "$port" ;;
        denied:*) denied "$name" "$port" ;;
        pulled-waiting:*) pulled "$name" "$port" waiting ;;
        pulled-sending:*) pulled "$name" "$port" sending ;;
        figures:*) figures "$name" "$port" 6 ;;
        figures-unplug:*) figures "$name" "$port" 4 unplug ;;
        *) fail "$step" "no such step" ;;
    esac
done
exit "$failures"
