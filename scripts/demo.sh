#!/usr/bin/env bash
# Starts Tovo FTP with a demo FTP server on this machine: installs what is missing, builds (preset
# dev), serves a folder of sample files on 127.0.0.1 (user "demo", password "demo"), adds the profile
# "Local demo" to the Profile.ini beside the built program and runs it. Pick "Local demo" in the
# Connect dialog. The server stops when the program exits.
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

# A build keeps Profile.ini beside its executable; other profiles in it are left alone.
demo_add_profile "$build" "$port"
echo "Profile \"$DEMO_PROFILE\" (127.0.0.1:$port, demo/demo) is in $build/Profile.ini"
echo "Files served from $root"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: run this from a desktop session (or under xvfb-run)." >&2
    exit 1
fi
"$build/tovo-ftp"
