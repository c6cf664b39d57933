"""Checks the committed pictures with the Python standard library only.

It reads sizes straight from the file headers (PNG IHDR, JPEG SOF, GIF
logical screen, ICO directory), decodes RGBA PNGs to look at single pixels,
and walks GIF blocks for frames, delays and the loop extension. verify()
returns a list of problems; an empty list means every picture is fit to ship.
"""

import os
import struct
import sys
import zlib
from dataclasses import dataclass

HERE = os.path.dirname(os.path.abspath(__file__))
MANIFEST = os.path.join(HERE, "pictures.txt")
PICTURES = os.path.join(HERE, "pictures")
PROGRAM_ICON = os.path.join(HERE, "korvel.ico")
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


@dataclass
class Entry:
    function: str
    file: str
    format: str
    width: int
    height: int


def read_manifest(path=MANIFEST):
    """One picture per line: function, file, format, width, height; # starts a comment."""
    entries = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            parts = line.split()
            if len(parts) != 5 or not parts[3].isdigit() or not parts[4].isdigit():
                raise ValueError(f"{path}:{number}: expected 'function file format width height'")
            entries.append(Entry(parts[0], parts[1], parts[2], int(parts[3]), int(parts[4])))
    return entries


# --- PNG ---------------------------------------------------------------------

def png_chunks(data):
    if not data.startswith(PNG_SIGNATURE):
        raise ValueError("not a PNG")
    pos = len(PNG_SIGNATURE)
    while pos + 12 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if len(body) != length or pos + 12 + length > len(data):
            raise ValueError("PNG chunk runs past the end")
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(kind + body) != crc:
            raise ValueError(f"PNG chunk {kind!r} has a bad CRC")
        yield kind, body
        pos += 12 + length
        if kind == b"IEND":
            return
    raise ValueError("PNG without IEND")


def png_info(data):
    for kind, body in png_chunks(data):
        if kind != b"IHDR" or len(body) != 13:
            raise ValueError("PNG does not start with IHDR")
        w, h, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        return {"width": w, "height": h, "depth": depth, "colour": colour,
                "interlace": interlace}
    raise ValueError("empty PNG")


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


class Rgba:
    """Decoded 8-bit RGBA or RGB pixels; pixel(x, y) gives (r, g, b, a)."""

    def __init__(self, width, height, channels, rows):
        self.width, self.height, self.channels, self.rows = width, height, channels, rows

    def pixel(self, x, y):
        row = self.rows[y]
        p = row[x * self.channels:(x + 1) * self.channels]
        return tuple(p) if self.channels == 4 else tuple(p) + (255,)


def png_decode(data):
    info = png_info(data)
    if info["depth"] != 8 or info["colour"] not in (2, 6) or info["interlace"] != 0:
        raise ValueError("only 8-bit non-interlaced RGB or RGBA PNGs are decoded")
    channels = 4 if info["colour"] == 6 else 3
    raw = zlib.decompress(b"".join(body for kind, body in png_chunks(data) if kind == b"IDAT"))
    w, h = info["width"], info["height"]
    stride = w * channels
    if len(raw) != h * (stride + 1):
        raise ValueError("PNG image data has the wrong length")
    rows, prev = [], bytearray(stride)
    for y in range(h):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                line[i] = (line[i] + _paeth(a, b, c)) & 255
            elif kind != 0:
                raise ValueError("unknown PNG filter")
        rows.append(bytes(line))
        prev = line
    return Rgba(w, h, channels, rows)


# --- JPEG, GIF, ICO ----------------------------------------------------------

def jpeg_info(data):
    if not data.startswith(b"\xff\xd8"):
        raise ValueError("not a JPEG")
    pos = 2
    while pos + 4 <= len(data):
        if data[pos] != 0xFF:
            raise ValueError("JPEG marker expected")
        marker = data[pos + 1]
        if marker == 0xFF:
            pos += 1
            continue
        (length,) = struct.unpack(">H", data[pos + 2:pos + 4])
        if marker in (0xC0, 0xC1, 0xC2):
            precision, h, w, components = struct.unpack(">BHHB", data[pos + 4:pos + 10])
            return {"width": w, "height": h, "components": components,
                    "progressive": marker == 0xC2, "precision": precision}
        if marker == 0xDA:
            break
        pos += 2 + length
    raise ValueError("JPEG without a frame header")


