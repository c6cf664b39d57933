"""Small pictures: the three tab icons, the four advertising-tile icons, the
progress-bar thumbs and the program icon.

Colours follow the program's look: warm orange, white and a blue accent.
"""

import math
import struct

from art_common import Layer, gradient_fill, mix, shadow, stack

ORANGE = (247, 147, 30)
ORANGE_DARK = (222, 110, 14)
ORANGE_LIGHT = (255, 190, 100)
BLUE = (30, 136, 229)
BLUE_DARK = (18, 98, 180)
BLUE_LIGHT = (120, 190, 250)
CARTON = (236, 178, 104)
CARTON_DARK = (200, 132, 62)
TAPE = (250, 222, 170)
WHITE = (255, 255, 255, 255)


def a(colour, alpha=255):
    return tuple(colour[:3]) + (alpha,)


def shape_of(width, height, draw):
    layer = Layer(width, height)
    draw(layer)
    return layer


def with_shadow(width, height, layers, opacity=0.28, radius=1.6, dy=1.4):
    """Composites the layers over one soft drop shadow of their union."""
    union = stack(width, height, layers)
    return stack(width, height, [shadow(union, radius, opacity, 0, dy)] + layers).result()


# --- tab icons ----------------------------------------------------------------

def tab_home():
    w = h = 54
    roof = shape_of(w, h, lambda g: g.polygon(
        [(27, 6), (49, 26), (44.5, 29.5), (27, 14), (9.5, 29.5), (5, 26)], WHITE))
    roof = gradient_fill(roof, a(ORANGE_LIGHT), a(ORANGE_DARK), 6, 30)
    chimney = shape_of(w, h, lambda g: g.rrect((36, 9, 42, 20), 1, fill=a(ORANGE_DARK)))
    body_shape = shape_of(w, h, lambda g: g.polygon(
        [(27, 16.5), (43, 30.5), (43, 48), (11, 48), (11, 30.5)], WHITE))
    body = gradient_fill(body_shape, (255, 255, 255, 255), (236, 240, 246, 255), 16, 48)
    outline = shape_of(w, h, lambda g: g.line(
        [(11, 30.5), (11, 48), (43, 48), (43, 30.5)], a(BLUE_DARK, 140), 1.2))
    door = shape_of(w, h, lambda g: (g.rrect((23, 33, 31, 48), 2, fill=a(BLUE)),
                                      g.circle(29, 41, 0.9, fill=a((255, 230, 160)))))
    window = shape_of(w, h, lambda g: (g.rrect((14.5, 33, 20.5, 39), 1, fill=a(BLUE_LIGHT)),
                                        g.rrect((33.5, 33, 39.5, 39), 1, fill=a(BLUE_LIGHT))))
    ground = shape_of(w, h, lambda g: g.rrect((7, 47.5, 47, 50), 1.2, fill=a(BLUE_DARK, 200)))
    return with_shadow(w, h, [chimney, body, outline, roof, door, window, ground])


def parcel(g_layers, w, h, box, tape=True):
    """A carton seen from the front, slightly from above; appends its layers."""
    x0, y0, x1, y1 = box
    lid = (y1 - y0) * 0.28
    front = shape_of(w, h, lambda g: g.rrect((x0, y0 + lid, x1, y1), 1.5, fill=WHITE))
    g_layers.append(gradient_fill(front, a(CARTON), a(CARTON_DARK), y0 + lid, y1))
    top = shape_of(w, h, lambda g: g.polygon(
        [(x0, y0 + lid), (x0 + 3, y0), (x1 - 3, y0), (x1, y0 + lid)], WHITE))
    g_layers.append(gradient_fill(top, a(mix(CARTON, (255, 255, 255), 0.35)), a(CARTON),
                                  y0, y0 + lid))
    edge = shape_of(w, h, lambda g: g.line([(x0 + 0.5, y0 + lid), (x1 - 0.5, y0 + lid)],
                                           a(CARTON_DARK), 0.9, round_caps=False))
    g_layers.append(edge)
    if tape:
        cx = (x0 + x1) / 2
        tw = (x1 - x0) * 0.14
        g_layers.append(shape_of(w, h, lambda g: g.polygon(
            [(cx - tw, y0), (cx + tw, y0), (cx + tw * 1.1, y0 + lid),
             (cx + tw * 1.1, y1 - (y1 - y0) * 0.45), (cx - tw * 1.1, y1 - (y1 - y0) * 0.45),
             (cx - tw * 1.1, y0 + lid)], a(TAPE))))
    # a shipping label in the lower left corner
    lw, lh = (x1 - x0) * 0.3, (y1 - y0) * 0.2
    g_layers.append(shape_of(w, h, lambda g: (
        g.rrect((x0 + 3, y1 - lh - 3, x0 + 3 + lw, y1 - 3), 0.8, fill=a((255, 255, 255), 235)),
        g.line([(x0 + 4.5, y1 - lh - 0.8), (x0 + lw + 1.5, y1 - lh - 0.8)],
               a(BLUE, 200), 0.7, round_caps=False),
        g.line([(x0 + 4.5, y1 - lh + 1.4), (x0 + lw, y1 - lh + 1.4)],
               a((150, 150, 150), 200), 0.7, round_caps=False))))


