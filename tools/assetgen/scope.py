"""The play screen, scope.jpg: the sea seen through the scope, the scope's
housing, and the two side panels with every instrument in its off state.

All coordinates are screen pixels of the 800 x 600 play screen; a pixel
(x, y) covers the square from x to x + 1, so its centre is x + 0.5.
"""
import math

import numpy as np
from PIL import Image

from . import paint as P
from . import sprites as S

W, H = 800, 600
CX, CY, R = 400, 300, 230            # the scope circle
VIEW = (125, 22, 675, 570)           # housing around the scope, corners inclusive
LIGHT_CELLS = [(k * 30 + 5, r * 30 + 120) for r in range(2) for k in range(4)]  # 26 x 26
DF_FIELD = (680, 160, 770, 250)      # direction finder: 3 x 3 cells of 30 pixels
ROCKERS = {"df": (676, 260), "range": (730, 324)}   # 44 x 75 each
RANGE_FIELD = (650, 410, 780, 450)   # the needle stands at x 755 (far) to 665 (hit), y 428
KNOB_X = (20, 55, 95)                # knob left edges of the three stops; knobs are 16 x 36
KNOB_ROWS = {"MASTER": 457, "ROTOR": 499, "VOICE": 543}  # knob tops

INK = (218, 212, 186)                # engraved label colour
AMBER = (236, 170, 52)


def needle_x(q):
    """Screen x of the range needle for a shot of closeness q (10 far .. 70 hit)."""
    return 770 - q * 1.5


def panel_metal(r):
    """Dark brushed metal for the whole screen."""
    x, y = P.grid(W, H)
    brush = P.fbm((H, W), 40, 5, r, stretch=(10, 0.5))
    base = 0.185 + 0.02 * (1 - y / H) + 0.05 * brush
    col = np.stack([base * 0.93, base, base * 1.07], axis=-1)
    return np.concatenate([col, np.ones((H, W, 1))], axis=2)


def bevel(L, x0, y0, x1, y1, light, dark, width=1, sunk=False):
    """Edges of the box with corners (x0, y0)-(x1, y1) inclusive: lit top-left
    and shaded bottom-right for a raised plate, swapped for a sunken one."""
    a, b = (dark, light) if sunk else (light, dark)
    for i in range(width):
        L.rect(x0 + i, y0 + i, x1 + 1 - i, y0 + i + 1, a)
        L.rect(x0 + i, y0 + i, x0 + i + 1, y1 + 1 - i, a)
        L.rect(x0 + i, y1 - i, x1 + 1 - i, y1 + 1 - i, b)
        L.rect(x1 - i, y0 + i, x1 + 1 - i, y1 + 1 - i, b)


def label(L, x, y, text, size, color=INK, anchor="mm"):
    L.text(x + 0.6, y + 0.8, text, size, (0, 0, 0, 170), anchor=anchor)
    L.text(x, y, text, size, color, anchor=anchor)


def vertical_label(dst, cx, cy, text, size, color=INK):
    """Text reading upwards, centred on (cx, cy)."""
    w = int(P.text_width(text, size)) + 6
    h = int(size * 1.6) + 2
    L = P.Layer(w, h)
    label(L, w / 2, h / 2, text, size, color)
    img = P.to_image(L.array()).rotate(90, expand=True)
    a = np.asarray(img, np.float64) / 255.0
    P.over(dst, a, int(round(cx - a.shape[1] / 2)), int(round(cy - a.shape[0] / 2)))


def screw(L, x, y):
    L.circle(x + 0.5, y + 0.5, 4.2, (12, 13, 15))
    L.circle(x + 0.2, y + 0.2, 3.4, (112, 118, 125))
    L.circle(x + 0.8, y + 0.8, 2.8, (70, 75, 80))
    L.line([(x - 2.2, y + 2.8), (x + 3.2, y - 1.8)], (25, 27, 30), 1.1)


