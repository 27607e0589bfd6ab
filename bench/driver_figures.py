#!/usr/bin/python3
"""Inside the driver test bed's virtual machine (make bench-drivers): how the console job ends
over a real serial driver, against `cat` writing the same bytes to the same port.

    driver_figures.py BUILD SHARED PORT PAIRS [unplug]

The far end of PORT is a simulated console on the host (tarvex2-devsim --line-rate, switched on
through SHARED/on-PORTNAME), which takes what comes at the line's pace, on or off (QEMU itself
does not pace the line at its baud). Each pair runs a console job of SHARED/files/Quorlex2000.hex
and `cat` of the same file followed by the kernel's own drain (tcdrain), their order alternating. Meanwhile this program holds the port open
and reads the driver's output queue (TIOCOUTQ) every millisecond. Figures, as min / median / max:

- the image's time, from the first byte in the queue to the job's "complete" status, over the
  same to tcdrain's return after `cat` (the console's two replies of a few bytes go first in the
  job's);
- the drain's wait: from the queue seen empty to the job's "complete", less the same to
  tcdrain's return, in milliseconds;
- with "unplug", instead: the USB adapter pulled out (through the host's hand, SHARED/unplug)
  while the job sends SHARED/large/Large.hex, and while `cat` sends endless zeros to the console, which is
  off: the time from asking for the unplug to the job's failure status, over the same to `cat`'s
  end; the adapter is plugged in again after each.
"""
import fcntl
import os
import shutil
import statistics
import struct
import subprocess
import sys
import termios
import threading
import time
import tty

build, shared, port, pairs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
unplugging = sys.argv[5:] == ["unplug"]
image = os.path.join(shared, "files", "Quorlex2000.hex")
large_image = os.path.join(shared, "large", "Large.hex")
switch_on = os.path.join(shared, "on-" + os.path.basename(port))


def queued(fd):
    return struct.unpack("i", fcntl.ioctl(fd, termios.TIOCOUTQ, bytes(4)))[0]


class QueueWatch:
    """Holds the port open, set as the console job sets it (raw, 115200 baud), and notes the
    moment its output queue was last seen holding bytes and the first moment after it was seen
    empty."""

    def __init__(self):
        self.fd = os.open(port, os.O_RDWR | os.O_NONBLOCK | os.O_NOCTTY)
        tty.setraw(self.fd)
        settings = termios.tcgetattr(self.fd)
        settings[4] = settings[5] = termios.B115200
        termios.tcsetattr(self.fd, termios.TCSANOW, settings)
        self.last_held = None
        self.emptied = None
        self.began = None
        self.running = True
        self.thread = threading.Thread(target=self.watch)
        self.thread.start()

    def watch(self):
        while self.running:
            now = time.monotonic()
            if queued(self.fd) > 0:
                self.last_held, self.emptied = now, None
                self.began = self.began or now
            elif self.last_held is not None and self.emptied is None:
                self.emptied = now
            time.sleep(0.001)

    def start(self):
        """Notes, from now on, the first moment the queue holds bytes."""
        self.began = None
        while self.began is None and self.last_held is not None and self.emptied is None:
            time.sleep(0.005)  # the last half's bytes are still going out
        self.began = None

    def emptied_by(self, moment, timeout=60):
        """The moment the queue was seen empty once it had held bytes for the last time before
        `moment`."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            held, emptied = self.last_held, self.emptied
            if emptied is not None and held is not None and held < moment:
                return emptied
            time.sleep(0.005)
        raise RuntimeError("the queue was never seen empty")

    def close(self):
        self.running = False
        self.thread.join()
        os.close(self.fd)


def switch_on_device():
    with open(switch_on + ".new", "w"):
        pass
    os.rename(switch_on + ".new", switch_on)


def start_job(name, firmware, setup_type):
    """The window's console job of `firmware`; its status lines with the moments they came."""
    folder = "/tmp/figures-" + name
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copy(firmware, folder)
    env = dict(os.environ, XDG_STATE_HOME=folder + "/state")
    job = subprocess.Popen([build + "/tarvex2-demo", "--port", port, "--type", setup_type, "--workdir",
                            folder], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=env,
                           text=True)
    lines = []

    def read():
        for line in job.stdout:
            lines.append((time.monotonic(), line.rstrip("\n")))
            if line.startswith("status:") and "Waiting for" in line:
                switch_on_device()

    reader = threading.Thread(target=read)
    reader.start()
    return job, reader, lines


