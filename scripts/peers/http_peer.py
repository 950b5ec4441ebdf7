#!/usr/bin/python3
"""A partner's web pages for the delivery tests, on loopback over HTTP and HTTPS.

Usage: http_peer.py DIR. Writes DIR/env (VELMORA_TEST_HTTP_URL, VELMORA_TEST_HTTPS_URL,
VELMORA_TEST_HTTPS_CA) once both servers listen, then serves until killed. The HTTPS server
uses a self-signed certificate for 127.0.0.1 and localhost made here (DIR/cert.pem is the
file to trust).

POST pages, chosen by the first path segment (the rest of the path is free, so that each
test can use its own): /ok answers 200 "OK"; /fail 500 Internal Server Error; /xml-error a
200 XML reply with ERROR_NUMBER 7; /xml-ok a 200 XML reply with ERROR_NUMBER 0; /slow/<ms>
waits that many milliseconds before answering 200; /large/<bytes> answers 200 with that many
bytes.
"""
import os
import ssl
import subprocess
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

XML_ERROR = ('<?xml version="1.0"?><REPLY><ERROR_NUMBER>7</ERROR_NUMBER>'
             '<ERROR_SOURCE>OrderPage</ERROR_SOURCE>'
             '<ERROR_DESCRIPTION>Unknown article 4711</ERROR_DESCRIPTION></REPLY>')
XML_OK = '<?xml version="1.0"?><REPLY><ERROR_NUMBER>0</ERROR_NUMBER></REPLY>'


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def reply(self, status, body, reason=None):
        data = body.encode() if isinstance(body, str) else body
        self.send_response(status, reason)
        self.send_header("Content-Type", "text/xml" if data.startswith(b"<?xml") else "text/plain")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        self.rfile.read(length)
        parts = self.path.strip("/").split("/")
        page = parts[0]
        if page == "ok":
            return self.reply(200, "OK")
        if page == "fail":
            return self.reply(500, "Internal Server Error")
        if page == "xml-error":
            return self.reply(200, XML_ERROR)
        if page == "xml-ok":
            return self.reply(200, XML_OK)
        if page == "slow":
            time.sleep(int(parts[1]) / 1000.0 if len(parts) > 1 else 5.0)
            return self.reply(200, "OK")
        if page == "large":
            size = int(parts[1]) if len(parts) > 1 else 32 * 1024 * 1024
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(size))
            self.end_headers()
            chunk = b"x" * 65536
            try:
                while size > 0:
                    self.wfile.write(chunk[:min(size, len(chunk))])
                    size -= len(chunk)
            except (BrokenPipeError, ConnectionResetError):
                pass
            return None
        return self.reply(404, "Not Found")


def self_signed(directory):
    cert = os.path.join(directory, "cert.pem")
    key = os.path.join(directory, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=127.0.0.1", "-addext",
                    "subjectAltName=IP:127.0.0.1,DNS:localhost", "-keyout", key, "-out", cert],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


def main():
    directory = sys.argv[1]
    os.makedirs(directory, exist_ok=True)
    plain = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    secure = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    cert, key = self_signed(directory)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    secure.socket = context.wrap_socket(secure.socket, server_side=True)
    for server in (plain, secure):
        server.daemon_threads = True
        threading.Thread(target=server.serve_forever, daemon=True).start()
    env = os.path.join(directory, "env")
    with open(env + ".tmp", "w") as out:
        out.write("VELMORA_TEST_HTTP_URL=http://127.0.0.1:%d\n" % plain.server_address[1])
        out.write("VELMORA_TEST_HTTPS_URL=https://127.0.0.1:%d\n" % secure.server_address[1])
        out.write("VELMORA_TEST_HTTPS_CA=%s\n" % cert)
    os.rename(env + ".tmp", env)
    threading.Event().wait()


if __name__ == "__main__":
    main()
