#!/bin/sh
# make test-drivers: the console and sign jobs over the Linux kernel's own serial drivers, in a
# small virtual machine (tools/drivers/): its ttyS1 is the 8250 driver on a 16550A UART, its
# ttyUSB0 the ftdi_sio driver on an FTDI USB adapter, and the far end of each is a simulator on
# this machine (tarvex2-devsim on a pseudo-terminal), checking every byte.
#   test_drivers.sh BUILD [SCENARIO...]
# The scenarios are the functions at the end (all of them without any named). With
# KEEP_DRIVER_WORK=1 the machines' folders stay: the guests' output, the simulators' logs, QEMU's
# trace of the line settings and the guests' consoles.
# Says why and skips (exit 0, with "SKIPPED") where this machine cannot run the machine.
set -u
build=$(cd "$1" && pwd)
shift
scenarios=$*
here=$(cd "$(dirname "$0")" && pwd)
tools=$(cd "$here/../../tools/drivers" && pwd)
devsim=$build/tools/devsim/tarvex2-devsim
work=$(mktemp -d /tmp/tarvex2-drivers.XXXXXX)
started=
cleanup() {
    for pid in $started; do kill "$pid" 2>/dev/null; done
    wait
    if [ -n "${KEEP_DRIVER_WORK:-}" ]; then echo "test-drivers: kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM
skip() { echo "test-drivers: SKIPPED: $*"; exit 0; }
failures=0
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

command -v qemu-system-x86_64 > /dev/null || skip "QEMU (qemu-system-x86) is not installed"
[ -x /bin/busybox ] || skip "busybox-static is not installed"
release=$(sh "$tools/guest_kernel.sh" "$build/drivers/kernel") ||
    skip "Debian's kernel package could not be fetched and unpacked"
initramfs=$build/drivers/initramfs-$release.cpio.gz
if [ ! -s "$initramfs" ] || [ "$tools/guest_init.sh" -nt "$initramfs" ] ||
    [ "$tools/guest_modules.txt" -nt "$initramfs" ]; then
    python3 "$tools/make_initramfs.py" "$build/drivers/kernel/root" "$release" "$initramfs" ||
        skip "the machine's initramfs could not be made"
fi
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$devsim" files "$work/files" > /dev/null
console_file=$work/files/Quorlex2000.hex
sign_file=$work/files/ED-40517_Veziv16.fud

# simulate NAME DEVICE OPTIONS...: a simulator for the port NAME (ttyS1 or ttyUSB0) of the next
# machine, playing each job once the guest switches it on; its pseudo-terminal goes to NAME.pty.
simulate() {
    name=$1
    shift
    "$devsim" "$@" --repeat --switched-on-by "$shared/on-$name" > "$shared/$name.pty" \
        2> "$shared/$name.log" &
    started="$started $!"
    tries=0
    until [ -s "$shared/$name.pty" ] || [ $tries -ge 100 ]; do sleep 0.05; tries=$((tries + 1)); done
}

# boot STEP...: the machine runs guest_jobs.sh with the steps, its results printed; the hand
# at its adapter (tools/drivers/hand.py) does what the guest asks of it.
boot() {
    cat > "$shared/guest_command" <<COMMAND
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/tmp LANG=C.UTF-8 XDG_RUNTIME_DIR=/tmp/runtime
mkdir -m 700 -p /tmp/runtime
exec sh "$here/guest_jobs.sh" "$build" "$shared" $*
COMMAND
    python3 "$tools/hand.py" "$shared" "$shared/monitor" 2> "$shared/hand.log" &
    started="$started $!"
    sh "$tools/run_guest.sh" --kernel "$build/drivers/kernel/vmlinux" --initramfs "$initramfs" \
        --shared "$shared" --uart "$(head -n 1 "$shared/ttyS1.pty")" \
        --usb "$(head -n 1 "$shared/ttyUSB0.pty")" --trace "$shared/trace" \
        --monitor "$shared/monitor" --timeout 600
    status=$?
    cat "$shared/guest.log" 2>/dev/null
    for pid in $started; do kill "$pid" 2>/dev/null; done
    wait
    started=
    return $status
}

# simulated NAME COUNT: the simulator of NAME played COUNT jobs to the end, every byte right.
simulated() {
    done=$(grep -c ': done:' "$shared/$1.log")
    if grep -q ': failed:' "$shared/$1.log" || [ "$done" -ne "$2" ]; then
        fail "the simulator on $1 played $done of $2 jobs: $(cat "$shared/$1.log")"
    fi
}

# traced NAME PATTERN: QEMU saw the guest give its driver these line settings.
traced() {
    grep -q "$2" "$shared/trace" || fail "$1: no \"$2\" in QEMU's trace of the line settings"
}

# adapter_flow_after_stty NAME VALUE: once stty left the adapter with RTS/CTS (the FTDI chip's
# flow control 1), the next flow control the adapter was given is VALUE (4: XON/XOFF). Each close
# sets 0 and each open the settings the port kept, so only the sign's 4 tells the job's own.
adapter_flow_after_stty() {
    next=$(grep 'usb_serial_set_flow_control dev 0:1' "$shared/trace" |
        awk '/flow control 1$/ { after = ""; seen = 1; next }
             seen && after == "" { after = $0 }
             END { print after }')
    case $next in
        *"flow control $2") ;;
        *) fail "$1: after stty the adapter was given \"$next\", not flow control $2" ;;
    esac
}

