#!/usr/bin/env python3
"""The technician's hand at the virtual machine's USB adapter: pulls it out and plugs it in
again through QEMU's monitor when the guest asks. The guest makes SHARED/unplug or SHARED/plug;
the hand does it and removes the file, so the guest knows when it is done. Runs until killed.

    hand.py SHARED MONITOR_SOCKET
"""
import os
import socket
import sys
import time

# The adapter as run_guest.sh plugs it in.
PLUG = "device_add usb-serial,chardev=usb,id=adapter,bus=xhci.0,port=1,serial=TARVEX01"
UNPLUG = "device_del adapter"


def monitor_command(path, command):
    """QEMU's answer to one monitor command."""
    with socket.socket(socket.AF_UNIX) as monitor:
        monitor.settimeout(5)
        monitor.connect(path)
        answer = b""
        while not answer.endswith(b"(qemu) "):
            answer += monitor.recv(4096)
        monitor.sendall(command.encode() + b"\n")
        answer = b""
        while not answer.endswith(b"(qemu) "):
            answer += monitor.recv(4096)
        return answer.decode(errors="replace").split("\n", 1)[-1].rsplit("(qemu)", 1)[0].strip()


def plug(path):
    # QEMU keeps the adapter's line busy for a moment after it was pulled.
    deadline = time.monotonic() + 2
    while True:
        answer = monitor_command(path, PLUG)
        if "in use" not in answer or time.monotonic() > deadline:
            return answer
        time.sleep(0.02)


def main():
    shared, path = sys.argv[1:3]
    while True:
        for request, act in (("unplug", lambda: monitor_command(path, UNPLUG)),
                             ("plug", lambda: plug(path))):
            file = os.path.join(shared, request)
            if os.path.exists(file):
                answer = act()
                if answer:
                    print(f"hand: {request}: {answer}", file=sys.stderr, flush=True)
                os.remove(file)
        time.sleep(0.01)


if __name__ == "__main__":
    main()