def sea(r):
    """The sea from above: a long swell with wind chop over it, lit from the
    upper left, with sparse whitecaps. Kept dark so that light text printed
    over it stays readable."""
    x, y = P.grid(W, H)

    def waves(n, lam0, lam1, spread, amp):
        h = np.zeros((H, W))
        for _ in range(n):
            ang = math.radians(-30 + r.normal(0, spread))
            lam = lam0 + r.random() * (lam1 - lam0)
            k = 2 * math.pi / lam
            h += amp * (0.6 + 0.4 * r.random()) * np.sin(
                k * (x * math.cos(ang) + y * math.sin(ang)) + r.random() * 6.3)
        return h

    wind = 0.55 + 0.9 * (P.fbm((H, W), 120, 3, r) + 0.5)
    swell = waves(5, 60, 120, 10, 0.9)
    chop = 1.6 * P.fbm((H, W), 22, 4, r, stretch=(2.4, 0.55)) * wind
    h = swell + chop
    gy, gx = np.gradient(h)
    lx, ly = -0.6, -0.8
    slope = gx * lx + gy * ly
    lum = 0.78 + 2.6 * slope
    depth = P.fbm((H, W), 170, 3, r)
    deep = np.array([6, 36, 62]) / 255.0
    shallow = np.array([18, 78, 104]) / 255.0
    t = np.clip(0.5 + 1.3 * depth, 0, 1)[..., None]
    col = (deep * (1 - t) + shallow * t) * np.clip(lum, 0.35, 1.5)[..., None]
    glint = np.clip((slope - 0.16) * 9, 0, 1) * np.clip(wind - 0.9, 0, 1)
    col += glint[..., None] * np.array([0.30, 0.38, 0.40])
    crest = np.clip((chop - 0.55) * 3.0, 0, 1) * np.clip(swell - 0.6, 0, 1)
    col = col * (1 - 0.5 * crest[..., None]) + np.array([0.70, 0.80, 0.82]) * 0.5 * crest[..., None]
    d = np.hypot(x - CX, y - CY)
    # The eyepiece darkens the rim of the view and catches a faint glare.
    vig = np.clip((d - 150) / 80, 0, 1) ** 2
    col *= (1 - 0.55 * vig)[..., None]
    th = np.arctan2(y - CY, x - CX)
    glare = np.exp(-((d - 196) / 16) ** 2) * np.clip(np.cos(th + 2.3), 0, 1) ** 4 * 0.10
    col += glare[..., None]
    alpha = np.clip(R - d + 0.5, 0, 1)
    return np.concatenate([np.clip(col, 0, 1), alpha[..., None]], axis=2)


