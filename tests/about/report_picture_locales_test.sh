#!/bin/sh
# The System Information report drawn under a German and a Turkish locale is the same picture as
# under C: the locale changes neither its shares nor its protocol lines.
# usage: report_picture_locales_test.sh TARVEX2-SCREENSHOT
set -eu
screenshot=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work"
LC_ALL=C "$screenshot" "$work/C.png" system
# glibc keeps the list LOCPATH names for the process's life, which LeakSanitizer reports.
localised="LOCPATH=$work ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
for language in de_DE tr_TR; do
    localedef -i "$language" -f UTF-8 "$work/$language.UTF-8" >/dev/null 2>&1 || true
    if [ -n "$(env LOCPATH="$work" LC_ALL="$language.UTF-8" locale 2>&1 >/dev/null)" ]; then
        echo "cannot make the locale $language here"
        exit 1
    fi
    env $localised LC_ALL="$language.UTF-8" "$screenshot" "$work/$language.png" system
    cmp -s "$work/C.png" "$work/$language.png" ||
        { echo "the report drawn under $language differs from the one under C"; exit 1; }
    echo "$language: the same picture"
done
