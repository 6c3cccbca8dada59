"""The title picture, title.jpg: a helicopter with its sonar dipped into a
dawn sea, the submarine's shadow below, the game's name, and a column of
three buttons on the right. The top right stays a calm light sky because
the game prints its credit line there in dark violet.
"""
import math

import numpy as np

from . import paint as P
from . import scope as SC

W, H = 800, 600
HORIZON = 262
SUN = (600, 236)
# Buttons fill 670 < x < 790 at these bands; the game tests the bands strictly.
BUTTONS = (("CREDITS", 345, 410), ("LICENCE", 430, 490), ("HELP", 515, 575))
BUTTON_X = (670, 790)


def sky(r):
    x, y = P.grid(W, H)
    t = np.clip(y / HORIZON, 0, 1)
    top = np.array([214, 216, 232]) / 255.0
    low = np.array([250, 214, 176]) / 255.0
    c = top * (1 - t[..., None] ** 1.6) + low * (t[..., None] ** 1.6)
    sun = np.exp(-np.hypot((x - SUN[0]) / 190, (y - SUN[1]) / 120) ** 2)
    c = c + sun[..., None] * np.array([0.10, 0.07, 0.02])
    disc = P.smoothstep(15.0, 12.0, np.hypot(x - SUN[0], y - SUN[1] + 8))
    c = c * (1 - disc[..., None]) + np.array([1.0, 0.97, 0.88]) * disc[..., None]
    # Thin high clouds, drawn out along the horizon.
    cl = P.fbm((H, W), 90, 5, r, stretch=(4.0, 0.5))
    cloud = np.clip((cl + 0.05) * 3.0, 0, 1) * np.clip((HORIZON - 40 - y) / 160, 0, 1)
    c = c * (1 - 0.25 * cloud[..., None]) + np.array([0.98, 0.93, 0.93]) * 0.25 * cloud[..., None]
    return np.clip(c, 0, 1)


def sea(r, c):
    """Open sea in perspective: sine waves laid on the water plane, each faded
    out where it would shrink below a few pixels, shaded by what their slopes
    reflect: high sky on facets tilted towards us, the bright horizon on the
    others, with the sun's glitter path below the sun."""
    x, y = P.grid(W, H)
    dy = np.maximum(y - HORIZON, 0.5)
    Z = 400.0 / dy                                  # distance along the water
    X = (x - W / 2) / dy * 1.0                      # sideways, in the same units
    dhdz = np.zeros((H, W))
    for _ in range(60):
        a = math.radians(r.normal(0, 35))
        lam = 0.04 * 50 ** r.random()
        k = 2 * math.pi / lam
        kx, kz = k * math.sin(a), k * math.cos(a)
        # Wavelength on screen in pixels, from the plane's footprint per pixel.
        px = lam / np.maximum(abs(math.cos(a)) * 400.0 / dy ** 2, abs(math.sin(a)) / dy)
        fade = P.smoothstep(2.0, 7.0, px)
        amp = lam * 0.03
        dhdz += fade * amp * kz * np.cos(kx * X + kz * Z + r.random() * 6.3)
    reflect = np.clip(0.45 + 1.6 * dhdz, 0, 1)
    high = np.array([112, 126, 160]) / 255.0
    low = np.array([236, 206, 180]) / 255.0
    sky_seen = high * (1 - reflect[..., None]) + low * reflect[..., None]
    depth = np.clip(dy / (H - HORIZON), 0, 1)
    fresnel = 0.2 + 0.8 * np.exp(-dy / 45.0)
    water = np.array([16, 40, 64]) / 255.0 * (1 - 0.35 * depth[..., None])
    s = water * (1 - fresnel[..., None]) + sky_seen * fresnel[..., None]
    s *= (0.85 + 0.3 * reflect)[..., None] * (1 - 0.35 * depth[..., None])
    path = np.exp(-((x - SUN[0]) / (12 + 0.3 * dy)) ** 2)
    glit = np.clip((reflect - 0.86) * 7, 0, 1) * path
    s = s + glit[..., None] * np.array([1.0, 0.85, 0.62])
    haze = np.exp(-dy / 10.0)
    s = s * (1 - haze[..., None]) + np.array([0.93, 0.84, 0.78]) * haze[..., None]
    return np.where((y > HORIZON)[..., None], np.clip(s, 0, 1), c)


