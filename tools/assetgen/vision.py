"""How colours look to the kinds of colour vision, and how far apart they look.

Dichromat vision follows Machado, Oliveira and Fernandes (2009) at full severity: one 3 x 3
matrix per kind on linear RGB. Distances are CIEDE2000 in CIELAB under D65; a patch of pixels
counts as the mean of the light it gives (light_mean). Used by the asset check (the ammunition
lights must stay apart for every kind) and by tools/vision-picture.
"""
import numpy as np

KINDS = {
    "normal": np.eye(3),
    "protan": np.array([[0.152286, 1.052583, -0.204868],
                        [0.114503, 0.786281, 0.099216],
                        [-0.003882, -0.048116, 1.051998]]),
    "deutan": np.array([[0.367322, 0.860646, -0.227968],
                        [0.280085, 0.672501, 0.047413],
                        [-0.011820, 0.042940, 0.968881]]),
    "tritan": np.array([[1.255528, -0.076749, -0.178779],
                        [-0.078411, 0.930809, 0.147602],
                        [0.004733, 0.691367, 0.303900]]),
}

_XYZ = np.array([[0.4124564, 0.3575761, 0.1804375],
                 [0.2126729, 0.7151522, 0.0721750],
                 [0.0193339, 0.1191920, 0.9503041]])
_WHITE = np.array([0.95047, 1.0, 1.08883])


def linear(rgb):
    c = np.asarray(rgb, float) / 255.0
    return np.where(c <= 0.04045, c / 12.92, ((c + 0.055) / 1.055) ** 2.4)


def encoded(lin):
    c = np.clip(lin, 0, 1)
    return 255.0 * np.where(c <= 0.0031308, c * 12.92, 1.055 * c ** (1 / 2.4) - 0.055)


def seen(rgb, kind):
    """An sRGB colour (0..255, any leading shape) as that kind of vision sees it, in sRGB."""
    return encoded(np.clip(linear(rgb) @ KINDS[kind].T, 0, 1))


def lab(rgb):
    t = (linear(rgb) @ _XYZ.T) / _WHITE
    f = np.where(t > (6 / 29) ** 3, np.cbrt(t), t / (3 * (6 / 29) ** 2) + 4 / 29)
    return np.stack([116 * f[..., 1] - 16, 500 * (f[..., 0] - f[..., 1]), 200 * (f[..., 1] - f[..., 2])], -1)


def ciede2000(rgb1, rgb2):
    (L1, a1, b1), (L2, a2, b2) = lab(rgb1), lab(rgb2)
    c7 = ((np.hypot(a1, b1) + np.hypot(a2, b2)) / 2) ** 7
    g = 0.5 * (1 - np.sqrt(c7 / (c7 + 25.0 ** 7)))
    a1, a2 = a1 * (1 + g), a2 * (1 + g)
    C1, C2 = np.hypot(a1, b1), np.hypot(a2, b2)
    h1, h2 = np.degrees(np.arctan2(b1, a1)) % 360, np.degrees(np.arctan2(b2, a2)) % 360
    dh = h2 - h1
    dh = np.where(C1 * C2 == 0, 0, np.where(dh > 180, dh - 360, np.where(dh < -180, dh + 360, dh)))
    dL, dC, dH = L2 - L1, C2 - C1, 2 * np.sqrt(C1 * C2) * np.sin(np.radians(dh / 2))
    Lm, Cm = (L1 + L2) / 2, (C1 + C2) / 2
    hs = h1 + h2
    hm = np.where(C1 * C2 == 0, hs, np.where(abs(h1 - h2) <= 180, hs / 2, np.where(hs < 360, (hs + 360) / 2,
                                                                                   (hs - 360) / 2)))
    t = (1 - 0.17 * np.cos(np.radians(hm - 30)) + 0.24 * np.cos(np.radians(2 * hm))
         + 0.32 * np.cos(np.radians(3 * hm + 6)) - 0.20 * np.cos(np.radians(4 * hm - 63)))
    sl = 1 + 0.015 * (Lm - 50) ** 2 / np.sqrt(20 + (Lm - 50) ** 2)
    sc, sh = 1 + 0.045 * Cm, 1 + 0.015 * Cm * t
    cm7 = Cm ** 7
    rt = -2 * np.sqrt(cm7 / (cm7 + 25.0 ** 7)) * np.sin(np.radians(60 * np.exp(-(((hm - 275) / 25) ** 2))))
    return np.sqrt((dL / sl) ** 2 + (dC / sc) ** 2 + (dH / sh) ** 2 + rt * (dC / sc) * (dH / sh))


def light_mean(rgb, where):
    """The colour that the pixels of rgb (rows x columns x 3 or more, sRGB 0..255) picked by the
    mask where give off together, in sRGB. Light adds in linear RGB, not in sRGB numbers: a lamp's
    bright core outweighs its dark rim as much as it outshines it. Encoding the mean again costs
    nothing (seen and lab decode it exactly), and since the vision matrices work on linear RGB too,
    how a kind of vision sees the mean is the mean of how it sees the pixels, short of clipping."""
    return encoded(linear(np.asarray(rgb, float)[..., :3][where]).mean(axis=0))
