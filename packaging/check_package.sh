#!/usr/bin/env bash
# Unpacks the Debian package into a temporary root, checks that it holds what a desktop install
# needs, and runs the validators that are installed (lintian must report no errors).
set -euo pipefail
deb="$1"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for file in usr/bin/tarvex2 usr/bin/tarvex2-devsim usr/share/tarvex2/OrvLicense.txt \
    usr/share/applications/tarvex2.desktop usr/share/metainfo/example.morvane.Tarvex2.metainfo.xml \
    usr/share/man/man1/tarvex2.1.gz usr/share/man/man1/tarvex2-devsim.1.gz \
    usr/share/doc/tarvex2/copyright usr/share/doc/tarvex2/changelog.Debian.gz \
    usr/share/icons/hicolor/16x16/apps/tarvex2.png usr/share/icons/hicolor/256x256/apps/tarvex2.png; do
    [ -e "$root/$file" ] || { echo "missing from the package: $file"; exit 1; }
done
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libqt6widgets6 libserialport0 libcurl4; do
    case "$depends" in *"$library"*) ;; *) echo "no dependency on $library: $depends"; exit 1 ;; esac
done
"$root/usr/bin/tarvex2" --version | grep -qx "Tarvex2 2.0.0"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/tarvex2.desktop"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/example.morvane.Tarvex2.metainfo.xml"
fi
if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 "$deb" | tee "$root/lintian.txt"
    if grep -q '^E:' "$root/lintian.txt"; then echo "lintian reports errors"; exit 1; fi
fi
echo "package: $(basename "$deb") holds the program, its data and its desktop files"
