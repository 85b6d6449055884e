#!/usr/bin/env bash
# Makes the README's screenshot again: starts Xvfb and the demo FTP server, drives the built program
# (connect, both panes listed, a download under way with the transfer panel showing) and captures the
# main window with ImageMagick's import into docs/screenshot.png.
#   bash scripts/screenshot.sh [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/demo-common.sh
output=$(realpath -m "${1:-docs/screenshot.png}")

bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)"
build=$PWD/build/dev

work=$PWD/build/screenshot
rm -rf "$work"
mkdir -p "$work/local" "$(dirname "$output")"
root=$work/ftp-root
demo_make_files "$root"
# Large enough that the download is still running when the picture is taken (sparse: costs no disk).
truncate -s 2G "$root/installer.iso"
# A local folder with a few files of its own.
demo_make_files "$work/local"
rm -rf "$work/local/pictures" "$work/local/archive.bin"
printf 'Shopping list\n' >"$work/local/todo.txt"

port=$(demo_free_port)
display=""
for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
[ -n "$display" ] || { echo "No free X display number" >&2; exit 1; }

xvfb_pid=""
cleanup() {
    demo_stop_server
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT INT TERM

Xvfb "$display" -screen 0 1280x860x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for i in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
done
demo_start_server "$root" "$port" "$work/server.log"

# The driver appends the window's geometry (WxH+X+Y) to the capture command.
capture=(bash -c 'import -display "$DISPLAY" -window root -crop "$1" +repage "$0"' "$output")
DISPLAY=$display QT_QPA_PLATFORM=xcb HOME="$work" XDG_CONFIG_HOME="$work/config" \
    "$build/tovo-screenshot-driver" 127.0.0.1 "$port" "$DEMO_USER" "$DEMO_PASSWORD" "$work/local" installer.iso 1000 \
    "${capture[@]}"
echo "screenshot written to $output"
