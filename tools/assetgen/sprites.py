"""The small pictures the game draws over its screens: lamps, rocker, slider
knob, sight, explosion, submarine, backdrop and window icon.

Sizes follow how the game draws them: lamps are stretched into 26-pixel
cells and the red one is also set unscaled into 30-pixel cells, so every lamp
is 30 x 30 with the glass centred; the rocker and the knob have exactly the
size of the rectangles they are stretched to, so they are never resampled.
"""
import math

import numpy as np

from . import paint as P


def supersampled(w, h, shade):
    """Evaluate shade(x, y) -> RGBA arrays at SS x SS points per pixel and average
    with premultiplied alpha. x, y are in final pixel units."""
    k = P.SS
    y, x = np.mgrid[0:h * k, 0:w * k].astype(np.float64)
    a = shade((x + 0.5) / k, (y + 0.5) / k)
    a[..., :3] *= a[..., 3:4]
    a = a.reshape(h, k, w, k, 4).mean(axis=(1, 3))
    a[..., :3] /= np.maximum(a[..., 3:4], 1e-9)
    return np.clip(a, 0, 1)


def mix(c0, c1, t):
    t = np.asarray(t)[..., None]
    return np.asarray(c0, float) * (1 - t) + np.asarray(c1, float) * t


def ramp(stops, t):
    """Piecewise-linear colour ramp; stops are (position, (r, g, b)) in 0..255."""
    t = np.clip(t, 0, 1)
    out = np.zeros(t.shape + (3,))
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        m = (t >= p0) & (t <= p1)
        u = (t[m] - p0) / max(p1 - p0, 1e-9)
        out[m] = mix(c0, c1, u) / 255.0
    return out


# Lamp glass: centre, middle and rim colours, whether it is lit, and its inner mark. The three
# ammunition states differ in lightness and on the blue-yellow axis as well as in hue, so that
# eyes without red, green or blue cones still tell them apart; the marks say it without colour:
# a clear glass issued, a slash through a used one, a bar across one held back. The issued glass
# leans to blue: to eyes without red cones the held-back orange shows as a dim yellow, and the
# light the two give off would be too alike with the green alone.
LAMPS = {
    "green": ((225, 255, 250), (0, 215, 222), (0, 100, 128), True, None),
    "green_off": ((40, 44, 58), (22, 26, 36), (8, 10, 16), False, "slash"),
    "red": ((255, 235, 170), (255, 100, 10), (150, 35, 0), True, "bar"),
}
MARKS = {"slash": (90, 95, 105), "bar": (255, 240, 225)}


def lamp(kind):
    centre, middle, rim, lit, mark = LAMPS[kind]
    cx = cy = 15.0

    def shade(x, y):
        d = np.hypot(x - cx, y - cy)
        out = np.zeros(x.shape + (4,))
        glass = d < 10.5
        t = d / 10.5
        out[..., :3] = ramp([(0, centre), (0.45, middle), (1, rim)], t)
        if mark is not None:
            u, v = x - cx, y - cy
            on = (np.abs(u + v) < 1.6 * np.sqrt(2)) if mark == "slash" else ((np.abs(v) < 2.0) & (np.abs(u) < 7.5))
            out[..., :3] = np.where((on & glass)[..., None], np.asarray(MARKS[mark]) / 255.0, out[..., :3])
        # Metal bezel, lit from the top left.
        ring = (d >= 10.5) & (d < 13.2)
        light = np.clip(0.5 - ((x - cx) + (y - cy)) / (2 * 13.2 * 1.4), 0, 1)
        bez = mix((38, 40, 44), (150, 155, 160), light) / 255.0
        inner = (d >= 10.5) & (d < 11.3)
        out[..., :3] = np.where(ring[..., None], bez, out[..., :3])
        out[..., :3] = np.where(inner[..., None], np.array([0.04, 0.04, 0.05]), out[..., :3])
        out[..., 3] = np.where(glass | ring, 1.0, 0.0)
        # Specular spot on the glass.
        hx, hy = x - (cx - 3.6), (y - (cy - 3.8)) * 1.5
        specular = np.clip(1 - np.hypot(hx, hy) / 3.6, 0, 1) ** 1.5 * (0.85 if lit else 0.45)
        out[..., :3] = np.where(glass[..., None], out[..., :3] * (1 - specular[..., None]) + specular[..., None],
                                out[..., :3])
        if lit:
            # A faint glow that spills over the bezel into the socket.
            halo = (d >= 13.2) & (d < 15)
            out[..., :3] = np.where(halo[..., None], np.asarray(middle) / 255.0, out[..., :3])
            out[..., 3] = np.where(halo, 0.35 * (1 - (d - 13.2) / 1.8), out[..., 3])
        return out

    return supersampled(30, 30, shade)


