#!/usr/bin/env python3
"""Checks the include layering of src/: every quoted #include names a file of
the same folder or of a lower layer (so the folders form no loop), front ends
include only the engine's face (engine/, host/, base/), and no Qt header is
included outside the desktop front end.

usage: check_layers.py SRC_DIR     (exit status 1 and one line per fault)
"""
import os
import re
import sys

# From the bottom up; folders of one rank may not include each other.
LAYERS = [["base"], ["host"], ["settings"], ["net"], ["resolve"], ["list"],
          ["scheduler"], ["engine"], ["cli", "gui"]]
FRONT_ENDS = {"cli", "gui"}
FACE = {"engine", "host", "base"}
QT_ALLOWED = {"gui"}

RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^Q[A-Za-z]|^Qt")


def main(src):
    faults = []
    for dirpath, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, src)
            folder = rel.split(os.sep)[0]
            if folder not in RANK:
                faults.append(f"{rel}: folder '{folder}' has no layer")
                continue
            with open(path, encoding="utf-8", errors="replace") as text:
                for number, line in enumerate(text, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    kind, target = match.groups()
                    where = f"{rel}:{number}"
                    if kind == "<":
                        if QT_HEADER.match(target) and folder not in QT_ALLOWED:
                            faults.append(f"{where}: Qt header <{target}> outside the desktop front end")
                        continue
                    other = target.split("/")[0]
                    if "/" not in target or other == folder:
                        continue
                    if other not in RANK:
                        faults.append(f"{where}: includes \"{target}\" from a folder with no layer")
                        continue
                    if RANK[other] > RANK[folder]:
                        faults.append(f"{where}: {folder} includes \"{target}\" from the higher layer {other}")
                    elif RANK[other] == RANK[folder]:
                        faults.append(f"{where}: {folder} includes \"{target}\" from {other}, a folder of its own layer")
                    elif folder in FRONT_ENDS and other not in FACE:
                        faults.append(f"{where}: front end {folder} reaches past the engine's face into \"{target}\"")

    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