def _gif_skip_sub_blocks(data, pos):
    while True:
        if pos >= len(data):
            raise ValueError("GIF data ends inside a block")
        size = data[pos]
        pos += 1
        if size == 0:
            return pos
        pos += size


def gif_info(data):
    if data[:6] not in (b"GIF87a", b"GIF89a"):
        raise ValueError("not a GIF")
    w, h, flags = struct.unpack("<HHB", data[6:11])
    pos = 13
    if flags & 0x80:
        pos += 3 * (2 << (flags & 7))
    frames, delays, loop, rects = 0, [], None, []
    pending_delay = 0
    while pos < len(data):
        block = data[pos]
        if block == 0x3B:
            return {"width": w, "height": h, "frames": frames, "delays": delays,
                    "loop": loop, "rects": rects}
        if block == 0x21:
            label = data[pos + 1]
            if label == 0xF9 and data[pos + 2] == 4:
                (pending_delay,) = struct.unpack("<H", data[pos + 4:pos + 6])
            if label == 0xFF and data[pos + 3:pos + 14] == b"NETSCAPE2.0":
                (loop,) = struct.unpack("<H", data[pos + 16:pos + 18])
            pos = _gif_skip_sub_blocks(data, pos + 2)
        elif block == 0x2C:
            frames += 1
            delays.append(pending_delay)
            rects.append(struct.unpack("<HHHH", data[pos + 1:pos + 9]))
            pending_delay = 0
            local = data[pos + 9]
            pos += 10
            if local & 0x80:
                pos += 3 * (2 << (local & 7))
            pos = _gif_skip_sub_blocks(data, pos + 1)
        else:
            raise ValueError("unknown GIF block")
    raise ValueError("GIF without trailer")