def housing(dst, r):
    x0, y0, x1, y1 = VIEW
    x, y = P.grid(W, H)
    d = np.hypot(x - CX, y - CY)
    inside = (x >= x0) & (x < x1 + 1) & (y >= y0) & (y < y1 + 1)
    matte = 0.125 + 0.012 * P.fbm((H, W), 6, 2, r)
    # The scope barrel throws a soft shadow on the housing.
    shade = 1 - 0.5 * np.exp(-np.clip(d - 262, 0, None) / 16)
    col = np.stack([matte * 0.95, matte, matte * 1.06], axis=-1) * shade[..., None]
    dst[..., :3] = np.where(inside[..., None], col, dst[..., :3])
    L = P.Layer(W, H)
    bevel(L, x0, y0, x1, y1, (88, 94, 100), (6, 7, 8), width=2)
    for sx, sy in ((x0 + 11, y0 + 11), (x1 - 10, y0 + 11), (x0 + 11, y1 - 10), (x1 - 10, y1 - 10)):
        screw(L, sx, sy)
    P.over(dst, L.array())
    # Bezel: a metal ring from the glass out to radius 262, with a dark
    # bearing scale next to the glass and a knurled lip outside it.
    th = np.arctan2(y - CY, x - CX)
    ring = (d >= R - 0.5) & (d < 262.5)
    litang = 0.5 + 0.5 * np.cos(th + 2.356)
    prof = np.clip(1 - np.abs(d - 255) / 8, 0, 1)
    metal = 0.22 + 0.30 * litang * (0.5 + 0.5 * prof) + 0.08 * prof
    knurl = (np.mod(np.degrees(th) + 360, 2.0) < 1.0) & (d > 251) & (d < 260)
    metal = np.where(knurl, metal * 0.6, metal)
    band = d < 248
    metal = np.where(band, 0.075, metal)
    mcol = np.stack([metal * 0.97, metal, metal * 1.04], axis=-1)
    edge_a = np.clip(262.5 - d, 0, 1) * np.clip(d - (R - 0.5), 0, 1)
    ring_arr = np.concatenate([mcol, (edge_a * ring)[..., None]], axis=2)
    P.over(dst, ring_arr)
    T = P.Layer(W, H)
    for deg in range(0, 360, 5):
        a = math.radians(deg - 90)
        r1 = 236 if deg % 10 else 239
        if deg % 30 == 0:
            r1 = 241
        c, s = math.cos(a), math.sin(a)
        T.line([(CX + c * (R + 1.5), CY + s * (R + 1.5)), (CX + c * r1, CY + s * r1)],
               (200, 196, 172), 1.3 if deg % 30 == 0 else 0.9)
        if deg % 30 == 0 and deg % 90:
            T.text(CX + c * 244.8, CY + s * 244.8, str(deg // 10), 6.5, (200, 196, 172), anchor="mm")
    for deg, name in ((0, "N"), (90, "E"), (180, "S"), (270, "W")):
        a = math.radians(deg - 90)
        T.text(CX + math.cos(a) * 244.8, CY + math.sin(a) * 244.8, name, 7.5, AMBER, anchor="mm")
    P.over(dst, T.array())


def reticle(dst):
    L = P.Layer(W, H)
    ink = (2, 6, 9, 235)
    c_x, c_y = CX + 0.5, CY + 0.5
    for sgn in (-1, 1):
        L.line([(c_x + sgn * 13, c_y), (c_x + sgn * 229, c_y)], ink, 1.0)
        L.line([(c_x, c_y + sgn * 13), (c_x, c_y + sgn * 229)], ink, 1.0)
        L.line([(c_x + sgn * 168, c_y), (c_x + sgn * 230, c_y)], ink, 3.0)
        L.line([(c_x, c_y + sgn * 168), (c_x, c_y + sgn * 230)], ink, 3.0)
        for k in range(25, 160, 25):
            half = 5 if k % 50 == 0 else 2.5
            L.line([(c_x + sgn * k, c_y - half), (c_x + sgn * k, c_y + half)], ink, 1.0)
            L.line([(c_x - half, c_y + sgn * k), (c_x + half, c_y + sgn * k)], ink, 1.0)
    L.circle(c_x, c_y, 1.4, ink)
    P.over(dst, L.array())


def left_panel(dst):
    L = P.Layer(W, H)
    # Name plate.
    L.rrect(8, 30, 118, 88, 4, (66, 72, 78))
    bevel(L, 8, 30, 117, 87, (110, 116, 122), (20, 22, 24))
    for sx, sy in ((14, 36), (111, 36), (14, 81), (111, 81)):
        screw(L, sx, sy)
    label(L, 63, 52, "BRINEMARK", 12.5, (240, 232, 200))
    label(L, 63, 69, "ASW SIGHT MK 2", 7.5, (190, 186, 166))
    # Ammunition field under the light grid.
    L.rrect(2, 96, 124, 182, 4, (16, 18, 20))
    bevel(L, 2, 96, 123, 181, (90, 95, 100), (8, 9, 10), sunk=True)
    label(L, 63, 107, "AMMUNITION", 8.5)
    for x0, y0 in LIGHT_CELLS:
        cx, cy = x0 + 13, y0 + 13
        L.circle(cx, cy, 12.6, (6, 7, 8))
        L.circle(cx, cy, 10.2, (28, 32, 30))
        L.circle(cx - 0.5, cy - 0.5, 9.0, (20, 24, 22))
    # Radio speaker grille.
    L.rrect(10, 196, 116, 414, 6, (28, 30, 33))
    bevel(L, 10, 196, 115, 413, (96, 101, 106), (8, 9, 10))
    label(L, 63, 210, "RADIO", 9)
    for row in range(26):
        y = 226 + row * 7
        shift = 3.5 if row % 2 else 0
        for col in range(13):
            x = 20 + shift + col * 7
            if x < 108:
                L.circle(x, y, 2.1, (4, 5, 6))
                L.circle(x + 0.4, y + 0.5, 1.2, (14, 15, 16))
    # Volume sliders: a slot per row with marks at the three stops.
    label(L, 63, 440, "VOLUME", 9)
    for name, ky in KNOB_ROWS.items():
        cy = ky + 18
        L.rrect(21, cy - 3, 111, cy + 3, 2, (4, 5, 6))
        L.rect(22, cy + 2, 110, cy + 3, (92, 98, 104))
        for kx, tag in zip(KNOB_X, ("LOW", "MID", "HIGH")):
            sx = kx + 8
            L.line([(sx, cy - 15), (sx, cy - 8)], (170, 172, 168), 1.2)
            L.line([(sx, cy + 8), (sx, cy + 15)], (170, 172, 168), 1.2)
    P.over(dst, L.array())
    for name, ky in KNOB_ROWS.items():
        vertical_label(dst, 9.5, ky + 18, name, 7.5)


def right_panel(dst):
    L = P.Layer(W, H)
    # Warning plate.
    L.rrect(684, 30, 794, 128, 4, (44, 40, 20))
    P.over(dst, L.array())
    stripes = P.Layer(W, H)
    for i in range(-9, 10):
        x = 684 + i * 12
        stripes.poly([(x, 30), (x + 6, 30), (x + 6 + 98, 128), (x + 98, 128)], (210, 160, 20))
    sa = stripes.array()
    sa[:, :684, 3] = 0
    sa[:, 794:, 3] = 0
    P.over(dst, sa)
    L = P.Layer(W, H)
    L.rrect(692, 40, 786, 118, 3, (30, 32, 35))
    bevel(L, 684, 30, 793, 127, (120, 110, 70), (20, 18, 10))
    label(L, 739, 58, "DEPTH", 11, (236, 228, 196))
    label(L, 739, 76, "CHARGES", 11, (236, 228, 196))
    label(L, 739, 100, "ARMED", 9.5, AMBER)
    # Direction finder: dark glass of 3 x 3 lamp cells, own position in the middle.
    label(L, 725, 146, "DIRECTION", 9)
    x0, y0, x1, y1 = DF_FIELD
    L.rect(x0 - 3, y0 - 3, x1 + 4, y1 + 4, (58, 63, 68))
    bevel(L, x0 - 3, y0 - 3, x1 + 3, y1 + 3, (110, 116, 122), (16, 17, 19))
    L.rect(x0, y0, x1 + 1, y1 + 1, (9, 12, 11))
    for gx in (710, 740):
        L.rect(gx, y0, gx + 1, y1 + 1, (40, 48, 44))
    for gy in (190, 220):
        L.rect(x0, gy, x1 + 1, gy + 1, (40, 48, 44))
    for cx0 in (680, 710, 740):
        for cy0 in (160, 190, 220):
            cx, cy = cx0 + 15, cy0 + 15
            if (cx0, cy0) == (710, 190):
                L.poly([(cx, cy - 7), (cx + 5, cy + 6), (cx, cy + 3), (cx - 5, cy + 6)], (80, 170, 120))
                continue
            L.circle(cx, cy, 11.2, (4, 5, 5))
            L.circle(cx, cy, 9.6, (46, 16, 14))
            L.circle(cx - 2.5, cy - 2.5, 2.2, (80, 40, 36))
    # Range meter: a scale from the hit mark on the left to far on the right.
    x0, y0, x1, y1 = RANGE_FIELD
    L.rect(x0 - 3, y0 - 3, x1 + 4, y1 + 4, (58, 63, 68))
    bevel(L, x0 - 3, y0 - 3, x1 + 3, y1 + 3, (110, 116, 122), (16, 17, 19))
    L.rect(x0, y0, x1 + 1, y1 + 1, (7, 13, 16))
    band = [(665, 682, (50, 170, 80)), (682, 710, (200, 160, 40)), (710, 757, (150, 50, 40))]
    for bx0, bx1, col in band:
        L.rect(bx0, 446, bx1, 449, col)
    for q in range(10, 71, 5):
        nx = needle_x(q) + 0.5
        long_ = q % 30 == 10
        mid_ = q % 10 == 0
        top = 418 if long_ else (415 if mid_ else 413)
        L.line([(nx, 411), (nx, top)], (190, 205, 200), 1.0)
        L.line([(nx, 445 - (top - 411)), (nx, 445)], (190, 205, 200), 1.0)
    label(L, 667, 460, "NEAR", 7.5, (110, 210, 130))
    label(L, 715, 460, "RANGE", 8.5)
    label(L, 755.5, 460, "FAR", 7.5, (220, 130, 110))
    # Rocker legends.
    label(L, 760, 276, "DIR", 9)
    label(L, 760, 290, "FINDER", 9)
    label(L, 760, 308, "+3 FUEL", 7.5, AMBER)
    label(L, 703, 348, "RANGE", 9)
    label(L, 703, 362, "METER", 9)
    label(L, 703, 380, "+3 FUEL", 7.5, AMBER)
    # Vent.
    L.rrect(688, 486, 792, 560, 4, (26, 28, 31))
    bevel(L, 688, 486, 791, 559, (96, 101, 106), (8, 9, 10))
    for i in range(8):
        y = 494 + i * 8
        L.rrect(696, y, 784, y + 4, 2, (5, 6, 7))
    P.over(dst, L.array())
    for key, (rx, ry) in ROCKERS.items():
        P.over(dst, S.rocker(False), rx, ry)


def frame_details(dst):
    L = P.Layer(W, H)
    for sx, sy in ((10, 10), (114, 10), (10, 590), (114, 590),
                   (686, 10), (790, 10), (686, 590), (790, 590)):
        screw(L, sx, sy)
    L.rect(124, 0, 125, H, (10, 11, 12))
    L.rect(676, 0, 677, H, (10, 11, 12))
    P.over(dst, L.array())


def build(seed=1913):
    r = P.rng(seed)
    img = panel_metal(r)
    frame_details(img)
    housing(img, r)
    P.over(img, sea(r))
    reticle(img)
    left_panel(img)
    right_panel(img)
    return P.to_image(img, "RGB")
