#!/usr/bin/env python3
"""Every file the recorder names with ".\\" (beside itself) is in the product folder.

  beside_program.py <product folder>

Reads the names from telvane.exe's own strings (UTF-16 and 8-bit), so a
new ".\\name" in the code without its file fails here. The names the
recorder writes itself, rather than opens, are listed below with the
reason; a listed name the program no longer holds fails too.
"""

import os
import re
import sys

WRITTEN = {
    "Recordings": "the recordings folder made when the user has no Videos folder",
    "zzzVideo.txt": "the motion search's developer trace",
}

NAME = r"[A-Za-z0-9_][A-Za-z0-9_ .\-]*"


def beside_names(data):
    wide = re.findall(rb"\.\x00\\\x00((?:[\x20-\x7e]\x00){1,200})\x00\x00", data)
    narrow = re.findall(rb"(?<![\x20-\x7e])\.\\([\x20-\x7e]{1,200})\x00", data)
    names = set()
    for text in [w.decode("utf-16-le") for w in wide]:
        match = re.match(NAME, text)  # a format's "%ls" ends the name
        if match:
            names.add(match.group(0))
    for text in [n.decode("ascii") for n in narrow]:
        if re.fullmatch(NAME, text) and "." in text:  # library strings hold other ".\x" texts
            names.add(text)
    return names


def main():
    folder = sys.argv[1]
    with open(os.path.join(folder, "telvane.exe"), "rb") as f:
        names = beside_names(f.read())
    print("telvane.exe names beside itself: %s" % ", ".join(sorted(names)))
    failures = []
    for name in sorted(names - set(WRITTEN)):
        if not os.path.exists(os.path.join(folder, name)):
            failures.append("%s is named by telvane.exe but missing from %s" % (name, folder))
    for name in sorted(set(WRITTEN) - names):
        failures.append("%s is listed as written by the recorder, which no longer names it" % name)
    for failure in failures:
        print("FAIL: " + failure)
    if not failures:
        print("ok: all %d opened files are there; %d are written by the recorder" % (
            len(names - set(WRITTEN)), len(WRITTEN)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
