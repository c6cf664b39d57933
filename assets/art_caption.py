"""The caption-button sprite: one row of 24 cells, 729 x 20 pixels.

Each button kind has a normal, a hover and a pressed cell; cells hold their
pixels in rows 1 to 19 and are separated by one transparent column.
"""

import math

from PIL import Image

from art_common import Layer, gradient_fill, shadow, stack

HEIGHT = 20
WIDTH = 729
GLYPH = (252, 252, 252, 255)

# kind -> (cell width, x of the normal, hover and pressed cells)
CELLS = {
    "close": (39, (0, 40, 80)),
    "maximize": (28, (120, 149, 178)),
    "restore": (28, (207, 236, 265)),
    "minimize": (28, (294, 323, 352)),
    "settings": (28, (381, 410, 439)),
    "skin": (28, (468, 497, 526)),
    "help": (28, (555, 584, 613)),
    "mail": (28, (642, 671, 700)),
}

# Faces per state: (top colour, bottom colour, outline) or None for no face.
FACES = {
    "normal": None,
    "hover": ((255, 255, 255, 110), (255, 255, 255, 60), (255, 255, 255, 120)),
    "pressed": ((0, 0, 0, 70), (0, 0, 0, 105), (0, 0, 0, 60)),
}
CLOSE_FACES = {
    "normal": None,
    "hover": ((240, 84, 70, 240), (205, 38, 30, 240), (150, 20, 15, 200)),
    "pressed": ((175, 32, 24, 245), (140, 20, 14, 245), (110, 10, 8, 220)),
}


def _close(g, cx, cy):
    g.line([(cx - 4.5, cy - 4.5), (cx + 4.5, cy + 4.5)], GLYPH, 1.7)
    g.line([(cx + 4.5, cy - 4.5), (cx - 4.5, cy + 4.5)], GLYPH, 1.7)


def _maximize(g, cx, cy):
    g.rect((cx - 5.5, cy - 5, cx + 5.5, cy + 5), outline=GLYPH, width=1.3)
    g.rect((cx - 5.5, cy - 5, cx + 5.5, cy - 3), fill=GLYPH)


def _restore(g, cx, cy):
    g.rect((cx - 2.5, cy - 5.5, cx + 5.5, cy + 1.5), outline=GLYPH, width=1.3)
    g.rect((cx - 2.5, cy - 5.5, cx + 5.5, cy - 4), fill=GLYPH)
    g.rect((cx - 5.5, cy - 2.5, cx + 2.5, cy + 5.5), fill=(0, 0, 0, 0))
    g.rect((cx - 5.5, cy - 2.5, cx + 2.5, cy + 5.5), outline=GLYPH, width=1.3)
    g.rect((cx - 5.5, cy - 2.5, cx + 2.5, cy - 1), fill=GLYPH)


def _minimize(g, cx, cy):
    g.rect((cx - 5.5, cy + 2.5, cx + 5.5, cy + 4.5), fill=GLYPH)


def _settings(g, cx, cy):
    # A gear: eight square teeth around a ring with a hole.
    teeth, outer, body = 8, 6.2, 4.4
    pts = []
    for i in range(teeth * 4):
        a = 2 * math.pi * (i + 0.5) / (teeth * 4)
        r = outer if (i % 4) in (1, 2) else body
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    g.polygon(pts, GLYPH)
    g.circle(cx, cy, 1.9, fill=(0, 0, 0, 0))


def _skin(g, cx, cy):
    # A framed picture with a hill and a sun: "choose a background picture".
    g.rect((cx - 6.5, cy - 5, cx + 6.5, cy + 5), outline=GLYPH, width=1.3)
    g.polygon([(cx - 5, cy + 3.7), (cx - 1.6, cy - 0.6), (cx + 0.6, cy + 1.6),
               (cx + 2.4, cy - 0.2), (cx + 5, cy + 3.7)], GLYPH)
    g.circle(cx + 2.6, cy - 2.3, 1.2, fill=GLYPH)


def _help(g, cx, cy):
    g.circle(cx, cy, 6.2, outline=GLYPH, width=1.3)
    g.arc((cx - 2.4, cy - 4.3, cx + 2.4, cy + 0.5), 180, 420, GLYPH, 1.4)
    g.line([(cx + 1.2, cy - 0.2), (cx, cy + 1.0), (cx, cy + 1.6)], GLYPH, 1.4)
    g.circle(cx, cy + 3.6, 0.95, fill=GLYPH)


def _mail(g, cx, cy):
    g.rect((cx - 6.5, cy - 4.5, cx + 6.5, cy + 4.5), outline=GLYPH, width=1.3)
    g.line([(cx - 5.8, cy - 3.8), (cx, cy + 0.8), (cx + 5.8, cy - 3.8)], GLYPH, 1.3)


GLYPHS = {
    "close": _close, "maximize": _maximize, "restore": _restore, "minimize": _minimize,
    "settings": _settings, "skin": _skin, "help": _help, "mail": _mail,
}


def cell(kind, state):
    width, _ = CELLS[kind]
    faces = CLOSE_FACES if kind == "close" else FACES
    layers = []
    face = faces[state]
    if face is not None:
        top, bottom, outline = face
        shape = Layer(width, HEIGHT)
        shape.rrect((0, 1, width, HEIGHT), 3, fill=(255, 255, 255, 255))
        layers.append(gradient_fill(shape, top, bottom, 1, HEIGHT))
        rim = Layer(width, HEIGHT)
        rim.rrect((0, 1, width, HEIGHT), 3, outline=outline, width=1)
        layers.append(rim)
    glyph = Layer(width, HEIGHT)
    GLYPHS[kind](glyph, width / 2, 10.5)
    if state == "pressed":
        moved = Layer(width, HEIGHT)
        moved.paste(glyph, 0, 0.5)
        glyph = moved
    layers.append(shadow(glyph, 1.3, 1.1, 0, 0.6))
    layers.append(shadow(glyph, 0.5, 0.9))
    layers.append(glyph)
    img = stack(width, HEIGHT, layers).result()
    # Rows outside 1..19 stay clear whatever the blur did.
    clear = Image.new("RGBA", (width, 1), (0, 0, 0, 0))
    img.paste(clear, (0, 0))
    return img


def make():
    sprite = Image.new("RGBA", (WIDTH, HEIGHT), (0, 0, 0, 0))
    for kind, (_, xs) in CELLS.items():
        for state, x in zip(("normal", "hover", "pressed"), xs):
            sprite.paste(cell(kind, state), (x, 0))
    return sprite
