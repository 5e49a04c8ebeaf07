#!/usr/bin/python3
"""Builds the per-user installer with wixl, the same bytes from the same files.

Usage: build-msi.py WXS VERSION FILES EPOCH OUTPUT.msi
  WXS      packaging/windows/pathquill.wxs
  VERSION  the release, 1.0.0
  FILES    the folder of what the installer holds (the unpacked zip)
  EPOCH    the release date, in seconds since 1970 (UTC)

wixl makes up a new package code and product code for every build and
stamps the package with the time of the build. Here both codes are
name-based UUIDs in the namespace of the product's upgrade code: the product
code follows from the version, so that each release is a product of its own
that replaces the one before; the package code from everything the package
is made of (the installer's source, the version and each file), so that
another build of the same files gets the same code and any other build
another one. The summary information's times are the release date, and so
are the cabinet's file times, which wixl takes from the files' own times in
local time: the files carry the release date, and the time zone is UTC.
"""

import hashlib
import os
import re
import struct
import subprocess
import sys
import uuid

import olefile

SUMMARY = "\x05SummaryInformation"
PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM = 9, 12, 13  # the package code, two times
VT_LPSTR, VT_FILETIME = 30, 64
FILETIME_1970 = 11644473600  # seconds from 1601, where FILETIME counts from


def package_digest(wxs, version, files):
    digest = hashlib.sha256()
    with open(wxs, "rb") as source:
        digest.update(source.read())
    digest.update(b"\0" + version.encode() + b"\0")
    for folder, subfolders, names in os.walk(files):
        subfolders.sort()
        for name in sorted(names):
            path = os.path.join(folder, name)
            with open(path, "rb") as packaged:
                content = hashlib.sha256(packaged.read()).hexdigest()
            digest.update(f"{os.path.relpath(path, files)}\0{content}\0".encode())
    return digest.hexdigest()


def properties(data):
    """The summary property set's (id, offset of its typed value), in order."""
    (section,) = struct.unpack_from("<I", data, 44)  # after the header and the one FMTID
    _, count = struct.unpack_from("<II", data, section)
    for i in range(count):
        pid, offset = struct.unpack_from("<II", data, section + 8 + 8 * i)
        yield pid, section + offset


def restamp(data, package_code, epoch):
    """Sets the package code and both times in the summary stream, in place."""
    filetime = (epoch + FILETIME_1970) * 10_000_000
    code = "{%s}" % str(package_code).upper()
    done = set()
    for pid, at in properties(data):
        (vt,) = struct.unpack_from("<I", data, at)
        if pid in (PID_CREATE_DTM, PID_LASTSAVE_DTM) and vt == VT_FILETIME:
            struct.pack_into("<Q", data, at + 4, filetime)
            done.add(pid)
        elif pid == PID_REVNUMBER and vt == VT_LPSTR:
            (size,) = struct.unpack_from("<I", data, at + 4)
            if size < len(code) + 1:
                sys.exit(f"build-msi.py: no room for the package code in the summary ({size} bytes)")
            data[at + 8 : at + 8 + size] = code.encode("ascii").ljust(size, b"\0")
            done.add(pid)
    missing = {PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM} - done
    if missing:
        sys.exit(f"build-msi.py: wixl's summary information lacks the properties {sorted(missing)}")


def main():
    wxs, version, files, epoch, output = sys.argv[1:]
    wxs, files, output = (os.path.abspath(p) for p in (wxs, files, output))
    with open(wxs, encoding="utf-8") as source:
        upgrade = re.search(r'UpgradeCode="([0-9A-Fa-f-]{36})"', source.read())
    if not upgrade:
        sys.exit(f"build-msi.py: {wxs} names no UpgradeCode")
    namespace = uuid.UUID(upgrade.group(1))
    product_code = uuid.uuid5(namespace, f"Pathquill {version}")
    package_code = uuid.uuid5(namespace, "package " + package_digest(wxs, version, files))

    subprocess.run(["wixl", "-a", "x64", "-D", f"Version={version}", "-D", "Files=.",
                    "-D", "ProductCode={%s}" % str(product_code).upper(), "-o", output, wxs],
                   cwd=files, env=dict(os.environ, TZ="UTC0"), check=True)

    with olefile.OleFileIO(output, write_mode=True) as msi:
        summary = bytearray(msi.openstream(SUMMARY).read())
        restamp(summary, package_code, int(epoch))
        msi.write_stream(SUMMARY, bytes(summary))


if __name__ == "__main__":
    main()
