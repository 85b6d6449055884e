#!/usr/bin/env bash
# Takes the README's Debian package route: builds the release preset,
# packages it with cpack in build/release, checks the package's contents, dependencies and desktop
# entry, installs it with apt-get and starts tovo-ftp from PATH offscreen. Needs root or sudo.
#   bash scripts/check-package.sh
# The package is removed again afterwards unless it was installed before or TOVO_KEEP_PACKAGE=1.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"

echo "== package: cmake --preset release && cmake --build --preset release"
cmake --preset release >/dev/null
cmake --build --preset release
rm -f build/release/tovo-ftp_*.deb
(cd build/release && cpack -G DEB >cpack.log 2>&1) || { cat build/release/cpack.log; exit 1; }
debs=(build/release/tovo-ftp_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "expected one tovo-ftp_*.deb in build/release" >&2; exit 1; }
deb=${debs[0]}
echo "== package: $(basename "$deb")"

fail() { echo "FAILED: $*" >&2; exit 1; }
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for path in ./usr/bin/tovo-ftp ./usr/share/applications/tovo-ftp.desktop ./usr/share/tovo-ftp/help/index.html \
    ./usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/tovo-ftp.png; do
    grep -qxF "$path" <<<"$contents" || fail "$path is not in the package"
done
if command -v chmcmd >/dev/null; then
    grep -qxF ./usr/share/tovo-ftp/TovoHelp.chm <<<"$contents" || fail "TovoHelp.chm is not in the package"
fi
depends=$(dpkg-deb --field "$deb" Depends)
for dependency in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins; do
    grep -qw "$dependency" <<<"$depends" || fail "Depends lacks $dependency: $depends"
done
unpacked=$(mktemp -d)
scratch=$(mktemp -d)
trap 'rm -rf "$unpacked" "$scratch"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/tovo-ftp.desktop" || fail "desktop-file-validate"
echo "contents, dependencies and desktop entry: ok"

echo "== package: apt-get install"
was_installed=no
dpkg -s tovo-ftp >/dev/null 2>&1 && was_installed=yes
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "./$deb" \
    >build/release/apt.log 2>&1 || { cat build/release/apt.log >&2; fail "apt-get install"; }
[ "$(command -v tovo-ftp)" = /usr/bin/tovo-ftp ] || fail "tovo-ftp is not on PATH as /usr/bin/tovo-ftp"

echo "== package: start offscreen"
mkdir -p "$scratch/home"
(cd "$scratch/home" && HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" QT_QPA_PLATFORM=offscreen \
    exec tovo-ftp >"$scratch/run.log" 2>&1) &
app=$!
sleep 2
if ! kill -0 "$app" 2>/dev/null; then
    wait "$app" || true
    cat "$scratch/run.log" >&2
    fail "tovo-ftp ended within two seconds"
fi
kill "$app"
wait "$app" 2>/dev/null || true
[ ! -e "$scratch/config/tovo-ftp" ] || fail "starting created the configuration folder before any save"
echo "tovo-ftp started from PATH and was running after two seconds: ok"

if [ "$was_installed" = no ] && [ "${TOVO_KEEP_PACKAGE:-0}" != 1 ]; then
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get remove -y -qq tovo-ftp >/dev/null
fi
echo "package check passed"
