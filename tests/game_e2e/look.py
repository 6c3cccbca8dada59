#!/usr/bin/python3
"""look.py: what Brinemark's window shows, for the game's end-to-end tests.

Usage: look.py GX GY [--wait SECONDS] [--do COMMAND] CHECK [ARGS...]

GX, GY is the absolute top-left of the window's 800 x 600 client area; with BRINE_SCALE=N the
area is N times as large, and the page is read from it only where every pixel is an N x N block. The window is read
straight from the X server named by DISPLAY. A check holds or not (exit code 0 or 1) and prints
what it saw; with --wait it looks again every few tens of milliseconds until it holds or the
time is up. --do runs a shell command (a click) just before the first look, so that an answer
that comes and goes quickly is not missed while this program starts. The game's pictures come from the folder of BRINE_GAME, where the build copies them.

The references are the game's own pictures put together the way the game draws them: the play
screen is "scope.jpg" (decoded to the same pixels as the program decodes it), a light or a knob
is its picture fitted to its rectangle and blended over what lies beneath. Where blending may
round differently, pictures are compared by their mean difference and the nearest one wins.

Checks:
  save FILE                    the window as a PNG
  title                        the title picture, as loaded (the credit line aside)
  lights PATTERN               the eight ammunition lights, G green, O used, R red, E none, . any
  transit [KEEP [moving]]      a whole transit: the messages in order, the lights one by one,
                               then the cleared play area; KEEP gets its last picture with
                               all three messages; "moving" stops when the third shows
  sight X Y                    the play area is clean but for the sight at (X - 12, Y - 12)
  rocker upper|lower on|off    the rocker's picture
  knob master|rotor|voice left|middle|right   the knob of that row at that stop, and only there
  mark X Y                     an explosion mark centred on (X, Y)
  same FILE X1 Y1 X2 Y2        the rectangle equals the one in a saved window picture
  line R,G,B TOP HEIGHT LEFT   text of exactly that colour in the band, starting near x LEFT
  textscreen FILE              the text file listed line by line in the 8 x 16 font, then
                               "Press any key to continue"
  result                       a result screen; prints "success" or "failure"
  shot X Y                     after a shot at (X, Y): its mark, then the play area back
                               ("miss"), or a result screen ("success", "failure")
  needle                       the range needle; prints the closeness it shows
  locate X Y Q [X Y Q...]      prints where the target lies, from shots and their closeness
  avoid X Y Q N                prints N points (x y ...) where the target cannot be, given the
                               closeness Q of a shot at (X, Y)
  sametext FILE1 FILE2 R,G,B TOP HEIGHT   two saved pictures hold the same text in the band
  fill                         with BRINE_FILL: the title filling the screen, against a model
                               of the scale (every other check reads the page from the screen)
  cleared                      the play area after a transit: the level's lights (green, the held-back
                               ones red), the clean view
  plain X Y                    below the failure screen's texts nothing but the clean view, the
                               revealed boat and the mark of the last shot at (X, Y)
"""
import os
import ctypes
import ctypes.util
import re
import subprocess
import sys
import time

import numpy as np
from PIL import Image

ASSETS = os.path.dirname(os.path.abspath(os.environ["BRINE_GAME"]))
WIDTH, HEIGHT = 800, 600
SCALE = int(os.environ.get("BRINE_SCALE", "1"))
# "W H": the page is shown full screen on a W x H screen (then GX GY are not used).
FILL = tuple(int(v) for v in os.environ.get("BRINE_FILL", "").split())

_pictures = {}


def picture(name):
    """A picture of the game as float RGBA (JPEGs opaque), rows first."""
    if name not in _pictures:
        _pictures[name] = np.asarray(Image.open(os.path.join(ASSETS, name)).convert("RGBA"), dtype=np.float64)
    return _pictures[name]


