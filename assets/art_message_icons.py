"""The message-box icon strip: five 40 x 40 icons side by side, 200 x 40.

Order: error, warning, question, information, success.
"""

from PIL import Image

from art_common import Layer, gradient_fill, shadow, stack

SIZE = 40
WHITE = (255, 255, 255, 255)

# (top colour, bottom colour, rim colour) of each disc
DISCS = {
    "error": ((242, 96, 84), (198, 36, 34), (160, 26, 24)),
    "warning": ((255, 192, 84), (240, 128, 18), (200, 100, 10)),
    "question": ((156, 176, 200), (98, 122, 152), (80, 100, 128)),
    "information": ((92, 164, 242), (28, 106, 206), (22, 84, 170)),
    "success": ((114, 208, 112), (46, 156, 58), (36, 128, 46)),
}
ORDER = ("error", "warning", "question", "information", "success")
CX, CY, R = 20.0, 19.5, 17.0


def _cross(g):
    g.line([(CX - 6.5, CY - 6.5), (CX + 6.5, CY + 6.5)], WHITE, 3.6)
    g.line([(CX + 6.5, CY - 6.5), (CX - 6.5, CY + 6.5)], WHITE, 3.6)


def _exclamation(g):
    g.polygon([(CX - 2.3, CY - 10), (CX + 2.3, CY - 10), (CX + 1.4, CY + 4.2),
               (CX - 1.4, CY + 4.2)], WHITE)
    g.circle(CX, CY - 10, 2.3, fill=WHITE)
    g.circle(CX, CY + 8.4, 2.3, fill=WHITE)


def _question(g):
    g.arc((CX - 5.6, CY - 11.2, CX + 5.6, CY + 0.0), 190, 440, WHITE, 3.4)
    g.line([(CX + 2.3, CY - 0.6), (CX, CY + 1.6), (CX, CY + 3.2)], WHITE, 3.4)
    g.circle(CX, CY + 8.4, 2.3, fill=WHITE)


def _information(g):
    g.circle(CX, CY - 9.0, 2.4, fill=WHITE)
    g.rrect((CX - 1.9, CY - 4.2, CX + 1.9, CY + 9.8), 0.8, fill=WHITE)
    g.rrect((CX - 4.6, CY - 4.2, CX + 1.9, CY - 2.2), 0.6, fill=WHITE)
    g.rrect((CX - 4.8, CY + 8.0, CX + 4.8, CY + 10.0), 0.6, fill=WHITE)


def _check(g):
    g.line([(CX - 8.0, CY + 0.5), (CX - 2.5, CY + 6.0), (CX + 8.5, CY - 6.0)], WHITE, 3.8)


GLYPHS = {
    "error": _cross, "warning": _exclamation, "question": _question,
    "information": _information, "success": _check,
}


def icon(kind):
    top, bottom, rim_colour = DISCS[kind]
    disc = Layer(SIZE, SIZE)
    disc.circle(CX, CY, R, fill=WHITE)
    body = gradient_fill(disc, top + (255,), bottom + (255,), CY - R, CY + R)
    rim = Layer(SIZE, SIZE)
    rim.circle(CX, CY, R, outline=rim_colour + (255,), width=1.1)
    gloss_shape = Layer(SIZE, SIZE)
    gloss_shape.ellipse((CX - 12.5, CY - 15.5, CX + 12.5, CY - 1.5), fill=WHITE)
    gloss = gradient_fill(gloss_shape, (255, 255, 255, 95), (255, 255, 255, 0),
                          CY - 15.5, CY - 1.5)
    glyph = Layer(SIZE, SIZE)
    GLYPHS[kind](glyph)
    return stack(SIZE, SIZE, [
        shadow(disc, 1.4, 0.35, 0, 1.0),
        body, gloss, rim,
        shadow(glyph, 0.9, 0.35, 0, 0.7),
        glyph,
    ]).result()


def make():
    strip = Image.new("RGBA", (SIZE * len(ORDER), SIZE), (0, 0, 0, 0))
    for i, kind in enumerate(ORDER):
        strip.paste(icon(kind), (i * SIZE, 0))
    return strip