# machine NAME: a fresh shared folder for the next machine, with the firmware files.
machine() {
    shared=$work/$1
    mkdir "$shared" && cp -r "$work/files" "$shared/"
}

# The console on the UART and the sign on the adapter, then both again on ports another
# program left with hardware handshake (CTS is low on the UART: it would hold every byte) and
# XON/XOFF on.
console_on_the_uart() {
    machine console_on_the_uart
    simulate ttyS1 console --expect "$console_file"
    simulate ttyUSB0 sign --expect "$sign_file" --retries 1
    boot console:/dev/ttyS1 sign:/dev/ttyUSB0 stty:/dev/ttyS1 stty:/dev/ttyUSB0 \
        console:/dev/ttyS1 sign:/dev/ttyUSB0 || fail "the jobs in the machine"
    simulated ttyS1 2
    simulated ttyUSB0 2
    traced "the console on the UART" \
        "serial_update_parameters baudrate=115200 parity='N' data=8 stop=1"
    traced "the sign on the adapter" "usb_serial_set_baud dev 0:1 baud rate 19200"
    traced "the sign on the adapter" \
        "usb_serial_set_data dev 0:1 parity N, data bits 8, stop bits 1"
    adapter_flow_after_stty "the sign on the adapter" 4
}

# The other way round, the sign stopping the UART with XOFF for a moment on every request.
sign_on_the_uart() {
    machine sign_on_the_uart
    simulate ttyS1 sign --expect "$sign_file" --retries 1 --xoff-after 2000 --xoff-ms 500
    simulate ttyUSB0 console --expect "$console_file"
    boot sign:/dev/ttyS1 console:/dev/ttyUSB0 stty:/dev/ttyS1 stty:/dev/ttyUSB0 \
        sign:/dev/ttyS1 console:/dev/ttyUSB0 || fail "the jobs in the machine"
    simulated ttyS1 2
    simulated ttyUSB0 2
    traced "the sign on the UART" "serial_update_parameters baudrate=19200 parity='N' data=8 stop=1"
    # The chip divides 3 MHz: 115200 baud comes out as 3000000 / 26 = 115384.
    traced "the console on the adapter" "usb_serial_set_baud dev 0:1 baud rate 115384"
}

# "Complete" only once the driver has sent everything: the sign holds XOFF for good while the
# file's last 2000 bytes (and the end byte) wait in the UART driver's 4 KB queue; meanwhile no
# other program can open the port. Then a user outside the port's group tries the adapter, and
# the adapter is pulled out while a console job waits for the console; plugged in again, it
# carries a new job.
held_and_pulled_out_waiting() {
    machine held_and_pulled_out_waiting
    simulate ttyS1 sign --expect "$sign_file" --xoff-after $(($(stat -c %s "$sign_file") - 2000)) \
        --xoff-ms -1
    simulate ttyUSB0 console --expect "$console_file"
    boot held:/dev/ttyS1 denied:/dev/ttyUSB0 pulled-waiting:/dev/ttyUSB0 ||
        fail "the jobs in the machine"
    simulated ttyUSB0 1  # the job after the adapter came back
}

# large_image: SHARED/large/Large.hex, a console image larger than everything between the
# driver and the simulator can hold.
large_image() {
    mkdir "$shared/large"
    python3 - "$shared/large/Large.hex" <<'PYTHON'
import sys
# Intel HEX data records of 16 bytes each, 512 KB in all, and the end record.
with open(sys.argv[1], "w") as hex_file:
    for record in range(32768):
        address = (record * 16) & 0xFFFF
        data = bytes((record + i) & 0xFF for i in range(16))
        fields = bytes([16, address >> 8, address & 0xFF, 0]) + data
        hex_file.write(":%s%02X\n" % (fields.hex().upper(), -sum(fields) & 0xFF))
    hex_file.write(":00000001FF\n")
PYTHON
}

# The adapter pulled out while a large image goes out, the simulator taking it at the line's
# pace (it must keep reading: an adapter whose far end stops reading freezes the machine).
adapter_pulled_out_sending() {
    machine adapter_pulled_out_sending
    large_image
    simulate ttyS1 console --expect "$console_file"
    simulate ttyUSB0 console --line-rate
    boot pulled-sending:/dev/ttyUSB0 || fail "the jobs in the machine"
}

# Not a test (make bench-drivers): bench/driver_figures.py over both drivers, the far ends
# taking what comes at the line's pace.
figures() {
    machine figures
    large_image
    simulate ttyS1 console --line-rate
    simulate ttyUSB0 console --line-rate
    boot figures:/dev/ttyS1 figures:/dev/ttyUSB0 figures-unplug:/dev/ttyUSB0 ||
        fail "the figures in the machine"
}

for scenario in ${scenarios:-console_on_the_uart sign_on_the_uart held_and_pulled_out_waiting \
    adapter_pulled_out_sending}; do
    echo "test-drivers: $scenario"
    $scenario
done

if [ "$failures" -eq 0 ]; then
    echo "test-drivers: passed"
else
    echo "test-drivers: $failures failed"
fi
[ "$failures" -eq 0 ]
