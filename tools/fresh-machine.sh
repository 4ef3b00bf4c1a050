#!/bin/sh
# SPDX-License-Identifier: MIT
# The check a newcomer's machine makes: a minimal Debian 12 (debootstrap's
# minbase: no compiler, no X, no git) holding nothing but a clone of the
# project's committed main and a copy of ../shared, where the README's test
# command must run to the end, green. Run as root on a Debian machine; it
# needs debootstrap (installed when missing) and the network to Debian's
# mirror, and takes about an hour and 6 GB in DIR.
#
# Usage: tools/fresh-machine.sh [DIR]   (default: /var/tmp/fompy-fresh; made anew)
set -eu
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "fresh-machine: run as root (debootstrap and chroot need it)" >&2; exit 1; }
root=${1:-/var/tmp/fompy-fresh}
mirror=http://deb.debian.org/debian
command -v debootstrap >/dev/null 2>&1 ||
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap; }

unmount() {
    for m in dev/shm dev/pts dev sys proc; do
        mountpoint -q "$root/$m" 2>/dev/null && umount -l "$root/$m"
    done
    return 0
}
trap unmount EXIT
unmount
rm -rf "$root"
start=$(date +%s)
debootstrap --variant=minbase bookworm "$root" "$mirror" >"${root}.debootstrap.log" 2>&1 ||
    { echo "fresh-machine: debootstrap failed; see ${root}.debootstrap.log" >&2; exit 1; }
# As a Debian 12 installation has it: the release, its updates and security.
cat >"$root/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SOURCES
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir -p "$root/root/src"
git clone -q "$(pwd)" "$root/root/src/main"
cp -r ../shared "$root/root/src/shared"
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount --bind /dev/shm "$root/dev/shm"

echo "fresh-machine: running ./test.sh in $root (the log: ${root}.test.log)"
status=0
chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 CI=true \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    sh -c 'cd /root/src/main && ./test.sh' </dev/null >"${root}.test.log" 2>&1 || status=$?
elapsed=$(( $(date +%s) - start ))
grep -E 'tests passed|tests failed|FAILED|FAIL:' "${root}.test.log" | tail -n 20 || true
echo "fresh-machine: ./test.sh exited $status after $((elapsed / 60)) min $((elapsed % 60)) s in all"
exit "$status"
