#!/bin/sh
# Builds the small, static Qt that PQL.exe links against: Debian's own
# qt6-base source package, of the same version as the Qt installed here
# (6.4.2 on Debian 12, 6.8.2 on Debian 13: the host tools moc, rcc and uic
# must be of the same version), cross-built with MinGW-w64 (posix threads)
# for 64-bit Windows. Only QtCore, QtGui, QtWidgets, QtTest, the Windows
# platform plugin and the Windows style are built; zlib, PCRE2, FreeType,
# HarfBuzz and libpng are Qt's bundled copies. Static libraries, and a
# static C and C++ runtime, make each program one file that runs alone.
# The source package it was built from is kept beside it, in source/, to be
# shipped with the programs as the LGPL asks.
#
# The result is kept in ~/.cache/pathquill (or $XDG_CACHE_HOME/pathquill),
# under a name made of the Qt version and a digest of the options below and
# of the toolchain file, so a machine builds each combination once. Prints
# the install prefix on standard output, and what it does on standard error.
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$top/cmake/mingw-w64-x86_64.cmake
version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)

# Direct2D and DirectWrite 3 stay out of Qt 6.4 as they always were; Qt
# 6.8's Windows font database does not build without them (its custom font
# loader is defined only with Direct2D).
# Graphics view and style sheets, which no program here uses, stay out of
# Qt 6.4 too; Qt 6.8's Windows 11 style uses both unconditionally (its drop
# shadow effect, and the application's style sheet).
case $version in
    6.[0-7].*) direct2d=OFF graphicsview=OFF stylesheet=OFF ;;
    *) direct2d=ON graphicsview=ON stylesheet=ON ;;
esac

# The configure line, apart from the source, build and install folders.
# @WORK@ stands for the folder that holds the source and the build: mapped
# to ".", no path of this machine reaches the libraries. A relocatable Qt
# finds itself beside the program instead of at its install prefix, which
# would otherwise be written into every program linked against it. Nothing
# is loaded at run time as a library (no QLibrary, so no plugin): the
# programs link in the plugins they use, and nothing planted beside them
# can run inside them. Functions with buffers on the stack check them
# (GCC's stack protector, its runtime linked in statically).
options="-GNinja
-DCMAKE_TOOLCHAIN_FILE=$toolchain
-DCMAKE_BUILD_TYPE=Release
-DCMAKE_C_FLAGS=-ffile-prefix-map=@WORK@=. -fstack-protector-strong
-DCMAKE_CXX_FLAGS=-ffile-prefix-map=@WORK@=. -fstack-protector-strong
-DFEATURE_relocatable=ON
-DFEATURE_library=OFF
-DFEATURE_optimize_size=ON
-DBUILD_SHARED_LIBS=OFF
-DFEATURE_static_runtime=ON
-DQT_BUILD_EXAMPLES=OFF
-DQT_BUILD_TESTS=OFF
-DQT_HOST_PATH=/usr
-DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
-DINPUT_opengl=no
-DFEATURE_opengl=OFF
-DFEATURE_vulkan=OFF
-DFEATURE_dbus=OFF
-DFEATURE_icu=OFF
-DFEATURE_network=OFF
-DFEATURE_sql=OFF
-DFEATURE_printsupport=OFF
-DFEATURE_concurrent=OFF
-DFEATURE_xml=OFF
-DFEATURE_jpeg=OFF
-DFEATURE_gif=OFF
-DFEATURE_system_zlib=OFF
-DFEATURE_system_pcre2=OFF
-DFEATURE_system_freetype=OFF
-DFEATURE_system_harfbuzz=OFF
-DFEATURE_system_png=OFF
-DFEATURE_tabletevent=OFF
-DFEATURE_mimetype_database=OFF
-DFEATURE_filesystemmodel=OFF
-DFEATURE_filedialog=OFF
-DFEATURE_colordialog=OFF
-DFEATURE_fontdialog=OFF
-DFEATURE_wizard=OFF
-DFEATURE_graphicsview=$graphicsview
-DFEATURE_mdiarea=OFF
-DFEATURE_calendarwidget=OFF
-DFEATURE_datetimeedit=OFF
-DFEATURE_style_stylesheet=$stylesheet
-DFEATURE_textodfwriter=OFF
-DFEATURE_textmarkdownreader=OFF
-DFEATURE_textmarkdownwriter=OFF
-DFEATURE_direct2d=$direct2d
-DFEATURE_directwrite3=$direct2d"

