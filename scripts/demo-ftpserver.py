"""Demo FTP server for scripts/demo.sh and scripts/screenshot.sh: pyftpdlib on 127.0.0.1.

demo-ftpserver.py ROOT PORT USER PASSWORD [CERTIFICATE KEY]
Serves ROOT to USER/PASSWORD with full rights on PORT (the program's command line logs in on the
same port); with a certificate and key (PEM files), over explicit TLS only (FTPS). Prints one line
when it serves, then serves until it is terminated.
"""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    root, port, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    certificate = sys.argv[5:7]
    logging.basicConfig(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")

    base = FTPHandler
    if certificate:
        from pyftpdlib.handlers import TLS_FTPHandler

        base = TLS_FTPHandler
        base.certfile, base.keyfile = certificate
        base.tls_control_required = True
        base.tls_data_required = True

    class Handler(base):
        pass

    Handler.authorizer = authorizer
    Handler.banner = "Tovo FTP demo server ready."

    server = FTPServer(("127.0.0.1", port), Handler)
    print(f"serving {root} on 127.0.0.1:{port}{' over TLS' if certificate else ''}", flush=True)
    server.serve_forever(timeout=0.5, handle_exit=True)


if __name__ == "__main__":
    main()
