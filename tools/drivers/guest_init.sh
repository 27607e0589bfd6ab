#!/bin/busybox sh
# /init of the driver tests' virtual machine. It loads the modules, puts a writable layer in
# memory over the host's root (shared read-only; the host's /tmp shows through it, for a build
# may lie there), mounts the host's shared folder at its own
# path, and runs SHARED/guest_command there as root. Its output goes to SHARED/guest.log and its
# exit status to SHARED/guest.rc; then the machine powers off.
# Kernel command line: tarvex.shared=PATH, and tarvex.usb=1 when an adapter is plugged in.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
echo 0 > /proc/sys/kernel/printk
for module in $(cat /modules/order); do
    insmod "/modules/$module" || echo "guest: cannot load $module"
done
shared=$(sed -n 's/.*tarvex\.shared=\([^ ]*\).*/\1/p' /proc/cmdline)
stop() { echo "guest: $*"; poweroff -f; }
nine_p="trans=virtio,version=9p2000.L,msize=512000"
mount -t 9p -o "$nine_p,ro" hostroot /lower || stop "cannot mount the host's root"
mount -t tmpfs -o mode=755 upper /upper && mkdir -p /upper/data /upper/work
mount -t overlay -o lowerdir=/lower,upperdir=/upper/data,workdir=/upper/work overlay /newroot ||
    stop "cannot lay the writable layer over the host's root"
root=/newroot
mount -t proc proc $root/proc
mount -t sysfs sys $root/sys
mount -t devtmpfs dev $root/dev
mkdir -p $root/dev/pts $root/dev/shm
mount -t devpts -o gid=5,mode=620,ptmxmode=666 devpts $root/dev/pts
mount -t tmpfs shm $root/dev/shm
mount -t tmpfs run $root/run
mkdir -p "$root$shared"
mount -t 9p -o "$nine_p" shared "$root$shared" || stop "cannot mount the shared folder"
# The adapter's driver binds a moment after the modules are loaded.
if grep -q tarvex.usb=1 /proc/cmdline; then
    tries=0
    while [ ! -e /dev/ttyUSB0 ] && [ $tries -lt 200 ]; do sleep 0.05; tries=$((tries + 1)); done
fi
chroot $root /bin/sh "$shared/guest_command" > "$root$shared/guest.log" 2>&1 < /dev/null
echo $? > "$root$shared/guest.rc"
sync
poweroff -f