def _metal(y, y0, y1, dark, light):
    t = np.clip((y - y0) / max(y1 - y0, 1e-9), 0, 1)
    return mix(light, dark, t) / 255.0


def rocker(on):
    """A 44 x 75 rocker switch. The upper half carries the lit 'ON' window; in
    the off position that half stands out, in the on position it is pressed in
    and glows."""
    w, h = 44, 75
    L = P.Layer(w, h)
    L.rrect(0, 0, w, h, 6, (22, 24, 27))
    L.rrect(1, 1, w - 1, h - 1, 5, (70, 74, 80))
    L.rrect(2, 2, w - 2, h - 2, 4, (34, 37, 41))
    L.rrect(5, 5, w - 5, h - 5, 3, (8, 9, 10))
    base = L.array()
    mid = 37.5

    def paddle(x, y):
        out = np.zeros(x.shape + (4,))
        inside = (x > 7) & (x < w - 7) & (y > 7) & (y < h - 7)
        top = y < mid
        raised = ~top if on else top
        # The raised half is lit along its far end, the pressed half is dark.
        t_top = (mid - y) / (mid - 7)
        t_bot = (y - mid) / (h - 7 - mid)
        tr = np.where(top, t_top, t_bot)
        col_raised = mix((60, 64, 70), (128, 134, 142), np.clip(tr, 0, 1) ** 0.8) / 255.0
        col_pressed = mix((40, 43, 47), (28, 30, 33), np.clip(tr, 0, 1)) / 255.0
        out[..., :3] = np.where(raised[..., None], col_raised, col_pressed)
        # Pivot line and the shadow the raised half throws on the pressed one.
        seam = np.abs(y - mid) < 0.8
        out[..., :3] = np.where(seam[..., None], 0.02, out[..., :3])
        shadow_side = (y > mid) if not on else (y < mid)
        sh = np.clip(1 - np.abs(y - mid) / 6, 0, 1) * shadow_side * 0.6
        out[..., :3] *= (1 - sh[..., None])
        # Rounded side edges.
        edge = np.clip(np.minimum(x - 7, w - 7 - x) / 3, 0, 1)
        out[..., :3] *= (0.55 + 0.45 * edge[..., None])
        # Indicator window on the upper half.
        win = (np.abs(x - w / 2) < 10) & (np.abs(y - 20) < 7)
        if on:
            g = np.clip(1 - np.hypot((x - w / 2) / 12, (y - 20) / 8), 0, 1)
            wc = mix((200, 110, 10), (255, 235, 150), g) / 255.0
        else:
            wc = np.broadcast_to(np.array([58, 46, 30]) / 255.0, x.shape + (3,))
        out[..., :3] = np.where(win[..., None], wc, out[..., :3])
        out[..., 3] = inside * 1.0
        return out

    pad = supersampled(w, h, paddle)
    P.over(base, pad)
    marks = P.Layer(w, h)
    ink = (60, 30, 0) if on else (150, 140, 120)
    marks.text(w / 2, 20.3, "ON", 8.5, ink, anchor="mm")
    marks.line([(w / 2 - 5, 56), (w / 2 + 5, 56)], (95, 100, 106) if on else (170, 175, 180), 1.4)
    P.over(base, marks.array())
    return base


def slider_knob():
    w, h = 16, 36

    def shade(x, y):
        out = np.zeros(x.shape + (4,))
        r = 3.0
        dx = np.maximum(np.maximum(r - x, x - (w - r)), 0)
        dy = np.maximum(np.maximum(r - y, y - (h - r)), 0)
        inside = np.hypot(dx, dy) < r
        # Brushed cap, brighter in the middle like a rounded bar.
        u = (x - w / 2) / (w / 2)
        base = 0.62 - 0.38 * u * u - 0.15 * (y / h)
        grooves = (np.mod(y, 3.0) < 1.0) & (np.abs(y - h / 2) > 3) & (y > 3) & (y < h - 3)
        c = np.stack([base * 0.96, base, base * 1.04], axis=-1)
        c = np.where(grooves[..., None], c * 0.55, c)
        index = np.abs(y - h / 2) < 1.1
        c = np.where(index[..., None], np.array([1.0, 0.62, 0.12]), c)
        rim = np.hypot(dx, dy) > r - 1.0
        border = inside & ((x < 1) | (x > w - 1) | (y < 1) | (y > h - 1) | rim & (dx + dy > 0))
        c = np.where(border[..., None], np.array([0.08, 0.08, 0.09]), c)
        out[..., :3] = c
        out[..., 3] = inside * 1.0
        return out

    return supersampled(w, h, shade)


