#!/bin/sh
# Installs the Debian packages that a purpose needs, asking apt only when
# something is missing. Runs as root, or through sudo.
#   install-deps.sh [PURPOSE...]         (run when none is given)
#   install-deps.sh --list PURPOSE...    prints the packages, installs nothing
# Purposes that build (a release lists the versions of theirs):
#   run           build and run the programs: compiler, CMake, Qt, the window's font,
#                 Debian's build flags
#   package       the Debian package and the source tarball
#   windows       the Windows programs, the zip and the installer
#   windows-qt    what the Qt for Windows is built with (windows includes it;
#                 scripts/build-windows-qt.sh keys its cached Qt by their versions)
# and the others:
#   test          the tests of the default and sanitizer builds: X11, Wayland,
#                 the clipboard, a screen reader's view, the version record, the
#                 format of the code, clazy's analysis, and comparing two
#                 builds of a release
#   fuzz          the fuzzer: clang with its runtime
#   package-test  the Debian package's test
#   windows-test  the Windows build's tests under Wine
#   debian        making other Debian releases' systems for the tests (mmdebstrap)
# Package names are the same on Debian 12 and 13; clang and its runtime are
# Debian's default version of each, whatever the release ships.
set -eu

packages_of() {
    case $1 in
        # dpkg-dev gives dpkg-buildflags: every build has Debian's hardening.
        run) echo "cmake make g++ pkg-config qt6-base-dev libgl-dev fonts-liberation2 dpkg-dev" ;;
        # gzip and tar are always installed; they are listed for what they make.
        package) echo "dpkg-dev file git gzip tar" ;;
        windows) echo "$(packages_of windows-qt) mingw-w64-tools dpkg-dev imagemagick zip wixl
                       msitools python3 python3-olefile" ;;
        # The cross compiler's own parts are named, not only g++: their
        # versions, too, decide the bytes of the Qt built with them.
        windows-qt) echo "binutils-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix
                          gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev mingw-w64-common
                          cmake ninja-build qt6-base-dev-tools" ;;
        test) echo "xvfb xauth xdotool xclip x11-utils python3-xlib
                   sway wtype wl-clipboard grim qt6-wayland
                   at-spi2-core python3-pyatspi dbus-x11 binutils-mingw-w64-x86-64
                   clang-format clazy git diffoscope-minimal ccache locales" ;;
        fuzz) echo "clang libclang-rt-dev" ;;
        package-test) echo "lintian man-db bsdextrautils devscripts binutils xvfb xauth xdotool
                            desktop-file-utils shared-mime-info xdg-utils libglib2.0-bin" ;;
        windows-test) echo "xvfb xauth xdotool xclip wine wine64 imagemagick icoutils unzip" ;;
        debian) echo "mmdebstrap debian-archive-keyring" ;;
        *) echo "install-deps.sh: no such purpose '$1' (run, package, windows, windows-qt, test, fuzz," \
                "package-test, windows-test, debian)" >&2
           exit 2 ;;
    esac
}

listing=""
[ "${1:-}" = --list ] && listing=1 && shift
[ $# -gt 0 ] || set -- run
wanted=""
for purpose in "$@"; do
    wanted="$wanted $(packages_of "$purpose")" || exit 2
done
if [ -n "$listing" ]; then
    # shellcheck disable=SC2086
    printf '%s\n' $wanted | LC_ALL=C sort -u
    exit 0
fi

missing=""
for p in $wanted; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    case "$status" in
        *" installed") ;;
        *) case " $missing " in *" $p "*) ;; *) missing="$missing $p" ;; esac ;;
    esac
done
[ -z "$missing" ] && exit 0

echo "Installing for $*:$missing"
if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
else
    echo "These packages are missing and neither root nor sudo is available:$missing" >&2
    exit 1
fi
# sudo drops the environment, so the setting travels on the command line. When
# another apt or dpkg holds the lock, wait for it rather than fail.
apt="$as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600"
$apt update -qq

# Asks apt, rather than a list of releases, whether this release has each one.
absent=""
for p in $missing; do
    candidate=$(apt-cache policy "$p" 2>/dev/null | sed -n 's/^ *Candidate: *//p')
    [ -n "$candidate" ] && [ "$candidate" != "(none)" ] || absent="$absent $p"
done
if [ -n "$absent" ]; then
    release=$(. /etc/os-release && echo "${PRETTY_NAME:-this system}")
    echo "$release offers no package named:$absent. Pathquill is built and tested on" \
         "Debian 12 and 13; install the equivalent by hand, or use one of those." >&2
    exit 1
fi
# shellcheck disable=SC2086
$apt install -y -qq --no-install-recommends $missing
