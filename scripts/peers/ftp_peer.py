#!/usr/bin/python3
"""A partner's FTP server for the delivery tests, on loopback (pyftpdlib).

Usage: ftp_peer.py DIR. Serves DIR/root to the user "velmora" (password "s3cret", full rights)
with the tree in/orders and a folder "readonly" the user may list but not write, and writes
DIR/env (VELMORA_TEST_FTP_HOST, _PORT, _USER, _PASSWORD, _ROOT) once it listens.
"""
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    directory = sys.argv[1]
    root = os.path.join(directory, "root")
    for folder in ("in/orders", "readonly"):
        os.makedirs(os.path.join(root, folder), exist_ok=True)
    authorizer = DummyAuthorizer()
    authorizer.add_user("velmora", "s3cret", root, perm="elradfmwMT")
    authorizer.override_perm("velmora", os.path.join(root, "readonly"), perm="elr", recursive=True)
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.banner = "velmora test peer"
    server = FTPServer(("127.0.0.1", 0), handler)
    env = os.path.join(directory, "env")
    with open(env + ".tmp", "w") as out:
        out.write("VELMORA_TEST_FTP_HOST=127.0.0.1\n")
        out.write("VELMORA_TEST_FTP_PORT=%d\n" % server.address[1])
        out.write("VELMORA_TEST_FTP_USER=velmora\n")
        out.write("VELMORA_TEST_FTP_PASSWORD=s3cret\n")
        out.write("VELMORA_TEST_FTP_ROOT=%s\n" % root)
    os.rename(env + ".tmp", env)
    server.serve_forever()


if __name__ == "__main__":
    main()
