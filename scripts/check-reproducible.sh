#!/bin/sh
# Builds the release of HEAD twice, each in a clean clone of its own, and
# compares every file of the two byte for byte. The second clone lies at
# another path, deeper down, and builds later, with another umask and time
# zone. The clones compile every source themselves (no ccache). Names each
# file that differs, with diffoscope's first lines where diffoscope is
# installed; exits 1 then.
#   check-reproducible.sh [--here] PART...
#     (make check-reproducible runs it; PARTS as for make release: deb
#     windows). With --here the first release is this checkout's own, made
#     with the builds already in it, so it must hold no uncommitted changes:
#     a build that has also run the tests, from ccache or not, must give the
#     same bytes as a clean one.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/pathquill-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT

build() {  # FOLDER [ENVIRONMENT...]: clones HEAD into FOLDER and makes its release there
    folder=$1
    shift
    git clone --quiet --no-local "$top" "$folder"
    echo "Building the release in $folder $*" >&2
    (cd "$folder" && env CCACHE_DISABLE=1 "$@" make --no-print-directory release RELEASE_PARTS="$parts") \
        >"$folder.log" 2>&1 || { tail -n 40 "$folder.log" >&2; exit 1; }
}

here=
[ "${1:-}" = --here ] && here=1 && shift
parts="$*"
start=$(date +%s)
if [ -n "$here" ]; then
    echo "Building the release in $top" >&2
    make --no-print-directory -C "$top" release RELEASE_PARTS="$parts" >"$work/a.log" 2>&1 ||
        { tail -n 40 "$work/a.log" >&2; exit 1; }
    mkdir "$work/a"
    ln -s "$top/build" "$work/a/build"
else
    build "$work/a"
fi
build "$work/second/at/another/place/b" TZ=Pacific/Kiritimati sh -c 'umask 002 && exec "$0" "$@"'
echo "Both built in $(($(date +%s) - start)) s" >&2

b=$(echo "$work"/second/at/another/place/b/build/release/*)
a=$work/a/build/release/${b##*/}
failed=0
listing() { (cd "$1" && find . -type f | LC_ALL=C sort); }
if [ "$(listing "$a")" != "$(listing "$b")" ]; then
    echo "FAIL: the two releases hold different files:" >&2
    diff "$(listing "$a" >"$work/la"; echo "$work/la")" "$(listing "$b" >"$work/lb"; echo "$work/lb")" >&2 || true
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
