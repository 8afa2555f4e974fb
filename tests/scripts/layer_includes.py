#!/usr/bin/env python3
"""Refuses an include that crosses a layer: a file of a library or program may
include only headers of the libraries that target links (itself included).

    layer_includes.py SOURCE_ROOT LAYER_MAP

The map (build/layer-map.txt, written at configure time) lists, per target, the
targets it links and the files it is built from."""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def read_map(path):
    targets = {}
    current = None
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            kind, _, rest = line.rstrip("\n").partition(" ")
            if kind == "target":
                current = targets.setdefault(rest, {"links": set(), "files": []})
            elif kind == "links":
                current["links"] = set(filter(None, rest.split(";")))
            elif kind == "file":
                current["files"].append(os.path.normpath(rest))
    return targets


def main(root, map_path):
    targets = read_map(map_path)
    owners = {}
    for name, target in targets.items():
        for f in target["files"]:
            owners.setdefault(f, set()).add(name)
    faults = []
    for name, target in sorted(targets.items()):
        for f in target["files"]:
            if not f.endswith((".cpp", ".h")):
                continue
            with open(f, encoding="utf-8", errors="replace") as source:
                for number, line in enumerate(source, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    header = os.path.normpath(os.path.join(root, m.group(1)))
                    if header not in owners:
                        header = os.path.normpath(os.path.join(os.path.dirname(f), m.group(1)))
                    found = owners.get(header)
                    if found and not found & target["links"]:
                        faults.append(f"{os.path.relpath(f, root)}:{number}: {name} includes "
                                      f"{m.group(1)} of {', '.join(sorted(found))}, which it "
                                      f"does not link")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} include(s) crossing a layer")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(os.path.abspath(sys.argv[1]), sys.argv[2]))
