"""The game's display face: Debian's B612 Bold (a face drawn for aircraft
cockpit displays), converted from cubic CFF outlines to quadratic TrueType
outlines and renamed, since a modified font may not carry its original name.
"""
import shutil

from fontTools.pens.cu2quPen import Cu2QuPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont, newTable

SOURCE = "/usr/share/fonts/opentype/b612/B612-Bold.otf"
LICENSE = "/usr/share/doc/fonts-b612/copyright"
FAMILY = "Brinemark Scope"

# Largest distance, in font units, between a cubic curve and its quadratic
# replacement; one unit is far below a pixel at any size the game uses.
MAX_ERR = 1.0


def _quadratic_glyphs(font):
    glyphs = {}
    cubic = font.getGlyphSet()
    for name in font.getGlyphOrder():
        pen = TTGlyphPen(cubic)
        # CFF contours run counter-clockwise, TrueType ones clockwise.
        cubic[name].draw(Cu2QuPen(pen, MAX_ERR, reverse_direction=True))
        glyphs[name] = pen.glyph()
    return glyphs


def _to_truetype(font):
    order = font.getGlyphOrder()
    font["loca"] = newTable("loca")
    glyf = font["glyf"] = newTable("glyf")
    glyf.glyphOrder = order
    glyf.glyphs = _quadratic_glyphs(font)
    del font["CFF "]
    glyf.compile(font)
    hmtx = font["hmtx"]
    for name, g in glyf.glyphs.items():
        width, _ = hmtx.metrics[name]
        hmtx.metrics[name] = (width, getattr(g, "xMin", 0))
    maxp = font["maxp"] = newTable("maxp")
    maxp.tableVersion = 0x00010000
    maxp.maxZones = 1
    for field in ("maxTwilightPoints", "maxStorage", "maxFunctionDefs", "maxInstructionDefs",
                  "maxStackElements", "maxSizeOfInstructions", "maxComponentElements"):
        setattr(maxp, field, 0)
    post = font["post"]
    post.formatType = 2.0
    post.extraNames = []
    post.mapping = {}
    post.glyphOrder = order
    font.sfntVersion = "\x00\x01\x00\x00"


def _rename(font):
    names = font["name"]
    for rec in list(names.names):
        if rec.nameID in (1, 3, 4, 6, 16, 17):
            names.removeNames(nameID=rec.nameID)
    for pid, eid, lang in ((3, 1, 0x409), (1, 0, 0)):
        names.setName(FAMILY, 1, pid, eid, lang)
        names.setName("Brinemark: " + FAMILY + " Bold", 3, pid, eid, lang)
        names.setName(FAMILY + " Bold", 4, pid, eid, lang)
        names.setName(FAMILY.replace(" ", "") + "-Bold", 6, pid, eid, lang)
        names.setName("Made for Brinemark from B612 Bold (AIRBUS, Intactile), "
                      "converted to TrueType outlines.", 10, pid, eid, lang)
    names.removeNames(nameID=2)
    for pid, eid, lang in ((3, 1, 0x409), (1, 0, 0)):
        names.setName("Bold", 2, pid, eid, lang)


def build(ttf_path, license_path):
    # Keeping the source's timestamp makes the file identical from run to run.
    font = TTFont(SOURCE, recalcTimestamp=False)
    _to_truetype(font)
    _rename(font)
    font.save(ttf_path, reorderTables=True)
    shutil.copyfile(LICENSE, license_path)
