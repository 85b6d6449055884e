#!/usr/bin/env bash
# Runs one packaged FTP server, unpacked into SERVERS by scripts/fetch-test-servers.sh, in the foreground
# on 127.0.0.1:PORT for the local user tovoftp whose root is ROOT; configuration, user databases and
# logs go to SCRATCH. With CERT and KEY (vsftpd only) explicit TLS is required for logins and data,
# data connections must resume the control connection's session and every transfer ends with a TLS close.
# Usage: realftpserver.sh SERVERS pure-ftpd|vsftpd|proftpd PORT ROOT SCRATCH [CERT KEY]
set -euo pipefail
servers=$1 kind=$2 port=$3 root=$4 scratch=$5 cert=${6:-} key=${7:-}
user=tovoftp password=Tovo-Test-42 # RealFtpServer::kUser and kPassword
# A system account with home "/" (vsftpd changes there before its chroot) and the test password,
# which vsftpd checks through PAM.
id "$user" >/dev/null 2>&1 ||
    useradd --system --no-create-home --home-dir / --shell /usr/sbin/nologin "$user"
echo "$user:$password" | chpasswd
uid=$(id -u "$user") gid=$(id -g "$user")
# Everything the test placed in the root belongs to the user, so the server may change it.
chown -hR "$uid:$gid" "$root"
LD_LIBRARY_PATH=$(cat "$servers/libpath")
export LD_LIBRARY_PATH
bin=$servers/root/usr
case $kind in
pure-ftpd)
    printf '%s\n%s\n' "$password" "$password" | "$bin/bin/pure-pw" useradd "$user" -u "$uid" -g "$gid" \
        -d "$root" -f "$scratch/pure.passwd" -F "$scratch/pure.pdb" -m
    # -L raises the 2,000-entry listing limit; -A keeps the user in its root.
    exec "$bin/sbin/pure-ftpd" -S "127.0.0.1,$port" -l "puredb:$scratch/pure.pdb" -E -A -H -L 100000:8 \
        -U 133:022
    ;;
vsftpd)
    mkdir -p "$scratch/empty"
    cat >"$scratch/vsftpd.conf" <<EOF
listen=YES
listen_address=127.0.0.1
listen_port=$port
background=NO
seccomp_sandbox=NO
anonymous_enable=NO
local_enable=YES
write_enable=YES
local_umask=022
chroot_local_user=YES
allow_writeable_chroot=YES
local_root=$root
secure_chroot_dir=$scratch/empty
pam_service_name=vsftpd
check_shell=NO
userlist_enable=NO
xferlog_enable=NO
EOF
    [ -z "$cert" ] || cat >>"$scratch/vsftpd.conf" <<EOF
ssl_enable=YES
rsa_cert_file=$cert
rsa_private_key_file=$key
ssl_ciphers=HIGH
force_local_logins_ssl=YES
force_local_data_ssl=YES
require_ssl_reuse=YES
strict_ssl_read_eof=YES
strict_ssl_write_shutdown=YES
EOF
    exec "$bin/sbin/vsftpd" "$scratch/vsftpd.conf"
    ;;
proftpd)
    # A virtual user from its own passwd file (home = the root), so no system password is needed; the
    # hash is the test password as crypt(3) SHA-512.
    hash='$6$tovotest$WoOUvPJzAJo7BTl/FhqRQABpY9lAvLh0PbTW8pqW2R2g146nBNA7mGqSdEEP3EAuEoDeWmrdwiy3PhYMGwtAE1'
    (
        umask 077
        echo "$user:$hash:$uid:$gid::$root:/bin/sh" >"$scratch/ftpd.passwd"
        echo "$user:x:$gid:" >"$scratch/ftpd.group"
    )
    cat >"$scratch/proftpd.conf" <<EOF
ServerType standalone
DefaultServer on
Port $port
DefaultAddress 127.0.0.1
UseIPv6 off
User root
Group root
PidFile $scratch/proftpd.pid
ScoreboardFile $scratch/proftpd.scoreboard
DelayTable none
WtmpLog off
UseReverseDNS off
RequireValidShell off
AuthOrder mod_auth_file.c
AuthUserFile $scratch/ftpd.passwd
AuthGroupFile $scratch/ftpd.group
DefaultRoot ~
Umask 022
ListOptions "" maxfiles 100000
<Directory />
  AllowOverwrite on
</Directory>
EOF
    exec "$bin/sbin/proftpd" -n -q -c "$scratch/proftpd.conf"
    ;;
esac
