#!/bin/sh
# make try: Tarvex2 as a newcomer first meets it, without hardware. Sets up the try-out folder
# BUILD/try (generated console images and field-update file under the built-in names, and the
# licence text), starts a simulated Quorlex 2000 console and a simulated Tessary 5500 sign that
# list their ports in the Communications menu, and starts Tarvex2 there; the simulators end when
# the window closes. The generated files are test images for the simulators, not firmware.
#   try.sh BUILD [FOLDER]   (FOLDER: BUILD/try unless given)
set -eu
build=$(cd "$1" && pwd)
devsim=$build/tools/devsim/tarvex2-devsim
folder=${2:-$build/try}
mkdir -p "$folder"
"$devsim" files "$folder"
cp "$build/OrvLicense.txt" "$folder/"

log=$(mktemp -d)
console=
sign=
stop() {
    [ -n "$console" ] && kill "$console" 2>/dev/null
    [ -n "$sign" ] && kill "$sign" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$log"
}
trap stop EXIT INT TERM

# Each device waits three seconds after the port is set up, as a technician switching it on,
# takes the bytes at its line's speed, plays again for every job and says here what it received.
"$devsim" console --repeat --line-rate --power-cycle 3000 > "$log/console" &
console=$!
"$devsim" sign --expect "$folder/ED-40517_Veziv16.fud" --retries 1 --repeat --line-rate \
    --power-cycle 3000 > "$log/sign" &
sign=$!
for i in $(seq 100); do
    [ -s "$log/console" ] && [ -s "$log/sign" ] && break
    sleep 0.05
done

cat <<TEXT
Tarvex2 is starting in $folder with try-out files (test images, not firmware).
  Simulated Quorlex 2000 console:         $(cat "$log/console")
  Simulated Tessary 5500 sign controller: $(cat "$log/sign")
Choose a port in the Communications menu (its tip says which device it is), pick a setup type
(the first three for the console, Huevane for the sign) and press Update. The simulated device
"switches on" three seconds later. Close the window to end the try-out.
TEXT
cd "$folder"
"$build/tarvex2"
