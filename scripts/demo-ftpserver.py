"""Demo FTP server for scripts/demo.sh and scripts/screenshot.sh: pyftpdlib on 127.0.0.1.

demo-ftpserver.py ROOT PORT USER PASSWORD
Serves ROOT to USER/PASSWORD with full rights on PORT (the program's command line logs in on the
same port). Prints one line when it serves, then serves until it is terminated.
"""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    root, port, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    logging.basicConfig(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.banner = "Tovo FTP demo server ready."

    server = FTPServer(("127.0.0.1", port), Handler)
    print(f"serving {root} on 127.0.0.1:{port}", flush=True)
    server.serve_forever(timeout=0.5, handle_exit=True)


if __name__ == "__main__":
    main()
