#!/bin/sh
# make try end to end, on the offscreen platform: the try-out folder is set up, both simulated
# devices are listed with their descriptions, a console job and a sign job run on them (twice
# for the console: each device plays again for every job), and closing Tarvex2 ends the
# simulators and removes their registrations.
#   try_test.sh SOURCE BUILD
set -u
source=$1
build=$2
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime XDG_STATE_HOME=$work/state QT_QPA_PLATFORM=offscreen
mkdir -m 700 "$XDG_RUNTIME_DIR"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

sh "$source/tools/try/try.sh" "$build" "$work/try" > "$work/out" 2>&1 &
try=$!
trap 'kill $try 2>/dev/null; pkill -f "$build/tarvex2\$" 2>/dev/null; rm -rf "$work"' EXIT
for i in $(seq 200); do grep -q "Close the window" "$work/out" 2>/dev/null && break; sleep 0.05; done
console=$(sed -n 's/^  Simulated Quorlex 2000 console: *//p' "$work/out")
sign=$(sed -n 's/^  Simulated Tessary 5500 sign controller: *//p' "$work/out")
[ -n "$console" ] && [ -n "$sign" ] || fail "no simulators: $(cat "$work/out")"
for name in Quorlex2000.hex Arena2000.hex OvalTrack.hex ED-40517_Veziv16.fud OrvLicense.txt; do
    [ -s "$work/try/$name" ] || fail "no $name in the try-out folder"
done
grep -l "simulated Quorlex 2000 console" "$XDG_RUNTIME_DIR/tarvex2/ports/"* > /dev/null ||
    fail "the console is not registered"

# The jobs a newcomer runs, through the real window (the demo driver in the same folder).
for type in 0 1 3; do
    port=$console
    [ $type -eq 3 ] && port=$sign
    out=$("$build/tarvex2-demo" --port "$port" --type $type --workdir "$work/try" 2>&1)
    echo "$out" | grep -q "^job:      succeeded" || fail "type $type: $(echo "$out" | tail -4)"
done

pkill -f "$build/tarvex2\$"
wait $try
[ -z "$(ls "$XDG_RUNTIME_DIR/tarvex2/ports")" ] || fail "the simulators outlived the window"
pgrep -f "tarvex2-devsim .*--repeat" > /dev/null && fail "a simulator still runs"

[ $failures -eq 0 ] && echo "make try: all passed"
exit $failures
