"""The larger pictures: the main window's background and the three pictures
of the home page.

Pictures that the program stretches into a box of another shape are drawn in
that box's proportions and then resized to the stored size, so they look
right where the user sees them.
"""

import math

from PIL import Image, ImageDraw, ImageFont

from art_common import Layer, clip, gradient_fill, mix, scaled, shadow, stack
from art_icons import BLUE, ORANGE, ORANGE_DARK, ORANGE_LIGHT, WHITE
from art_icons import a, magnifier, parcel, shape_of, van

FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

# Texts drawn into the pictures.
BANNER_TITLE = "批量查询"
BANNER_LINE = "79家快递 实时跟踪"
THANKS = "谢谢"

CREAM = (255, 247, 238)
HEADER_TOP = (244, 134, 30)
HEADER_BOTTOM = (250, 168, 76)
GLOW = (245, 148, 56)


def smoothstep(t):
    t = min(1.0, max(0.0, t))
    return t * t * (3 - 2 * t)


def text(layer, xy, string, size, fill, bold=0.0, anchor="la"):
    font = ImageFont.truetype(FONT, int(size * layer.s))
    layer.draw.text((xy[0] * layer.s, xy[1] * layer.s), string, font=font, fill=fill,
                    anchor=anchor, stroke_width=int(bold * layer.s), stroke_fill=fill)


