#!/usr/bin/python3
"""Draws every built-in picture into assets/pictures/ and checks the result.

Run it after changing the art (needs Debian's python3-pil); the build only
embeds the committed files, so it never needs PIL. The output is
deterministic: running it twice gives the same bytes.
"""

import io
import os
import sys

import art_animation
import art_caption
import art_icons
import art_message_icons
import art_scenes
import picture_check

HERE = os.path.dirname(os.path.abspath(__file__))


def png(image):
    out = io.BytesIO()
    image.save(out, "PNG", optimize=True)
    return out.getvalue()


def jpeg(image, quality=90):
    out = io.BytesIO()
    image.convert("RGB").save(out, "JPEG", quality=quality, optimize=True, progressive=False)
    return out.getvalue()


PRODUCERS = {
    "captionSprite": lambda: png(art_caption.make()),
    "messageIcons": lambda: png(art_message_icons.make()),
    "mainBackground": lambda: jpeg(art_scenes.background(), 92),
    "tabHomeIcon": lambda: png(art_icons.tab_home()),
    "tabQueryIcon": lambda: png(art_icons.tab_query()),
    "tabOutletsIcon": lambda: png(art_icons.tab_outlets()),
    "tileIcon1": lambda: png(art_icons.tile_megaphone()),
    "tileIcon2": lambda: jpeg(art_icons.tile_shop(), 95),
    "tileIcon3": lambda: png(art_icons.tile_truck()),
    "tileIcon4": lambda: jpeg(art_icons.tile_growth(), 95),
    "homePicture1": lambda: png(art_scenes.banner()),
    "homePicture2": lambda: jpeg(art_scenes.street()),
    "homePicture3": lambda: jpeg(art_scenes.thanks_badge()),
    "parcelAnimation": art_animation.make,
    "progressThumb": lambda: png(art_icons.thumb(art_icons.BLUE)),
    "progressThumb2": lambda: png(art_icons.thumb(art_icons.ORANGE)),
}


def report_panel_colour():
    """The window takes its frame colour from the background at 85 %."""
    from PIL import Image
    img = Image.open(os.path.join(picture_check.PICTURES, "main_background.jpg"))
    x, y = round(img.width * 0.85), round(img.height * 0.85)
    print(f"main_background.jpg: panel colour at ({x}, {y}) is RGB {img.getpixel((x, y))}")


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
    icon = art_icons.program_icon_file()
    with open(picture_check.PROGRAM_ICON, "wb") as f:
        f.write(icon)
    print(f"korvel.ico: {len(icon)} bytes")
    report_panel_colour()
    problems = picture_check.verify()
    for p in problems:
        print("make_pictures: " + p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
