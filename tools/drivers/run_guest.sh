#!/bin/sh
# Boots the driver tests' virtual machine: Debian's kernel with guest_init.sh, the host's root
# shared read-only, SHARED shared read-write at its own path; its ttyS1 (the kernel's 8250
# driver on a 16550A) and its ttyUSB0 (ftdi_sio on QEMU's FTDI adapter, USB id 0403:6001) lead
# to the host's terminals UART and USB. It runs SHARED/guest_command and powers off.
#   run_guest.sh --kernel FILE --initramfs FILE --shared DIR [--uart TTY] [--usb TTY]
#                [--monitor SOCKET] [--trace FILE] [--timeout SECONDS]
# Exits with the command's status; 124 when the machine ran out of time, 125 when it never ran
# the command (SHARED/console.log holds its console).
set -eu
kernel= initramfs= shared= uart= usb= monitor= trace= limit=300
while [ $# -gt 0 ]; do
    case $1 in
        --kernel) kernel=$2 ;;
        --initramfs) initramfs=$2 ;;
        --shared) shared=$2 ;;
        --uart) uart=$2 ;;
        --usb) usb=$2 ;;
        --monitor) monitor=$2 ;;
        --trace) trace=$2 ;;
        --timeout) limit=$2 ;;
        *) echo "run_guest.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift 2
done
[ -n "$kernel" ] && [ -n "$initramfs" ] && [ -n "$shared" ] ||
    { echo "run_guest.sh: --kernel, --initramfs and --shared are needed" >&2; exit 2; }

# KVM only on the processor's own virtualisation: a /dev/kvm that a nested software hypervisor
# (kvm_pvm) provides runs the guest far slower than plain emulation.
if [ -r /dev/kvm ] && [ -w /dev/kvm ] && { [ -d /sys/module/kvm_intel ] || [ -d /sys/module/kvm_amd ]; }; then
    accel="-accel kvm -cpu host"
else
    accel="-accel tcg,thread=multi -cpu max"
fi
append="console=ttyS0,115200 panic=-1 quiet loglevel=3 8250.nr_uarts=4 tarvex.shared=$shared"
set -- -M pc $accel -m 1024 -smp "$(nproc)" -nodefaults -no-user-config -display none \
    -no-reboot -kernel "$kernel" -initrd "$initramfs" \
    -chardev "file,id=console,path=$shared/console.log" -serial chardev:console \
    -fsdev local,id=root,path=/,security_model=none,readonly=on,multidevs=remap \
    -device virtio-9p-pci,fsdev=root,mount_tag=hostroot \
    -fsdev "local,id=shared,path=$shared,security_model=none" \
    -device virtio-9p-pci,fsdev=shared,mount_tag=shared \
    -device qemu-xhci,id=xhci
if [ -n "$uart" ]; then
    set -- "$@" -chardev "serial,id=uart,path=$uart" -serial chardev:uart
fi
if [ -n "$usb" ]; then
    set -- "$@" -chardev "serial,id=usb,path=$usb" \
        -device usb-serial,chardev=usb,id=adapter,bus=xhci.0,port=1,serial=TARVEX01
    append="$append tarvex.usb=1"
fi
[ -z "$monitor" ] || set -- "$@" -monitor "unix:$monitor,server=on,wait=off"
[ -z "$trace" ] || set -- "$@" -trace serial_update_parameters -trace 'usb_serial_set_*' -D "$trace"
rm -f "$shared/guest.rc"
status=0
timeout -k 5 "$limit" qemu-system-x86_64 "$@" -append "$append" < /dev/null \
    2> "$shared/qemu.err" || status=$?
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "run_guest.sh: the machine ran out of its ${limit} s" >&2
    exit 124
fi
if [ ! -s "$shared/guest.rc" ]; then
    echo "run_guest.sh: the machine did not run its command (QEMU's status $status)" >&2
    cat "$shared/qemu.err" >&2
    tail -n 20 "$shared/console.log" >&2 2>/dev/null || true
    exit 125
fi
exit "$(cat "$shared/guest.rc")"
