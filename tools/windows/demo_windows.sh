#!/bin/sh
# make demo-windows: the Windows program's main window (tarvex2-demo.exe under Wine) updates a
# simulated Quorlex 2000 console and a simulated Tessary 5500 sign controller, as make demo does
# on Linux. The simulators are the Linux build's, each on a pseudo-terminal that the Wine prefix
# maps as a COM port (COM21, COM22; never COM1 to COM4, which Wine gives the machine's own
# ports), and each checks that it received its file byte for byte.
#   demo_windows.sh DEVSIM DEMO_EXE
# WINEPREFIX names the prefix.
set -u
devsim=$1
demo=$2
work=$(mktemp -d)
simulator=
trap '[ -n "$simulator" ] && kill $simulator 2>/dev/null
      rm -f "$WINEPREFIX/dosdevices/com21" "$WINEPREFIX/dosdevices/com22"; rm -rf "$work"' EXIT
failures=0

"$devsim" files "$work/files" > /dev/null
# printf, not echo: dash's echo would take the "\t" of "Z:\tmp" for a tab.
printf 'workdir:  %s\n' "$(winepath -w "$work/files" 2>/dev/null)"

# update NAME COMn TYPE FILE DEVSIM_ARGS...: the simulator on its pty as COMn, and one job of
# setup type TYPE through the window; both must succeed.
update() {
    name=$1 port=$2 type=$3
    shift 3
    "$devsim" "$@" > "$work/port" 2> "$work/devsim.out" < /dev/null &
    simulator=$!
    for i in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
    lower=$(echo "$port" | tr 'A-Z' 'a-z')
    ln -sfn "$(head -n 1 "$work/port")" "$WINEPREFIX/dosdevices/$lower"
    printf '%-10s%s\n' "$name:" "simulated on $(head -n 1 "$work/port"), $port under Wine"
    wine "$demo" --port "$port" --type "$type" --workdir "$(winepath -w "$work/files" 2>/dev/null)"
    demo_rc=$?
    wait $simulator
    devsim_rc=$?
    simulator=
    printf '%-10s%s\n' "check:" "$name: $(cat "$work/devsim.out")"
    if [ $demo_rc -ne 0 ] || [ $devsim_rc -ne 0 ]; then
        echo "FAILED:   $name (window $demo_rc, simulator $devsim_rc)"
        failures=$((failures + 1))
    fi
}

update console COM21 0 console --expect "$work/files/Quorlex2000.hex" --line-rate
update sign COM22 3 sign --expect "$work/files/ED-40517_Veziv16.fud" --retries 1
if [ $failures -eq 0 ]; then
    echo "demo:     both updates succeeded through the Windows window"
else
    echo "demo:     FAILED"
fi
exit $failures
