#!/usr/bin/env python3
"""Fails when a source folder includes one on its own floor or above.

Each folder under src/ is a room; a room may include only rooms on lower
floors, so the include graph can hold no cycle. Usage: check_layers.py [src]
"""
import collections
import pathlib
import re
import sys

FLOORS = {
    "text": 1,
    "tracking": 2, "skin": 2, "io": 2,
    "query": 3, "dialogs": 3,
    "upgrade": 4,
    "ui": 5,
    "app": 6,
}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def room_of(path, src):
    return path.relative_to(src).parts[0]


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src").resolve()
    arrows = collections.Counter()
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        room = room_of(path, src)
        if room not in FLOORS:
            faults.append(f"{path.relative_to(src)}: room '{room}' has no floor")
            continue
        text = path.read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = match.group(1)
            # A name without a folder is one beside the including file.
            to = target.split("/")[0] if "/" in target else room
            if to == room:
                continue
            arrows[(room, to)] += 1
            if to not in FLOORS:
                faults.append(f"src/{path.relative_to(src)}:{number}: '{target}' is in no known room")
            elif FLOORS[to] >= FLOORS[room]:
                faults.append(f"src/{path.relative_to(src)}:{number}: {room} (floor {FLOORS[room]}) "
                              f"includes {target} ({to}, floor {FLOORS[to]})")
    for room in sorted(FLOORS, key=lambda r: (-FLOORS[r], r)):
        below = ", ".join(f"{to} ({n})" for (f, to), n in sorted(arrows.items()) if f == room)
        print(f"floor {FLOORS[room]} {room}: {below or '-'}")
    if faults:
        print(f"{len(faults)} include(s) against the floors:")
        for fault in faults:
            print("  " + fault)
        return 1
    print("no include runs up or sideways: the rooms hold no cycle")
    return 0


if __name__ == "__main__":
    sys.exit(main())
