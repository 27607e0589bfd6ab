#!/bin/sh
# The size of the Windows program as installed (tarvex2.exe, statically linked and stripped)
# beside the Linux program stripped the same way, with the Qt libraries it loads (its own and
# those of the X11 platform plugin Qt loads on a desktop), and with every library it loads bar
# the C and C++ runtimes (which the Windows program carries inside it).
#   program_size.sh LINUX_TARVEX2 WINDOWS_TARVEX2_EXE
set -eu
linux=$1
windows=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
strip -o "$work/tarvex2" "$linux"
x86_64-w64-mingw32-strip -o "$work/tarvex2.exe" "$windows"
megabytes() { stat -L -c %s "$@" | awk '{ sum += $1 } END { printf "%.2f MB", sum / 1048576 }'; }
row() { printf '   %-58s %s\n' "$1" "$2"; }
plugin=/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqxcb.so
[ -f "$plugin" ] || plugin=
loaded=$( (ldd "$linux"; [ -z "$plugin" ] || ldd "$plugin") | awk '$3 ~ /^\// { print $3 }' | sort -u)
qt=$(echo "$loaded" | grep '/libQt6')
rest=$(echo "$loaded" | grep -v -E '/(libc|libm|libstdc\+\+|libgcc_s)\.so')
echo "program size, stripped:"
row "tarvex2.exe (Windows, static)" "$(megabytes "$work/tarvex2.exe")"
row "tarvex2 (Linux) alone" "$(megabytes "$work/tarvex2")"
row "tarvex2 + the xcb plugin + $(echo "$qt" | wc -l) Qt libraries" \
    "$(megabytes "$work/tarvex2" ${plugin:+"$plugin"} $qt)"
row "tarvex2 + the plugin + all $(echo "$rest" | wc -l) libraries bar the C/C++ runtimes" \
    "$(megabytes "$work/tarvex2" ${plugin:+"$plugin"} $rest)"