def magnifier(w, h, cx, cy, r, handle):
    glass = shape_of(w, h, lambda g: g.circle(cx, cy, r, fill=WHITE))
    glass = gradient_fill(glass, (235, 246, 255, 215), (190, 224, 252, 215), cy - r, cy + r)
    ring = shape_of(w, h, lambda g: g.circle(cx, cy, r, outline=a(BLUE), width=r * 0.32))
    shine = shape_of(w, h, lambda g: g.arc((cx - r * 0.62, cy - r * 0.62, cx + r * 0.62,
                                            cy + r * 0.62), 200, 260, a((255, 255, 255), 230),
                                           r * 0.16))
    ang = math.radians(45)
    sx, sy = cx + r * math.cos(ang) * 1.05, cy + r * math.sin(ang) * 1.05
    ex, ey = sx + handle * math.cos(ang), sy + handle * math.sin(ang)
    grip = shape_of(w, h, lambda g: g.line([(sx, sy), (ex, ey)], a(BLUE_DARK), r * 0.5))
    return [grip, glass, ring, shine]


def tab_query():
    w = h = 55
    layers = []
    parcel(layers, w, h, (5, 8, 39, 42))
    layers += magnifier(w, h, 36, 35, 9.5, 10)
    return with_shadow(w, h, layers)


def pin(w, h, cx, top, r, colour_top, colour_bottom):
    """A map pin whose round head has centre (cx, top + r) and whose tip is below."""
    cy = top + r
    tip = cy + r * 2.05
    body = Layer(w, h)
    body.circle(cx, cy, r, fill=WHITE)
    k = r * 0.82
    body.polygon([(cx - k, cy + r * 0.55), (cx + k, cy + r * 0.55), (cx, tip)], WHITE)
    filled = gradient_fill(body, a(colour_top), a(colour_bottom), top, tip)
    hole = shape_of(w, h, lambda g: g.circle(cx, cy, r * 0.42, fill=WHITE))
    return [filled, hole], tip


def tab_outlets():
    w = h = 54
    panels = [
        [(5, 26), (18, 22), (18, 48), (5, 52)],
        [(18, 22), (35, 27), (35, 52), (18, 48)],
        [(35, 27), (49, 22), (49, 48), (35, 52)],
    ]
    colours = [(214, 236, 252), (186, 220, 248), (214, 236, 252)]
    layers = []
    for poly, colour in zip(panels, colours):
        layers.append(shape_of(w, h, lambda g, p=poly, c=colour: g.polygon(p, a(c))))
    roads = shape_of(w, h, lambda g: (
        g.line([(6, 44), (16, 38), (27, 41), (40, 33), (48, 35)], a((255, 255, 255), 230), 1.8),
        g.line([(12, 27), (22, 35), (24, 49)], a((255, 255, 255), 200), 1.2)))
    layers.append(roads)
    route = shape_of(w, h, lambda g: [
        g.circle(x, y, 0.9, fill=a(BLUE)) for x, y in ((10, 41), (14, 39), (18, 38.6),
                                                        (22, 39.6))])
    layers.append(route)
    head, _ = pin(w, h, 30, 3, 10, (255, 120, 50), (226, 76, 24))
    layers += head
    return with_shadow(w, h, layers)


# --- advertising tiles --------------------------------------------------------

def tile_megaphone():
    w, h = 47, 50
    layers = []
    cone = shape_of(w, h, lambda g: g.polygon([(9, 19), (27, 10), (27, 38), (9, 29)], WHITE))
    layers.append(gradient_fill(cone, a(ORANGE_LIGHT), a(ORANGE_DARK), 10, 38))
    layers.append(shape_of(w, h, lambda g: g.rrect((4, 18, 11, 30), 2, fill=a(BLUE))))
    layers.append(shape_of(w, h, lambda g: g.rrect((25.5, 8.5, 30, 39.5), 2,
                                                   fill=a(ORANGE_DARK))))
    layers.append(shape_of(w, h, lambda g: g.polygon([(11, 29), (16, 31), (18.5, 42),
                                                      (14, 43)], a(BLUE_DARK))))
    waves = shape_of(w, h, lambda g: (
        g.arc((26, 14, 40, 34), -50, 50, a(BLUE), 2.2),
        g.arc((26, 8, 46, 40), -48, 48, a(BLUE, 170), 2.2)))
    layers.append(waves)
    return with_shadow(w, h, layers)


