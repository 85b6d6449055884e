"""Loopback FTP server for the tests: pyftpdlib on a free port, configured from one JSON argument.

{"root": DIR, "users": [{"name": "u", "password": "p", "home": DIR, "perm": "elradfmwMT",
  "start": "/pub"}] (none: "user" with password "secret" at the root), "anonymous": DIR or null, "mlsd": true,
 "tls": {"cert": PEM, "key": PEM, "max": "1.2" or "1.3"} or absent: explicit TLS required, and
 data connections that resume the control connection's TLS session, "rate": bytes a second an upload
 is read at, or absent, "rawNames": true: names go to and from the disk as bytes, UTF-8 or not,
 "debug": true: every command and reply is logged}
Every upload's end goes to stderr as "received PATH" or "incomplete PATH".
Prints the port on the first line of stdout, then serves until stdin closes or it is killed.
"""
import json
import logging
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    config = json.loads(sys.argv[1])
    # Per-command logging would fill the pipe to a test that is blocked in a network call.
    logging.basicConfig(level=logging.WARNING)
    logging.getLogger("pyftpdlib").setLevel(logging.DEBUG if config.get("debug") else logging.WARNING)
    authorizer = DummyAuthorizer()
    starts = {}
    for user in config.get("users") or [{"name": "user", "password": "secret"}]:
        os.makedirs(user.get("home", config["root"]), exist_ok=True)
        authorizer.add_user(user["name"], user["password"], user.get("home", config["root"]),
                            perm=user.get("perm", "elradfmwMT"))
        if user.get("start"):
            starts[user["name"]] = user["start"]
    if config.get("anonymous"):
        authorizer.add_anonymous(config["anonymous"], perm="elr")

    base = FTPHandler
    tls = config.get("tls")
    if tls:
        from OpenSSL import SSL
        from OpenSSL._util import lib
        from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler

        class ReuseRequired(TLS_DTPHandler):
            # Like strict servers: a data connection must resume the control connection's session.
            def handle_ssl_established(self):
                if not lib.SSL_session_reused(self.socket._ssl):
                    return self.close()
                super().handle_ssl_established()

        base = TLS_FTPHandler
        context = SSL.Context(SSL.TLS_METHOD)
        context.use_certificate_chain_file(tls["cert"])
        context.use_privatekey_file(tls["key"])
        context.set_min_proto_version(SSL.TLS1_2_VERSION)
        context.set_max_proto_version(SSL.TLS1_2_VERSION if tls.get("max") == "1.2" else SSL.TLS1_3_VERSION)
        TLS_FTPHandler.ssl_context = context
        TLS_FTPHandler.tls_control_required = True
        TLS_FTPHandler.tls_data_required = True
        TLS_FTPHandler.dtp_handler = ReuseRequired

    class Handler(base):
        def on_login(self, username):
            if username in starts:
                self.fs.cwd = starts[username]

        def on_file_received(self, file):
            print("received", file, file=sys.stderr, flush=True)

        def on_incomplete_file_received(self, file):
            print("incomplete", file, file=sys.stderr, flush=True)

    if config.get("rawNames"):
        Handler.unicode_errors = "surrogateescape"

    if config.get("rate") and not tls:
        from pyftpdlib.handlers import ThrottledDTPHandler

        class Throttled(ThrottledDTPHandler):
            read_limit = config["rate"]

        Handler.dtp_handler = Throttled
    Handler.authorizer = authorizer
    Handler.passive_ports = None
    Handler.banner = "Tovo test server ready."
    if not config.get("mlsd", True):
        Handler.proto_cmds = {k: v for k, v in base.proto_cmds.items() if k not in ("MLSD", "MLST")}

    server = FTPServer(("127.0.0.1", 0), Handler)
    server.max_cons = 256
    print(server.socket.getsockname()[1], flush=True)

    # The test process closes our stdin when it is done with us.
    def watch_stdin():
        sys.stdin.read()
        os._exit(0)

    threading.Thread(target=watch_stdin, daemon=True).start()
    server.serve_forever(timeout=0.2, handle_exit=True)


if __name__ == "__main__":
    main()
