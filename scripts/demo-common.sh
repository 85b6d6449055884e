# Shared by scripts/demo.sh and scripts/screenshot.sh (sourced, not run): the sample files, the demo
# FTP servers (plain, and FTPS with a self-signed certificate), the demo SFTP server (OpenSSH's sshd
# run as the current user) and their profiles.

DEMO_USER=demo
DEMO_PASSWORD=demo
DEMO_PROFILE="Local demo"
DEMO_TLS_PROFILE="Local demo (FTPS)"
DEMO_SFTP_PROFILE="Local demo (SFTP)"
DEMO_SSHD=/usr/sbin/sshd

# The first free loopback port from 2121 (or from $1) on.
demo_free_port() {
    /usr/bin/python3 - "${1:-2121}" <<'PY'
import socket, sys
for port in range(int(sys.argv[1]), 2200):
    with socket.socket() as s:
        try:
            s.bind(("127.0.0.1", port))
        except OSError:
            continue
        print(port)
        break
PY
}

# Fills folder $1 with the sample files (made again on every run; other files in it are left alone).
demo_make_files() {
    local root=$1
    mkdir -p "$root/docs" "$root/pictures"
    printf 'Welcome to the Tovo FTP demo server.\r\n\r\nDownload these files, upload your own, rename and delete them.\r\n' >"$root/readme.txt"
    printf 'Things to try\r\n- Open docs, go back up with .^.\r\n- Select several files with Ctrl and download them\r\n' >"$root/Holiday plans.txt"
    printf 'name,size,kind\r\nreadme.txt,120,text\r\nphoto.png,2048,image\r\n' >"$root/docs/report.csv"
    printf '<html><body><h1>Guide</h1><p>A page from the demo server.</p></body></html>\n' >"$root/docs/guide.html"
    printf '2024-05-01 12:00:01 login demo\n2024-05-01 12:00:07 RETR readme.txt\n' >"$root/docs/server.log"
    /usr/bin/python3 - "$root" <<'PY'
import os, struct, sys, zlib
root = sys.argv[1]

def png(path, width, height, pixel):
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))

