#!/usr/bin/python3
# Every relative link in README.md and docs/*.md leads somewhere: to a file
# or folder of the tree and, where it names one, to a heading of that file
# (anchors as GitHub makes them of headings).
#   links.py SOURCE_FOLDER
import os
import re
import sys

top = sys.argv[1]
documents = ["README.md"] + sorted(
    os.path.join("docs", name) for name in os.listdir(os.path.join(top, "docs"))
    if name.endswith(".md"))


def lines_outside_code(path):
    """The document's lines, numbered, without fenced code blocks and
    inline code spans."""
    fenced = False
    with open(os.path.join(top, path), encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            if line.lstrip().startswith("```"):
                fenced = not fenced
                continue
            if not fenced:
                yield number, re.sub(r"`[^`]*`", "", line)


def anchors(path):
    seen, found = {}, set()
    for _, line in lines_outside_code(path):
        heading = re.match(r"#{1,6}\s+(.*?)\s*#*\s*$", line)
        if heading:
            slug = re.sub(r"[^\w\- ]", "", heading.group(1).lower()).replace(" ", "-")
            found.add(slug if slug not in seen else f"{slug}-{seen[slug]}")
            seen[slug] = seen.get(slug, 0) + 1
    return found


links = failures = 0
for document in documents:
    for number, line in lines_outside_code(document):
        for target in re.findall(r"\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)", line) + \
                re.findall(r"^\s*\[[^\]]+\]:\s*(\S+)", line):
            if re.match(r"[a-z][a-z0-9+.-]*:", target):
                continue  # another site, or mail
            links += 1
            path, _, anchor = target.partition("#")
            resolved = os.path.normpath(os.path.join(os.path.dirname(document), path)) \
                if path else document
            problem = None
            if not os.path.exists(os.path.join(top, resolved)):
                problem = f"no such file {resolved}"
            elif anchor and resolved.endswith(".md") and anchor not in anchors(resolved):
                problem = f"no heading #{anchor} in {resolved}"
            if problem:
                failures += 1
                print(f"FAIL: {document}:{number}: {target}: {problem}")
print(f"{links} links checked")
print(f"{links - failures} passed, {failures} failed")
sys.exit(1 if failures or not links else 0)
