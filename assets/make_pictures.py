#!/usr/bin/python3
"""Draws every built-in picture into assets/pictures/ and checks the result.

Run it after changing the art (needs Debian's python3-pil); the build only
embeds the committed files, so it never needs PIL. The output is
deterministic: running it twice gives the same bytes.
"""

import io
import os
import sys

import art_caption
import art_message_icons
import picture_check

HERE = os.path.dirname(os.path.abspath(__file__))


def png(image):
    out = io.BytesIO()
    image.save(out, "PNG", optimize=True)
    return out.getvalue()


PRODUCERS = {
    "captionSprite": lambda: png(art_caption.make()),
    "messageIcons": lambda: png(art_message_icons.make()),
}


def main():
    entries = picture_check.read_manifest()
    missing = [e.function for e in entries if e.function not in PRODUCERS]
    if missing:
        print("make_pictures: no drawing for " + ", ".join(missing), file=sys.stderr)
        return 1
    os.makedirs(picture_check.PICTURES, exist_ok=True)
    for entry in entries:
        data = PRODUCERS[entry.function]()
        with open(os.path.join(picture_check.PICTURES, entry.file), "wb") as f:
            f.write(data)
        print(f"{entry.file}: {len(data)} bytes")
    problems = picture_check.verify()
    for p in problems:
        print("make_pictures: " + p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
