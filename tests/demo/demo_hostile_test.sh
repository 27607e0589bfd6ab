#!/bin/sh
# tarvex2-demo handed what a hostile user would hand it: wrong options, a settings file that is a
# directory, a FIFO or a link to /dev/zero, a custom type with no file for it, and a firmware file
# whose name is not UTF-8. It must say what happened, never abort.
#   demo_hostile_test.sh DEMO DEVSIM
set -u
demo=$1
devsim=$2
work=$(mktemp -d)
trap 'kill $simulator 2>/dev/null; rm -rf "$work"' EXIT
simulator=
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# Its options: --help before anything else, a wrong or missing value named (exit 2).
out=$("$demo" --help 2>&1); rc=$?
[ $rc -eq 0 ] && echo "$out" | grep -q "^Usage: tarvex2-demo" || fail "--help: $rc $out"
out=$("$demo" --type 2>&1); rc=$?
[ $rc -eq 2 ] && echo "$out" | grep -q -- "--type" || fail "missing value: $rc $out"
out=$("$demo" --type 9 --port /nonexistent --workdir "$work" 2>&1); rc=$?
[ $rc -eq 2 ] && echo "$out" | grep -q -- "--type needs a setup type 0 to 5, not '9'" ||
    fail "bad value: $rc $out"

# Runs the demo in a fresh folder holding a console file; prints its output.
run() {
    "$demo" --port /nonexistent/port --type 4 --workdir "$1" 2>&1
    echo "exit $?"
}

for kind in directory fifo zero; do
    dir=$work/$kind
    mkdir -p "$dir"
    printf ':00000001FF\r\n' > "$dir/console.hex"
    case $kind in
        directory) mkdir "$dir/Tarvex2.cfg" ;;
        fifo) mkfifo "$dir/Tarvex2.cfg" ;;
        zero) ln -s /dev/zero "$dir/Tarvex2.cfg" ;;
    esac
    out=$(run "$dir")
    echo "$out" | grep -q "^exit 1$" || fail "$kind: $(echo "$out" | tail -3)"
    echo "$out" | grep -q "Tarvex2.cfg not written: it is not a regular file" ||
        fail "$kind: the settings outcome was not said"
done

# A regular settings file that the close writes is reported with its size.
dir=$work/regular
mkdir -p "$dir"
printf ':00000001FF\r\n' > "$dir/console.hex"
out=$(run "$dir")
echo "$out" | grep -q "Tarvex2.cfg written, [0-9]* bytes" || fail "regular: $out"

# A custom type with no file of its kind: said, exit 2.
mkdir -p "$work/empty"
out=$("$demo" --port /nonexistent/port --type 4 --workdir "$work/empty" 2>&1; echo "exit $?")
echo "$out" | grep -q "no .hex file" || fail "no file: $out"
echo "$out" | grep -q "^exit 2$" || fail "no file: $out"

# A firmware file whose name is not UTF-8 reaches the console byte for byte.
dir=$work/bytes
mkdir -p "$dir"
name=$(printf 'firmware\351\377.hex')
printf ':00000001FF\r\n' > "$dir/$name"
"$devsim" console --expect "$dir/$name" > "$work/port" 2> "$work/devsim.log" &
simulator=$!
for i in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
out=$("$demo" --port "$(cat "$work/port")" --type 4 --workdir "$dir" 2>&1; echo "exit $?")
echo "$out" | grep -q "^exit 0$" || fail "non-UTF-8 name: $out"
wait $simulator || fail "the console did not get the file: $(cat "$work/devsim.log")"
simulator=

[ $failures -eq 0 ] && echo "demo hostile cases: all passed"
exit $failures
