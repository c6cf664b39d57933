"""The looping animation of the outlets page: a parcel van driving along a
road inside a round sky, 87 x 87, eight frames.

The GIF is written here rather than by PIL so that every frame is a full
picture over one shared palette: no frame depends on how a decoder disposes
of the one before it, and colours do not flicker between frames.
"""

import math
import struct

from PIL import Image, ImageChops

from art_common import Layer, gradient_fill, scaled, stack
from art_icons import BLUE, WHITE, a, shape_of, van

SIZE = 87
FRAMES = 12
DELAY = 6  # hundredths of a second per frame
# The road moves 4 pixels a frame; 48 pixels a loop is three dash periods and
# one roadside period, so the last frame runs on into the first.
ROAD_STEP = 4.0
DASH_PERIOD = 16.0
TREE_PERIOD = 48.0


def frame(i):
    t = i / FRAMES
    w = h = SIZE
    back = Layer(w, h, fill=(255, 255, 255, 255))
    disc = shape_of(w, h, lambda g: g.circle(43.5, 43.5, 41, fill=WHITE))
    sky = gradient_fill(disc, (196, 228, 252, 255), (238, 247, 255, 255), 3, 62)
    scene = Layer(w, h)
    for cx, y, k in ((16, 20, 1.0), (60, 14, 0.7)):
        for dx, dy, r in ((0, 0, 5), (6, -3, 6.5), (13, 0, 4.5), (6, 2, 5)):
            scene.circle(cx + dx * k, y + dy * k, r * k, fill=a((255, 255, 255), 240))
    shift = i * ROAD_STEP
    x = -TREE_PERIOD - shift % TREE_PERIOD
    while x < w + TREE_PERIOD:
        scene.rect((x + 20.3, 52, x + 21.7, 61), fill=a((150, 110, 80)))
        scene.circle(x + 21, 50, 5.2, fill=a((120, 196, 120)))
        scene.circle(x + 21.5, 48.5, 3, fill=a((150, 214, 146)))
        scene.ellipse((x + 36, 56, x + 46, 62), fill=a((132, 202, 128)))
        x += TREE_PERIOD
    scene.rect((0, 61, w, h), fill=a((118, 128, 144)))
    scene.rect((0, 61, w, 63), fill=a((206, 212, 222)))
    x = -DASH_PERIOD - shift % DASH_PERIOD
    while x < w:
        scene.rect((x, 71, x + 8, 72.6), fill=a((255, 255, 255), 235))
        x += DASH_PERIOD
    # Speed lines flicker behind the van; the van bobs on its springs.
    for k, y in enumerate((43, 48, 53)):
        length = 6 + 3 * math.sin(2 * math.pi * (t * 2 + k / 3))
        scene.line([(14 - length, y), (14, y)], a(BLUE, 170), 1.3)
    vans = []
    bob = -0.6 * abs(math.sin(2 * math.pi * t * 2))
    van(vans, w, h, 17, 38 + bob, 1.25, wheel_angle=4 * 2 * math.pi / 3 * t)
    vans_layer = stack(w, h, vans)
    scene.img.alpha_composite(vans_layer.img)
    scene.img.putalpha(ImageChops.multiply(scene.alpha(), disc.alpha()))
    rim = shape_of(w, h, lambda g: g.circle(43.5, 43.5, 41, outline=a(BLUE, 120), width=1.2))
    return stack(w, h, [back, sky, scene, rim]).result().convert("RGB")


def frames():
    with scaled(6):
        return [frame(i) for i in range(FRAMES)]


def lzw(indices, min_code_size):
    """GIF's variable-length LZW of a sequence of palette indices."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out = bytearray()
    bits, nbits = 0, 0

    def emit(code, size):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 255)
            bits >>= 8
            nbits -= 8

    def fresh():
        return {bytes([i]): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, size = fresh()
    emit(clear, size)
    word = b""
    for index in indices:
        longer = word + bytes([index])
        if longer in table:
            word = longer
            continue
        emit(table[word], size)
        if next_code < 4096:
            table[longer] = next_code
            next_code += 1
            if next_code > (1 << size) and size < 12:
                size += 1
        else:
            emit(clear, size)
            table, next_code, size = fresh()
        word = bytes([index])
    if word:
        emit(table[word], size)
    emit(end, size)
    if nbits:
        out.append(bits & 255)
    return bytes(out)


def sub_blocks(data):
    return b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255]
                    for i in range(0, len(data), 255)) + b"\0"


def gif_bytes(images, delay):
    """A looping GIF89a of equally sized RGB images sharing one 256-colour palette."""
    w, h = images[0].size
    sheet = Image.new("RGB", (w, h * len(images)))
    for i, img in enumerate(images):
        sheet.paste(img, (0, i * h))
    palette_img = sheet.quantize(256, method=Image.Quantize.MEDIANCUT)
    palette = palette_img.getpalette()[:768]
    palette += [0] * (768 - len(palette))
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", w, h, 0xF7, 0, 0)  # global table of 256 colours
    out += bytes(palette)
    out += b"\x21\xff\x0bNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\0"  # loop forever
    for img in images:
        indexed = img.quantize(palette=palette_img, dither=Image.Dither.NONE)
        out += b"\x21\xf9\x04\x04" + struct.pack("<H", delay) + b"\0\0"  # keep, no transparency
        out += b"\x2c" + struct.pack("<HHHHB", 0, 0, w, h, 0)
        out += b"\x08" + sub_blocks(lzw(indexed.tobytes(), 8))
    out += b"\x3b"
    return bytes(out)


def make():
    return gif_bytes(frames(), DELAY)


if __name__ == "__main__":
    import io
    data = make()
    with open("/tmp/art_van.gif", "wb") as f:
        f.write(data)
    # Decode with PIL to make sure the encoder round-trips.
    shown = Image.open(io.BytesIO(data))
    print(len(data), shown.n_frames, shown.info.get("loop"), shown.info.get("duration"))
