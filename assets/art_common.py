"""Drawing helpers shared by the picture scripts.

Everything is drawn on a canvas SCALE times larger than the result and
box-filtered down at the end, which gives clean anti-aliased edges without a
vector library. Coordinates passed to the helpers are in result pixels (floats
allowed); a pixel i covers [i, i + 1).
"""

import contextlib

from PIL import Image, ImageChops, ImageDraw, ImageFilter

SCALE = 8
_scale = [SCALE]


@contextlib.contextmanager
def scaled(scale):
    """Layers made inside use this supersampling factor (big pictures need less)."""
    _scale.append(scale)
    try:
        yield
    finally:
        _scale.pop()


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    """Blends two colour tuples of the same length."""
    return tuple(int(round(lerp(a, b, t))) for a, b in zip(c1, c2))


class Layer:
    """An RGBA drawing surface in result-pixel coordinates."""

    def __init__(self, width, height, scale=None, fill=(0, 0, 0, 0)):
        scale = _scale[-1] if scale is None else scale
        self.width, self.height, self.s = width, height, scale
        self.img = Image.new("RGBA", (width * scale, height * scale), fill)
        self.draw = ImageDraw.Draw(self.img)

    def _pt(self, x, y):
        return (x * self.s, y * self.s)

    def _box(self, box):
        x0, y0, x1, y1 = box
        return [x0 * self.s, y0 * self.s, x1 * self.s - 1, y1 * self.s - 1]

    def ellipse(self, box, fill=None, outline=None, width=0.0):
        self.draw.ellipse(self._box(box), fill=fill, outline=outline,
                          width=int(round(width * self.s)))

    def circle(self, cx, cy, r, fill=None, outline=None, width=0.0):
        self.ellipse((cx - r, cy - r, cx + r, cy + r), fill, outline, width)

    def rrect(self, box, radius, fill=None, outline=None, width=0.0):
        self.draw.rounded_rectangle(self._box(box), radius=radius * self.s, fill=fill,
                                    outline=outline, width=int(round(width * self.s)))

    def rect(self, box, fill=None, outline=None, width=0.0):
        self.draw.rectangle(self._box(box), fill=fill, outline=outline,
                            width=int(round(width * self.s)))

    def polygon(self, points, fill):
        self.draw.polygon([self._pt(x, y) for x, y in points], fill=fill)

    def line(self, points, fill, width, round_caps=True):
        pts = [self._pt(x, y) for x, y in points]
        w = max(1, int(round(width * self.s)))
        self.draw.line(pts, fill=fill, width=w, joint="curve")
        if round_caps:
            for x, y in (points[0], points[-1]):
                self.circle(x, y, width / 2, fill=fill)

    def arc(self, box, start, end, fill, width):
        self.draw.arc(self._box(box), start, end, fill=fill,
                      width=max(1, int(round(width * self.s))))

    def alpha(self):
        return self.img.getchannel("A")

    def paste(self, other, dx=0.0, dy=0.0):
        """Composites another layer of the same scale over this one."""
        self.img.alpha_composite(other.img, (int(round(dx * self.s)), int(round(dy * self.s))))

    def result(self):
        return self.img.resize((self.width, self.height), Image.BOX)


def filled(shape, colour):
    """A layer of one colour wherever the shape layer has alpha."""
    out = Layer(shape.width, shape.height, shape.s)
    solid = Image.new("RGBA", out.img.size, colour[:3] + (255,))
    a = shape.alpha()
    if len(colour) == 4 and colour[3] != 255:
        a = a.point(lambda v: v * colour[3] // 255)
    solid.putalpha(a)
    out.img = solid
    out.draw = ImageDraw.Draw(out.img)
    return out


def vertical_gradient(size, top, bottom, y0=0, y1=None):
    """RGBA image of the given size; colours run from y0 to y1 (pixels)."""
    w, h = size
    if y1 is None:
        y1 = h
    column = Image.new("RGBA", (1, h))
    for y in range(h):
        t = 0.0 if y1 == y0 else min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        column.putpixel((0, y), mix(top, bottom, t))
    return column.resize((w, h), Image.NEAREST)


def gradient_fill(shape, top, bottom, y0=None, y1=None):
    """Fills the shape's alpha with a vertical gradient; y0/y1 in result pixels."""
    s = shape.s
    h = shape.img.size[1]
    g = vertical_gradient(shape.img.size, top, bottom,
                          0 if y0 is None else int(y0 * s), h if y1 is None else int(y1 * s))
    a = ImageChops.multiply(g.getchannel("A"), shape.alpha())
    g.putalpha(a)
    out = Layer(shape.width, shape.height, s)
    out.img = g
    out.draw = ImageDraw.Draw(out.img)
    return out


def shadow(shape, radius, opacity, dx=0.0, dy=0.0, colour=(0, 0, 0)):
    """A soft shadow layer of the shape, blurred by radius result pixels."""
    s = shape.s
    a = shape.alpha().filter(ImageFilter.GaussianBlur(radius * s))
    a = a.point(lambda v: min(255, int(v * opacity)))
    out = Layer(shape.width, shape.height, s)
    solid = Image.new("RGBA", out.img.size, colour + (255,))
    solid.putalpha(a)
    out.img.alpha_composite(solid, (int(round(dx * s)), int(round(dy * s))))
    return out


def clip(layer, mask_layer):
    """Keeps only the part of layer that lies inside mask_layer's alpha."""
    a = ImageChops.multiply(layer.alpha(), mask_layer.alpha())
    layer.img.putalpha(a)
    return layer


def stack(width, height, layers):
    out = Layer(width, height, layers[0].s if layers else None)
    for layer in layers:
        out.img.alpha_composite(layer.img)
    return out
