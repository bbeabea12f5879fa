#!/usr/bin/env bash
# Installs the built package into a fresh minimal Debian 12 (debootstrap, chroot) as a new user's machine
# would get it, then runs the command line and the menu entry's command there. Needs root and the network;
# not part of scripts/test. Usage: tests/package/fresh_debian.sh [build/package/quillmere_*.deb]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
deb=$(realpath "${1:-$(ls "$root"/build/package/quillmere_*.deb | head -n 1)}")
[[ $(id -u) -eq 0 ]] || { echo "fresh_debian: needs root (debootstrap and chroot)" >&2; exit 1; }
command -v debootstrap >/dev/null || apt-get install -y -q debootstrap >/dev/null

target=$(mktemp -d)
cleanup() {
    umount "$target/proc" 2>/dev/null || true
    rm -rf "$target"
}
trap cleanup EXIT
# The machine's own Debian mirror, from its apt sources (one-line or deb822 form).
mirror=$( (grep -hE '^deb[[:space:]]' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
           awk '{for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; exit }}'
           grep -hE '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2}'
           true) | grep -v security | head -n 1 || true)
[[ -n "$mirror" ]] || { echo "fresh_debian: no Debian mirror in the apt sources" >&2; exit 1; }
debootstrap --variant=minbase bookworm "$target" "$mirror" >/dev/null
cp /etc/resolv.conf "$target/etc/"
mount --bind /proc "$target/proc"
mkdir -p "$target/root/check"
cp "$deb" "$root/tests/smoke/window_appears.sh" "$target/root/check/"

chroot "$target" bash -euo pipefail -c '
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    apt-get install -y -q /root/check/quillmere_*.deb | grep "newly installed"
    [[ $(command -v quillmere-cli) == /usr/bin/quillmere-cli ]]
    quillmere-cli --help >/dev/null
    apt-get install -y -q --no-install-recommends xvfb xauth x11-utils >/dev/null
    exec_line=$(sed -n "s/^Exec=//p" /usr/share/applications/org.quillmere.quillmere.desktop)
    cd /tmp && /root/check/window_appears.sh "$(command -v "$exec_line")"'
echo "fresh_debian: ${deb##*/} installs on a fresh Debian 12; quillmere-cli --help and the menu entry work"
