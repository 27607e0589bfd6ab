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
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
xserver=$!
export DISPLAY=":$display"
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null; kill $xserver 2>/dev/null; rm -rf "$work"' EXIT
for i in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i > /dev/null 2>&1 || true
fi
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

# Run where the licence text lies beside the program, as an installed program's folder has it.
cd "$build"
for window in main about system help; do
    wine explorer /desktop=pictures,1000x700 tools/screenshot/tarvex2-screenshot.exe \
        "$(winepath -w "$work/$window.bmp" 2>/dev/null)" "$window"
    python3 "$here/bmp_to_png.py" "$work/$window.bmp" "$docs/windows-$window-window.png"
    echo "drew $docs/windows-$window-window.png"
done
