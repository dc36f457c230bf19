#!/usr/bin/python3
"""A stand-in for the vendor's update service, for the tests.

Serves the SOAP 1.1 method "IsUpdate" (document/literal, wrapped) with
python3-spyne on any POST, and patch downloads on GET /download/<mode>/<name>,
on a free loopback port, which it prints as "port N" once it listens.

The state folder given on the command line steers and records it:
  answer.json   read at every SOAP request: "mode" (how the answer travels,
                see soap_modes) and the fields of the returned record
                ("shBuild": absent = the caller's build, "fUpdate",
                "strPatchURL", "strLocalName", "strPatchAppParams",
                "strUpdateMsg": null = nil)
  requests/     every request as received, byte for byte (0001.http, ...)
  received.json the last record received: shBuild, bBytes (as text), fUpdate
  connections   how many connections were accepted
  files/        the files served for download
"""

import io
import json
import os
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from spyne import Application, Boolean, ByteArray, ComplexModel, Enum, Integer16, ServiceBase, Unicode, rpc
from spyne.model.fault import Fault
from spyne.protocol.soap import Soap11
from spyne.server.wsgi import WsgiApplication

NAMESPACE = "http://www.tessary.com"
STATE = sys.argv[1]
lock = threading.Lock()
counters = {"connections": 0, "requests": 0}


def state_path(*names):
    return os.path.join(STATE, *names)


def read_answer():
    try:
        with open(state_path("answer.json")) as f:
            return json.load(f)
    except FileNotFoundError:
        return {}


ResCode = Enum("Success", type_name="ResCode")


class AppVersion(ComplexModel):
    __namespace__ = NAMESPACE
    _type_info = [
        ("shBuild", Integer16(min_occurs=1)),
        ("bBytes", ByteArray(min_occurs=1)),
        ("fUpdate", Boolean(min_occurs=1)),
        ("strPatchURL", Unicode(min_occurs=1, nillable=True)),
        ("strLocalName", Unicode(min_occurs=1, nillable=True)),
        ("strPatchAppParams", Unicode(min_occurs=1, nillable=True)),
        ("strUpdateMsg", Unicode(min_occurs=1, nillable=True)),
    ]


class UpdateService(ServiceBase):
    @rpc(AppVersion, _returns=(ResCode, AppVersion), _in_variable_names={"out_vi": "out_vi"},
         _out_variable_names=("IsUpdateResult", "out_vi"), _body_style="wrapped")
    def IsUpdate(ctx, out_vi):
        sent = b"".join(out_vi.bBytes or [])
        with open(state_path("received.json"), "w") as f:
            json.dump({"shBuild": out_vi.shBuild, "bBytes": sent.decode("utf-8"), "fUpdate": out_vi.fUpdate}, f)
        answer = read_answer()
        if answer.get("mode") == "fault":
            raise Fault(faultcode="Server", faultstring="The update service is resting")
        build = answer.get("shBuild", out_vi.shBuild)
        return "Success", AppVersion(
            shBuild=build, bBytes=[sent], fUpdate=answer.get("fUpdate", False),
            strPatchURL=answer.get("strPatchURL"), strLocalName=answer.get("strLocalName"),
            strPatchAppParams=answer.get("strPatchAppParams"), strUpdateMsg=answer.get("strUpdateMsg"))


soap = WsgiApplication(Application([UpdateService], tns=NAMESPACE, in_protocol=Soap11(validator="lxml"),
                                   out_protocol=Soap11()))


