"""Demo FTP server for scripts/demo.sh and scripts/screenshot.sh: pyftpdlib on 127.0.0.1.

demo-ftpserver.py ROOT PORT USER PASSWORD
Serves ROOT to USER/PASSWORD with full rights on PORT. The program's command line always talks to
port 21, so when this machine lets us bind it (as root) and it is free, port 21 is served as well.
Prints one line per port served, then serves until it is terminated.
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
    if port != 21:
        try:
            # Registered on the same I/O loop: one serve_forever serves both.
            FTPServer(("127.0.0.1", 21), Handler)
            print("serving the command line on 127.0.0.1:21", flush=True)
        except OSError as error:
            print(f"port 21 not served ({error.strerror}): the command line will report it", flush=True)
    server.serve_forever(timeout=0.5, handle_exit=True)


if __name__ == "__main__":
    main()
