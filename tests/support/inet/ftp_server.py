#!/usr/bin/python3
"""FTP server of the internet tests (pyftpdlib, Debian's python3-pyftpdlib).

Every user name logs in with the password "p"; each user's home is
ROOT/<user> (made on demand), so parallel tests work in folders of their own.
The first line written is the port (the server listens on 127.0.0.1, port 0
given to the system). Logins and commands are logged to standard error.

--cp932: a Shift-JIS server. Commands are decoded from code page 932 and the
replies and listing lines sent in it, so Japanese names whose second byte is
0x5C ("表") list and transfer. The plain server speaks UTF-8 only.

A file whose name begins with "broken" sends its first half, then the data
connection is reset: the client sees a read error, not the end of the file.

A folder whose name begins with "locked" is permission-restricted: the
server refuses to enter or list it (550).

A folder's file ".listextra" (UTF-8, one name a line) adds names to its
listing that a file system cannot hold ("a/b", names over 255 bytes), as
empty files; the file itself is not listed.

A user whose name begins with "dropper" has every upload cut: after 64 KB
the server resets the data connection and replies 426, keeping what it got.

A user whose name begins with "norepl" cannot rename onto a name that exists
(550), as servers on some systems answer.
"""
import argparse
import logging
import os
import socket
import struct
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


LOCKED = "locked"
EXTRA = ".listextra"


class AnyUser(DummyAuthorizer):
    def __init__(self, root):
        super().__init__()
        self.root = root

    def validate_authentication(self, username, password, handler):
        from pyftpdlib.authorizers import AuthenticationFailed
        if password != "p" or not username or "/" in username or username.startswith("."):
            raise AuthenticationFailed("Authentication failed.")

    def get_home_dir(self, username):
        home = os.path.join(self.root, username)
        os.makedirs(home, exist_ok=True)
        return home

    def has_user(self, username):
        return True

    def has_perm(self, username, perm, path=None):
        if perm in ("e", "l") and path and any(
                part.startswith(LOCKED) for part in os.path.normpath(path).split(os.sep)):
            return False
        return True

    def get_perms(self, username):
        return "elradfmwMT"

    def get_msg_login(self, username):
        return "Login successful."

    def get_msg_quit(self, username):
        return "Goodbye."


class BrokenFile:
    """Half the file, then a reset of the data connection."""

    def __init__(self, real, fs):
        self.real = real
        self.fs = fs
        self.name = real.name
        self.closed = False
        self.left = max(1, os.path.getsize(real.name) // 2)
        self.sent = False

    def read(self, n):
        if self.left > 0:
            data = self.real.read(min(n, self.left))
            self.left -= len(data)
            return data
        # No lingering: the server's own close of the data connection (after
        # the error below, before its 426 reply) sends a reset.
        dtp = getattr(self.fs.cmd_channel, "data_channel", None)
        if dtp is not None and not self.sent:
            self.sent = True
            try:
                dtp.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            except OSError:
                pass
        raise OSError("connection reset on purpose")

    def close(self):
        self.closed = True
        self.real.close()

    def __getattr__(self, attr):
        return getattr(self.real, attr)


DROPPER = "dropper"
NOREPL = "norepl"
DROP_AFTER = 65536


class DroppedUpload:
    """Takes DROP_AFTER bytes of an upload, then resets the data connection."""

    def __init__(self, real, fs):
        self.real = real
        self.fs = fs
        self.name = real.name
        self.got = 0

    def write(self, data):
        room = DROP_AFTER - self.got
        if room > 0:
            self.real.write(data[:room])
            self.got += min(room, len(data))
        if self.got >= DROP_AFTER:
            dtp = getattr(self.fs.cmd_channel, "data_channel", None)
            if dtp is not None:
                try:
                    dtp.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                except OSError:
                    pass
            raise OSError(5, "upload cut on purpose")
        return len(data)

    @property
    def closed(self):
        return self.real.closed

    def close(self):
        self.real.close()

    def __getattr__(self, attr):
        return getattr(self.real, attr)


def user_of(fs):
    return getattr(fs.cmd_channel, "username", "") or ""


class TestFS(AbstractedFS):
    def listdir(self, path):
        names = [n for n in super().listdir(path) if n != EXTRA]
        self.extra_dir = path if os.path.isfile(os.path.join(path, EXTRA)) else None
        return names

    def format_list(self, basedir, listing, ignore_err=True):
        yield from super().format_list(basedir, listing, ignore_err)
        if getattr(self, "extra_dir", None) != basedir:
            return
        self.extra_dir = None
        with open(os.path.join(basedir, EXTRA), encoding="utf8") as f:
            names = [line.rstrip("\r\n") for line in f if line.strip()]
        now = time.gmtime()
        stamp = "%s %s" % ("Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()[now.tm_mon - 1],
                           time.strftime("%d %H:%M", now))
        for name in names:
            line = "-rw-r--r--   1 owner    group           0 %s %s\r\n" % (stamp, name)
            yield line.encode("utf8", self.cmd_channel.unicode_errors)

    def open(self, filename, mode):
        f = super().open(filename, mode)
        if "r" in mode and os.path.basename(filename).startswith("broken"):
            return BrokenFile(f, self)
        if "w" in mode and user_of(self).startswith(DROPPER):
            return DroppedUpload(f, self)
        return f

    def rename(self, src, dst):
        if user_of(self).startswith(NOREPL) and os.path.exists(dst):
            raise OSError(17, "File exists")
        return super().rename(src, dst)


class Cp932FS(TestFS):
    def format_list(self, basedir, listing, ignore_err=True):
        for line in super().format_list(basedir, listing, ignore_err):
            yield line.decode("utf8").encode("cp932", "replace")


class Cp932Handler(FTPHandler):
    def decode(self, data):
        return data.decode("cp932", self.unicode_errors)

    def push(self, s):
        # asynchat's push of the bytes in code page 932
        import asynchat
        asynchat.async_chat.push(self, s.encode("cp932", "replace"))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--cp932", action="store_true")
    args = ap.parse_args()
    os.makedirs(args.root, exist_ok=True)
    handler = Cp932Handler if args.cp932 else FTPHandler
    handler.authorizer = AnyUser(os.path.abspath(args.root))
    handler.abstracted_fs = Cp932FS if args.cp932 else TestFS
    handler.auth_failed_timeout = 0.1
    handler.use_sendfile = False  # reads go through the file system class
    handler.permit_foreign_addresses = True
    logging.basicConfig(stream=sys.stderr, level=logging.INFO, format="%(message)s")
    server = FTPServer(("127.0.0.1", 0), handler)
    print(server.socket.getsockname()[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
