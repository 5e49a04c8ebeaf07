#!/bin/sh
# Gathers a release, once make has built its parts:
#   deb      pathquill_VERSION+debNN_ARCH.deb, for the Debian release it runs on
#   windows  pathquill-VERSION-win64.zip, .msi and -qt-source.tar
# and always, from a git checkout, pathquill-VERSION.tar.gz (git archive of
# HEAD), then SHA256SUMS of them all and pathquill-VERSION.buildinfo: the
# Debian release, the exact versions of the packages that built it and, for
# Windows, the Qt it links, so that anyone can build the same release again
# and compare.
#   release.sh [--any-commit] [--into FOLDER] PART...   (make release runs it)
# The release is the latest entry of packaging/changelog, and it is made only
# of the commit that entry belongs to: the commit tagged vVERSION or, without
# such a tag, one that changes nothing since the changelog last changed.
# --any-commit leaves that check out, for builds that are compared and not
# published (make check-reproducible). The release goes into
# build/release/VERSION/ unless --into names another folder.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

any_commit="" out=""
while :; do
    case ${1:-} in
        --any-commit) any_commit=1; shift ;;
        --into) out=$2; shift 2 ;;
        *) break ;;
    esac
done
die() { echo "release.sh: $*" >&2; exit 1; }

version=$(dpkg-parsechangelog -l packaging/changelog -S Version)
epoch=${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog -l packaging/changelog -S Timestamp)}
out=${out:-build/release/$version}

# The source tarball is what HEAD holds: the programs must be built from the
# same, so uncommitted changes to tracked files stop the release.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    [ -z "$(git status --porcelain --untracked-files=no)" ] ||
        die "the checkout has uncommitted changes; a release is made of what is committed" \
            "(commit or stash them)."
    head=$(git rev-parse HEAD)
    if [ -z "$any_commit" ]; then
        if tagged=$(git rev-parse -q --verify "refs/tags/v$version^{commit}"); then
            [ "$tagged" = "$head" ] ||
                die "$version is the commit tagged v$version, $(git rev-parse --short "$tagged"), not" \
                    "HEAD, $(git rev-parse --short HEAD). Check out v$version to make it again, or add an" \
                    "entry for a new version to packaging/changelog to release HEAD."
        else
            entry=$(git rev-list -1 HEAD -- packaging/changelog)
            git diff --quiet "$entry" HEAD ||
                die "HEAD ($(git rev-parse --short HEAD)) is not $version: commits since the" \
                    "changelog's latest entry ($(git rev-parse --short "$entry")) changed the source." \
                    "Add an entry for a new version to packaging/changelog and commit it, or tag the" \
                    "commit that is $version as v$version and check it out."
        fi
    fi
else
    echo "release.sh: not a git checkout, so the release holds no source tarball." >&2
    head=""
fi

# Each part must have been built for this release: its version and date.
built_for() {  # BUILD-FOLDER: fails unless it was configured for this release
    cache=$1/CMakeCache.txt
    [ -f "$cache" ] || die "$1 holds no build; make release builds the parts first."
    [ "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$cache")" = "$version" ] &&
        [ "$(sed -n 's/^PQL_RELEASE_EPOCH:INTERNAL=//p' "$cache")" = "$epoch" ] ||
        die "$1 was built for another release than $version of $(date -u -d "@$epoch");" \
            "make release builds the parts again."
}

rm -rf "$out"
mkdir -p "$out"
[ -z "$head" ] ||
    git archive --format=tar --prefix="pathquill-$version/" HEAD | gzip -9n >"$out/pathquill-$version.tar.gz"

purposes="run package"
for part in "$@"; do
    case $part in
        deb)
            built_for build/default
            cp build/default/pathquill_"$version"+*_*.deb "$out/" ;;
        windows)
            built_for build/windows
            for f in zip msi; do cp "build/windows/pathquill-$version-win64.$f" "$out/"; done
            cp "build/windows/pathquill-$version-win64-qt-source.tar" "$out/"
            purposes="$purposes windows"
            # The Qt for Windows: its Debian source and the digest of its
            # configuration and tools, as scripts/build-windows-qt.sh names it.
            qt=$(sed -n 's/^PQL_WINDOWS_QT:[A-Z]*=//p' build/windows/CMakeCache.txt)
            qt=${qt##*/qt-}
            windows_qt="qt6-base (= ${qt%-win64-*}), configured $(echo "${qt##*-win64-}" | cut -c1-12)" ;;
        *) echo "release.sh: no such part '$part' (deb, windows)" >&2; exit 2 ;;
    esac
done

# The packages that build the parts (install-deps.sh's purposes for them)
# and everything they depend on.
# shellcheck disable=SC2086
tools=$(sh scripts/install-deps.sh --list $purposes)
# (dpkg-query fails for the packages it has never heard of.)
# shellcheck disable=SC2086
installed=$( (dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' $tools 2>/dev/null || true) |
            sed -n 's/^ii  //p')
# shellcheck disable=SC2086
closure=$(apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts \
              --no-breaks --no-replaces --no-enhances $installed 2>/dev/null |
          sed -n 's/^\([a-z0-9][^ :<>]*\)\(:[a-z0-9]*\)\?$/\1/p' | LC_ALL=C sort -u)
(
    . /etc/os-release
    echo "Format: 1.0"
    echo "Source: pathquill"
    echo "Version: $version"
    echo "Source-Date-Epoch: $epoch"
    echo "Build-Origin: ${NAME:-unknown}"
    echo "Build-Release: ${VERSION_ID:-unknown} (${VERSION_CODENAME:-unknown})"
    echo "Build-Architecture: $(dpkg --print-architecture)"
    echo "Built-Parts: $*"
    [ -z "${windows_qt:-}" ] || echo "Windows-Qt: $windows_qt"
    echo "Installed-Build-Depends:"
    # shellcheck disable=SC2086
    (dpkg-query -W -f='${db:Status-Abbrev} ${Package} (= ${Version})\n' $closure 2>/dev/null || true) |
        sed -n 's/^ii  / /p' | LC_ALL=C sort | sed '$!s/$/,/'
) >"$out/pathquill-$version.buildinfo"

(cd "$out" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | LC_ALL=C sort |
    xargs sha256sum >SHA256SUMS)
echo "Release $version in $out:"
(cd "$out" && cat SHA256SUMS)
