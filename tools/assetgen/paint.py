"""Drawing helpers shared by the picture modules.

Pictures are composed as float RGBA arrays (0..1, straight alpha) so that
layers can be blended exactly; shapes are drawn by PIL on a canvas SS times
larger and box-reduced with premultiplied alpha, which gives clean edges
without colour fringes on transparent sprites.
"""
import numpy as np
from PIL import Image, ImageDraw, ImageFont

SS = 4  # supersampling factor for shapes and text


def rng(seed):
    return np.random.default_rng(seed)


def blank(w, h, rgba=(0, 0, 0, 0)):
    a = np.zeros((h, w, 4), np.float64)
    a[:] = np.array(rgba, np.float64)
    return a


def over(dst, src, x=0, y=0, opacity=1.0):
    """Blend src (straight alpha) over dst in place with its top-left at (x, y)."""
    h, w = src.shape[:2]
    x0, y0 = max(x, 0), max(y, 0)
    x1, y1 = min(x + w, dst.shape[1]), min(y + h, dst.shape[0])
    if x0 >= x1 or y0 >= y1:
        return dst
    s = src[y0 - y:y1 - y, x0 - x:x1 - x]
    d = dst[y0:y1, x0:x1]
    sa = s[..., 3:4] * opacity
    da = d[..., 3:4]
    oa = sa + da * (1 - sa)
    rgb = (s[..., :3] * sa + d[..., :3] * da * (1 - sa)) / np.maximum(oa, 1e-9)
    d[..., :3] = np.where(oa > 0, rgb, d[..., :3])
    d[..., 3:4] = oa
    return dst


class Layer:
    """A supersampled PIL drawing surface for shapes and text at (w, h) pixels.

    Coordinates passed to its methods are in final pixels (floats allowed);
    pixel (x, y) covers the square from x to x + 1, so a pixel's centre is at
    x + 0.5.
    """

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.img = Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 0))
        self.draw = ImageDraw.Draw(self.img)

    @staticmethod
    def _c(color):
        c = tuple(int(round(v)) for v in color)
        return c if len(c) == 4 else c + (255,)

    def _xy(self, pts):
        return [(px * SS, py * SS) for px, py in pts]

    def rect(self, x0, y0, x1, y1, color):
        """Fill the pixels from (x0, y0) up to but not including (x1, y1)."""
        self.draw.rectangle([x0 * SS, y0 * SS, x1 * SS - 1, y1 * SS - 1], fill=self._c(color))

    def rrect(self, x0, y0, x1, y1, r, color):
        self.draw.rounded_rectangle([x0 * SS, y0 * SS, x1 * SS - 1, y1 * SS - 1],
                                    radius=r * SS, fill=self._c(color))

    def ellipse(self, cx, cy, rx, ry, color, width=0):
        box = [(cx - rx) * SS, (cy - ry) * SS, (cx + rx) * SS, (cy + ry) * SS]
        if width:
            self.draw.ellipse(box, outline=self._c(color), width=max(1, int(width * SS)))
        else:
            self.draw.ellipse(box, fill=self._c(color))

    def circle(self, cx, cy, r, color, width=0):
        self.ellipse(cx, cy, r, r, color, width)

    def poly(self, pts, color):
        self.draw.polygon(self._xy(pts), fill=self._c(color))

    def line(self, pts, color, width=1.0):
        self.draw.line(self._xy(pts), fill=self._c(color), width=max(1, int(round(width * SS))))

    def text(self, x, y, s, size, color, anchor="la", font=None):
        f = ImageFont.truetype(font or FONT_PATH[0], int(round(size * SS)))
        self.draw.text((x * SS, y * SS), s, font=f, fill=self._c(color), anchor=anchor)

    def array(self):
        """The layer reduced to final size as a float RGBA array."""
        a = np.asarray(self.img, np.float64) / 255.0
        a[..., :3] *= a[..., 3:4]
        a = a.reshape(self.h, SS, self.w, SS, 4).mean(axis=(1, 3))
        rgb = a[..., :3] / np.maximum(a[..., 3:4], 1e-9)
        return np.concatenate([np.clip(rgb, 0, 1), a[..., 3:4]], axis=2)


# The display font used for every label; set by the driver once the
# font file has been built, so labels and the game's own texts match.
FONT_PATH = [None]


def text_width(s, size):
    return ImageFont.truetype(FONT_PATH[0], int(round(size * SS))).getlength(s) / SS


def smooth_noise(shape, scale, r, stretch=(1.0, 1.0)):
    """Value noise: random lattice values spaced `scale` pixels apart, bicubically
    interpolated; `stretch` lengthens the features along x and y."""
    h, w = shape
    gw = int(w / (scale * stretch[0])) + 4
    gh = int(h / (scale * stretch[1])) + 4
    g = r.random((gh, gw)).astype(np.float32)
    img = Image.fromarray(g, mode="F").resize((int(gw * scale * stretch[0]), int(gh * scale * stretch[1])),
                                              Image.BICUBIC)
    a = np.asarray(img, np.float64)
    return a[:h, :w]


def fbm(shape, base, octaves, r, stretch=(1.0, 1.0), gain=0.5):
    total = np.zeros(shape)
    amp, norm, scale = 1.0, 0.0, base
    for _ in range(octaves):
        total += amp * (smooth_noise(shape, scale, r, stretch) - 0.5)
        norm += amp
        amp *= gain
        scale /= 2.0
    return total / norm


def grid(w, h):
    """Pixel-centre coordinates as two arrays (x, y)."""
    y, x = np.mgrid[0:h, 0:w].astype(np.float64)
    return x + 0.5, y + 0.5


def to_image(a, mode="RGBA"):
    b = np.clip(np.round(a * 255.0), 0, 255).astype(np.uint8)
    img = Image.fromarray(b, "RGBA")
    return img if mode == "RGBA" else img.convert(mode)


def rgb(*c):
    """Colour from 0..255 components to 0..1 floats, opaque unless alpha is given."""
    v = [x / 255.0 for x in c]
    return tuple(v) if len(v) == 4 else tuple(v) + (1.0,)


def fill(w, h, color):
    return blank(w, h, rgb(*color))


def clamp01(a):
    return np.clip(a, 0.0, 1.0)


def smoothstep(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


def cell_edges(shape, cell, r):
    """Worley noise on a jittered grid: the gap F2 - F1 between the nearest and
    second-nearest feature points, in pixels. Small along cell borders, so it
    draws bubbles and foam."""
    h, w = shape
    gh, gw = h // cell + 3, w // cell + 3
    pts = (r.random((gh, gw, 2)) + np.stack(np.mgrid[0:gh, 0:gw], axis=-1)[..., ::-1]) * cell
    x, y = grid(w, h)
    ci, cj = (y // cell).astype(int) + 1, (x // cell).astype(int) + 1
    f1 = np.full(shape, 1e9)
    f2 = np.full(shape, 1e9)
    for di in (-1, 0, 1):
        for dj in (-1, 0, 1):
            p = pts[np.clip(ci + di, 0, gh - 1), np.clip(cj + dj, 0, gw - 1)]
            d = np.hypot(p[..., 0] - cell - x, p[..., 1] - cell - y)
            f2 = np.where(d < f1, f1, np.minimum(f2, d))
            f1 = np.minimum(f1, d)
    return f2 - f1
