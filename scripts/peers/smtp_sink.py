#!/usr/bin/python3
"""An SMTP sink for Velmora's tests, on OS-chosen loopback ports.

    smtp_sink.py DIR

Listens on three ports: plain SMTP, SMTP offering STARTTLS (and AUTH PLAIN/LOGIN for user
"velmora", password "secret", over TLS only) and SMTP over TLS from the start, with a
self-signed certificate for localhost and 127.0.0.1 made at start-up. Every message accepted is
kept with the exact bytes received (after the SMTP dot-unstuffing) as DIR/messages/<n>.eml,
with DIR/messages/<n>.json holding its envelope ({"mail_from", "rcpt_tos", "port"}); both are
written under temporary names and renamed. A recipient whose local part begins with "refused"
is refused with 550. When listening, writes DIR/env with the lines

    VELMORA_TEST_SMTP=127.0.0.1:PORT
    VELMORA_TEST_SMTP_STARTTLS=127.0.0.1:PORT
    VELMORA_TEST_SMTPS=127.0.0.1:PORT
    VELMORA_TEST_SMTP_CA=DIR/cert.pem
    VELMORA_TEST_SMTP_DIR=DIR/messages

and runs until it is terminated.
"""
import asyncio
import itertools
import json
import os
import signal
import ssl
import subprocess
import sys

from aiosmtpd.smtp import SMTP, AuthResult

counter = itertools.count(1)


class Sink:
    def __init__(self, folder, port_name):
        self.folder = folder
        self.port_name = port_name

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.split("@")[0].lower().startswith("refused"):
            return "550 5.1.1 <%s>: recipient refused" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        number = next(counter)
        content = envelope.original_content or envelope.content
        if isinstance(content, str):
            content = content.encode("utf-8")
        base = os.path.join(self.folder, "%06d" % number)
        write_atomically(base + ".eml", content)
        meta = {"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos,
                "port": self.port_name}
        write_atomically(base + ".json", json.dumps(meta).encode("utf-8"))
        return "250 2.0.0 Message accepted"


def write_atomically(path, data):
    folder, name = os.path.split(path)
    temporary = os.path.join(folder, "." + name + ".tmp")
    with open(temporary, "wb") as out:
        out.write(data)
    os.rename(temporary, path)


def authenticate(server, session, envelope, mechanism, auth_data):
    login = getattr(auth_data, "login", None)
    password = getattr(auth_data, "password", None)
    return AuthResult(success=(login == b"velmora" and password == b"secret"))


def make_certificate(folder):
    cert = os.path.join(folder, "cert.pem")
    key = os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", cert, "-days", "2", "-subj", "/CN=localhost", "-addext",
                    "subjectAltName=DNS:localhost,IP:127.0.0.1"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return cert, context


async def main(folder):
    messages = os.path.join(folder, "messages")
    os.makedirs(messages, exist_ok=True)
    cert, context = make_certificate(folder)
    loop = asyncio.get_running_loop()
    plain = await loop.create_server(lambda: SMTP(Sink(messages, "plain")), "127.0.0.1", 0)
    starttls = await loop.create_server(
        lambda: SMTP(Sink(messages, "starttls"), tls_context=context,
                     authenticator=authenticate, auth_require_tls=True),
        "127.0.0.1", 0)
    implicit = await loop.create_server(lambda: SMTP(Sink(messages, "smtps")), "127.0.0.1", 0,
                                        ssl=context)

    def port(server):
        return server.sockets[0].getsockname()[1]

    lines = ["VELMORA_TEST_SMTP=127.0.0.1:%d" % port(plain),
             "VELMORA_TEST_SMTP_STARTTLS=127.0.0.1:%d" % port(starttls),
             "VELMORA_TEST_SMTPS=127.0.0.1:%d" % port(implicit),
             "VELMORA_TEST_SMTP_CA=%s" % cert,
             "VELMORA_TEST_SMTP_DIR=%s" % messages]
    write_atomically(os.path.join(folder, "env"), ("\n".join(lines) + "\n").encode())
    stop = asyncio.Event()
    loop.add_signal_handler(signal.SIGTERM, stop.set)
    loop.add_signal_handler(signal.SIGINT, stop.set)
    await stop.wait()


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: smtp_sink.py DIR")
    asyncio.run(main(os.path.abspath(sys.argv[1])))
