#!/usr/bin/python3
"""A real FTP server on 127.0.0.1 for the download tests, with fault switches.

    ftp_server.py --root DIR [--drop NAME:BYTES] [--stall NAME:BYTES] [--trickle NAME:RATE]
                  [--short NAME:BYTES] [--size NAME:BYTES] [--announce NAME:BYTES] [--no-size]
                  [--lease FILE]

Anonymous users read DIR. It listens on a free port, prints "port N" and serves until it is
killed or its standard input closes. --drop sends BYTES bytes of the file NAME and then closes
the data connection (the server answers 426); --stall sends BYTES bytes and then nothing more,
holding the connection open; --trickle sends NAME at RATE bytes a second; --short sends BYTES
bytes and ends the file as if it were whole (226). --size makes SIZE answer BYTES for NAME,
--no-size refuses SIZE for every file, and --announce makes the reply that opens the data
connection of NAME say "(BYTES bytes)", as many servers' 150 reply does. --lease is for a
Windows test under Wine, which can start the server but not hand it a pipe: the server writes
"port N" into FILE as well, serves while FILE is there, and removes it as it ends.
"""
import argparse
import logging
import os
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import ActiveDTP, DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

FAULTS = {}  # file name -> (kind, bytes)
SIZES = {}  # file name -> the size SIZE answers
ANNOUNCED = {}  # file name -> the size the 150 reply names
NO_SIZE = False


class FaultyDTPHandler(DTPHandler):
    _trickle_start = None
    _wake_pending = False

    def _woken(self):
        self._wake_pending = False

    def _fault(self):
        if self.file_obj is None:
            return None
        return FAULTS.get(os.path.basename(self.file_obj.name))

    def _trickle_room(self, rate):
        """How many more bytes a trickled transfer may send now."""
        if self._trickle_start is None:
            self._trickle_start = time.monotonic()
        allowed = int((time.monotonic() - self._trickle_start) * rate) + 1
        return allowed - self.tot_bytes_sent

    def send(self, data):
        fault = self._fault()
        if fault is None:
            return DTPHandler.send(self, data)
        kind, limit = fault
        if kind == "trickle":
            room = self._trickle_room(limit)
            return DTPHandler.send(self, data[:room]) if room > 0 else 0
        room = limit - self.tot_bytes_sent
        if room <= 0:
            if kind == "short":
                self.producer_fifo.clear()  # nothing left to send: the file ends with 226
            if kind in ("drop", "short"):
                self.handle_close()
            return 0
        return DTPHandler.send(self, data[:room])

    def writable(self):
        fault = self._fault()
        if fault is not None and fault[0] == "stall" and self.tot_bytes_sent >= fault[1]:
            return False
        if fault is not None and fault[0] == "trickle" and self._trickle_room(fault[1]) <= 0:
            if not self._wake_pending:  # the loop must wake to send the next bytes
                self._wake_pending = True
                self.ioloop.call_later(0.1, self._woken)
            return False
        return DTPHandler.writable(self)


class ReconnectSafeActiveDTP(ActiveDTP):
    """pyftpdlib 1.5.7 leaves the connector of an active data connection registered once it has
    handed the socket over; a late close of it then answers "425" on the control connection of a
    later command. Marking it closed once the connection is delegated keeps that reply away."""

    def handle_connect(self):
        ActiveDTP.handle_connect(self)
        self._closed = True


class Handler(FTPHandler):
    dtp_handler = FaultyDTPHandler
    active_dtp = ReconnectSafeActiveDTP
    use_sendfile = False  # every byte through send(), where the faults are
    timeout = 60
    _retrieving = None

    def ftp_SIZE(self, path):
        name = os.path.basename(path)
        if NO_SIZE:
            self.respond("502 Command not implemented.")  # as a server without SIZE answers
        elif name in SIZES:
            self.respond("213 %d" % SIZES[name])
        else:
            FTPHandler.ftp_SIZE(self, path)

    def ftp_RETR(self, file):
        self._retrieving = os.path.basename(file)
        return FTPHandler.ftp_RETR(self, file)

    def respond(self, resp, logfun=logging.debug):
        if resp.startswith(("150 ", "125 ")) and self._retrieving in ANNOUNCED:
            resp = "%s Opening BINARY mode data connection for %s (%d bytes)." % (
                resp[:3], self._retrieving, ANNOUNCED[self._retrieving])
        FTPHandler.respond(self, resp, logfun)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--drop", action="append", default=[])
    parser.add_argument("--stall", action="append", default=[])
    parser.add_argument("--trickle", action="append", default=[])
    parser.add_argument("--short", action="append", default=[])
    parser.add_argument("--size", action="append", default=[])
    parser.add_argument("--announce", action="append", default=[])
    parser.add_argument("--no-size", action="store_true")
    parser.add_argument("--lease")
    args = parser.parse_args()
    for kind, specs in (("drop", args.drop), ("stall", args.stall), ("trickle", args.trickle),
                        ("short", args.short)):
        for spec in specs:
            name, count = spec.rsplit(":", 1)
            FAULTS[name] = (kind, int(count))
    for table, specs in ((SIZES, args.size), (ANNOUNCED, args.announce)):
        for spec in specs:
            name, count = spec.rsplit(":", 1)
            table[name] = int(count)
    global NO_SIZE
    NO_SIZE = args.no_size
    logging.basicConfig(level=logging.CRITICAL)
    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(args.root)
    Handler.authorizer = authorizer
    server = FTPServer(("127.0.0.1", 0), Handler)
    print("port %d" % server.socket.getsockname()[1], flush=True)

    def end_with_input():
        sys.stdin.read()
        os._exit(0)

    def end_with_lease():
        with open(args.lease + ".new", "w") as lease:
            lease.write("port %d\n" % server.socket.getsockname()[1])
        os.rename(args.lease + ".new", args.lease)
        while os.path.exists(args.lease + ".held"):
            time.sleep(0.05)
        os.remove(args.lease)
        os._exit(0)

    if args.lease:
        threading.Thread(target=end_with_lease, daemon=True).start()
    else:
        threading.Thread(target=end_with_input, daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
