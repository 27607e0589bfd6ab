#!/usr/bin/env bash
# Unpacks the Debian package into a temporary root, checks that it holds what a desktop install
# needs, and runs the checks a distribution applies: lintian (no tag at warning level or above),
# appstreamcli (no issue, pedantic ones included, short of the network checks) and
# desktop-file-validate. A validator that is missing is a failure, not a skipped check.
set -euo pipefail
deb="$1"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
for tool in lintian appstreamcli desktop-file-validate; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: the package cannot be checked"; exit 1; }
done
dpkg-deb -x "$deb" "$root"
metainfo=usr/share/metainfo/example.morvane.tarvex2.metainfo.xml
for file in usr/bin/tarvex2 usr/bin/tarvex2-devsim usr/share/tarvex2/OrvLicense.txt \
    usr/share/applications/tarvex2.desktop "$metainfo" \
    usr/share/man/man1/tarvex2.1.gz usr/share/man/man1/tarvex2-devsim.1.gz \
    usr/share/doc/tarvex2/copyright usr/share/doc/tarvex2/changelog.Debian.gz \
    usr/share/lintian/overrides/tarvex2 \
    usr/share/icons/hicolor/16x16/apps/tarvex2.png usr/share/icons/hicolor/256x256/apps/tarvex2.png; do
    [ -e "$root/$file" ] || { echo "missing from the package: $file"; exit 1; }
done
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libqt6widgets6 libserialport0 libcurl4; do
    case "$depends" in *"$library"*) ;; *) echo "no dependency on $library: $depends"; exit 1 ;; esac
done
"$root/usr/bin/tarvex2" --version | grep -qx "Tarvex2 2.0.0"

desktop-file-validate "$root/usr/share/applications/tarvex2.desktop"

# The maker's domain is morvane.example: its reverse, example.morvane, is the component id, but
# AppStream knows no ".example" top-level domain and says the id may not be reverse DNS. That
# one note is expected; any other issue fails.
appstreamcli validate --pedantic --no-net --no-color "$root/$metainfo" | tee "$root/appstream.txt"
if grep -E '^[EWIP]: ' "$root/appstream.txt" | grep -vq 'cid-maybe-not-rdns example\.morvane\.tarvex2$'; then
    echo "AppStream reports issues"
    exit 1
fi

lintian -I --pedantic --tag-display-limit 0 "$deb" | tee "$root/lintian.txt"
if grep -Eq '^(E|W): ' "$root/lintian.txt"; then echo "lintian reports warnings or errors"; exit 1; fi
echo "package: $(basename "$deb") holds the program, its data and its desktop files"