def moment_of(lines, words):
    for moment, line in lines:
        if words in line:
            return moment
    raise RuntimeError("no \"%s\" from the job: %s" % (words, [l for _, l in lines][-5:]))


def job_pair_half(watch):
    watch.start()
    job, reader, lines = start_job("job", image, "0")
    job.wait(timeout=600)
    reader.join()
    complete = moment_of(lines, "console complete.")
    return complete - watch.began, (complete - watch.emptied_by(complete)) * 1000


def cat_pair_half(watch):
    """cat of the image, then the kernel's own drain (tcdrain) on the watch's descriptor: cat's
    close does not wait for the queue while the watch holds the port."""
    watch.start()
    subprocess.run("cat '%s' > '%s'" % (image, port), shell=True, check=True, timeout=600)
    termios.tcdrain(watch.fd)
    drained = time.monotonic()
    return drained - watch.began, (drained - watch.emptied_by(drained)) * 1000


def ask_hand(action):
    request = os.path.join(shared, action)
    with open(request + ".new", "w"):
        pass
    os.rename(request + ".new", request)
    deadline = time.monotonic() + 10
    while os.path.exists(request):
        if time.monotonic() > deadline:
            raise RuntimeError("the hand did not " + action)
        time.sleep(0.01)


def plugged_in_again():
    ask_hand("plug")
    deadline = time.monotonic() + 10
    while not os.path.exists(port):
        if time.monotonic() > deadline:
            raise RuntimeError(port + " did not come back")
        time.sleep(0.05)
    time.sleep(0.5)  # the driver sets the port up


def job_unplugged():
    job, reader, lines = start_job("unplugged", large_image, "4")
    while not any("Reprogramming the Quorlex" in line for _, line in lines):
        if job.poll() is not None:
            raise RuntimeError("the job ended before the unplug")
        time.sleep(0.01)
    time.sleep(0.5)
    asked = time.monotonic()
    ask_hand("unplug")
    job.wait(timeout=60)
    reader.join()
    plugged_in_again()
    return moment_of(lines, "An error occurred while programming") - asked


def cat_unplugged():
    """cat of endless bytes, which the console (off, dropping what comes) takes at once."""
    cat = subprocess.Popen("exec cat /dev/zero > '%s'" % port, shell=True,
                           stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    if cat.poll() is not None:
        raise RuntimeError("cat ended before the unplug")
    asked = time.monotonic()
    ask_hand("unplug")
    cat.wait(timeout=60)
    ended = time.monotonic()
    plugged_in_again()
    return ended - asked


def spread(values):
    return "%.3g / %.3g / %.3g" % (min(values), statistics.median(values), max(values))


def main():
    name = os.path.basename(port)
    if unplugging:
        times = []
        for pair in range(pairs):
            halves = [job_unplugged, cat_unplugged]
            if pair % 2:
                halves.reverse()
            got = {half: half() for half in halves}
            times.append((got[job_unplugged], got[cat_unplugged]))
        print("%s: unplug to the failure, job / cat (%d pairs): %s; job alone, s: %s" % (
            name, pairs, spread([j / c for j, c in times]), spread([j for j, _ in times])))
        return
    watch = QueueWatch()
    try:
        images, drains, references = [], [], []
        for pair in range(pairs):
            halves = [job_pair_half, cat_pair_half]
            if pair % 2:
                halves.reverse()
            got = {half: half(watch) for half in halves}
            (job_time, drain), (cat_time, reference) = got[job_pair_half], got[cat_pair_half]
            images.append(job_time / cat_time)
            drains.append(drain - reference)
            references.append(cat_time)
        print("%s: image time, job / cat (%d pairs): %s; cat alone, s: %s" % (
            name, pairs, spread(images), spread(references)))
        print("%s: drain's wait, queue seen empty to \"complete\", less to tcdrain's return, ms: %s"
              % (name, spread(drains)))
    finally:
        watch.close()


if __name__ == "__main__":
    main()
