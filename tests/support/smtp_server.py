"""SMTP server for the e-mail tests: smtp_server.py FOLDER CERT KEY USER PASSWORD

Prints "ports plain=N noauth=N starttls=N tls=N" once all four loopback listeners accept:
AUTH without TLS, no AUTH at all, STARTTLS with AUTH required over it, and implicit TLS.
Each message is kept in FOLDER as NNNN.eml (raw bytes) and NNNN.json (envelope, log-in,
decoded subject and body); each connection adds a line to FOLDER/connections.log.
Ends when stdin closes.
"""

import asyncio
import base64
import email
import email.header
import hmac
import itertools
import json
import logging
import os
import random
import secrets
import ssl
import sys

from aiosmtpd.smtp import MISSING, SMTP, AuthResult, LoginPassword

folder, cert_file, key_file, user, password = sys.argv[1:6]
# The server's own chatter (and its deprecation notes) would only bury test failures.
logging.getLogger("mail.log").setLevel(logging.CRITICAL)
message_numbers = itertools.count(1)
connection_numbers = itertools.count(1)


def authenticator(server, session, envelope, mechanism, auth_data):
    if (isinstance(auth_data, LoginPassword)
            and auth_data.login == user.encode()
            and auth_data.password == password.encode()):
        return AuthResult(success=True, auth_data=auth_data)
    # handled=False makes the server answer 535 instead of leaving the client waiting.
    return AuthResult(success=False, handled=False)


def write_atomically(path, data):
    with open(path + ".part", "wb") as f:
        f.write(data)
    os.replace(path + ".part", path)


class CountingSMTP(SMTP):
    def __init__(self, kind, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.kind = kind
        self.connection = None

    def connection_made(self, transport):
        super().connection_made(transport)
        # STARTTLS calls this again for the same connection.
        if self.connection is None:
            self.connection = next(connection_numbers)
            with open(os.path.join(folder, "connections.log"), "a") as f:
                f.write(f"{self.connection} {self.kind}\n")


class Recorder:
    async def auth_CRAM__MD5(self, server, args):
        if len(args) != 1:
            await server.push("501 5.5.4 No initial response for CRAM-MD5")
            return AuthResult(success=False, handled=True)
        challenge = f"<{secrets.token_hex(8)}@localhost>".encode()
        response = await server.challenge_auth(challenge)
        if response is MISSING:
            return AuthResult(success=False, handled=True)
        login, _, digest = response.decode(errors="replace").rpartition(" ")
        expected = hmac.new(password.encode(), challenge, "md5").hexdigest()
        if login == user and hmac.compare_digest(digest, expected):
            return AuthResult(success=True, auth_data=LoginPassword(login.encode(), b""))
        return AuthResult(success=False, handled=False)

    async def handle_DATA(self, server, session, envelope):
        number = next(message_numbers)
        raw = envelope.original_content
        parsed = email.message_from_bytes(raw)
        subject = parsed.get("Subject", "")
        login = session.auth_data.login.decode() if session.authenticated else ""
        meta = {
            "kind": server.kind,
            "connection": server.connection,
            "login": login,
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "subject": str(email.header.make_header(email.header.decode_header(subject))),
            "body": base64.b64encode(parsed.get_payload(decode=True) or b"").decode(),
        }
        base = os.path.join(folder, f"{number:04d}")
        write_atomically(base + ".eml", raw)
        write_atomically(base + ".json", json.dumps(meta).encode())
        return "250 OK"


async def listen(factory, implicit):
    # The settings record keeps the port as a signed 16-bit number, and the system hands
    # out ports above 32767: pick one below, and another when it is taken.
    loop = asyncio.get_running_loop()
    for _ in range(200):
        port = random.randint(10000, 32767)
        try:
            await loop.create_server(factory, "127.0.0.1", port, ssl=implicit)
            return port
        except OSError:
            continue
    raise SystemExit("no free port below 32768")


async def main():
    tls = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    tls.load_cert_chain(cert_file, key_file)
    handler = Recorder()
    common = {"hostname": "localhost", "authenticator": authenticator}
    kinds = {
        "plain": ({"auth_require_tls": False}, None),
        "noauth": ({}, None),
        "starttls": ({"tls_context": tls, "require_starttls": True, "auth_required": True}, None),
        "tls": ({"auth_require_tls": False}, tls),
    }
    ports = []
    for kind, (options, implicit) in kinds.items():
        def factory(kind=kind, options=options):
            return CountingSMTP(kind, handler, **common, **options)
        ports.append(f"{kind}={await listen(factory, implicit)}")
    print("ports " + " ".join(ports), flush=True)

    loop = asyncio.get_running_loop()
    stdin_closed = loop.create_future()

    def on_stdin():
        if not os.read(sys.stdin.fileno(), 4096) and not stdin_closed.done():
            stdin_closed.set_result(None)

    loop.add_reader(sys.stdin.fileno(), on_stdin)
    await stdin_closed


asyncio.run(main())