# The options as the repository has them, wherever it is checked out.
recorded=$(printf '%s\n' "$options" | sed "s|$top/||")
# What else decides the bytes of the libraries: the cross toolchain and the
# build tools, so that a Qt built before one of them changed is not taken
# for one built with it.
# shellcheck disable=SC2046
tools=$(dpkg-query -W -f='${Package} ${Version}\n' $(sh "$top/scripts/install-deps.sh" --list windows-qt))
key=$( (printf '%s\n%s\n%s\n' "$version" "$recorded" "$tools"; cat "$toolchain") | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/pathquill
prefix=$cache/qt-$version-win64-$key
mkdir -p "$cache"

# One build at a time per machine; a second caller waits and then finds it.
# A build made with other options or from another version is removed once
# this one is complete: one Qt for Windows is kept.
exec 9>"$cache/qt-build.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

work=$cache/work-$key
rm -rf "$work" "$prefix"
mkdir -p "$work/apt/lists/partial" "$work/apt/archives/partial"

# The source package comes from the archives the installed packages come
# from, as apt itself reads its configuration (one-line and deb822 sources
# alike), through a private apt configuration: the machine's own is left
# as it is.
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
# apt ARG...: apt-get on private state and cache folders, never locking or
# changing the machine's own.
apt_in_work() {
    apt-get -q -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache="$work/apt" \
        -o Debug::NoLocking=1 -o APT::Sandbox::User="$(id -un)" "$@"
}
debian_archives() {  # [APT-OPTION...]: the Debian archives of this release apt has indexes of
    apt-get "$@" indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT) $(LABEL)' \
            'Identifier: Packages' 2>/dev/null | sort -u |
        awk -v suite="$suite" '$3 == "main" && ($4 == "Debian" || $4 == "Debian-Security") &&
            ($2 == suite || $2 == suite "-updates" || $2 == suite "-security") {print $1, $2}'
}
archives=$(debian_archives)
if [ -z "$archives" ]; then
    # A system whose package lists were removed (as in a minimal image) still
    # has its sources: fetch their indexes into the private folder to learn
    # which archives they are.
    apt_in_work update >/dev/null 2>&1 || true
    archives=$(debian_archives -o Dir::State::Lists="$work/apt/lists")
    rm -rf "$work/apt/lists"
    mkdir -p "$work/apt/lists/partial"
fi
if [ -z "$archives" ]; then
    echo "build-windows-qt.sh: apt knows no Debian archive for $suite with the main component," \
         "so the source of qt6-base $version cannot be fetched. Add one to apt's sources" \
         "(/etc/apt/sources.list or /etc/apt/sources.list.d/) and run apt-get update." >&2
    exit 1
fi
printf '%s\n' "$archives" | while read -r uri release; do
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri $release main"
done >"$work/apt/sources.list"
apt_private() {
    apt_in_work -o Dir::Etc::SourceList="$work/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent "$@"
}
echo "Fetching the source of qt6-base $version" >&2
apt_private update >/dev/null
(cd "$work" && apt_private source "qt6-base=$version" >/dev/null 2>"$work/source.log") \
    || { cat "$work/source.log" >&2; exit 1; }
source=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)

echo "Configuring Qt for Windows in $work/build" >&2
# One option a line, blanks and all.
IFS='
'
# shellcheck disable=SC2046
cmake -S "$source" -B "$work/build" -DCMAKE_INSTALL_PREFIX="$prefix" $(printf '%s\n' "$options" | sed "s|@WORK@|$work|g") \
    >"$work/configure.log" 2>&1 \
    || { tail -n 40 "$work/configure.log" >&2; exit 1; }
unset IFS
echo "Building Qt for Windows (some minutes; the log is $work/build.log)" >&2
nice -n 19 cmake --build "$work/build" --parallel "$(nproc)" >"$work/build.log" 2>&1 \
    || { tail -n 40 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >/dev/null
printf '# Run in a folder WORK that holds qt6-base-%s, with @WORK@ its path; each line\n# below is one argument (some hold blanks).\ncmake -S qt6-base-%s -B build -DCMAKE_INSTALL_PREFIX=PREFIX\n%s\n' \
    "${version%-*}" "${version%-*}" "$recorded" \
    >"$prefix/configure-line.txt"
# Who wrote the code Qt bundles, and under which licence, for the notices.
python3 - "$source" >"$prefix/qt-attributions.txt" <<'EOF'
import json, pathlib, sys
for path in sorted(pathlib.Path(sys.argv[1], "src").rglob("qt_attribution.json")):
    entries = json.loads(path.read_text(), strict=False)
    for entry in entries if isinstance(entries, list) else [entries]:
        print(f"{entry.get('Name')} {entry.get('Version', '')}".strip())
        print(f"  Licence: {entry.get('License')}")
        for line in str(entry.get("Copyright", "")).splitlines():
            print(f"  {line}")
        print()
EOF
mkdir "$prefix/source"
find "$work" -maxdepth 1 -type f -name 'qt6-base_*' -exec cp {} "$prefix/source" \;
touch "$prefix/.complete"
rm -rf "$work"
for other in "$cache"/qt-*-win64-*; do
    [ "$other" = "$prefix" ] || rm -rf "$other"
done
echo "$prefix"
