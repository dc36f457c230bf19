#!/usr/bin/python3
"""A mail server on loopback for the sharing tests.

Prints "READY <port>" once it listens on a free port of 127.0.0.1, then
serves until its standard input closes. Every message it accepts is written
to OUTDIR as N.eml (the DATA content, dots unstuffed) and N.json: the
envelope, and the message as Python's email package parses it (headers
decoded, each part's decoded payload in Base64).

Modes:
  normal          aiosmtpd; --tls CERT KEY offers STARTTLS, --auth USER:PASS
                  requires AUTH (after TLS), --implicit-tls serves TLS from
                  the first byte, --reject ADDR refuses that recipient with 550
  greet554        greets "554 no service" and closes
  silent          accepts the connection and never says a word
  close-in-data   plays along up to DATA, reads some content and closes
"""
import argparse
import base64
import json
import os
import socket
import sys
import threading

try:
    from aiosmtpd.controller import Controller
    from aiosmtpd.smtp import AuthResult, LoginPassword
except ImportError:
    sys.stderr.write("smtpserver.py: Python's aiosmtpd is missing (Debian package python3-aiosmtpd); "
                     "run scripts/install-deps\n")
    sys.exit(3)

import email
import email.policy
import ssl


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def describe(content):
    message = email.message_from_bytes(content, policy=email.policy.default)
    parts = []
    for part in message.walk():
        if part.is_multipart():
            continue
        payload = part.get_payload(decode=True)
        raw = part.get_payload(decode=False)
        parts.append({
            "contentType": part.get_content_type(),
            "charset": part.get_content_charset(),
            "encoding": part.get("Content-Transfer-Encoding"),
            "contentId": part.get("Content-ID"),
            "name": part.get_param("name"),
            "decoded": base64.b64encode(payload or b"").decode(),
            "raw": base64.b64encode(raw.encode("ascii", "surrogateescape")).decode(),
            "defects": [type(d).__name__ for d in part.defects],
        })
    def addresses(field):
        value = message[field]
        if value is None:
            return []
        return [{"name": a.display_name, "address": a.addr_spec} for a in value.addresses]
    return {
        "subject": str(message["Subject"]) if message["Subject"] is not None else None,
        "from": addresses("From"),
        "to": addresses("To"),
        "cc": addresses("CC"),
        "date": str(message["Date"]) if message["Date"] is not None else None,
        "contentType": message.get_content_type(),
        "defects": [type(d).__name__ for d in message.defects],
        "parts": parts,
    }


class Store:
    def __init__(self, outdir, reject):
        self.outdir = outdir
        self.reject = reject
        self.count = 0
        self.lock = threading.Lock()

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in self.reject:
            return "550 no such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        with self.lock:
            self.count += 1
            number = self.count
        content = envelope.original_content
        with open(os.path.join(self.outdir, "%d.eml" % number), "wb") as f:
            f.write(content)
        summary = describe(content)
        summary["mailFrom"] = envelope.mail_from
        summary["rcptTos"] = envelope.rcpt_tos
        summary["tls"] = session.ssl is not None
        summary["authenticated"] = bool(getattr(session, "authenticated", False))
        with open(os.path.join(self.outdir, "%d.json.tmp" % number), "w") as f:
            json.dump(summary, f)
        os.rename(os.path.join(self.outdir, "%d.json.tmp" % number), os.path.join(self.outdir, "%d.json" % number))
        return "250 Message accepted for delivery"


def serve_normal(args, port):
    tls_context = None
    if args.tls:
        tls_context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        tls_context.load_cert_chain(args.tls[0], args.tls[1])
    kwargs = {}
    if args.auth:
        user, password = args.auth.split(":", 1)

        def authenticator(server, session, envelope, mechanism, auth_data):
            ok = isinstance(auth_data, LoginPassword) and auth_data.login == user.encode() \
                and auth_data.password == password.encode()
            return AuthResult(success=ok, handled=False)
        kwargs.update(authenticator=authenticator, auth_required=True, auth_require_tls=True)
    if args.implicit_tls:
        kwargs["ssl_context"] = tls_context
    elif tls_context is not None:
        kwargs.update(tls_context=tls_context, require_starttls=False)
    controller = Controller(Store(args.outdir, set(args.reject)), hostname="127.0.0.1", port=port,
                            ready_timeout=20, **kwargs)
    controller.start()
    return controller.stop


def serve_raw(mode, port):
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", port))
    listener.listen(8)
    held = []

    def talk(conn):
        try:
            if mode == "greet554":
                conn.sendall(b"554 no service here\r\n")
                conn.close()
                return
            if mode == "silent":
                held.append(conn)
                return
            reader = conn.makefile("rb")
            conn.sendall(b"220 test ready\r\n")
            while True:
                line = reader.readline()
                if not line:
                    return
                verb = line[:4].upper()
                if verb == b"DATA":
                    conn.sendall(b"354 go ahead\r\n")
                    reader.read(2000)
                    conn.shutdown(socket.SHUT_RDWR)
                    conn.close()
                    return
                conn.sendall(b"250 ok\r\n")
        except OSError:
            pass

    def accept():
        while True:
            try:
                conn, _ = listener.accept()
            except OSError:
                return
            threading.Thread(target=talk, args=(conn,), daemon=True).start()

    threading.Thread(target=accept, daemon=True).start()
    return listener.close


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("outdir")
    parser.add_argument("--mode", default="normal", choices=["normal", "greet554", "silent", "close-in-data"])
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--implicit-tls", action="store_true")
    parser.add_argument("--auth")
    parser.add_argument("--reject", action="append", default=[])
    args = parser.parse_args()
    port = free_port()
    stop = serve_normal(args, port) if args.mode == "normal" else serve_raw(args.mode, port)
    print("READY %d" % port, flush=True)
    sys.stdin.read()
    stop()


if __name__ == "__main__":
    main()
