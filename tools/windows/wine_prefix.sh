#!/bin/sh
# Makes a headless Wine prefix for the Windows tests and starts one wineserver that stays up
# between test processes (each Wine start without it costs seconds).
#   wine_prefix.sh PREFIX
# The null graphics driver: the tests have no window. Mono and Gecko are not installed.
set -e
prefix=$1
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
fi
# A program that crashes ends at once, as under Windows without a debugger, instead of waiting
# for Wine's debugger.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f \
    >/dev/null 2>&1
wineserver -k 2>/dev/null || true  # the one wineboot left, with its short linger
# Its messages (a dump of its objects, on some signals) go to a log of the prefix, not the tests'.
wineserver -p 2>>"$prefix/wineserver.log"
# Wine's services start outside ctest's output pipes, which they would otherwise hold open.
wine cmd /c exit 0 </dev/null >/dev/null 2>&1