def sight():
    """A 25 x 25 amber sight centred on pixel (12, 12), outlined in black so it
    reads on bright foam and on dark water alike."""
    L = P.Layer(25, 25)
    c = 12.5
    segs = [((c, 0.5), (c, 8.0)), ((c, 17.0), (c, 24.5)),
            ((0.5, c), (8.0, c)), ((17.0, c), (24.5, c))]
    for a, b in segs:
        L.line([a, b], (0, 0, 0, 150), 2.4)
    L.circle(c, c, 6.0, (0, 0, 0, 150), width=2.4)
    L.circle(c, c, 1.5, (0, 0, 0, 150))
    for a, b in segs:
        L.line([a, b], (255, 196, 40), 1.2)
    L.circle(c, c, 6.0, (255, 196, 40), width=1.2)
    L.circle(c, c, 0.8, (255, 230, 120))
    return L.array()


def explosion(size=384, seed=71):
    """A depth charge bursting under the surface, seen from above: a dome of
    churned white water with a ragged rim, a darker ring of stirred sea and a
    few flung droplets. The dome stays light out to nearly the full radius,
    because the win screen prints dark red text across its lower part, and
    lets a little of what lies under it show through."""
    r = P.rng(seed)
    R = size / 2.0
    phases = r.random(14) * 2 * math.pi
    amps = r.random(14) * np.linspace(1.0, 0.25, 14)
    x, y = P.grid(size, size)
    dx, dy = (x - R) / R, (y - R) / R
    d = np.hypot(dx, dy)
    th = np.arctan2(dy, dx)
    wob = sum(a * np.sin((i + 3) * th + p) for i, (a, p) in enumerate(zip(amps, phases)))
    edge = 0.9 + 0.03 * wob / np.abs(amps).sum() * 2.2
    t = d / edge
    # Foam cells: bright bubbles with thin grey-green gaps between them,
    # stretched outwards as the water is thrown from the centre.
    swirl = P.fbm((size, size), size / 7, 3, r)
    big = np.exp(-P.cell_edges((size, size), 16, r) / 2.5)
    small = np.exp(-P.cell_edges((size, size), 7, r) / 1.5)
    veins = (0.7 * big + 0.4 * small) * P.smoothstep(0.1, 0.7, t) * (0.6 + 1.2 * np.clip(swirl + 0.2, 0, 1))
    light = 1.0 - 0.08 * P.smoothstep(0.2, 0.95, t) - 0.2 * swirl - 0.18 * veins
    light = np.clip(light, 0.72, 1.0)
    col = mix((160, 205, 210), (255, 255, 250), (light - 0.72) / 0.28) / 255.0
    # The dome is lit from the upper left like the sea around it.
    shade = 1 - 0.06 * np.clip(dx + dy, -1, 1) * (1 - t)
    col = col * shade[..., None]
    ring = np.exp(-((t - 0.98) / 0.035) ** 2)
    col = col * (1 - 0.45 * ring[..., None]) + np.array([0.36, 0.62, 0.64]) * 0.45 * ring[..., None]
    alpha = (0.9 + 0.08 * P.smoothstep(0.0, 0.5, 1 - t)) * (1.0 - P.smoothstep(0.95, 1.04, t))
    # Droplets flung past the rim.
    drops = np.zeros_like(d)
    n = 70
    ang = r.random(n) * 2 * math.pi
    dist = 0.9 + r.random(n) * 0.09
    rad = (0.01 + r.random(n) * 0.018)
    for a_, s_, q in zip(ang, dist, rad):
        px, py = math.cos(a_) * s_, math.sin(a_) * s_
        drops = np.maximum(drops, np.clip(1 - np.hypot(dx - px, dy - py) / q, 0, 1) ** 0.7)
    drops *= (d < 1.0)
    col = col * (1 - drops[..., None]) + np.array([0.94, 0.98, 1.0]) * drops[..., None]
    alpha = np.maximum(alpha, drops * 0.85)
    alpha *= (d < 0.999)
    return np.concatenate([np.clip(col, 0, 1), alpha[..., None]], axis=2)