def rounded_tile(w, h, top, bottom, draw_glyph, radius=9):
    back = Layer(w, h, fill=(255, 255, 255, 255))
    tile = shape_of(w, h, lambda g: g.rrect((3, 2, w - 3, h - 4), radius, fill=WHITE))
    body = gradient_fill(tile, a(top), a(bottom), 2, h - 4)
    gloss = shape_of(w, h, lambda g: g.rrect((3, 2, w - 3, h * 0.48), radius,
                                             fill=a((255, 255, 255), 40)))
    glyph = Layer(w, h)
    draw_glyph(glyph)
    return stack(w, h, [back, shadow(tile, 1.5, 0.3, 0, 1.2), body, gloss,
                        shadow(glyph, 0.8, 0.25, 0, 0.6), glyph]).result().convert("RGB")


def tile_shop():
    def glyph(g):
        g.rect((13, 24, 37, 38), fill=WHITE)
        for i in range(4):
            x0 = 11 + i * 7
            fill = WHITE if i % 2 == 0 else a((255, 214, 160))
            g.polygon([(x0, 15), (x0 + 7, 15), (x0 + 7, 22), (x0, 22)], fill)
            g.ellipse((x0, 19.5, x0 + 7, 25), fill=fill)
        g.rect((22, 29, 28, 38), fill=a(BLUE_DARK))
        g.rect((15, 28, 20, 33), fill=a(BLUE_LIGHT))
        g.rect((30, 28, 35, 33), fill=a(BLUE_LIGHT))
    return rounded_tile(50, 50, (74, 166, 244), BLUE_DARK, glyph)


def van(g_layers, w, h, x, y, scale=1.0, wheel_angle=0.0):
    """A side view of a delivery van, body at (x, y) in a 44 x 24 box scaled."""
    def p(px, py):
        return (x + px * scale, y + py * scale)

    body = shape_of(w, h, lambda g: g.rrect((*p(0, 0), *p(28, 18)), 2.5 * scale, fill=WHITE))
    g_layers.append(gradient_fill(body, a((255, 255, 255)), a((226, 232, 240)),
                                  y, y + 18 * scale))
    g_layers.append(shape_of(w, h, lambda g: g.rrect((*p(0, 0), *p(28, 18)), 2.5 * scale,
                                                     outline=a((150, 164, 184), 200),
                                                     width=max(0.6, 0.5 * scale))))
    cab = shape_of(w, h, lambda g: g.polygon(
        [p(28.5, 4), p(36, 4), p(42, 11), p(42, 18), p(28.5, 18)], WHITE))
    g_layers.append(gradient_fill(cab, a(ORANGE_LIGHT), a(ORANGE_DARK), y + 4 * scale,
                                  y + 18 * scale))
    g_layers.append(shape_of(w, h, lambda g: g.polygon(
        [p(31, 6), p(35.2, 6), p(39.2, 10.8), p(31, 10.8)], a(BLUE_LIGHT))))
    g_layers.append(shape_of(w, h, lambda g: g.rect((*p(2, 9), *p(26, 12)), fill=a(ORANGE))))
    g_layers.append(shape_of(w, h, lambda g: g.rrect((*p(-1, 17), *p(43.5, 20)), 1.2 * scale,
                                                     fill=a((70, 80, 96)))))
    for cx in (9, 34):
        wx, wy = p(cx, 20)
        r = 4.2 * scale

        def wheel(g, wx=wx, wy=wy, r=r):
            g.circle(wx, wy, r, fill=a((50, 56, 66)))
            g.circle(wx, wy, r * 0.5, fill=a((210, 216, 224)))
            for k in range(3):
                ang = wheel_angle + k * 2 * math.pi / 3
                g.line([(wx, wy), (wx + r * 0.48 * math.cos(ang), wy + r * 0.48 * math.sin(ang))],
                       a((90, 98, 110)), 0.9 * scale, round_caps=False)
        g_layers.append(shape_of(w, h, wheel))


def tile_truck():
    w, h = 50, 38
    layers = []
    speed = shape_of(w, h, lambda g: [g.line([(1, y), (6 - k * 1.5, y)], a(BLUE, 190), 1.4)
                                      for k, y in enumerate((12, 17, 22))])
    layers.append(speed)
    van(layers, w, h, 5, 6, 1.0)
    return with_shadow(w, h, layers, opacity=0.22)


def tile_growth():
    def glyph(g):
        for i, top in enumerate((30, 24, 17)):
            x0 = 13 + i * 9
            g.rrect((x0, top, x0 + 6, 37), 1, fill=WHITE)
        g.line([(12, 25), (21, 18), (27, 21), (37, 11)], a((255, 246, 220)), 2.2)
        g.polygon([(39.5, 8.5), (39, 16), (32.5, 10.5)], a((255, 246, 220)))
    return rounded_tile(50, 48, ORANGE_LIGHT, ORANGE_DARK, glyph)