def helicopter(img, cx, cy, scale=1.0, tilt=-5.0):
    """A dark side view, nose to the right, with a blurred rotor disc."""
    w, h = 360, 170
    L = P.Layer(w, h)
    ink = (28, 30, 48)
    ox, oy = 200, 90
    L.ellipse(ox, oy, 58, 24, ink)
    L.ellipse(ox + 40, oy + 4, 30, 18, ink)
    L.poly([(ox - 40, oy - 14), (ox - 172, oy - 10), (ox - 172, oy - 3), (ox - 40, oy + 10)], ink)
    L.poly([(ox - 158, oy - 8), (ox - 176, oy - 38), (ox - 166, oy - 38), (ox - 146, oy - 6)], ink)
    L.poly([(ox - 20, oy - 22), (ox + 30, oy - 22), (ox + 20, oy - 34), (ox - 10, oy - 34)], ink)
    L.rect(ox - 1, oy - 44, ox + 3, oy - 33, ink)
    L.ellipse(ox - 170, oy - 14, 5, 14, ink + (70,))
    L.ellipse(ox + 1, oy - 45, 160, 4.5, ink + (120,))
    L.line([(ox - 150, oy - 47), (ox + 152, oy - 43)], ink, 2.2)
    for sx in (-30, 30):
        L.line([(ox + sx, oy + 20), (ox + sx - 4, oy + 33)], ink, 2.5)
    L.line([(ox - 52, oy + 33), (ox + 48, oy + 33), (ox + 56, oy + 28)], ink, 3.0)
    # Cabin windows catch the dawn light.
    L.poly([(ox + 42, oy - 12), (ox + 62, oy - 6), (ox + 64, oy + 2), (ox + 40, oy + 0)], (150, 120, 110))
    L.rect(ox + 4, oy - 10, ox + 20, oy + 2, (90, 80, 90))
    a = P.to_image(L.array()).rotate(tilt, resample=3, center=(ox, oy))
    if scale != 1.0:
        a = a.resize((int(w * scale), int(h * scale)), 1)
    arr = np.asarray(a, np.float64) / 255.0
    P.over(img, arr, int(cx - ox * scale), int(cy - oy * scale))


def submarine_shadow(img, cx, cy, length):
    x, y = P.grid(W, H)
    u = (x - cx) / (length / 2)
    v = (y - cy) / (length / 13)
    hull = np.clip(1 - (np.abs(u) ** 3 + v ** 2), 0, 1)
    sail = np.clip(1 - (((x - cx - length * 0.1) / (length * 0.06)) ** 2 + ((y - cy + length * 0.055) / (length * 0.05)) ** 2), 0, 1)
    a = np.clip(np.maximum(hull, sail) * 3, 0, 1) * 0.42
    blur = np.stack([np.full((H, W), 0.02), np.full((H, W), 0.07), np.full((H, W), 0.12), a], axis=2)
    P.over(img, blur)


def buttons(img):
    L = P.Layer(W, H)
    L.rrect(656, 330, 800, 592, 8, (30, 33, 37))
    SC.bevel(L, 656, 330, 799, 591, (96, 101, 106), (8, 9, 10))
    for sx, sy in ((664, 338), (664, 583), (791, 338), (791, 583)):
        SC.screw(L, sx, sy)
    for name, y0, y1 in BUTTONS:
        x0, x1 = BUTTON_X[0] + 1, BUTTON_X[1] - 1
        L.rrect(x0, y0 + 1, x1 + 1, y1, 5, (10, 11, 12))
        L.rrect(x0 + 1, y0 + 2, x1, y1 - 1, 4, (84, 90, 98))
        L.rrect(x0 + 3, y0 + 4, x1 - 2, y1 - 3, 3, (54, 60, 67))
        SC.label(L, (x0 + x1 + 1) / 2, (y0 + y1) / 2 + 1, name, 13, (240, 230, 196))
    P.over(img, L.array())


def build(seed=2024):
    r = P.rng(seed)
    c = sky(r)
    c = sea(r, c)
    img = np.concatenate([c, np.ones((H, W, 1))], axis=2)
    submarine_shadow(img, 300, 470, 300)
    # Sonar cable from the hovering helicopter down into the water, with rings
    # where it enters.
    L = P.Layer(W, H)
    L.line([(522, 222), (522, 318)], (28, 30, 48), 1.2)
    for k, rr in enumerate((10, 20, 31)):
        L.ellipse(522, 319, rr, rr * 0.22, (230, 225, 215, 150 - 40 * k), width=1.2)
    P.over(img, L.array())
    helicopter(img, 520, 178, 1.0)
    T = P.Layer(W, H)
    T.text(36 + 3, 34 + 3, "BRINEMARK", 66, (255, 248, 236, 160))
    T.text(36, 34, "BRINEMARK", 66, (26, 28, 52))
    T.text(40, 112, "HUNT THE HIDDEN SUBMARINE", 17, (70, 60, 96))
    T.text(330, 568, "CLICK ANYWHERE TO START", 13, (236, 232, 220, 230), anchor="mm")
    P.over(img, T.array())
    buttons(img)
    return P.to_image(img, "RGB")
