#!/bin/sh
# The worker bench of the Linux build and of the Windows build under Wine, alternating, in one
# run: each system's figures are against its own bare waiting thread, and its p99 in
# microseconds sets the two systems side by side.
#   worker_on_both_systems.sh LINUX_BENCH WINDOWS_BENCH [RUNS]
# WINEPREFIX names the prefix (make bench-windows makes one).
set -eu
linux=$1
windows=$2
runs=${3:-2}
for i in $(seq "$runs"); do
    if [ $((i % 2)) -eq 1 ]; then order="linux windows"; else order="windows linux"; fi
    for system in $order; do
        echo "== run $i, $system"
        if [ "$system" = linux ]; then "$linux"; else wine "$windows"; fi
    done
done
