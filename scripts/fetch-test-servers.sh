#!/usr/bin/env bash
# Fetches the FTP servers the tests run on loopback (pure-ftpd, vsftpd, proftpd) and the libraries
# they need, and unpacks them into DEST/root. The three conflict as installed packages, so they are
# never installed: `apt-get download` and `dpkg -x` need no root. Usage: fetch-test-servers.sh DEST
set -uo pipefail
dest=${1:?usage: fetch-test-servers.sh DEST}
servers=(pure-ftpd vsftpd proftpd-core)
# Libraries the three link that a desktop install may lack; unpacking one already installed is harmless.
libraries=(libwrap0 libmemcached11 libmemcachedutil2 libhashkit2 libpcre2-posix3 libhiredis0.14
    libsodium23 libsasl2-2)
binaries=(usr/sbin/pure-ftpd usr/bin/pure-pw usr/sbin/vsftpd usr/sbin/proftpd)

[ -f "$dest/complete" ] && exit 0
mkdir -p "$dest/debs" && cd "$dest/debs" || exit 1
log="$dest/fetch.log"
: >"$log"
fetch() { apt-get download "$@" >>"$log" 2>&1; }
if ! fetch "${servers[@]}" "${libraries[@]}"; then
    # A fresh machine may have no package lists yet.
    [ "$(id -u)" -eq 0 ] && apt-get update -qq >>"$log" 2>&1
    fetch "${servers[@]}" "${libraries[@]}" || { echo "apt-get download failed, see $log" >&2; exit 1; }
fi
rm -rf "$dest/root"
for deb in ./*.deb; do
    dpkg -x "$deb" "$dest/root" || { echo "dpkg -x $deb failed" >&2; exit 1; }
done
libpath=$(find "$dest/root" -type d -name '*-linux-gnu' -path '*/lib/*' -printf '%p:')
for binary in "${binaries[@]}"; do
    missing=$(LD_LIBRARY_PATH=$libpath ldd "$dest/root/$binary" 2>&1 | grep 'not found')
    [ -z "$missing" ] || { echo "$binary lacks: $missing" >&2; exit 1; }
done
echo "${libpath%:}" >"$dest/libpath"
touch "$dest/complete"
