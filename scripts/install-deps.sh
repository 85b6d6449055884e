#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the demo, the package check and the screenshot
# need, when any is missing (fp-utils: chmcmd for the help file; desktop-file-utils: the desktop
# entry check; imagemagick: the screenshot and the icon drawing; libssl-dev: FTPS; openssl and
# python3-openssl: the certificates and the TLS servers of the tests and the demo; qtkeychain-qt6-dev:
# saved passwords in the desktop's secret store; gnome-keyring, dbus, libsecret-tools: the tests of
# that store; libssh-dev: SFTP; libssh2-1-dev: the SFTP library comparison; openssh-server and
# openssh-client: the SFTP tests, the demo and the benchmark; lftp: the many-files benchmark).
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev libssl-dev python3-pyftpdlib python3-openssl openssl curl
    xvfb xauth fp-utils desktop-file-utils imagemagick qtkeychain-qt6-dev gnome-keyring dbus
    libsecret-tools libssh-dev libssh2-1-dev openssh-server openssh-client lftp)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
