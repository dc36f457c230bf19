#!/usr/bin/python3
"""An FTP server on loopback for the publishing tests.

Prints "READY <port>" once it listens on a free port of 127.0.0.1 and serves
until its standard input closes. Users: "ann" (password "s3cret") may do
everything in ROOT/ann; "reader" (password "s3cret") may only look around
ROOT/reader.
"""
import os
import socket
import sys
import threading

try:
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import ThreadedFTPServer
except ImportError:
    sys.stderr.write("ftpserver.py: Python's pyftpdlib is missing (Debian package python3-pyftpdlib); "
                     "run scripts/install-deps\n")
    sys.exit(3)

import logging


def main():
    root = sys.argv[1]
    logging.basicConfig(level=logging.ERROR)
    authorizer = DummyAuthorizer()
    for user, perm in (("ann", "elradfmwMT"), ("reader", "elr")):
        home = os.path.join(root, user)
        os.makedirs(home, exist_ok=True)
        authorizer.add_user(user, "s3cret", home, perm=perm)
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.masquerade_address = None
    handler.permit_foreign_addresses = False
    server = ThreadedFTPServer(("127.0.0.1", 0), handler)
    port = server.socket.getsockname()[1]
    thread = threading.Thread(target=server.serve_forever, kwargs={"timeout": 0.2}, daemon=True)
    thread.start()
    print("READY %d" % port, flush=True)
    sys.stdin.read()
    server.close_all()


if __name__ == "__main__":
    main()
