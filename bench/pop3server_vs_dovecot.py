#!/usr/bin/env python3
"""Times the local POP3 server of the gateway against Debian's dovecot
serving the same messages on loopback, with the same poplib client:

  many:  STAT, UIDL, LIST and RETR of 1,000 messages of about 5 KB
  large: RETR of one 20 MB message

    pop3server_vs_dovecot.py MARROWBY_PROGRAM [ROUNDS]

Both servers get one warm-up round; the best of ROUNDS (default 5) counts.
"""
import os
import poplib
import pwd
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

poplib._MAXLINE = 1 << 20
DOVECOT = "/usr/sbin/dovecot"
MANY, MANY_SIZE, LARGE_SIZE = 1000, 5 * 1024, 20 * 1024 * 1024


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def message(number, size):
    head = ("From: sender%d@example.com\r\nTo: user@example.net\r\n"
            "Subject: message %d\r\nDate: Wed, 01 May 2024 10:00:00 +0900\r\n"
            "Message-ID: <%d@example.com>\r\n\r\n" % (number, number, number))
    line = "The quick brown fox jumps over the lazy dog %d.\r\n" % number
    body = line * max(1, (size - len(head)) // len(line))
    return (head + body).encode()


def wait_for_greeting(port, process):
    for _ in range(300):
        if process.poll() is not None:
            raise RuntimeError("server ended at start")
        try:
            with socket.create_connection(("127.0.0.1", port), 1) as s:
                if s.recv(3) == b"+OK":
                    return
        except OSError:
            pass
        time.sleep(0.05)
    raise RuntimeError("server did not greet on port %d" % port)


def csv(items):
    return ",".join('"%s"' % i.replace('"', '""') if any(c in i for c in ' ,"') else i
                    for i in items)


class Marrowby:
    def __init__(self, program, folder, boxes):
        self.folder = os.path.join(folder, "marrowby")
        msgbox = os.path.join(self.folder, "Msgbox")
        accounts = []
        for user, messages in boxes.items():
            accounts.append(csv([user, user, "pw", "remote.invalid", "110", "0", "0"]))
            box = os.path.join(msgbox, "mbx." + user)
            os.makedirs(box)
            index = []
            for n, text in enumerate(messages, 1):
                name = "%05d.eml" % n
                with open(os.path.join(box, name), "wb") as out:
                    out.write(text)
                date = "2024/05/01 10:00:00"
                index.append(csv(["%s-%d" % (user, n), name, str(len(text)), "0", "text/plain",
                                  "s", "f", date, date, date, "", ""]))
            with open(os.path.join(box, "messages.idx"), "w") as out:
                out.write("".join(line + "\r\n" for line in index))
        with open(os.path.join(msgbox, "accounts.dat"), "w") as out:
            out.write("".join(line + "\r\n" for line in accounts))
        for sub in ("run", "config"):
            os.makedirs(os.path.join(folder, sub), mode=0o700)
        env = dict(os.environ, XDG_RUNTIME_DIR=os.path.join(folder, "run"),
                   XDG_CONFIG_HOME=os.path.join(folder, "config"), QT_QPA_PLATFORM="offscreen")
        self.port = free_port()
        self.process = subprocess.Popen(
            [program, "--headless", "--folder", self.folder, "--port", str(self.port)],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_greeting(self.port, self.process)

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        self.process.wait(30)


class Dovecot:
    def __init__(self, folder, boxes):
        self.folder = os.path.join(folder, "dovecot")
        root = os.geteuid() == 0
        uid, gid = (65534, 65534) if root else (os.geteuid(), os.getegid())
        for sub in ("run", "state", "mail"):
            os.makedirs(os.path.join(self.folder, sub))
        os.chmod(self.folder, 0o711)
        users = []
        for user, messages in boxes.items():
            home = os.path.join(self.folder, "mail", user)
            for sub in ("cur", "new", "tmp"):
                os.makedirs(os.path.join(home, sub))
            for n, text in enumerate(messages, 1):
                with open(os.path.join(home, "new", "%010d.M%dP1.bench" % (1000000000 + n, n)),
                          "wb") as out:
                    out.write(text)
            users.append("%s:{PLAIN}pw:%d:%d::%s::\n" % (user, uid, gid, home))
        if root:
            for path, _, files in os.walk(os.path.join(self.folder, "mail")):
                os.chown(path, uid, gid)
                for f in files:
                    os.chown(os.path.join(path, f), uid, gid)
        with open(os.path.join(self.folder, "passwd"), "w") as out:
            out.write("".join(users))
        self.port = free_port()
        config = """base_dir = {d}/run
state_dir = {d}/state
log_path = {d}/dovecot.log
protocols = pop3
listen = 127.0.0.1
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain
first_valid_uid = {uid}
last_valid_uid = {uid}
mail_location = maildir:~
passdb {{
  driver = passwd-file
  args = scheme=PLAIN {d}/passwd
}}
userdb {{
  driver = passwd-file
  args = {d}/passwd
}}
service pop3-login {{
  chroot =
  inet_listener pop3 {{
    address = 127.0.0.1
    port = {port}
  }}
  inet_listener pop3s {{
    port = 0
  }}
}}
service anvil {{
  chroot =
}}
""".format(d=self.folder, uid=uid, port=self.port)
        if not root:
            me = pwd.getpwuid(os.geteuid()).pw_name
            config += "default_internal_user = %s\ndefault_login_user = %s\n" % (me, me)
        conf = os.path.join(self.folder, "dovecot.conf")
        with open(conf, "w") as out:
            out.write(config)
        self.process = subprocess.Popen([DOVECOT, "-F", "-c", conf],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_greeting(self.port, self.process)

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        self.process.wait(30)


def fetch_many(port):
    box = poplib.POP3("127.0.0.1", port, timeout=60)
    box.user("many")
    box.pass_("pw")
    count, _ = box.stat()
    box.uidl()
    box.list()
    total = 0
    for n in range(1, count + 1):
        total += len(b"\r\n".join(box.retr(n)[1]))
    box.quit()
    assert count == MANY, count
    return total


def fetch_large(port):
    box = poplib.POP3("127.0.0.1", port, timeout=60)
    box.user("large")
    box.pass_("pw")
    total = len(b"\r\n".join(box.retr(1)[1]))
    box.quit()
    return total


def best(fn, port, rounds):
    expected = fn(port)  # warm-up
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        assert fn(port) == expected
        times.append(time.perf_counter() - start)
    return min(times), expected


def main():
    program = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    boxes = {"many": [message(n, MANY_SIZE) for n in range(1, MANY + 1)],
             "large": [message(0, LARGE_SIZE)]}
    folder = tempfile.mkdtemp(prefix="marrowby-bench-")
    os.chmod(folder, 0o711)  # dovecot's mail processes run as another user
    servers = []
    try:
        servers = [("marrowby", Marrowby(program, folder, boxes)),
                   ("dovecot", Dovecot(folder, boxes))]
        print("%-10s %-44s %10s %14s" % ("server", "case", "seconds", "MB/s"))
        for case, fn in (("many: STAT+UIDL+LIST+RETR of 1,000 x 5 KB", fetch_many),
                         ("large: RETR of one 20 MB message", fetch_large)):
            for name, server in servers:
                seconds, size = best(fn, server.port, rounds)
                print("%-10s %-44s %10.4f %14.1f" % (name, case, seconds, size / seconds / 1e6))
    finally:
        for _, server in servers:
            server.stop()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
