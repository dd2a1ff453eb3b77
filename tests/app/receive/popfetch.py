#!/usr/bin/env python3
"""Fetches every message of a POP3 mailbox with Python's poplib, as a mail
client would, into numbered files (lines joined with CR LF, no final line end).

    popfetch.py HOST PORT USER PASSWORD FOLDER
"""
import os
import poplib
import sys

poplib._MAXLINE = 1 << 20


def main():
    host, port, user, password, folder = sys.argv[1:6]
    box = poplib.POP3(host, int(port), timeout=30)
    box.user(user)
    box.pass_(password)
    count, _ = box.stat()
    for n in range(1, count + 1):
        _, lines, _ = box.retr(n)
        with open(os.path.join(folder, "%04d.eml" % n), "wb") as out:
            out.write(b"\r\n".join(lines))
    box.quit()
    print(count)


if __name__ == "__main__":
    main()
