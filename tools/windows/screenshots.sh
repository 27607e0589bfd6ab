#!/bin/sh
# make screenshot-windows: the Windows program's main window, About box, System Information
# report and Help page as the Win32 user interface draws them, on Wine's virtual desktop inside
# an X server of its own (Xvfb), saved as DOCS/windows-<name>.png.
#   screenshots.sh BUILD_WINDOWS DOCS
# The prefix is one of its own beside the tests' (which draw nothing): Wine's X11 driver, and
# Wine's own fonts (Marlett draws the title bar's buttons) in its Fonts folder.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$1
docs=$2
export WINEPREFIX="$build/wine-prefix-desktop" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WAYLAND_DISPLAY
display=77
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 2048x1536x24 -nolisten tcp > /dev/null 2>&1 &
xserver=$!
export DISPLAY=":$display"
work=$(mktemp -d)
# Under set -e a failing command would end the trap early: a wineserver already gone must not
# leave the X server running.
trap 'wineserver -k 2>/dev/null || true; kill $xserver 2>/dev/null || true; rm -rf "$work"' EXIT
for i in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i > /dev/null 2>&1 || true
fi
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

# The screen's resolution in dots per inch (96 is 100 %), as Windows' display settings set it.
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f > /dev/null 2>&1
    wineserver -w  # the next program starts with the new setting
}

# draw WINDOW PICTURE DESKTOP-SIZE
draw() {
    wine explorer "/desktop=pictures,$3" tools/screenshot/tarvex2-screenshot.exe \
        "$(winepath -w "$work/$1.bmp" 2>/dev/null)" "$1"
    python3 "$here/bmp_to_png.py" "$work/$1.bmp" "$2"
    echo "drew $2"
}

# Run where the licence text lies beside the program, as an installed program's folder has it.
cd "$build"
set_dpi 96
for window in main about system help; do
    draw "$window" "$docs/windows-$window-window.png" 1000x700
done
# A high-resolution screen at 200 %, for which the program declares itself ready.
set_dpi 192
for window in main about; do
    draw "$window" "$docs/windows-$window-window-200.png" 2000x1400
done
set_dpi 96