class Recorder:
    """Reads from the connection and keeps what was read."""

    def __init__(self, stream):
        self.stream = stream
        self.seen = bytearray()

    def readline(self, *args):
        line = self.stream.readline(*args)
        self.seen += line
        return line

    def read(self, *args):
        data = self.stream.read(*args)
        self.seen += data
        return data

    def take(self):
        data = bytes(self.seen)
        self.seen.clear()
        return data

    def close(self):
        self.stream.close()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def setup(self):
        super().setup()
        self.rfile = Recorder(self.rfile)
        with lock:
            counters["connections"] += 1
            with open(state_path("connections"), "w") as f:
                f.write(str(counters["connections"]))

    def record_request(self):
        with lock:
            counters["requests"] += 1
            number = counters["requests"]
        os.makedirs(state_path("requests"), exist_ok=True)
        with open(state_path("requests", "%04d.http" % number), "wb") as f:
            f.write(self.rfile.take())

    def send(self, status, body, headers=(), close=False):
        self.send_response_only(status)
        for name, value in headers:
            self.send_header(name, value)
        if close:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()

    def be_silent(self):
        time.sleep(90)
        self.close_connection = True

    # --- SOAP
    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        self.record_request()
        mode = read_answer().get("mode", "soap")
        if mode == "silence":
            return self.be_silent()
        if mode == "garbage":
            return self.send(200, b"<this is not xml", [("Content-Type", "text/xml"), ("Content-Length", "16")])
        if mode == "fault-garbage":
            return self.send(500, b"Internal Server Error", [("Content-Length", "21")])
        if mode == "accepted":
            return self.send(202, b"", [("Content-Length", "0")])
        if mode == "not-found":
            return self.send(404, b"", [("Content-Length", "0")])
        status, payload = self.call_service(body)
        if mode == "must-understand":
            payload = payload.replace(b"<soap11env:Body>", b'<soap11env:Header><s:Session xmlns:s="urn:session" '
                                      b'soap11env:mustUnderstand="1">7</s:Session></soap11env:Header><soap11env:Body>')
        if mode == "header":
            payload = payload.replace(b"<soap11env:Body>", b'<soap11env:Header><s:Session xmlns:s="urn:session">7'
                                      b'</s:Session></soap11env:Header><soap11env:Body>')
        headers = [("Content-Type", "text/xml; charset=utf-8")]
        if mode == "chunked":
            self.send_response_only(status)
            self.send_header("Content-Type", "text/xml; charset=utf-8")
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for start in range(0, len(payload), 100):
                piece = payload[start:start + 100]
                self.wfile.write(b"%x;piece\r\n%s\r\n" % (len(piece), piece))
                self.wfile.flush()
            self.wfile.write(b"0\r\nX-Trailer: done\r\n\r\n")
            return
        if mode == "truncated":
            self.send(status, payload[: len(payload) // 2],
                      headers + [("Content-Length", str(len(payload)))], close=True)
            return
        if mode == "to-close":
            self.send(status, payload, headers, close=True)
            return
        self.send(status, payload, headers + [("Content-Length", str(len(payload)))], close=(mode == "close"))

    def call_service(self, body):
        environ = {
            "REQUEST_METHOD": "POST", "PATH_INFO": "/", "SCRIPT_NAME": "", "QUERY_STRING": "",
            "CONTENT_TYPE": "text/xml", "CONTENT_LENGTH": str(len(body)), "SERVER_NAME": "127.0.0.1",
            "SERVER_PORT": "80", "SERVER_PROTOCOL": "HTTP/1.1", "wsgi.input": io.BytesIO(body),
            "wsgi.url_scheme": "http", "wsgi.errors": sys.stderr,
            "HTTP_SOAPACTION": self.headers.get("SOAPAction", ""),
        }
        outcome = {}

        def start_response(status, headers, exc_info=None):
            outcome["status"] = int(status.split()[0])

        payload = b"".join(soap(environ, start_response))
        return outcome["status"], payload

    # --- Downloads
    def do_HEAD(self):
        self.record_request()
        parts = self.path.split("/")
        try:
            size = os.path.getsize(state_path("files", parts[3]))
        except (IndexError, OSError):
            return self.send(404, b"", [("Content-Length", "0")])
        self.send(200, b"", [("Content-Length", str(size))])

    def do_GET(self):
        self.record_request()
        parts = self.path.split("/")
        if len(parts) != 4 or parts[1] != "download":
            return self.send(404, b"", [("Content-Length", "0")])
        mode, name = parts[2], parts[3]
        try:
            with open(state_path("files", name), "rb") as f:
                data = f.read()
        except OSError:
            return self.send(404, b"", [("Content-Length", "0")])
        if mode == "plain":
            return self.send(200, data, [("Content-Length", str(len(data)))])
        if mode == "error500":
            return self.send(500, b"broken", [("Content-Length", "6")])
        if mode == "silence":
            return self.be_silent()
        if mode == "short":  # announces everything, sends half, hangs up
            return self.send(200, data[: len(data) // 2], [("Content-Length", str(len(data)))], close=True)
        if mode == "to-close":  # announces nothing, ends by closing
            return self.send(200, data, [], close=True)
        if mode == "chunked":
            self.send_response_only(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for start in range(0, len(data), 1000):
                piece = data[start:start + 1000]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            self.wfile.write(b"0\r\n\r\n")
            return
        if mode == "slow":  # 4 KiB every 100 ms
            self.send_response_only(200)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            try:
                for start in range(0, len(data), 4096):
                    self.wfile.write(data[start:start + 4096])
                    self.wfile.flush()
                    time.sleep(0.1)
            except OSError:
                pass
            self.close_connection = True
            return
        return self.send(404, b"", [("Content-Length", "0")])


def main():
    os.makedirs(state_path("files"), exist_ok=True)
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print("port %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
