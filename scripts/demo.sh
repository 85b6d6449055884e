#!/usr/bin/env bash
# Starts Tovo FTP with demo FTP servers on this machine: installs what is missing, builds (preset
# dev), serves a folder of sample files on 127.0.0.1 (user "demo", password "demo") in plain FTP and
# over TLS (FTPS, self-signed certificate), adds the profiles "Local demo" and "Local demo (FTPS)" to
# the Profile.ini beside the built program and runs it. Where OpenSSH's sshd is installed, it also
# serves the folder over SFTP to the current user with a key of the demo's own, run as that user
# (profile "Local demo (SFTP)"). Pick one in the Connect dialog; the FTPS and SFTP ones ask first
# whether to trust the certificate or the host key. The servers stop when the program exits.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/demo-common.sh

bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)"

build=$PWD/build/dev
demo=$PWD/build/demo
root=$demo/ftp-root
mkdir -p "$demo"
demo_make_files "$root"

port=$(demo_free_port)
[ -n "$port" ] || { echo "No free port between 2121 and 2199" >&2; exit 1; }
trap demo_stop_server EXIT INT TERM
demo_start_server "$root" "$port" "$demo/server.log"
tls_port=$(demo_free_port $((port + 1)))
[ -n "$tls_port" ] || { echo "No free port for the FTPS server up to 2199" >&2; exit 1; }
demo_make_certificate "$demo"
demo_start_server "$root" "$tls_port" "$demo/server-tls.log" "$demo/cert.pem" "$demo/key.pem"

sftp_port=
if [ -x "$DEMO_SSHD" ]; then
    sftp_port=$(demo_free_port $((tls_port + 1)))
    [ -n "$sftp_port" ] || { echo "No free port for the SFTP server up to 2199" >&2; exit 1; }
    demo_start_sshd "$demo/ssh" "$sftp_port" "$root"
else
    echo "No SFTP demo: $DEMO_SSHD is not installed (Debian package openssh-server)."
fi

# A build keeps Profile.ini beside its executable; other profiles in it are left alone.
demo_add_profile "$build" "$port"
demo_add_profile "$build" "$tls_port" FTPS "$DEMO_TLS_PROFILE"
echo "Profile \"$DEMO_PROFILE\" (127.0.0.1:$port, demo/demo) is in $build/Profile.ini"
echo "Profile \"$DEMO_TLS_PROFILE\" (FTPS, 127.0.0.1:$tls_port, demo/demo) is in $build/Profile.ini"
if [ -n "$sftp_port" ]; then
    demo_add_sftp_profile "$build" "$sftp_port" "$demo/ssh/demo_key"
    echo "Profile \"$DEMO_SFTP_PROFILE\" (SFTP, 127.0.0.1:$sftp_port, $(id -un) with the key $demo/ssh/demo_key) is in $build/Profile.ini"
fi
echo "Files served from $root"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: run this from a desktop session (or under xvfb-run)." >&2
    exit 1
fi
"$build/tovo-ftp"
