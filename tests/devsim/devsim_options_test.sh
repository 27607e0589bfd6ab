#!/bin/sh
# tarvex2-devsim explains itself: --help before anything else, a wrong or missing value named
# (exit 2), a port that cannot be registered said, and SIGTERM ends it with its registration.
#   devsim_options_test.sh DEVSIM
set -u
devsim=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# Runs the simulator with the rest of the arguments; sets out and rc.
try() { out=$("$devsim" "$@" 2>&1 < /dev/null); rc=$?; }

try --help
[ $rc -eq 0 ] && echo "$out" | grep -q "^Usage: tarvex2-devsim" || fail "--help: $rc $out"
echo "$out" | grep -q "/dev/pts" && fail "--help opened a pseudo-terminal"
try console --size
[ $rc -eq 2 ] && echo "$out" | grep -q -- "--size needs a value" || fail "missing value: $out"
try console --retries two
[ $rc -eq 2 ] && echo "$out" | grep -q -- "--retries needs a whole number" || fail "bad value: $out"
try sign
[ $rc -eq 2 ] && echo "$out" | grep -q "sign needs --size BYTES or --expect FILE" || fail "sign: $out"
try lamp
[ $rc -eq 2 ] && echo "$out" | grep -q "no such device: lamp" || fail "device: $out"

# Without XDG_RUNTIME_DIR the port goes where the program looks without it; SIGTERM removes it.
runtime=$work/tmp/runtime-$(id -un)
mkdir -p "$work/tmp"
env -u XDG_RUNTIME_DIR TMPDIR="$work/tmp" "$devsim" console > "$work/port" 2> "$work/err" &
simulator=$!
for i in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
[ -n "$(ls "$runtime/tarvex2/ports" 2>/dev/null)" ] || fail "not registered in $runtime: $(cat "$work/err")"
kill -TERM $simulator
wait $simulator
rc=$?
[ $rc -eq 1 ] || fail "SIGTERM: exit $rc"
[ -z "$(ls "$runtime/tarvex2/ports" 2>/dev/null)" ] || fail "SIGTERM left the registration"

# A runtime folder others may write: the port is not listed, and the simulator says why.
mkdir -m 777 "$work/open"
chmod 777 "$work/open"
XDG_RUNTIME_DIR=$work/open "$devsim" console > "$work/port" 2> "$work/err" &
simulator=$!
for i in $(seq 100); do [ -s "$work/err" ] && break; sleep 0.05; done
kill -INT $simulator
wait $simulator
grep -q "warning: the port is not listed in Tarvex2's menu ($work/open" "$work/err" ||
    fail "no warning: $(cat "$work/err")"

# Switched on by a file (the far end of a virtual machine's port): nothing is said before the
# file appears, and what is sent meanwhile is taken in and dropped (200 KB, far more than the
# pseudo-terminal holds, go out within seconds); then the device takes the file away and greets
# the program with "!0".
XDG_RUNTIME_DIR=$work "$devsim" console --switched-on-by "$work/on" > "$work/port" 2> "$work/err" &
simulator=$!
for i in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
python3 - "$(cat "$work/port")" "$work/on" <<'PYTHON' || fail "switched on by a file"
import os, select, sys, termios, time, tty
port = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
tty.setraw(port)
def said(seconds):
    ready, _, _ = select.select([port], [], [], seconds)
    return os.read(port, 16) if ready else b""
if said(0.5):
    sys.exit("spoke before it was switched on")
deadline = time.monotonic() + 10
left = 200 * 1024
while left > 0 and time.monotonic() < deadline:
    if select.select([], [port], [], 0.1)[1]:
        left -= os.write(port, b"x" * min(left, 4096))
if left > 0:
    sys.exit("a device that is off held up the line: %d bytes never went out" % left)
open(sys.argv[2], "w").close()
heard = said(5)
while heard and not heard.endswith(b"!0"):
    heard += said(1)
if heard != b"!0" or os.path.exists(sys.argv[2]):
    sys.exit("switched on: heard %r, the file %s" % (heard, "stayed" if os.path.exists(sys.argv[2]) else "went"))
PYTHON
kill -TERM $simulator
wait $simulator

# The try-out files, under the built-in names.
try files "$work/try"
for name in Quorlex2000.hex Arena2000.hex OvalTrack.hex ED-40517_Veziv16.fud; do
    [ -s "$work/try/$name" ] || fail "files: no $name"
done
[ "$(head -c 12 "$work/try/ED-40517_Veziv16.fud")" = "E040517-0016" ] || fail "files: header"

[ $failures -eq 0 ] && echo "devsim options: all passed"
exit $failures
