#!/bin/sh
# Builds the release of HEAD twice and compares every file of the two byte
# for byte; names each file that differs, with diffoscope's first lines
# where diffoscope is installed, and exits 1 then. Each build is made in a
# clean clone of its own, which compiles every source itself (no ccache).
# The second varies what Debian's reprotest varies at no cost: it lies at
# another path, deeper down, and builds later, with another umask (002),
# time zone (UTC+14), locale (Estonian, whose alphabet orders letters its
# own way), number of jobs (one more than the cores), host name (in a UTS
# namespace of its own, where the machine allows one) and user (nobody,
# with a home of its own, where this runs as root).
#   check-reproducible.sh [--here] PART...
#     (make check-reproducible runs it; PARTS as for make release: deb
#     windows). With --here the first release is this checkout's own, made
#     with the builds already in it, so it must hold no uncommitted changes:
#     a build that has also run the tests, from ccache or not, must give the
#     same bytes as a clean one.
# The releases are made of HEAD whatever commit it is, and kept out of the
# checkout: they are compared, not published. PQL_MAKE names the make that
# builds them (the tests give a stand-in): by its full path, which the
# second build's user must be able to run.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/pathquill-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"

here=
[ "${1:-}" = --here ] && here=1 && shift
parts="$*"
start=$(date +%s)

# release FOLDER OUT [COMMAND...]: makes the release of the checkout in
# FOLDER into OUT/release, through COMMAND (which runs what follows it) if
# given.
release() {
    folder=$1 out=$2
    shift 2
    echo "Building the release in $folder${varied:+ ($varied)}" >&2
    "$@" env -C "$folder" "${PQL_MAKE:-make}" --no-print-directory release RELEASE_PARTS="$parts" \
        RELEASE_OPTIONS="--any-commit --into $out/release" ${jobs:+JOBS=$jobs} >"$out.log" 2>&1 ||
        { tail -n 40 "$out.log" >&2; exit 1; }
}

jobs= varied=
mkdir "$work/a"
if [ -n "$here" ]; then
    release "$top" "$work/a"
else
    git clone --quiet --no-local "$top" "$work/first"
    release "$work/first" "$work/a" env CCACHE_DISABLE=1
fi

second=$work/second/at/another/place/b
git clone --quiet --no-local "$top" "$second"
mkdir -p "$work/b" "$work/home/.cache/pathquill" "$work/locale"
jobs=$(($(nproc) + 1))
varied="path, time, umask, time zone, $jobs jobs"
set -- env CCACHE_DISABLE=1 TZ=Pacific/Kiritimati HOME="$work/home" XDG_CACHE_HOME="$work/home/.cache"
if command -v localedef >/dev/null &&
    localedef -i et_EE -f UTF-8 "$work/locale/et_EE.UTF-8" >/dev/null 2>&1; then
    set -- "$@" LOCPATH="$work/locale" LANG=et_EE.UTF-8 LC_ALL=et_EE.UTF-8 LANGUAGE=et
    varied="$varied, locale"
fi
# The Qt for Windows of this machine, copied into the second build's home:
# building it again would take long and show nothing new (its own
# reproducibility is that of the options it is built with).
if [ -z "${parts##*windows*}" ]; then
    cp -a "$("$top/scripts/build-windows-qt.sh")" "$work/home/.cache/pathquill/"
fi
if [ "$(id -u)" = 0 ] && id nobody >/dev/null 2>&1; then
    chown -R nobody: "$work/second" "$work/b" "$work/home"
    set -- "$@" setpriv --reuid=nobody --regid="$(id -gn nobody)" --clear-groups --
    varied="$varied, user"
fi
set -- "$@" sh -c 'umask 002 && exec "$@"' sh
if unshare --uts true 2>/dev/null; then
    set -- unshare --uts sh -c 'hostname pathquill-second-build && exec "$@"' sh "$@"
    varied="$varied, host name"
fi
release "$second" "$work/b" "$@"
echo "Both built in $(($(date +%s) - start)) s; the second varied: $varied" >&2

a=$work/a/release b=$work/b/release
failed=0
listing() { (cd "$1" && find . -type f | LC_ALL=C sort); }
if [ "$(listing "$a")" != "$(listing "$b")" ]; then
    echo "FAIL: the two releases hold different files:" >&2
    listing "$a" >"$work/la"
    listing "$b" >"$work/lb"
    diff "$work/la" "$work/lb" >&2 || true
    failed=1
fi
for file in $(listing "$a"); do
    [ -f "$b/$file" ] || continue
    if cmp -s "$a/$file" "$b/$file"; then
        echo "same: ${file#./} $(sha256sum <"$a/$file" | cut -c1-64)"
    else
        echo "FAIL: ${file#./} differs between the two builds" >&2
        if command -v diffoscope >/dev/null 2>&1; then
            diffoscope --text - "$a/$file" "$b/$file" 2>/dev/null | head -n 40 >&2 || true
        fi
        failed=1
    fi
done
[ "$failed" = 0 ] && echo "The two releases are the same, byte for byte." || exit 1
