#!/bin/sh
# Unpacks the kernel of Debian's linux-image-amd64 into DIR for the driver tests' virtual
# machine: taken with apt-get download and dpkg-deb -x, never installed (installing it would pull
# in initramfs-tools and upgrade the host's systemd). DIR/vmlinux is the kernel to boot, DIR/root
# its modules. Prints the kernel's release.
#   guest_kernel.sh DIR
set -eu
dir=$1
if [ -f "$dir/release" ]; then cat "$dir/release"; exit 0; fi
package=$(apt-cache depends linux-image-amd64 2>/dev/null |
    sed -n 's/^ *Depends: \(linux-image-[0-9].*-amd64\)$/\1/p' | head -1)
[ -n "$package" ] || { echo "guest_kernel.sh: apt knows no linux-image-amd64" >&2; exit 1; }
rm -rf "$dir.partial"
mkdir -p "$dir.partial/deb"
# apt's download sandbox user must be able to write there.
chmod 777 "$dir.partial/deb"
(cd "$dir.partial/deb" && apt-get download -qq "$package") >&2
dpkg-deb -x "$dir.partial"/deb/*.deb "$dir.partial/root"
rm -rf "$dir.partial/deb"
release=$(ls "$dir.partial/root/lib/modules")
depmod -b "$dir.partial/root" "$release"
# The kernel without its compressed wrapper boots straight into its code (PVH): under emulation
# the guest's own unpacking costs seconds.
python3 - "$dir.partial/root/boot/vmlinuz-$release" "$dir.partial/vmlinux" <<'PYTHON'
import lzma, sys
image = open(sys.argv[1], "rb").read()
start = image.find(b"\xfd7zXZ\x00")
while start >= 0:
    try:
        kernel = lzma.LZMADecompressor(format=lzma.FORMAT_XZ).decompress(image[start:])
        if kernel[:4] == b"\x7fELF":
            open(sys.argv[2], "wb").write(kernel)
            sys.exit(0)
    except lzma.LZMAError:
        pass
    start = image.find(b"\xfd7zXZ\x00", start + 1)
sys.exit("guest_kernel.sh: no kernel inside " + sys.argv[1])
PYTHON
echo "$release" > "$dir.partial/release"
rm -rf "$dir"
mv "$dir.partial" "$dir"
echo "$release"