png(os.path.join(root, "pictures", "sunset.png"), 160, 120, lambda x, y: (255, 120 + y, 40 + x // 2))
png(os.path.join(root, "pictures", "sea view.png"), 160, 120, lambda x, y: (20, 80 + y, 160 + x // 2))
# A larger file, so that the transfer panel has something to show.
with open(os.path.join(root, "archive.bin"), "wb") as f:
    f.write(os.urandom(4 * 1024 * 1024))
PY
}

# A self-signed certificate and key for 127.0.0.1 in folder $1 (cert.pem, key.pem), made once: the
# program asks whether to trust it on the first FTPS connect.
demo_make_certificate() {
    local folder=$1
    [ -s "$folder/cert.pem" ] && [ -s "$folder/key.pem" ] && return 0
    openssl req -x509 -newkey rsa:2048 -nodes -days 825 -subj "/CN=Tovo FTP demo server" \
        -addext "subjectAltName=IP:127.0.0.1" -keyout "$folder/key.pem" -out "$folder/cert.pem" 2>/dev/null
    chmod 600 "$folder/key.pem"
}

# Waits up to 5 s for a line matching $1 in the log $2 of the server process $3; false when the
# process ends first or the time runs out.
demo_wait_for() {
    local i
    for i in $(seq 1 50); do
        grep -q "$1" "$2" 2>/dev/null && return 0
        kill -0 "$3" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Starts a server for folder $1 on port $2 in the background, logging to $3; with a certificate and
# key ($4, $5) it requires TLS. Sets DEMO_SERVER_PID, or DEMO_TLS_SERVER_PID for the TLS one.
demo_start_server() {
    local root=$1 port=$2 log=$3
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/demo-ftpserver.py" "$root" "$port" "$DEMO_USER" "$DEMO_PASSWORD" "${@:4}" >"$log" 2>&1 &
    local pid=$!
    if [ $# -ge 5 ]; then DEMO_TLS_SERVER_PID=$pid; else DEMO_SERVER_PID=$pid; fi
    demo_wait_for "^serving $root" "$log" "$pid" && { cat "$log"; return 0; }
    echo "The demo FTP server did not start:" >&2
    cat "$log" >&2
    return 1
}

# Starts OpenSSH's sshd as the current user for the SFTP demo, on 127.0.0.1 port $2, serving folder
# $3; everything it needs is kept in folder $1 (made once: its host key, the demo's key pair without
# a passphrase, authorized_keys, sshd_config; the pid file and log). Only the demo key logs in, and
# only as the current user; no system user is made and ~/.ssh is not touched. Sets DEMO_SSH_PID.
demo_start_sshd() {
    local folder=$1 port=$2 root=$3 user
    user=$(id -un)
    mkdir -p "$folder"
    chmod 700 "$folder"
    [ -s "$folder/host_ed25519_key" ] || ssh-keygen -q -t ed25519 -N '' -C "Tovo FTP demo host" -f "$folder/host_ed25519_key"
    [ -s "$folder/demo_key" ] || ssh-keygen -q -t ed25519 -N '' -C "Tovo FTP demo" -f "$folder/demo_key"
    printf 'restrict %s\n' "$(cat "$folder/demo_key.pub")" >"$folder/authorized_keys"
    # The SFTP session starts in the demo folder rather than in the user's home.
    cat >"$folder/sshd_config" <<CONFIG
ListenAddress 127.0.0.1
Port $port
HostKey $folder/host_ed25519_key
PidFile $folder/sshd.pid
AuthorizedKeysFile $folder/authorized_keys
AllowUsers $user
UsePAM no
PasswordAuthentication no
KbdInteractiveAuthentication no
PubkeyAuthentication yes
PermitRootLogin prohibit-password
# The build folder's parents need not be as strict as ~/.ssh.
StrictModes no
Subsystem sftp internal-sftp -d $root
CONFIG
    # sshd re-executes itself, so it is started by its full path; -D keeps it in the foreground
    # of its background job, so that the script knows its process.
    "$DEMO_SSHD" -D -e -f "$folder/sshd_config" >"$folder/sshd.log" 2>&1 &
    DEMO_SSH_PID=$!
    demo_wait_for "Server listening on 127.0.0.1 port $port" "$folder/sshd.log" "$DEMO_SSH_PID" && return 0
    echo "The demo SFTP server (sshd) did not start:" >&2
    cat "$folder/sshd.log" >&2
    return 1
}

demo_stop_server() {
    local pid
    for pid in "${DEMO_SERVER_PID:-}" "${DEMO_TLS_SERVER_PID:-}" "${DEMO_SSH_PID:-}"; do
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
    DEMO_SERVER_PID=
    DEMO_TLS_SERVER_PID=
    DEMO_SSH_PID=
}

# Writes the "Local demo" profile for port $2 into the Profile.ini in folder $1; with a protocol
# ($3 = FTPS) and a name ($4), that profile instead.
demo_add_profile() {
    local folder=$1 port=$2 protocol=${3:-FTP} name=${4:-$DEMO_PROFILE}
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/demo-profile.py" "$folder/Profile.ini" "$name" \
        Location=127.0.0.1 Protocol="$protocol" Username="$DEMO_USER" Password="$DEMO_PASSWORD" Port="$port" Transfer=Passive
}

# Writes the "Local demo (SFTP)" profile for port $2 and key file $3 into the Profile.ini in folder
# $1: the current user, no password (the key logs in).
demo_add_sftp_profile() {
    local folder=$1 port=$2 key=$3
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/demo-profile.py" "$folder/Profile.ini" "$DEMO_SFTP_PROFILE" \
        Location=127.0.0.1 Protocol=SFTP Username="$(id -un)" Password= Port="$port" Transfer=Passive KeyFile="$key"
}
