#!/bin/sh
# Runs a command on this checkout inside another Debian release, in a system
# made with mmdebstrap from Debian's archive, with the packages that
# install-deps.sh installs there for PURPOSES (comma-separated).
#   in-debian.sh SUITE PURPOSES COMMAND...
#   e.g. in-debian.sh trixie run,test,package,package-test make test-default package-check
# The system is made once per machine and kept as a tarball in
# ~/.cache/pathquill (or $XDG_CACHE_HOME/pathquill), under a name made of
# the suite and a digest of install-deps.sh and the purposes; an older one of
# the same suite is removed. Each run unpacks a fresh copy, copies the
# checkout (as it is, uncommitted changes included) to /src in it, runs the
# command there as root, and removes it all again. Runs as root.
set -eu

suite=$1 purposes=$2
shift 2
top=$(cd "$(dirname "$0")/.." && pwd)

key=$( (printf '%s\n%s\n' "$suite" "$purposes"; cat "$top/scripts/install-deps.sh") \
    | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/pathquill
tarball=$cache/debian-$suite-$key.tar
mkdir -p "$cache"

# One system made at a time per machine; a second caller waits, then finds it.
exec 9>"$cache/debian-$suite.lock"
flock 9
if [ ! -f "$tarball" ]; then
    echo "Making a Debian $suite system with the packages for $purposes" >&2
    rm -f "$cache/debian-$suite-"*.tar "$tarball.part"
    # install-deps.sh runs inside, as a user of that release would run it.
    mmdebstrap --quiet --variant=apt --format=tar \
        --customize-hook="copy-in $top/scripts/install-deps.sh /tmp" \
        --customize-hook="chroot \"\$1\" sh /tmp/install-deps.sh $(echo "$purposes" | tr , ' ')" \
        --customize-hook='rm -f "$1/tmp/install-deps.sh"' \
        "$suite" "$tarball.part"
    mv "$tarball.part" "$tarball"
fi
flock -u 9

root=$(mktemp -d "${TMPDIR:-/var/tmp}/pathquill-$suite.XXXXXX")
# The tree is deleted only once nothing is mounted in it any more: a /dev
# still bound there would be deleted with it.
cleanup() {
    for point in dev/shm dev/pts dev proc; do
        mountpoint -q "$root/$point" && umount -l "$root/$point"
    done
    if grep -qF " $root/" /proc/mounts; then
        echo "in-debian.sh: $root still has mounts; it is left in place" >&2
    else
        rm -rf "$root"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

tar -C "$root" -xf "$tarball"
mkdir "$root/src"
(cd "$top" && git ls-files -z --cached --others --exclude-standard \
    | xargs -0 tar -cf - --no-recursion) | tar -C "$root/src" -xf -
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
# What the commands may need of the machine: the name resolver, for apt.
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

echo "In Debian $suite ($(. "$root/etc/os-release" && echo "$VERSION_ID")): $*" >&2
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    sh -c 'cd /src && exec "$@"' sh "$@"
