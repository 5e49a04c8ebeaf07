#!/usr/bin/python3
# Every character of every code page that catalogues are read in, decoded
# by pql-catalogue as Python's codecs (Microsoft's tables) decode it; and,
# given the Windows build, every byte and pair of bytes decoded as Windows'
# own conversion under Wine decodes it, undefined ones included.
#   code_pages.py PROGRAM [--wine PQL-CATALOGUE.exe]
#   code_pages.py --wine PQL-CATALOGUE.exe
# PROGRAM is a pql-catalogue of this system, checked against both; the
# Windows build alone is checked against Python's codecs.
import os
import subprocess
import sys
import tempfile

SINGLE = [874] + list(range(1250, 1259))
DOUBLE = [932, 936, 949, 950]

# Where Python's table is not Microsoft's: in 950, Python has kana and
# symbols where Windows has private-use characters (0xC6A1 is U+F6B1).
def pythons_own(code_page, sequence):
    return code_page == 950 and len(sequence) == 2 and b"\xc6\xa1" <= sequence <= b"\xc7\xfc"


def sequences(code_page):
    """Each single byte from 0x80 and, in a two-byte code page, each pair of
    a first byte (0x81-0xFE) and a second byte (0x40-0xFE)."""
    yield from (bytes([b]) for b in range(0x80, 0x100))
    if code_page in DOUBLE:
        yield from (bytes([a, b]) for a in range(0x81, 0xFF) for b in range(0x40, 0xFF))


def catalogue(pieces):
    """A directory record, then model records of 64 pieces each between x
    and .m, in CRLF lines: never valid UTF-8 with the bytes used here."""
    lines = [b"d"]
    for i in range(0, len(pieces), 64):
        lines.append(b"x" + b"".join(pieces[i:i + 64]) + b".m")
    return b"\r\n".join(lines) + b"\r\n"


def run(program, command, code_page, path):
    return subprocess.run(program + [command, "--code-page", str(code_page), path],
                          capture_output=True, timeout=600).stdout.decode("utf-8").replace("\r", "")


failures = 0


def compare(what, got, expected):
    global failures
    got, expected = got.splitlines(), expected.splitlines()
    if got == expected:
        return
    failures += 1
    wrong = [(g, e) for g, e in zip(got, expected) if g != e]
    print(f"FAIL: {what}: {len(wrong)} of {len(expected)} lines differ "
          f"({len(got)} lines read); the first: {ascii(wrong[0]) if wrong else ''}")


def main():
    args = sys.argv[1:]
    windows = []
    if "--wine" in args:
        exe = args.pop(args.index("--wine") + 1)
        args.remove("--wine")
        windows = ["wine", exe]
    programs = [[os.path.abspath(args[0])]] if args else []
    if windows:
        programs.append(windows)
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "PQL.TXT")
        for code_page in SINGLE + DOUBLE:
            codec = f"cp{code_page}"
            defined = []
            for s in sequences(code_page):
                try:
                    if len(s.decode(codec)) == 1 and not pythons_own(code_page, s):
                        defined.append(s)
                except UnicodeDecodeError:
                    pass
            with open(path, "wb") as f:
                f.write(catalogue(defined))
            expected = "".join(f"models\\d\\x{b''.join(defined[i:i + 64]).decode(codec)}.m\n"
                               for i in range(0, len(defined), 64))
            for program in programs:
                compare(f"{program[-1]} paths --code-page {code_page}, {len(defined)} characters",
                        run(program, "paths", code_page, path), expected)
            if len(programs) == 2:
                # Everything, undefined sequences too, and which records
                # check names for them (after the line naming the file).
                with open(path, "wb") as f:
                    f.write(catalogue(list(sequences(code_page))))
                for command in ["paths", "check"]:
                    outputs = [run(p, command, code_page, path).split("\n", 1)[-1] for p in programs]
                    compare(f"{command} --code-page {code_page}, every sequence, against Windows",
                            outputs[0], outputs[1])
            print(f"code page {code_page}: {len(defined)} characters compared")
    print(f"{(len(SINGLE) + len(DOUBLE)) * len(programs) - failures} passed, {failures} failed")
    return 1 if failures else 0


sys.exit(main())
