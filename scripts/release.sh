#!/bin/sh
# Gathers a release in build/release/VERSION/, once make has built its parts:
#   deb      pathquill_VERSION+debNN_ARCH.deb, for the Debian release it runs on
#   windows  pathquill-VERSION-win64.zip, .msi and -qt-source.tar
# and always, from a git checkout, pathquill-VERSION.tar.gz (git archive of
# HEAD), then SHA256SUMS of them all and pathquill-VERSION.buildinfo: the
# Debian release and the exact versions of the packages that built it, so
# that anyone can build the same release again and compare.
#   release.sh PART...   (make release runs it)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

cached() { sed -n "s/^$1:[A-Z]*=//p" build/default/CMakeCache.txt; }
if [ ! -f build/default/CMakeCache.txt ]; then
    cmake --preset default >/dev/null
fi
version=$(cached CMAKE_PROJECT_VERSION)
epoch=$(cached PQL_RELEASE_EPOCH)
out=build/release/$version
rm -rf "$out"
mkdir -p "$out"

# The source tarball is what HEAD holds: the programs must be built from the
# same, so uncommitted changes to tracked files stop the release.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
        echo "release.sh: the checkout has uncommitted changes; a release is made of what is" \
             "committed (commit or stash them)." >&2
        exit 1
    fi
    git archive --format=tar --prefix="pathquill-$version/" HEAD | gzip -9n >"$out/pathquill-$version.tar.gz"
else
    echo "release.sh: not a git checkout, so the release holds no source tarball." >&2
fi

for part in "$@"; do
    case $part in
        deb) cp build/default/pathquill_"$version"+*_*.deb "$out/" ;;
        windows)
            for f in zip msi; do cp "build/windows/pathquill-$version-win64.$f" "$out/"; done
            cp "build/windows/pathquill-$version-win64-qt-source.tar" "$out/" ;;
        *) echo "release.sh: no such part '$part' (deb, windows)" >&2; exit 2 ;;
    esac
done

# The packages that build a release (install-deps.sh: run, package and
# windows, without what only tests need) and everything they depend on.
tools="cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev dpkg-dev file git gzip
       tar binutils-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix mingw-w64-tools ninja-build
       imagemagick zip wixl msitools python3-olefile"
# (dpkg-query fails for the packages it has never heard of.)
# shellcheck disable=SC2086
installed=$( (dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' $tools 2>/dev/null || true) |
            sed -n 's/^ii  //p')
# shellcheck disable=SC2086
closure=$(apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts \
              --no-breaks --no-replaces --no-enhances $installed 2>/dev/null |
          sed -n 's/^\([a-z0-9][^ :<>]*\)\(:[a-z0-9]*\)\?$/\1/p' | sort -u)
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
    echo "Installed-Build-Depends:"
    # shellcheck disable=SC2086
    (dpkg-query -W -f='${db:Status-Abbrev} ${Package} (= ${Version})\n' $closure 2>/dev/null || true) |
        sed -n 's/^ii  / /p' | LC_ALL=C sort | sed '$!s/$/,/'
) >"$out/pathquill-$version.buildinfo"

(cd "$out" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | LC_ALL=C sort |
    xargs sha256sum >SHA256SUMS)
echo "Release $version in $out:"
(cd "$out" && cat SHA256SUMS)