def filled(sw, sh):
    """Where full screen puts the page on a sw x sh screen: as large as fits, aspect kept, centred."""
    tw, th = (sw, HEIGHT * sw // WIDTH) if sw * HEIGHT <= sh * WIDTH else (WIDTH * sh // HEIGHT, sh)
    return (sw - tw) // 2, (sh - th) // 2, tw, th


class XImage(ctypes.Structure):
    _fields_ = [(n, ctypes.c_int) for n in ("width", "height", "xoffset", "format")] + [("data", ctypes.c_void_p)] + [
        (n, ctypes.c_int) for n in ("byte_order", "unit", "bit_order", "pad", "depth", "bytes_per_line", "bits_per_pixel")]


_xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
_xlib.XOpenDisplay.restype = ctypes.c_void_p
_xlib.XDefaultRootWindow.argtypes, _xlib.XDefaultRootWindow.restype = [ctypes.c_void_p], ctypes.c_ulong
_xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 2 + [ctypes.c_ulong, ctypes.c_int]
_xlib.XGetImage.restype = ctypes.POINTER(XImage)
_xlib.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
_display = None


def screen(x, y, w, h):
    """The screen's pixels in the rectangle as float RGB, asked of the X server for that rectangle
    alone (PIL reads the whole screen, which on a busy machine makes each look slow)."""
    global _display
    _display = _display or _xlib.XOpenDisplay(None)
    image = _xlib.XGetImage(_display, _xlib.XDefaultRootWindow(_display), x, y, w, h, 0xFFFFFFFF, 2)  # ZPixmap
    i = image.contents
    rows = np.frombuffer(ctypes.string_at(i.data, i.bytes_per_line * h), dtype=np.uint8).reshape(h, -1, 4)
    pixels = rows[:, :w, 2::-1].astype(np.float64)  # 32-bit pixels, blue first
    _xlib.XDestroyImage(image)
    return pixels


def grab(gx, gy):
    if FILL:
        # Each page pixel read at the centre of its share of the screen, which it fills alone.
        ox, oy, tw, th = filled(*FILL)
        shot = screen(0, 0, FILL[0], FILL[1])
        xs = ox + ((np.arange(WIDTH) + 0.5) * tw / WIDTH).astype(int)
        ys = oy + ((np.arange(HEIGHT) + 0.5) * th / HEIGHT).astype(int)
        return shot[ys][:, xs]
    shot = screen(gx, gy, WIDTH * SCALE, HEIGHT * SCALE)
    if SCALE == 1:
        return shot
    blocks = shot.reshape(HEIGHT, SCALE, WIDTH, SCALE, 3)
    # A blurred block is read as its mean, which an exact comparison does not take.
    crisp = (blocks == blocks[:, :1, :, :1]).all(axis=(1, 3))
    return np.where(crisp, blocks[:, 0, :, 0], blocks.mean(axis=(1, 3)))


def fit(src, x1, y1, x2, y2):
    """The picture stretched onto the inclusive rectangle, sampled the way the blit samples."""
    sh, sw = src.shape[:2]

    def samples(n_dst, n_src):
        if n_dst == 1:
            return np.zeros(1, dtype=int)
        f1, f2 = -0.499999, n_src - 1 + 0.499999
        step = (f2 - f1) / (n_dst - 1)
        return np.clip(np.rint(f1 + step * np.arange(n_dst)), 0, n_src - 1).astype(int)

    return src[samples(y2 - y1 + 1, sh)][:, samples(x2 - x1 + 1, sw)]


def over(src, below):
    """src (RGBA) blended over below (RGB)."""
    a = src[:, :, 3:4] / 255.0
    return src[:, :, :3] * a + below * (1 - a)


def region(img, x1, y1, x2, y2):
    return img[y1:y2 + 1, x1:x2 + 1]


def clean(x1, y1, x2, y2):
    return region(picture("scope.jpg")[:, :, :3], x1, y1, x2, y2)


def put(name, x1, y1, x2, y2, below=None):
    """What the picture looks like fitted to the rectangle over the clean play screen (or over
    `below`)."""
    below = clean(x1, y1, x2, y2) if below is None else below
    return over(fit(picture(name), x1, y1, x2, y2), below)


def differ(a, b):
    return float(np.abs(a - b).mean())


def nearest(seen, candidates, limit):
    """The name of the candidate closest to what was seen, or "?" when none is within limit."""
    scores = {name: differ(seen, look) for name, look in candidates.items()}
    best = min(scores, key=scores.get)
    return (best if scores[best] < limit else "?"), scores


# ---- the checks: each takes the window's pixels and its arguments, returns (holds, what) ----

def light_cell(n):
    row, column = n // 4, n % 4
    return column * 30 + 5, row * 30 + 120, column * 30 + 30, row * 30 + 145


def light_pattern(img):
    letters = ""
    for n in range(8):
        rect = light_cell(n)
        green = put("greenlight.png", *rect)
        candidates = {
            "E": clean(*rect),
            "G": green,
            "O": put("greenlight_off.png", *rect, below=green),
            "R": put("redlight.png", *rect),
        }
        letters += nearest(region(img, *rect), candidates, 12)[0]
    return letters


def check_lights(img, pattern):
    seen = light_pattern(img)
    holds = len(pattern) == 8 and all(p in (".", s) for p, s in zip(pattern, seen))
    return holds, "lights " + seen


def colour(text):
    return np.array([float(v) for v in text.split(",")])


def text_pixels(img, rgb, x1, y1, x2, y2):
    """Columns and rows (window coordinates) of the pixels of exactly that colour."""
    hit = np.all(region(img, x1, y1, x2, y2) == rgb, axis=2)
    ys, xs = np.nonzero(hit)
    return xs + x1, ys + y1


def check_line(img, rgb, top, height, left):
    xs, _ = text_pixels(img, colour(rgb), 0, int(top), WIDTH - 1, int(top) + int(height) - 1)
    if len(xs) < 20:
        return False, f"{len(xs)} pixels of {rgb} in rows {top} to {int(top) + int(height) - 1}"
    what = f"{len(xs)} pixels of {rgb} from x {xs.min()} to {xs.max()}"
    return int(left) - 1 <= xs.min() <= int(left) + 8, what


TRANSIT_TEXT = "250,240,180"
VIEW = (125, 22, 792, 570)  # the transit's backdrop, cleared when it ends


def transit_frame(img):
    """(green lights issued, reloading shown, refuelling shown, moving on shown)."""
    pattern = light_pattern(img)
    greens = len(pattern) - len(pattern.lstrip("G"))
    texts = [check_line(img, TRANSIT_TEXT, top, 22, left)[0] for top, left in ((242, 305), (308, 355), (352, 280))]
    return (greens, pattern, *texts)


def check_transit(img, gx, gy, limit, keep=None, stop=None):
    """Watches one transit from its first frame to the cleared play area, or with stop
    "moving" until "Moving to target area" shows."""
    frames = []
    end = time.monotonic() + limit
    while True:
        frame = transit_frame(img)
        frames.append(frame)
        if frame[4] and keep:
            Image.fromarray(img.astype(np.uint8)).save(keep)
        if frame[4] and stop == "moving":
            break
        # Cleared: the play area is the clean one again, but for a sight that a mouse event
        # left queued from before the transit may draw at once. (Looked at only then: the
        # frames are read as fast as they can be, to see each light come.)
        if frame[0] == 8 and any(f[4] for f in frames) and check_cleared(img)[0]:
            break
        if time.monotonic() > end:
            return False, "no end of the transit; frames (greens, reloading, refuelling, moving): " + summary(frames)
        img = grab(gx, gy)
    return judge_transit(frames)


def check_cleared(img):
    # From the second level won on, the next level holds its first lights back, red.
    off, lights = int((np.abs(region(img, *VIEW) - clean(*VIEW)).max(axis=2) > 0).sum()), light_pattern(img)
    return off <= SIGHT * SIGHT and re.fullmatch("R*G+", lights) is not None, f"{off} pixels off the clean view, lights {lights}"


def summary(frames):
    out, last = [], None
    for greens, pattern, a, b, c in frames:
        item = f"{pattern}{'R' if a else '-'}{'F' if b else '-'}{'M' if c else '-'}"
        if item != last:
            out.append(item)
        last = item
    return " ".join(out)


def judge_transit(frames):
    """The lights come one by one, left to right and row by row, after "Reloading weapons";
    "Refueling" follows the eighth and "Moving to target area" follows it."""
    what = summary(frames)
    counts = [f[0] for f in frames]
    if any(b < a for a, b in zip(counts, counts[1:])):
        return False, "fewer green lights than before: " + what
    for before, after in zip(frames, frames[1:]):
        turned = [n for n in range(8) if before[1][n] != "G" and after[1][n] == "G"]
        if any(after[1][:n].strip("G") for n in turned):
            return False, "a light out of turn: " + what
    if not any(f[2] for f in frames):
        return False, "no \"Reloading weapons\": " + what
    if not any(f[2] and f[0] < 8 for f in frames):
        return False, "\"Reloading weapons\" not seen before the lights were all issued: " + what
    if any((f[3] or f[4]) and f[0] < 8 for f in frames):
        return False, "refuelling or moving on before the lights were all issued: " + what
    if not any(f[3] for f in frames) or not any(f[4] for f in frames):
        return False, "a message is missing: " + what
    if any(f[4] and not f[3] for f in frames):
        return False, "\"Moving to target area\" without \"Refueling\": " + what
    # Some issued and some not, at least once: on a busy machine a look may take a second, and
    # the eight come in 1.6 s.
    if not any(0 < c < 8 for c in counts):
        return False, "the lights did not come one by one: " + what
    return True, "transit " + what


SIGHT = 25  # sight.png is drawn unscaled with its top-left at the pointer less 12


def sight_box(x, y):
    return x - 12, y - 12, x - 12 + SIGHT - 1, y - 12 + SIGHT - 1


def sight_error(img, x, y):
    box = sight_box(x, y)
    return differ(region(img, *box), put("sight.png", *box))


def check_sight(img, x, y):
    x, y = int(x), int(y)
    error = sight_error(img, x, y)
    view = (125, 22, 675, 570)
    rest = np.abs(region(img, *view) - clean(*view)).max(axis=2) > 0
    bx1, by1, bx2, by2 = sight_box(x, y)
    rest[by1 - 22:by2 - 22 + 1, bx1 - 125:bx2 - 125 + 1] = False
    stray = int(rest.sum())
    return error < 1.5 and stray == 0, f"sight difference {error:.2f}, {stray} other pixels off the clean view"


ROCKERS = {"upper": (676, 260, 719, 334), "lower": (730, 324, 773, 398)}


def check_rocker(img, which, state):
    rect = ROCKERS[which]
    seen, scores = nearest(region(img, *rect), {"on": put("rocker_on.png", *rect), "off": clean(*rect)}, 6)
    return seen == state, f"{which} rocker {seen} ({', '.join(f'{k} {v:.2f}' for k, v in scores.items())})"


KNOB_ROWS = {"master": (456, 457, 457), "rotor": (499, 499, 499), "voice": (543, 543, 543)}
KNOB_X = {"left": 20, "middle": 55, "right": 95}


def check_knob(img, row, stop):
    seen = []
    for (name, kx), ky in zip(KNOB_X.items(), KNOB_ROWS[row]):
        rect = (kx, ky, kx + 15, ky + 35)
        kind, _ = nearest(region(img, *rect), {"knob": put("slider.png", *rect), "empty": clean(*rect)}, 8)
        if kind != "empty":
            seen.append(f"{name}:{kind}")
    return seen == [f"{stop}:knob"], f"{row} row: {' '.join(seen) or 'no knob'}"


def check_mark(img, x, y):
    x, y = int(x), int(y)
    centre = region(img, x - 3, y - 3, x + 3, y + 3)
    light = float(centre.mean())
    return light > 170, f"mean brightness {light:.0f} around ({x}, {y})"


def check_same(img, file, x1, y1, x2, y2):
    saved = np.asarray(Image.open(file).convert("RGB"), dtype=np.float64)
    rect = (int(x1), int(y1), int(x2), int(y2))
    off = int((np.abs(region(img, *rect) - region(saved, *rect)).max(axis=2) > 0).sum())
    return off == 0, f"{off} pixels differ from {os.path.basename(file)}"


def check_title(img):
    below = (0, 50, WIDTH - 1, HEIGHT - 1)  # the credit line is printed in the top rows
    error = differ(region(img, *below), region(picture("title.jpg")[:, :, :3], *below))
    return error == 0, f"difference from the title picture {error:.2f}"


def scale_axis(n, shown):
    """For each of the shown pixels along an axis, the two page pixels it mixes and the second
    one's weight: the page repeated by the next whole number, then sampled linearly at each
    shown pixel's centre."""
    rep = -(-shown // n)
    u = (np.arange(shown) + 0.5) * rep * n / shown - 0.5
    left = np.floor(u)
    pixel = lambda k: np.clip(k, 0, rep * n - 1).astype(int) // rep
    return pixel(left), pixel(left + 1), u - left


def check_fill(img):
    """The whole screen against a model of the title page scaled to fill it: black around it,
    the same pixels for a whole multiple, within 2 of each channel otherwise (the credit line's
    rows aside)."""
    sw, sh = FILL
    ox, oy, tw, th = filled(sw, sh)
    shown = screen(0, 0, sw, sh)
    page = picture("title.jpg")[:, :, :3]
    (xa, xb, xf), (ya, yb, yf) = scale_axis(WIDTH, tw), scale_axis(HEIGHT, th)
    rows = page[ya] * (1 - yf)[:, None, None] + page[yb] * yf[:, None, None]
    model = np.zeros_like(shown)
    model[oy:oy + th, ox:ox + tw] = rows[:, xa] * (1 - xf)[None, :, None] + rows[:, xb] * xf[None, :, None]
    compared = np.ones(sh, dtype=bool)
    compared[oy:oy + th] = np.minimum(ya, yb) >= 50
    limit = 0 if tw % WIDTH == 0 and th % HEIGHT == 0 else 2
    off = np.abs(shown - np.rint(model))[compared].max(axis=2)
    wrong = int((off > limit).sum())
    return wrong == 0, f"{tw} x {th} at ({ox}, {oy}): {wrong} pixels more than {limit} off, worst {off.max():.0f}"


def check_textscreen(img, file):
    """Each line of the file in its 16-pixel row: blank lines empty, others from the cell of
    their first character to the cell of their last."""
    with open(os.path.join(ASSETS, file), "rb") as f:
        lines = f.read().decode("latin-1").splitlines()
    lines += ["", "Press any key to continue", ""]
    rgb = colour("250,250,200")
    for i, line in enumerate(lines):
        if (i + 1) * 16 > HEIGHT:
            break
        xs, _ = text_pixels(img, rgb, 0, i * 16, WIDTH - 1, i * 16 + 15)
        text = line.rstrip()
        if not text:
            if len(xs):
                return False, f"row {i + 1} should be empty but has {len(xs)} text pixels"
            continue
        first, last = len(text) - len(text.lstrip()), len(text) - 1
        if not len(xs) or xs.min() // 8 != first or xs.max() // 8 != last:
            where = f"cells {xs.min() // 8} to {xs.max() // 8}" if len(xs) else "nothing"
            return False, f"row {i + 1} {text!r}: expected cells {first} to {last}, saw {where}"
    return True, f"{file}: {len(lines) - 1} rows as in the file"


NEEDLE = "100,200,200"
RANGE_FIELD = (650, 410, 780, 450)


def check_needle(img):
    """The range needle stands at x 770 - 1.5 q for a shot of closeness q; prints q."""
    xs, _ = text_pixels(img, colour(NEEDLE), *RANGE_FIELD)
    if len(xs) < 10:
        return False, f"no range needle ({len(xs)} pixels)"
    return True, f"{(770 - xs.mean()) / 1.5:.2f}"


def locate(readings):
    """The point whose distances to the shots best match their closeness, q = (350 - d) / 5:
    a least-squares fit over a grid of the scope, refined around the best cell."""
    shots = np.array(readings, dtype=np.float64).reshape(-1, 3)
    distance = 350 - 5 * shots[:, 2]

    def best(xs, ys):
        gx, gy = np.meshgrid(xs, ys)
        d = np.hypot(gx[..., None] - shots[:, 0], gy[..., None] - shots[:, 1])
        cost = ((d - distance) ** 2).sum(axis=2)
        cost[np.hypot(gx - 400, gy - 300) >= 225] = np.inf
        j, i = np.unravel_index(np.argmin(cost), cost.shape)
        return gx[j, i], gy[j, i]

    x, y = best(np.arange(170, 631, 4.0), np.arange(70, 531, 4.0))
    return best(np.arange(x - 4, x + 4.5, 0.5), np.arange(y - 4, y + 4.5, 0.5))


def avoid(x0, y0, q0, count):
    """count points in the scope, far apart, that a target at distance 350 - 5 q0 from (x0, y0)
    cannot be near: each at least MARGIN further from it or nearer to it than that distance.
    A closeness of 10 only says the target is 300 or more away."""
    d0 = 350 - 5 * q0
    points = [(x0, y0)]
    for radius in range(215, -1, -5):
        for step in range(72):
            angle = step * 2 * np.pi / 72
            x, y = 400 + radius * np.sin(angle), 300 + radius * np.cos(angle)
            d = np.hypot(x - x0, y - y0)
            far_enough = d <= d0 - MARGIN or (q0 > 10.01 and d >= d0 + MARGIN)
            if far_enough and all(np.hypot(x - px, y - py) >= 40 for px, py in points):
                points.append((round(x), round(y)))
                if len(points) == count + 1:
                    return points[1:]
    return points[1:]


# The hit radius is 50 pixels in the first level. The target stands still while a shot is
# resolved and for a full 3 seconds after the timer is back on, so it hardly moves between shots.
MARGIN = 100


def check_sametext(first, second, rgb, top, height):
    """Both saved pictures hold the same text of that colour in the band."""
    masks = []
    for file in (first, second):
        saved = np.asarray(Image.open(file).convert("RGB"), dtype=np.float64)
        masks.append(np.all(region(saved, 0, int(top), WIDTH - 1, int(top) + int(height) - 1) == colour(rgb), axis=2))
    off = int((masks[0] != masks[1]).sum())
    return off == 0 and masks[0].sum() > 0, f"{int(masks[0].sum())} text pixels, {off} differ"


def check_plain(img, x, y):
    band = (125, 463, 675, 569)
    off = np.abs(region(img, *band) - clean(*band)).max(axis=2) > 0
    x, y = int(x) - band[0], int(y) - band[1]
    off[max(y - 36, 0):max(y + 37, 0), max(x - 36, 0):max(x + 37, 0)] = False  # the shot's mark
    ys, xs = np.nonzero(off)
    w, h = (np.ptp(xs) + 1, np.ptp(ys) + 1) if len(xs) else (0, 0)
    return w <= 71 and h <= 25, f"{len(xs)} pixels off the clean view in a box of {w} x {h}"


def result_screen(img):
    fail_text = check_line(img, TRANSIT_TEXT, 242, 22, 305)[0] and check_line(img, TRANSIT_TEXT, 400, 8, 352)[0]
    win_text = check_line(img, "150,10,10", 220, 22, 355)[0] and check_line(img, "150,10,10", 480, 8, 352)[0]
    return "failure" if fail_text else "success" if win_text else "none"


def check_result(img):
    seen = result_screen(img)
    return seen != "none", seen


def check_shot(img, gx, gy, limit, x, y):
    """After a click in the scope: the mark and then the play area back with the sight at the
    shot ("miss"), or a result screen ("success", "failure")."""
    end, marked = time.monotonic() + limit, False
    while True:
        outcome = result_screen(img)
        if outcome != "none":
            return True, outcome
        if marked and check_sight(img, x, y)[0]:
            return True, "miss"
        marked = marked or check_mark(img, x, y)[0]
        if time.monotonic() > end:
            return False, "no mark and view back, and no result screen" if not marked else "the mark stayed"
        time.sleep(0.03)
        img = grab(gx, gy)


def main(argv):
    gx, gy = int(argv[1]), int(argv[2])
    args = argv[3:]
    wait = 0.0
    if args[:1] == ["--wait"]:
        wait, args = float(args[1]), args[2:]
    if args[:1] == ["--do"]:
        for name in ("scope.jpg", "greenlight.png", "greenlight_off.png", "redlight.png", "sight.png"):
            picture(name)  # read before, not while the answer shows
        subprocess.run(args[1], shell=True, check=True)
        args = args[2:]
    name, params = args[0], args[1:]
    # What needs no look at the window.
    if name == "avoid":
        points = avoid(float(params[0]), float(params[1]), float(params[2]), int(params[3]))
        print(" ".join(f"{x} {y}" for x, y in points))
        return 0 if len(points) == int(params[3]) else 1
    if name == "locate":
        print("%.0f %.0f" % locate([float(v) for v in params]))
        return 0
    if name == "sametext":
        holds, what = check_sametext(*params)
        print(what)
        return 0 if holds else 1
    img = grab(gx, gy)
    if name == "save":
        Image.fromarray(img.astype(np.uint8)).save(params[0], optimize=True)
        return 0
    if name in ("transit", "shot"):
        holds, what = (check_transit if name == "transit" else check_shot)(img, gx, gy, wait, *params)
        print(what)
        return 0 if holds else 1
    checks = {
        "title": check_title, "lights": check_lights, "sight": check_sight, "rocker": check_rocker,
        "knob": check_knob, "mark": check_mark, "same": check_same, "line": check_line,
        "textscreen": check_textscreen, "result": check_result, "needle": check_needle, "fill": check_fill,
        "plain": check_plain, "cleared": check_cleared,
    }
    end = time.monotonic() + wait
    while True:
        holds, what = checks[name](img, *params)
        if holds or time.monotonic() >= end:
            break
        time.sleep(0.05)
        img = grab(gx, gy)
    print(what)
    return 0 if holds else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