def radial(layer_size, centre, radius, colour, power=1.0, peak=255):
    """An RGBA image of one colour whose alpha falls off from the centre."""
    w, h = layer_size
    small = Image.new("L", (w // 4, h // 4))
    cx, cy, r = centre[0] / 4, centre[1] / 4, radius / 4
    small.putdata([int(peak * max(0.0, 1 - math.hypot(x - cx, y - cy) / r) ** power)
                   for y in range(h // 4) for x in range(w // 4)])
    out = Image.new("RGBA", (w, h), colour + (255,))
    out.putalpha(small.resize((w, h), Image.BILINEAR))
    return out


def diagonal(size, colour, start, spread):
    """Colour fading in along x/width + y/height from start to start + spread."""
    w, h = size
    small = Image.new("L", (w // 4, h // 4))
    small.putdata([int(255 * smoothstep((x / (w // 4) + y / (h // 4) - start) / spread))
                   for y in range(h // 4) for x in range(w // 4)])
    out = Image.new("RGBA", (w, h), colour + (255,))
    out.putalpha(small.resize((w, h), Image.BILINEAR))
    return out


def dashed(layer, points, colour, width, dash, gap):
    """A dashed polyline (dash and gap in result pixels)."""
    on, left = True, dash
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        seg = math.hypot(x1 - x0, y1 - y0)
        pos = 0.0
        while pos < seg:
            step = min(left, seg - pos)
            if on:
                t0, t1 = pos / seg, (pos + step) / seg
                layer.line([(x0 + (x1 - x0) * t0, y0 + (y1 - y0) * t0),
                            (x0 + (x1 - x0) * t1, y0 + (y1 - y0) * t1)], colour, width)
            pos += step
            left -= step
            if left <= 0:
                on = not on
                left = dash if on else gap


def curve(points, steps=60):
    """A smooth path through the points (Catmull-Rom)."""
    out = []
    pts = [points[0]] + points + [points[-1]]
    for i in range(1, len(pts) - 2):
        p0, p1, p2, p3 = pts[i - 1], pts[i], pts[i + 1], pts[i + 2]
        for k in range(steps):
            t = k / steps
            out.append(tuple(0.5 * (2 * p1[j] + (-p0[j] + p2[j]) * t
                                    + (2 * p0[j] - 5 * p1[j] + 4 * p2[j] - p3[j]) * t * t
                                    + (-p0[j] + 3 * p1[j] - 3 * p2[j] + p3[j]) * t ** 3)
                              for j in range(2)))
    out.append(points[-1])
    return out


def map_pin(layer, cx, tip_y, r, fill, hole=None):
    cy = tip_y - r * 2.05
    layer.circle(cx, cy, r, fill=fill)
    k = r * 0.82
    layer.polygon([(cx - k, cy + r * 0.55), (cx + k, cy + r * 0.55), (cx, tip_y)], fill)
    if hole is not None:
        layer.circle(cx, cy, r * 0.42, fill=hole)


# --- main window background ----------------------------------------------------

W, H = 662, 485  # the window the picture is stretched over


def header_edge(x):
    return 32 + 76 * smoothstep((x - 235) / 200)


def background():
    with scaled(2):
        return _background()


def _background():
    s = 2
    base = Layer(W, H)
    base.img = Image.new("RGBA", base.img.size)
    body = ImageDraw.Draw(base.img)
    for y in range(H * s):
        body.line([(0, y), (W * s, y)], fill=mix(CREAM, (255, 238, 222), y / (H * s)) + (255,))
    base.draw = ImageDraw.Draw(base.img)
    layers = [base]

    # Faint route contours across the body, calm enough to sit behind controls.
    contours = Layer(W, H)
    for i in range(6):
        y = 150 + i * 55
        pts = [(x, y + 14 * math.sin(x / 70 + i)) for x in range(-10, W + 20, 8)]
        contours.line(pts, a(ORANGE, 16), 1.2)
    layers.append(contours)

    # A warm sweep into the lower right corner; the window samples its frame
    # colour at 85 % of the picture's width and height, which lies in it.
    glow = Layer(W, H)
    glow.img = diagonal(glow.img.size, GLOW, 1.42, 0.34)
    layers.append(glow)

    header_shape = Layer(W, H)
    header_shape.polygon([(0, 0), (W, 0)] + [(x, header_edge(x)) for x in range(W, -1, -4)],
                         WHITE)
    layers.append(gradient_fill(header_shape, a(HEADER_TOP), a(HEADER_BOTTOM), 0, 108))
    rim = Layer(W, H)
    rim.line([(x, header_edge(x) - 1) for x in range(0, W + 1, 4)], a((255, 255, 255), 90), 2)
    layers.append(rim)

    bokeh = Layer(W, H)
    for cx, cy, r, alpha in ((470, 20, 46, 22), (560, 90, 34, 18), (640, 40, 60, 16),
                             (330, 10, 28, 20), (120, 6, 22, 18)):
        bokeh.circle(cx, cy, r, fill=a((255, 255, 255), alpha))
    layers.append(clip(bokeh, header_shape))

    # A route across the header: pins, a parcel and a van on a dashed line.
    motif = Layer(W, H)
    route = curve([(440, 96), (500, 66), (560, 84), (640, 52)])
    dashed(motif, route, a((255, 255, 255), 150), 2.2, 7, 6)
    map_pin(motif, 440, 98, 6.5, a((255, 255, 255), 200), a(HEADER_BOTTOM))
    map_pin(motif, 640, 55, 8, a((255, 255, 255), 220), a(HEADER_BOTTOM))
    box = (492, 46, 516, 66)
    motif.rrect(box, 2, outline=a((255, 255, 255), 190), width=2)
    motif.line([(492, 52), (516, 52)], a((255, 255, 255), 190), 2, round_caps=False)
    motif.line([(504, 46), (504, 52)], a((255, 255, 255), 190), 2, round_caps=False)
    layers.append(motif)
    vans = []
    van(vans, W, H, 560, 64, 0.62)
    van_layer = stack(W, H, vans)
    van_layer.img.putalpha(van_layer.alpha().point(lambda v: v * 200 // 255))
    layers.append(van_layer)

    # The strip below the white panel: warm orange with a blue accent line.
    strip = Layer(W, H)
    strip.rect((0, 458, W, H), fill=WHITE)
    layers.append(gradient_fill(strip, a((248, 164, 78)), a((238, 128, 38)), 458, H))
    accent = Layer(W, H)
    accent.rect((0, 461, W, 463), fill=a(BLUE, 200))
    dashed(accent, [(12, 473), (W - 12, 473)], a((255, 255, 255), 120), 1.4, 5, 7)
    layers.append(accent)

    img = stack(W, H, layers).img.convert("RGB")
    return img.resize((550, 825), Image.LANCZOS)


# --- home page pictures ----------------------------------------------------------

def banner():
    """PNG 158 x 92, shown in a 170 x 110 box: batch query, 79 couriers."""
    w, h = 170, 110
    card = shape_of(w, h, lambda g: g.rrect((2, 2, w - 2, h - 4), 12, fill=WHITE))
    body = gradient_fill(card, a(ORANGE_LIGHT), a(ORANGE_DARK), 2, h - 4)
    deco = Layer(w, h)
    deco.circle(150, 18, 34, fill=a((255, 255, 255), 28))
    deco.circle(20, 104, 30, fill=a((255, 255, 255), 20))
    dashed(deco, curve([(14, 84), (60, 74), (100, 88), (156, 70)]), a((255, 255, 255), 150),
           1.6, 5, 4)
    deco = clip(deco, card)
    words = Layer(w, h)
    text(words, (14, 16), BANNER_TITLE, 25, a((255, 255, 255)), bold=0.6)
    text(words, (15, 52), BANNER_LINE, 12.5, a((255, 250, 240)))
    art = []
    parcel(art, w, h, (124, 12, 154, 40))
    art += magnifier(w, h, 152, 38, 7, 6)
    art_layer = stack(w, h, art)
    img = stack(w, h, [shadow(card, 1.6, 0.3, 0, 1.4), body, deco,
                       shadow(words, 1.0, 0.35, 0, 0.8), words,
                       shadow(art_layer, 1.2, 0.3, 0, 1), art_layer]).result()
    return img.resize((158, 92), Image.LANCZOS)


def street():
    with scaled(3):
        return _street()


def _street():
    """JPEG 550 x 456, shown in a 170 x 110 box: a van on its round through town."""
    w, h = 340, 220
    s = 3
    sky = Layer(w, h)
    sky.img = Image.new("RGBA", sky.img.size)
    d = ImageDraw.Draw(sky.img)
    for y in range(h * s):
        d.line([(0, y), (w * s, y)], fill=mix((200, 228, 252), (250, 252, 255), y / (160 * s))
               + (255,))
    layers = [sky]
    sun = Layer(w, h)
    sun.img = radial(sun.img.size, (282 * s, 52 * s), 60 * s, (255, 214, 140), 1.5, 200)
    sun.circle(282, 52, 16, fill=a((255, 196, 90)))
    layers.append(sun)
    clouds = Layer(w, h)
    for cx, cy, k in ((70, 40, 1.0), (190, 28, 0.7), (250, 92, 0.55)):
        for dx, dy, r in ((0, 0, 12), (14, -6, 15), (30, 0, 11), (15, 4, 12)):
            clouds.circle(cx + dx * k, cy + dy * k, r * k, fill=a((255, 255, 255), 235))
    layers.append(clouds)
    city = Layer(w, h)
    x = 0
    heights = [58, 84, 66, 102, 74, 90, 60, 110, 70, 86, 64, 96, 72]
    for i, bh in enumerate(heights):
        bw = 22 + (i * 7) % 12
        city.rect((x, 160 - bh, x + bw, 162), fill=a(mix((168, 198, 230), (190, 214, 238),
                                                       (i % 3) / 2)))
        for wy in range(int(160 - bh + 8), 150, 12):
            for wx in range(int(x + 4), int(x + bw - 5), 8):
                city.rect((wx, wy, wx + 4, wy + 5), fill=a((236, 244, 252), 200))
        x += bw + 3
    layers.append(city)
    route = Layer(w, h)
    path = curve([(30, 120), (110, 70), (200, 104), (300, 66)])
    dashed(route, path, a(ORANGE, 230), 2.6, 8, 6)
    map_pin(route, 30, 124, 8, a(ORANGE_DARK), a((255, 255, 255)))
    map_pin(route, 300, 70, 10, a((232, 84, 40)), a((255, 255, 255)))
    layers.append(route)
    ground = Layer(w, h)
    ground.rect((0, 160, w, h), fill=a((120, 130, 146)))
    ground.rect((0, 160, w, 166), fill=a((210, 216, 224)))
    ground.rect((0, 208, w, h), fill=a((200, 206, 214)))
    for x0 in range(6, w, 34):
        ground.rect((x0, 186, x0 + 18, 189), fill=a((255, 255, 255), 230))
    layers.append(ground)
    vans = []
    van(vans, w, h, 122, 140, 1.9)
    layers += [shadow(stack(w, h, vans), 2, 0.35, 0, 3)] + vans
    img = stack(w, h, layers).img.convert("RGB")
    return img.resize((550, 456), Image.LANCZOS)


def thanks_badge():
    with scaled(2):
        return _thanks_badge()


def _thanks_badge():
    """JPEG 302 x 302, shown at 70 x 70: a parcel with a heart, and thanks."""
    w = h = 302
    s = 2
    back = Layer(w, h, s, fill=(255, 255, 255, 255))
    disc = shape_of(w, h, lambda g: g.circle(151, 149, 136, fill=WHITE))
    disc_body = gradient_fill(disc, a(ORANGE_LIGHT), a(ORANGE_DARK), 13, 285)
    ring = shape_of(w, h, lambda g: g.circle(151, 149, 122, outline=a((255, 255, 255), 120),
                                             width=4))
    box = []
    parcel(box, w, h, (86, 60, 216, 180), tape=False)
    heart = Layer(w, h)
    cx, cy = 151, 128
    heart.circle(cx - 17, cy - 6, 19, fill=a((236, 64, 72)))
    heart.circle(cx + 17, cy - 6, 19, fill=a((236, 64, 72)))
    heart.polygon([(cx - 35, cy), (cx + 35, cy), (cx, cy + 38)], a((236, 64, 72)))
    heart.circle(cx - 22, cy - 12, 6, fill=a((255, 255, 255), 120))
    words = Layer(w, h)
    text(words, (151, 232), THANKS, 50, a((255, 255, 255)), bold=1.2, anchor="mm")
    img = stack(w, h, [back, shadow(disc, 4, 0.3, 0, 3), disc_body, ring,
                       shadow(stack(w, h, box), 3, 0.35, 0, 3)] + box
                + [heart, shadow(words, 2, 0.35, 0, 2), words]).img
    return img.convert("RGB").resize((w, h), Image.LANCZOS)


if __name__ == "__main__":
    background().save("/tmp/art_background.png")
    background().resize((652, 475), Image.LANCZOS).save("/tmp/art_background_shown.png")
    banner().save("/tmp/art_banner.png")
    street().save("/tmp/art_street.png")
    thanks_badge().save("/tmp/art_thanks.png")
