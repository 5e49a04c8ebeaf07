#!/usr/bin/python3
# Every character of every code page that catalogues are read in, decoded
# by pql-catalogue as Python's codecs (Microsoft's tables) decode it; and,
# given the Windows build, every byte and pair of bytes, undefined ones too,
# decoded and named as Windows' own conversion under Wine does.
#   code_pages.py [PROGRAM] [--wine PQL-CATALOGUE.exe]
import os
import subprocess
import sys
import tempfile

DOUBLE = [932, 936, 949, 950]
CODE_PAGES = [874] + list(range(1250, 1259)) + DOUBLE


def sequences(code_page):
    """Each single byte from 0x80 and, in a two-byte code page, each pair of
    a first byte (0x81-0xFE) and a second byte (0x40-0xFE)."""
    yield from (bytes([b]) for b in range(0x80, 0x100))
    if code_page in DOUBLE:
        yield from (bytes([a, b]) for a in range(0x81, 0xFF) for b in range(0x40, 0xFF))


def defined(code_page, sequence):
    # Where Python's table is not Microsoft's: in 950, Python has kana and
    # symbols where Windows has private-use characters (0xC6A1 is U+F6B1).
    if code_page == 950 and b"\xc6\xa1" <= sequence <= b"\xc7\xfc":
        return False
    try:
        return len(sequence.decode(f"cp{code_page}")) == 1
    except UnicodeDecodeError:
        return False


def records(pieces):
    """Model records of 64 pieces each between x and .m."""
    return [b"x" + b"".join(pieces[i:i + 64]) + b".m" for i in range(0, len(pieces), 64)]


def run(program, command, code_page, lines):
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "PQL.TXT")
        with open(path, "wb") as f:
            f.write(b"\r\n".join([b"d"] + lines) + b"\r\n")  # never valid UTF-8
        # Once more where the program did not run to its end: Wine, with
        # the other Windows tests beside it, may fail to start one.
        for _ in range(2):
            done = subprocess.run(program + [command, "--code-page", str(code_page), path],
                                  capture_output=True, timeout=600)
            if done.returncode == 0:
                break
            print(f"{program[-1]} {command} --code-page {code_page}: status {done.returncode}, "
                  f"{done.stderr.decode('utf-8', 'replace').strip()}")
        out = done.stdout
    text = out.decode("utf-8").replace("\r", "")
    return text.split("\n", 1)[-1] if command == "check" else text  # after the file's name


args = sys.argv[1:]
programs = []
if "--wine" in args:
    programs.append(["wine", args.pop(args.index("--wine") + 1)])
    args.remove("--wine")
programs[:0] = [[os.path.abspath(a)] for a in args]
failed = 0
for code_page in CODE_PAGES:
    chosen = [s for s in sequences(code_page) if defined(code_page, s)]
    lines = records(chosen)
    expected = "".join(f"models\\d\\{line.decode(f'cp{code_page}')}\n" for line in lines)
    # The characters, then every sequence: one catalogue for each program.
    lines += records(list(sequences(code_page)))
    outputs = [(run(p, "paths", code_page, lines), run(p, "check", code_page, lines))
               for p in programs]
    wrong = [p[-1] for p, (paths, _) in zip(programs, outputs)
             if not paths.startswith(expected)]
    if len(programs) == 2 and outputs[0] != outputs[1]:
        ours, windows = ("\n".join(o).split("\n") for o in outputs)
        first = next((i for i, (a, b) in enumerate(zip(ours, windows)) if a != b),
                     min(len(ours), len(windows)))
        wrong.append(f"every sequence, against Windows (line {first + 1}: "
                     f"{ascii(ours[first:first + 1])} here, {ascii(windows[first:first + 1])} there)")
    for what in wrong:
        print(f"FAIL: code page {code_page}: {what} reads otherwise")
    failed += len(wrong)
    print(f"code page {code_page}: {len(chosen)} characters")
print(f"{len(CODE_PAGES) - failed} passed, {failed} failed")
sys.exit(1 if failed or not programs else 0)