def ico_info(data):
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    if reserved != 0 or kind != 1 or count == 0:
        raise ValueError("not an icon file")
    images = []
    for i in range(count):
        w, h, _, _, _, bpp, size, offset = struct.unpack("<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
        body = data[offset:offset + size]
        if len(body) != size:
            raise ValueError("icon image runs past the end")
        png = body.startswith(PNG_SIGNATURE)
        if not png:
            header, dib_w, dib_h = struct.unpack("<Iii", body[:12])
            if header != 40 or dib_w != (w or 256) or dib_h != 2 * (h or 256):
                raise ValueError("icon image header does not match its directory entry")
        images.append({"width": w or 256, "height": h or 256, "bpp": bpp, "png": png})
    return images


# --- the checks --------------------------------------------------------------

# Caption sprite cells: (width, x of the normal, hover and pressed cell).
SPRITE_CELLS = [(39, (0, 40, 80))] + [(28, (x, x + 29, x + 58))
                                      for x in (120, 207, 294, 381, 468, 555, 642)]
CLOSE_HOVER_X = 40


def sprite_gap_columns(width=729):
    covered = set()
    for w, xs in SPRITE_CELLS:
        for x in xs:
            covered.update(range(x, x + w))
    return [x for x in range(width) if x not in covered]


def check_sprite(img):
    problems = []
    gaps = sprite_gap_columns(img.width)
    for x in gaps:
        if any(img.pixel(x, y)[3] for y in range(img.height)):
            problems.append(f"caption sprite: gap column {x} is not transparent")
    if any(img.pixel(x, 0)[3] for x in range(img.width)):
        problems.append("caption sprite: row 0 is not transparent")
    for w, xs in SPRITE_CELLS:
        cells = []
        for x in xs:
            px = [img.pixel(x + i, y) for i in range(w) for y in range(1, img.height)]
            cells.append(px)
            if not any(a >= 200 and min(r, g, b) >= 225 for r, g, b, a in px):
                problems.append(f"caption sprite: cell at x {x} has no white glyph")
        if cells[0] == cells[1] or cells[1] == cells[2]:
            problems.append(f"caption sprite: cells at x {xs} do not differ by state")
    # The close button's hover face is red.
    face = [img.pixel(CLOSE_HOVER_X + 2, y) for y in range(3, 18)]
    if not all(a > 200 and r > g + 80 and r > b + 80 for r, g, b, a in face):
        problems.append("caption sprite: close hover face is not red")
    return problems


# Message icons: expected disc colour test per column, left to right.
ICON_TESTS = [
    ("error", lambda r, g, b: r > g + 80 and r > b + 80),
    ("warning", lambda r, g, b: r > 200 and 90 < g < 200 and b < 90),
    ("question", lambda r, g, b: b > r + 10 and b - r < 80 and g > 90),
    ("information", lambda r, g, b: b > r + 90 and b > g + 30),
    ("success", lambda r, g, b: g > r + 60 and g > b + 60),
]


def check_message_icons(img):
    problems = []
    for i, (name, test) in enumerate(ICON_TESTS):
        x0 = i * 40
        for cx, cy in ((0, 0), (39, 0), (0, 39), (39, 39)):
            if img.pixel(x0 + cx, cy)[3] != 0:
                problems.append(f"message icons: {name} corner ({cx}, {cy}) is not transparent")
        r, g, b, a = img.pixel(x0 + 7, 20)
        if a != 255 or not test(r, g, b):
            problems.append(f"message icons: {name} disc colour {(r, g, b, a)} is wrong")
        if not any(min(img.pixel(x0 + x, y)[:3]) >= 240 and img.pixel(x0 + x, y)[3] == 255
                   for x in range(14, 27) for y in range(10, 30)):
            problems.append(f"message icons: {name} has no white glyph")
        soft = sum(1 for x in range(40) for y in range(40)
                   if 0 < img.pixel(x0 + x, y)[3] < 255)
        if soft < 40:
            problems.append(f"message icons: {name} edge is not anti-aliased")
    return problems


def check_entry(entry, data):
    """Format and size of one manifest entry; returns problems."""
    name = entry.file
    try:
        if entry.format == "png":
            for _ in png_chunks(data):
                pass  # every chunk's length and CRC, up to IEND
            info = png_info(data)
            if info["colour"] != 6 or info["depth"] != 8:
                return [f"{name}: PNG is not 8-bit RGBA"]
        elif entry.format == "jpeg":
            info = jpeg_info(data)
            if info["progressive"] or info["components"] != 3:
                return [f"{name}: JPEG is not a baseline colour JPEG"]
        elif entry.format == "gif":
            info = gif_info(data)
            if info["frames"] < 4 or info["loop"] != 0:
                return [f"{name}: GIF needs several frames and an endless loop"]
            if not all(0 < d <= 100 for d in info["delays"]):
                return [f"{name}: GIF frame delays {info['delays']} out of range"]
            full = (0, 0, info["width"], info["height"])
            if any(r != full for r in info["rects"]):
                return [f"{name}: every GIF frame must cover the whole picture"]
        else:
            return [f"{name}: unknown format {entry.format}"]
    except (ValueError, struct.error, zlib.error, IndexError) as e:
        return [f"{name}: {e}"]
    if (info["width"], info["height"]) != (entry.width, entry.height):
        return [f"{name}: {info['width']} x {info['height']}, "
                f"expected {entry.width} x {entry.height}"]
    return []


def check_program_icon(data):
    try:
        images = ico_info(data)
    except (ValueError, struct.error) as e:
        return [f"program icon: {e}"]
    sizes = sorted((i["width"], i["height"]) for i in images)
    problems = []
    if sizes != [(16, 16), (32, 32), (48, 48)]:
        problems.append(f"program icon: sizes {sizes}, expected 16, 32 and 48")
    if any(i["bpp"] != 32 or i["png"] for i in images):
        problems.append("program icon: every image must be a 32-bit DIB")
    return problems


SPECIAL = {"captionSprite": check_sprite, "messageIcons": check_message_icons}


def verify(folder=PICTURES, manifest=MANIFEST, program_icon=PROGRAM_ICON):
    problems = []
    for entry in read_manifest(manifest):
        path = os.path.join(folder, entry.file)
        if not os.path.isfile(path):
            problems.append(f"{entry.file}: missing")
            continue
        with open(path, "rb") as f:
            data = f.read()
        found = check_entry(entry, data)
        problems += found
        if not found and entry.function in SPECIAL:
            problems += SPECIAL[entry.function](png_decode(data))
    if program_icon is not None:
        if os.path.isfile(program_icon):
            with open(program_icon, "rb") as f:
                problems += check_program_icon(f.read())
        else:
            problems.append("program icon: missing")
    return problems


if __name__ == "__main__":
    found = verify()
    for p in found:
        print(p)
    sys.exit(1 if found else 0)
