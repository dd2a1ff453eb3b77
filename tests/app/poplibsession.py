#!/usr/bin/env python3
"""Plays one POP3 session with Python's poplib, as a mail client would, and
writes what every step got back into a file of its own.

    poplibsession.py PORT[@ADDRESS] FOLDER STEP...

Steps: user:NAME pass:PASSWORD apop:NAME:PASSWORD stat list uidl retr:N
top:N:LINES topall:N (TOP without a line count) dele:N rset noop quit drop
(close the connection without QUIT). The answer of step k goes to
FOLDER/k.out: a message or a listing as its lines joined with CR LF, a
single line as it came, a refusal as "ERR " and the server's line. The
client connects from ADDRESS when given; a refused greeting goes to 0.out.
"""
import os
import poplib
import socket
import sys

poplib._MAXLINE = 1 << 20


def joined(response):
    return b"\r\n".join(response[1])


def run(box, step):
    name, *args = step.split(":")
    if name == "user":
        return box.user(args[0])
    if name == "pass":
        return box.pass_(":".join(args))
    if name == "apop":
        return box.apop(args[0], ":".join(args[1:]))
    if name == "stat":
        return b"%d %d" % box.stat()
    if name == "list":
        return joined(box.list())
    if name == "uidl":
        return joined(box.uidl())
    if name == "retr":
        return joined(box.retr(int(args[0])))
    if name == "top":
        return joined(box.top(int(args[0]), int(args[1])))
    if name == "topall":
        return joined(box._longcmd("TOP %s" % args[0]))
    if name == "dele":
        return box.dele(int(args[0]))
    if name == "rset":
        return box.rset()
    if name == "noop":
        return box.noop()
    if name == "quit":
        return box.quit()
    if name == "drop":
        box.sock.close()
        return b""
    raise ValueError("unknown step " + step)


class Client(poplib.POP3):
    def __init__(self, port, source):
        self.source = (source, 0) if source else None
        super().__init__("127.0.0.1", port, timeout=20)

    def _create_socket(self, timeout):
        return socket.create_connection((self.host, self.port), timeout, self.source)


def write(folder, k, answer):
    with open(os.path.join(folder, "%d.out" % k), "wb") as out:
        out.write(answer)


def main():
    port, _, source = sys.argv[1].partition("@")
    folder, steps = sys.argv[2], sys.argv[3:]
    try:
        box = Client(int(port), source)
    except poplib.error_proto as e:
        write(folder, 0, b"ERR " + e.args[0])
        return
    for k, step in enumerate(steps, 1):
        try:
            answer = run(box, step)
        except poplib.error_proto as e:
            answer = b"ERR " + e.args[0]
        write(folder, k, answer)


if __name__ == "__main__":
    main()