def submarine():
    """The target seen from above, 71 x 25, its centre on pixel (35, 12); bow to
    the right."""
    w, h = 71, 25
    cx, cy = 35.5, 12.5

    def shade(x, y):
        out = np.zeros(x.shape + (4,))
        u = (x - cx) / 32.0  # -1 at the stern, +1 at the bow
        half = np.where(u > 0, 5.6 * np.sqrt(np.clip(1 - u ** 6, 0, 1)),
                        5.6 * np.clip(1 - np.abs(u) ** 2.2, 0, 1) ** 0.6)
        hull = (np.abs(y - cy) < half) & (np.abs(u) < 1)
        sail = (np.abs(x - (cx + 7)) < 5) & (np.abs(y - cy) < 2.0 + 0.8 * (x > cx + 7))
        planes = (np.abs(x - (cx - 27)) < 2.2) & (np.abs(y - cy) < 9.5)
        fins = (np.abs(x - (cx + 12)) < 1.6) & (np.abs(y - cy) < 8.5)
        body = hull | planes | fins
        # Cross-section shading: the spine catches the light.
        v = np.clip(np.abs(y - cy) / np.maximum(half, 1e-3), 0, 1)
        c = mix((62, 70, 78), (16, 19, 23), v ** 1.5) / 255.0
        c = np.where((planes | fins)[..., None] & ~hull[..., None], np.array([0.12, 0.13, 0.15]), c)
        c = np.where(sail[..., None], mix((92, 100, 108), (40, 44, 50), np.clip(np.abs(y - cy) / 2.8, 0, 1)) / 255.0, c)
        out[..., :3] = c
        out[..., 3] = (body | sail) * 1.0
        # A thin bow wave around the hull.
        wave = (~(body | sail)) & (np.abs(y - cy) < half + 1.6) & (u > -0.75) & (np.abs(u) < 1.04)
        out[..., :3] = np.where(wave[..., None], np.array([0.85, 0.93, 0.96]), out[..., :3])
        out[..., 3] = np.where(wave, 0.45, out[..., 3])
        return out

    return supersampled(w, h, shade)


def backdrop(w=800, h=600):
    """A dark, slightly see-through navy plate for the transit messages and the
    text screens. Only broad features: the game stretches it by nearest
    neighbour to 668 x 549 and 801 x 601, which would break fine lines."""
    x, y = P.grid(w, h)
    ty = y / h
    col = mix((22, 36, 58), (6, 12, 24), ty ** 0.8) / 255.0
    v = np.hypot((x - w / 2) / (w * 0.62), (y - h * 0.42) / (h * 0.7))
    col *= (1.0 - 0.45 * np.clip(v - 0.35, 0, 1))[..., None]
    alpha = np.full((h, w), 0.90)
    frame = np.minimum(np.minimum(x, w - x), np.minimum(y, h - y))
    rim = (frame < 4) & (frame >= 1)
    col = np.where(rim[..., None], np.array([0.30, 0.40, 0.50]), col)
    alpha = np.where(frame < 1, 0.95, alpha)
    col = np.where((frame < 1)[..., None], np.array([0.02, 0.03, 0.05]), col)
    return np.concatenate([col, alpha[..., None]], axis=2)


def icon(size=32, square=True):
    """size x size: the scope with its cross and a splash, drawn for 32 x 32 (where it must
    stay readable) and scaled from there for the desktop's larger icons. The window icon is a
    dark square; the desktop's icons leave the corners outside the bezel transparent."""
    def shade(x, y):
        x, y = x * (32.0 / size), y * (32.0 / size)
        c = 16.0
        d = np.hypot(x - c, y - c)
        out = np.zeros(x.shape + (4,))
        out[..., 3] = 1
        out[..., :3] = np.array([0.07, 0.08, 0.09])
        sea = mix((30, 110, 150), (8, 40, 70), np.clip(d / 12.5, 0, 1)) / 255.0
        out[..., :3] = np.where((d < 12.5)[..., None], sea, out[..., :3])
        bez = (d >= 12.5) & (d < 15.2)
        out[..., :3] = np.where(bez[..., None], np.array([0.78, 0.62, 0.22]), out[..., :3])
        cross = ((np.abs(x - c) < 0.75) | (np.abs(y - c) < 0.75)) & (d < 12.5) & (d > 2.5)
        out[..., :3] = np.where(cross[..., None], np.array([0.02, 0.02, 0.03]), out[..., :3])
        sp = np.hypot(x - 21.0, y - 20.5)
        out[..., :3] = np.where((sp < 3.2)[..., None], np.array([0.97, 0.98, 1.0]), out[..., :3])
        if not square:
            out[..., 3] = np.where(d < 15.2, 1.0, 0.0)
        return out

    return supersampled(size, size, shade)


def icon_svg():
    """The desktop icon as a drawing: the same scope, bezel, cross and splash as icon()."""
    bar = '<rect x="{}" y="{}" width="{}" height="{}" fill="#050508"/>'
    cross = [bar.format(15.25, 3.5, 1.5, 10), bar.format(15.25, 18.5, 1.5, 10),
             bar.format(3.5, 15.25, 10, 1.5), bar.format(18.5, 15.25, 10, 1.5)]
    return "\n".join([
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 32 32">',
        '<defs><radialGradient id="sea" cx="16" cy="16" r="12.5" gradientUnits="userSpaceOnUse">',
        '<stop offset="0" stop-color="#1e6e96"/><stop offset="1" stop-color="#082846"/>',
        '</radialGradient></defs>',
        '<circle cx="16" cy="16" r="15.2" fill="#c79e38"/>',
        '<circle cx="16" cy="16" r="12.5" fill="url(#sea)"/>',
        *cross,
        '<circle cx="21" cy="20.5" r="3.2" fill="#f7faff"/>',
        '</svg>', ''])
