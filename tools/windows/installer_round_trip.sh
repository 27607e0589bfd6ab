#!/bin/sh
# The installer's round trip under Wine, in a fresh prefix and a home of its own: a silent
# install, the program started from its Start-menu entry and closed as Windows closes it, a
# silent uninstall; then nothing of Tarvex2 may be left but the user's Documents\Tarvex2.
#   installer_round_trip.sh SETUP.exe WINE_PREFIX_SCRIPT
set -eu
setup=$(realpath "$1")
make_prefix=$2
work=$(mktemp -d)
# Wine's menu builder would copy the Start-menu entry into the home's desktop menus.
export HOME="$work/home" WINEPREFIX="$work/prefix" WINEDEBUG=-all \
       WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME"
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "installer round trip: $*" >&2; exit 1; }

# Everything a user could find: the prefix's drive C:, the home its Documents folder points
# into (its links are not followed twice); Temp folders are the system's to clear.
snapshot() {
    (cd "$work" && find home prefix/drive_c -path '*/Temp' -prune -o -print | sort)
}
# Waits up to 60 s for the shell test "$@" to hold.
wait_until() {
    deadline=$(($(date +%s) + 60))
    until "$@"; do
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

sh "$make_prefix" "$WINEPREFIX"
wineserver -k  # its server stays up for good; one that ends with its last program is waited for
snapshot > "$work/before"

wine "$setup" /S || fail "the silent install failed"
programs=$(winepath -u 'C:\Program Files\Tarvex2')
for file in tarvex2.exe OrvLicense.txt uninstall.exe; do
    [ -f "$programs/$file" ] || fail "the install left out Program Files\\Tarvex2\\$file"
done
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvex2'
wine reg query "$key" /v UninstallString > /dev/null 2>&1 ||
    fail "the uninstaller is not registered with Windows"
echo "installed into C:\\Program Files\\Tarvex2, uninstaller registered"

# The Start-menu entry, as a user starts it (start does not wait for what a shortcut starts);
# then Windows' close request, as often as needed: taskkill without /f posts WM_CLOSE to the
# program's top-level windows, which may not hold the main window yet.
entry='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Tarvex2.lnk'
[ -f "$(winepath -u "$entry")" ] || fail "no Start-menu entry"
wine start "$entry" || fail "the Start-menu entry does not start"
installed='C:.Program Files.Tarvex2.tarvex2.exe --desktop'
wait_until pgrep -f "$installed" > /dev/null ||
    fail "the Start-menu entry did not start tarvex2.exe --desktop from Program Files\\Tarvex2"
closed() {
    wine taskkill /im tarvex2.exe > /dev/null 2>&1 || true
    sleep 0.5
    ! pgrep -f "$installed" > /dev/null
}
wait_until closed || fail "the program did not end when Windows closed it"
user_folder=$(winepath -u "$(wine cmd /c echo %USERPROFILE%\\Documents\\Tarvex2 | tr -d '\r')")
[ -f "$user_folder/OrvLicense.txt" ] || fail "the first start made no Documents\\Tarvex2 with the licence"
[ -f "$user_folder/Tarvex2.cfg" ] || fail "the program closed without keeping its settings"
echo "started from the Start menu: Documents\\Tarvex2 made, settings kept on close"

wine "$programs/uninstall.exe" /S || fail "the silent uninstall failed"
# The uninstaller runs on from a copy of itself in Temp, so that it can remove its own file.
wait_until test ! -e "$programs" || fail "the uninstall left Program Files\\Tarvex2"
wineserver -w
if wine reg query "$key" > /dev/null 2>&1; then fail "the uninstaller is still registered"; fi
if grep -il tarvex2 "$WINEPREFIX"/*.reg; then fail "the registry keeps Tarvex2"; fi

snapshot > "$work/after"
left=$(comm -13 "$work/before" "$work/after")
expected=$(printf '%s\n' home/Tarvex2 home/Tarvex2/OrvLicense.txt home/Tarvex2/Tarvex2.cfg)
if [ "$left" != "$expected" ]; then
    echo "left behind:" >&2
    echo "$left" >&2
    fail "the uninstall left more than the user's folder"
fi
gone=$(comm -23 "$work/before" "$work/after")
[ -z "$gone" ] || fail "the round trip removed what was there before: $gone"
echo "uninstalled: only the user's Documents\\Tarvex2 is left"
