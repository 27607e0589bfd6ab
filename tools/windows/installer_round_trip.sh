#!/bin/sh
# The installer's round trip under Wine, in a fresh prefix and a home of its own: an earlier
# version installed silently and started from its Start-menu entry; the current setup refused
# while that runs, then installed over it once it is closed; the program started again and
# closed as Windows closes it; a silent uninstall. Then nothing of Tarvex2 may be left but the
# user's Documents\Tarvex2.
#   installer_round_trip.sh SETUP.exe EARLIER_SETUP.exe WINE_PREFIX_SCRIPT
set -eu
setup=$(realpath "$1")
earlier_setup=$(realpath "$2")
make_prefix=$3
work=$(mktemp -d)
# Wine's menu builder would copy the Start-menu entry into the home's desktop menus.
export HOME="$work/home" WINEPREFIX="$work/prefix" WINEDEBUG=-all \
       WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME"
# || true: under set -e a wineserver already gone would end the trap before the clean-up.
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
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

programs=$(winepath -u 'C:\Program Files\Tarvex2')
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvex2'
entry='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Tarvex2.lnk'
installed='C:.Program Files.Tarvex2.tarvex2.exe --desktop'

# installed_as VERSION: one program in Program Files\Tarvex2, one Start-menu entry and one
# entry among the installed programs, of that version.
installed_as() {
    [ "$(LC_ALL=C ls "$programs" | tr '\n' ' ')" = "OrvLicense.txt tarvex2.exe uninstall.exe " ] ||
        fail "Program Files\\Tarvex2 holds $(ls "$programs" | tr '\n' ' ')instead of the program"
    [ -f "$(winepath -u "$entry")" ] || fail "no Start-menu entry"
    links=$(find "$(winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu')" \
        "$(winepath -u 'C:\users')" -iname '*tarvex2*.lnk' | wc -l)
    [ "$links" -eq 1 ] || fail "$links Start-menu entries instead of one"
    entries=$(grep -c '^"DisplayName"="Tarvex2"' "$WINEPREFIX/system.reg" || true)
    [ "$entries" -eq 1 ] || fail "$entries entries among the installed programs instead of one"
    wine reg query "$key" /v DisplayVersion 2>/dev/null | grep -q "REG_SZ *$1" ||
        fail "the installed programs do not list version $1"
    echo "installed version $1 into C:\\Program Files\\Tarvex2, one entry in the Start menu and one among the installed programs"
}

# The Start-menu entry, as a user starts it (start does not wait for what a shortcut starts).
start_from_menu() {
    wine start "$entry" || fail "the Start-menu entry does not start"
    wait_until pgrep -f "$installed" > /dev/null ||
        fail "the Start-menu entry did not start tarvex2.exe --desktop from Program Files\\Tarvex2"
}

# Windows' close request, as often as needed: taskkill without /f posts WM_CLOSE to the
# program's top-level windows, which may not hold the main window yet.
closed() {
    wine taskkill /im tarvex2.exe > /dev/null 2>&1 || true
    sleep 0.5
    ! pgrep -f "$installed" > /dev/null
}

# wineserver -w: the registry as the setup left it is on disk before it is read.
wine "$earlier_setup" /S || fail "the silent install of the earlier version failed"
wineserver -w
earlier_version=$(wine reg query "$key" /v DisplayVersion | tr -d '\r' | awk '/DisplayVersion/ {print $3}')
installed_as "$earlier_version"
cp "$programs/tarvex2.exe" "$work/earlier.exe"

start_from_menu
user_folder=$(winepath -u "$(wine cmd /c echo %USERPROFILE%\\Documents\\Tarvex2 | tr -d '\r')")
# A running program is told about, not overwritten half-way: the silent setup ends with an error.
if wine "$setup" /S; then fail "the setup went on while Tarvex2 was running"; fi
cmp -s "$programs/tarvex2.exe" "$work/earlier.exe" ||
    fail "the setup changed the running program's file"
pgrep -f "$installed" > /dev/null || fail "the setup ended the running program"
echo "the setup refuses while Tarvex2 runs, and leaves it as it was"

wait_until closed || fail "the program did not end when Windows closed it"
[ -f "$user_folder/OrvLicense.txt" ] || fail "the first start made no Documents\\Tarvex2 with the licence"
[ -f "$user_folder/Tarvex2.cfg" ] || fail "the program closed without keeping its settings"
cp "$user_folder/Tarvex2.cfg" "$work/settings"

wine "$setup" /S || fail "the silent install over the earlier version failed"
wineserver -w
version=$(basename "$setup" | sed 's/^tarvex2-\(.*\)-setup.exe$/\1/')
installed_as "$version"
if cmp -s "$programs/tarvex2.exe" "$work/earlier.exe"; then
    fail "the upgrade kept the earlier version's program"
fi
cmp -s "$user_folder/Tarvex2.cfg" "$work/settings" || fail "the upgrade changed the user's settings"
echo "upgraded from $earlier_version to $version: the program replaced, the user's folder kept"

start_from_menu
wait_until closed || fail "the upgraded program did not end when Windows closed it"
echo "started from the Start menu and closed as Windows closes it"

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