# --- progress-bar thumbs ------------------------------------------------------

def thumb(ring):
    w = h = 18
    knob = shape_of(w, h, lambda g: g.circle(9, 8.7, 7.2, fill=WHITE))
    face = gradient_fill(knob, (255, 255, 255, 255), (226, 232, 240, 255), 1.5, 16)
    edge = shape_of(w, h, lambda g: g.circle(9, 8.7, 7.2, outline=a(ring), width=1.6))
    dot = shape_of(w, h, lambda g: g.circle(9, 8.7, 2.4, fill=a(ring)))
    return stack(w, h, [shadow(knob, 1.0, 0.4, 0, 0.8), face, edge, dot]).result()


# --- program icon ---------------------------------------------------------------

def bezier(p0, p1, p2, steps=24):
    return [((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0],
             (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1])
            for t in (i / steps for i in range(steps + 1))]


def program_icon(size):
    """A parcel with a blue route arrow rising past it, drawn on a 48-unit grid."""
    u = size / 48.0

    def s(v):
        return v * u

    w = h = size
    layers = []
    parcel(layers, w, h, (s(2), s(15), s(33), s(45)), tape=size >= 24)
    if size < 24:
        del layers[-1]  # the shipping label is noise at 16 px
    stroke = max(s(5.0), 2.2)
    path = bezier((s(20), s(44)), (s(42), s(40)), (s(41), s(12)))
    outline = shape_of(w, h, lambda g: g.line(path, WHITE, stroke + max(s(3), 1.2)))
    route = shape_of(w, h, lambda g: g.line(path, a(BLUE), stroke))
    (x1, y1), (x0, y0) = path[-1], path[-3]
    length = math.hypot(x1 - x0, y1 - y0)
    dx, dy = (x1 - x0) / length, (y1 - y0) / length
    hs = max(s(12), 5.5)
    tip = (x1 + dx * hs * 0.55, y1 + dy * hs * 0.55)
    left = (x1 - dy * hs * 0.55 - dx * hs * 0.25, y1 + dx * hs * 0.55 - dy * hs * 0.25)
    right = (x1 + dy * hs * 0.55 - dx * hs * 0.25, y1 - dx * hs * 0.55 - dy * hs * 0.25)
    head_outline = shape_of(w, h, lambda g: g.polygon([tip, left, right], WHITE))
    head = shape_of(w, h, lambda g: g.polygon([tip, left, right], a(BLUE)))
    layers += [outline, shadow(head_outline, max(s(1), 0.6), 1.0), route, head]
    if size < 24:
        return stack(w, h, layers).result()
    return with_shadow(w, h, layers, opacity=0.3, radius=s(1.5), dy=s(1.2))


def ico_bytes(images):
    """An .ico of 32-bit DIB images (with AND masks), which every Windows reads."""
    header = struct.pack("<HHH", 0, 1, len(images))
    directory, bodies = b"", b""
    offset = 6 + 16 * len(images)
    for img in images:
        w, h = img.size
        rgba = img.convert("RGBA")
        rows = []
        for y in range(h - 1, -1, -1):
            row = b"".join(struct.pack("BBBB", b, g, r, al)
                           for r, g, b, al in (rgba.getpixel((x, y)) for x in range(w)))
            rows.append(row)
        mask_stride = ((w + 31) // 32) * 4
        mask_rows = []
        for y in range(h - 1, -1, -1):
            bits = bytearray(mask_stride)
            for x in range(w):
                if rgba.getpixel((x, y))[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask_rows.append(bytes(bits))
        dib = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0,
                          len(b"".join(rows)) + len(b"".join(mask_rows)), 0, 0, 0, 0)
        body = dib + b"".join(rows) + b"".join(mask_rows)
        directory += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(body), offset)
        bodies += body
        offset += len(body)
    return header + directory + bodies


def program_icon_file():
    return ico_bytes([program_icon(s) for s in (16, 32, 48)])


def contact_images():
    """Everything this module draws, for a look at the art."""
    return {
        "tab_home": tab_home(), "tab_query": tab_query(), "tab_outlets": tab_outlets(),
        "tile_megaphone": tile_megaphone(), "tile_shop": tile_shop(),
        "tile_truck": tile_truck(), "tile_growth": tile_growth(),
        "thumb_blue": thumb(BLUE), "thumb_orange": thumb(ORANGE),
        "icon16": program_icon(16), "icon32": program_icon(32), "icon48": program_icon(48),
    }


if __name__ == "__main__":
    for name, img in contact_images().items():
        img.save(f"/tmp/art_{name}.png")
