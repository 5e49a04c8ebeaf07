#!/bin/sh
# Installs the Debian packages that building, running and testing need,
# asking apt only when something is missing. Runs as root, or through sudo.
set -eu

packages="cmake make g++ pkg-config qt6-base-dev libgl-dev fonts-liberation2
xvfb xauth xdotool xclip x11-utils python3-xlib
sway wtype wl-clipboard grim qt6-wayland
desktop-file-utils shared-mime-info xdg-utils libglib2.0-bin
at-spi2-core python3-pyatspi dbus-x11
clang-14 libclang-rt-14-dev binutils-mingw-w64-x86-64
g++-mingw-w64-x86-64-posix mingw-w64-tools ninja-build qt6-base-dev-tools
wine wine64 imagemagick icoutils zip unzip
dpkg-dev file lintian man-db bsdextrautils"

missing=""
for p in $packages; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    case "$status" in
        *" installed") ;;
        *) missing="$missing $p" ;;
    esac
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
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
# shellcheck disable=SC2086
$apt install -y -qq --no-install-recommends $missing
