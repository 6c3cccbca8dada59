"""Feed Image_Load pictures that nobody here made, through tests/image_probe.

  foreign_images.py IMAGE_PROBE

Every file of the corpora below must end in a picture or -1 within a second of processor time,
with a clean exit and nothing on standard error (a sanitizer report fails it). Every PngSuite
picture that loads must equal, pixel for pixel, what two other decoders make of it: ImageMagick,
read at 16 bits per sample with the transparent colour applied and cut to the high byte as our
loader cuts (its gamma correction held off), and Pillow, whose PNG reader shares no code with libpng,
for the pictures it reads right. Run it with Debian's /usr/bin/python3, which has Pillow.
Exit status 77 (skipped) when a corpus, ImageMagick or Pillow is missing.
"""
import glob
import os
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import time

try:
    from PIL import Image
except ImportError:
    Image = None

GDK_PIXBUF = "/usr/libexec/installed-tests/gdk-pixbuf"
# Debian's golang-src: the sources of its default Go, whichever version that is.
GO_SOURCES = max(glob.glob("/usr/share/go-1.*/src"), key=lambda p: [int(n) for n in re.findall(r"\d+", p)], default="")
PNGSUITE = os.path.join(GO_SOURCES, "image/png/testdata/pngsuite")
GO_IMAGES = os.path.join(GO_SOURCES, "image/testdata")
SKIPPED = 77


def files_under(folder):
    for root, _, names in os.walk(folder):
        for name in sorted(names):
            yield os.path.join(root, name)


def limit_processor_time():
    resource.setrlimit(resource.RLIMIT_CPU, (1, 2))  # past one second SIGXCPU ends the probe


def probe(program, path, rgba_out):
    """The probe's answer for path: (width, height), None for -1, or a failure text."""
    args = [program, path] + ([rgba_out] if rgba_out else [])
    try:
        run = subprocess.run(args, capture_output=True, timeout=10, preexec_fn=limit_processor_time)
    except subprocess.TimeoutExpired:
        return "hung for 10 s"
    if run.returncode != 0 or run.stderr:
        return f"exit status {run.returncode}: {run.stderr.decode(errors='replace')[:2000]}"
    words = run.stdout.split()
    if words == [b"-1"]:
        return None
    return int(words[0]), int(words[1])


def imagemagick_rgba(path):
    """ImageMagick's decoding as 8-bit R, G, B, A bytes, or None when it refuses the file."""
    # A gAMA chunk makes ImageMagick convert the samples; naming them sRGB leaves them as stored.
    command = ["convert", path, "-set", "colorspace", "sRGB", "-depth", "16", "-endian", "MSB", "rgba:-"]
    run = subprocess.run(command, capture_output=True)
    if run.returncode != 0:
        return None
    return run.stdout[0::2]


def pillow_rgba(path):
    """Pillow's decoding as R, G, B, A bytes; None when it refuses the file or cannot be trusted
    with it: it cuts 16-bit samples before it applies a 16-bit transparent colour, and compares
    a transparent grey of fewer than 8 bits with samples already scaled to 8."""
    with open(path, "rb") as f:
        header = f.read(26)
    depth, colour_type = header[24], header[25]
    try:
        with Image.open(path) as picture:
            if depth > 8 or (colour_type == 0 and depth < 8 and "transparency" in picture.info):
                return None
            return picture.convert("RGBA").tobytes()
    except Exception:
        return None


def main():
    program = sys.argv[1]
    missing = [p for p in (GDK_PIXBUF, PNGSUITE, GO_IMAGES) if not os.path.isdir(p)]
    if not shutil.which("convert"):
        missing.append("ImageMagick's convert")
    if Image is None:
        missing.append("Pillow")
    if missing:
        print("skipped, missing:", ", ".join(missing))
        return SKIPPED
    failures, loaded, refused, compared, by_pillow, slowest = [], 0, 0, 0, 0, (0.0, "")
    with tempfile.TemporaryDirectory() as scratch:
        rgba_out = os.path.join(scratch, "pixels.rgba")
        for folder in (GDK_PIXBUF, PNGSUITE, GO_IMAGES):
            for path in files_under(folder):
                suite_png = folder == PNGSUITE and path.endswith(".png")
                start = time.monotonic()
                answer = probe(program, path, rgba_out if suite_png else None)
                slowest = max(slowest, (time.monotonic() - start, path))
                if isinstance(answer, str):
                    failures.append(f"{path}: {answer}")
                    continue
                if answer is None:
                    refused += 1
                    continue
                loaded += 1
                if not suite_png:
                    continue
                compared += 1
                with open(rgba_out, "rb") as f:
                    ours = f.read()
                if imagemagick_rgba(path) != ours:
                    failures.append(f"{path}: {answer[0]} x {answer[1]} differs from ImageMagick")
                pillow = pillow_rgba(path)
                by_pillow += pillow is not None
                if pillow is not None and pillow != ours:
                    failures.append(f"{path}: {answer[0]} x {answer[1]} differs from Pillow")
    print(f"{loaded} pictures, {refused} refused; {compared} PngSuite pictures compared with "
          f"ImageMagick, {by_pillow} of them with Pillow too; "
          f"slowest {slowest[0]:.2f} s ({slowest[1]})")
    for failure in failures:
        print("FAIL", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
