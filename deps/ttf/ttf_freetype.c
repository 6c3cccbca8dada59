/* ttf_freetype.c: the TTF_* calls Brinemark makes, drawn with FreeType, behind SDL_ttf's own
 * header, for builds that have no SDL_ttf (Windows). On Linux a test holds it to Debian's
 * SDL_ttf 2.0.11 number for number and pixel for pixel.
 *
 * State: the FreeType library and its start count, written only by TTF_Init and TTF_Quit (the
 * main thread). Each TTF_Font owns its FreeType face and the file's bytes the face reads from;
 * the thread that opened it uses it alone.
 */
#include <SDL_ttf.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <math.h>
#include <stdlib.h>
#include <string.h>

static struct {
  FT_Library library;
  int starts; /* TTF_Init calls not yet undone by TTF_Quit */
} engine;

struct _TTF_Font {
  FT_Face face;
  unsigned char *bytes; /* the font file, which FreeType reads glyphs from while the face lives */
  int style;            /* TTF_STYLE_* bits */
  int ascent;           /* rows above the baseline */
  int descent;          /* rows below it, negative */
  int height;           /* ascent - descent + 1: the rows of every rendered surface */
  int underlineTop;     /* the underline's first row, from the top */
  int lineRows;         /* the underline's and strikethrough's thickness */
  int boldSpread;       /* columns a face that is not bold itself is smeared by for bold */
};

/* One glyph placed on a line: its box in pixels about the pen and baseline, and its bitmap. */
typedef struct {
  int minx, maxx, miny, maxy, advance;
  int top;             /* the surface row of the bitmap's first row */
  FT_UInt index;       /* in the face, 0 for the missing-glyph box */
  unsigned char *bits; /* coverage (0 to 255) or ink (0 or 1), rows of `width` bytes */
  int width, rows;
  int drawn;           /* the columns of bits that are copied to the surface */
} Glyph;

/* FreeType's scaled metrics are 26.6 fixed point: 64ths of a pixel. */
static int floor64(FT_Pos v) { return (int)((v & -64) / 64); }
static int ceil64(FT_Pos v) { return (int)(((v + 63) & -64) / 64); }

int TTF_Init(void) {
  if (engine.starts == 0 && FT_Init_FreeType(&engine.library) != 0) {
    TTF_SetError("Couldn't init FreeType engine");
    return -1;
  }
  engine.starts++;
  return 0;
}

int TTF_WasInit(void) { return engine.starts; }

void TTF_Quit(void) {
  if (engine.starts > 0 && --engine.starts == 0) FT_Done_FreeType(engine.library);
}

/* The whole file at path, or NULL with the error set. */
static unsigned char *readFile(const char *path, long *size) {
  SDL_RWops *file = SDL_RWFromFile(path, "rb");
  if (file == NULL) return NULL;
  unsigned char *bytes = NULL;
  *size = SDL_RWseek(file, 0, RW_SEEK_END);
  if (*size > 0 && SDL_RWseek(file, 0, RW_SEEK_SET) == 0 && (bytes = malloc((size_t)*size)) != NULL &&
      SDL_RWread(file, bytes, 1, (int)*size) != *size) {
    free(bytes);
    bytes = NULL;
  }
  if (bytes == NULL) TTF_SetError("Couldn't load font file");
  SDL_RWclose(file);
  return bytes;
}

TTF_Font *TTF_OpenFont(const char *file, int ptsize) {
  if (engine.starts == 0) {
    TTF_SetError("Library not initialized");
    return NULL;
  }
  TTF_Font *font = calloc(1, sizeof *font);
  long size = 0;
  if (font == NULL || (font->bytes = readFile(file, &size)) == NULL) {
    if (font == NULL) SDL_OutOfMemory();
    free(font);
    return NULL;
  }
  if (FT_New_Memory_Face(engine.library, font->bytes, size, 0, &font->face) != 0) {
    TTF_SetError("Couldn't load font file");
    free(font->bytes);
    free(font);
    return NULL;
  }
  FT_Face face = font->face;
  /* A face with bitmaps only has no size but its own: it is refused rather than drawn wrong. */
  if (!FT_IS_SCALABLE(face) || FT_Set_Char_Size(face, 0, (FT_F26Dot6)ptsize * 64, 0, 0) != 0) {
    TTF_SetError("Couldn't set font size");
    TTF_CloseFont(font);
    return NULL;
  }
  FT_Fixed scale = face->size->metrics.y_scale;
  font->ascent = ceil64(FT_MulFix(face->ascender, scale));
  font->descent = ceil64(FT_MulFix(face->descender, scale));
  font->height = font->ascent - font->descent + 1;
  font->underlineTop = font->ascent - floor64(FT_MulFix(face->underline_position, scale)) - 1;
  font->lineRows = floor64(FT_MulFix(face->underline_thickness, scale));
  if (font->lineRows < 1) font->lineRows = 1;
  font->boldSpread = face->size->metrics.y_ppem / 10;
  return font;
}

void TTF_CloseFont(TTF_Font *font) {
  if (font == NULL) return;
  if (font->face != NULL) FT_Done_Face(font->face);
  free(font->bytes);
  free(font);
}

int TTF_FontHeight(const TTF_Font *font) { return font->height; }
int TTF_FontAscent(const TTF_Font *font) { return font->ascent; }
int TTF_FontDescent(const TTF_Font *font) { return font->descent; }
/* The face's own flag bit (4), not 1: callers test for > 0. */
int TTF_FontFaceIsFixedWidth(const TTF_Font *font) { return (int)(font->face->face_flags & FT_FACE_FLAG_FIXED_WIDTH); }
/* The style asked for, and what the face is by itself. */
int TTF_GetFontStyle(const TTF_Font *font) {
  int own = (font->face->style_flags & FT_STYLE_FLAG_BOLD ? TTF_STYLE_BOLD : 0) |
            (font->face->style_flags & FT_STYLE_FLAG_ITALIC ? TTF_STYLE_ITALIC : 0);
  return font->style | own;
}
void TTF_SetFontStyle(TTF_Font *font, int style) { font->style = style; }

/* Bold is faked only for a face that is not bold already. */
static int fakesBold(const TTF_Font *font) {
  return (font->style & TTF_STYLE_BOLD) && !(font->face->style_flags & FT_STYLE_FLAG_BOLD);
}
static int fakesItalic(const TTF_Font *font) {
  return (font->style & TTF_STYLE_ITALIC) && !(font->face->style_flags & FT_STYLE_FLAG_ITALIC);
}

/* Loads ch into the face's slot and fills glyph's box (no bitmap); -1 with the error set. */
static int loadGlyph(TTF_Font *font, Uint16 ch, Glyph *glyph) {
  FT_Face face = font->face;
  memset(glyph, 0, sizeof *glyph);
  glyph->index = FT_Get_Char_Index(face, ch);
  if (FT_Load_Glyph(face, glyph->index, FT_LOAD_DEFAULT) != 0) {
    TTF_SetError("Couldn't load glyph");
    return -1;
  }
  const FT_Glyph_Metrics *m = &face->glyph->metrics;
  glyph->minx = floor64(m->horiBearingX);
  glyph->maxx = glyph->minx + ceil64(m->width);
  glyph->maxy = floor64(m->horiBearingY);
  glyph->miny = glyph->maxy - ceil64(m->height);
  glyph->top = font->ascent - glyph->maxy;
  glyph->advance = ceil64(m->horiAdvance);
  /* A smeared glyph steps on by its spread and is given twice that much room. */
  if (fakesBold(font)) {
    glyph->maxx += 2 * font->boldSpread;
    glyph->advance += font->boldSpread;
  }
  /* A slanted glyph leans right by up to a fifth of the line's height. */
  if (fakesItalic(font)) glyph->maxx += (int)ceilf(0.207f * (float)font->height);
  return 0;
}

int TTF_GlyphMetrics(TTF_Font *font, Uint16 ch, int *minx, int *maxx, int *miny, int *maxy, int *advance) {
  Glyph glyph;
  if (loadGlyph(font, ch, &glyph) < 0) return -1;
  if (minx) *minx = glyph.minx;
  if (maxx) *maxx = glyph.maxx;
  if (miny) *miny = glyph.miny;
  if (maxy) *maxy = glyph.maxy;
  if (advance) *advance = glyph.advance;
  return 0;
}

/* Loads ch and renders its bitmap into glyph->bits: ink bits for mono, else coverage. */
static int renderGlyph(TTF_Font *font, Uint16 ch, int mono, Glyph *glyph) {
  if (loadGlyph(font, ch, glyph) < 0) return -1;
  FT_GlyphSlot slot = font->face->glyph;
  if (fakesItalic(font) && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Matrix shear = {0x10000, (FT_Fixed)(0.207f * 0x10000), 0, 0x10000};
    FT_Outline_Transform(&slot->outline, &shear);
  }
  if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) {
    TTF_SetError("Couldn't render glyph");
    return -1;
  }
  const FT_Bitmap *bitmap = &slot->bitmap;
  int spread = fakesBold(font) ? font->boldSpread : 0;
  glyph->width = (int)bitmap->width + spread;
  glyph->rows = (int)bitmap->rows;
  if (glyph->width == 0 || glyph->rows == 0) return 0;
  glyph->bits = calloc((size_t)glyph->width * (size_t)glyph->rows, 1);
  if (glyph->bits == NULL) {
    SDL_OutOfMemory();
    return -1;
  }
  for (int y = 0; y < glyph->rows; y++) {
    const unsigned char *src = bitmap->buffer + (ptrdiff_t)y * bitmap->pitch;
    unsigned char *dst = glyph->bits + (size_t)y * (size_t)glyph->width;
    for (int x = 0; x < (int)bitmap->width; x++)
      dst[x] = mono ? (src[x >> 3] >> (7 - (x & 7))) & 1 : src[x];
    /* Bold smears each row rightwards one column at a time, the coverage adding up. */
    for (int pass = 0; pass < spread; pass++)
      for (int x = glyph->width - 1; x > 0; x--) {
        int sum = dst[x] + dst[x - 1];
        dst[x] = (unsigned char)(mono ? sum != 0 : (sum > 255 ? 255 : sum));
      }
  }
  /* A slanted bitmap can come out a column wider than its box, and is cut to it. */
  glyph->drawn = glyph->maxx - glyph->minx - spread;
  if (glyph->drawn > glyph->width) glyph->drawn = glyph->width;
  return 0;
}

/* The next character of a line, 0 at its end. Byte-order marks are not drawn: they say whether
 * the characters after them are byte-swapped. */
static Uint16 nextChar(const Uint16 **text, int *swapped) {
  for (;;) {
    Uint16 ch = *(*text)++;
    if (ch == UNICODE_BOM_NATIVE || ch == UNICODE_BOM_SWAPPED)
      *swapped = ch == UNICODE_BOM_SWAPPED;
    else
      return *swapped ? SDL_Swap16(ch) : ch;
  }
}

/* The pen's moves along the line: the kerning between glyphs prev and next, in pixels. */
static int kerning(const TTF_Font *font, FT_UInt prev, FT_UInt next) {
  FT_Vector delta;
  if (!FT_HAS_KERNING(font->face) || prev == 0 || next == 0 ||
      FT_Get_Kerning(font->face, prev, next, FT_KERNING_DEFAULT, &delta) != 0)
    return 0;
  return (int)(delta.x >> 6);
}

/* The line's leftmost and rightmost columns about the first pen position, and its rows (more
 * than the face's height where a glyph reaches below the descent); -1 with the error set. */
static int measureLine(TTF_Font *font, const Uint16 *text, int *left, int *right, int *rows) {
  int pen = 0;
  FT_UInt prev = 0;
  *left = *right = 0;
  *rows = font->height;
  int swapped = 0;
  for (Uint16 ch; (ch = nextChar(&text, &swapped)) != 0;) {
    Glyph glyph;
    if (loadGlyph(font, ch, &glyph) < 0) return -1;
    pen += kerning(font, prev, glyph.index);
    prev = glyph.index;
    if (pen + glyph.minx < *left) *left = pen + glyph.minx;
    int end = pen + (glyph.advance > glyph.maxx ? glyph.advance : glyph.maxx);
    if (end > *right) *right = end;
    if (font->ascent - glyph.miny > *rows) *rows = font->ascent - glyph.miny;
    pen += glyph.advance;
  }
  return 0;
}

/* A horizontal band of value across the whole surface: the underline or the strikethrough. */
static void drawBand(SDL_Surface *surface, int top, int rows, Uint8 value) {
  for (int y = top; y < top + rows; y++)
    if (y >= 0 && y < surface->h) memset((Uint8 *)surface->pixels + (ptrdiff_t)y * surface->pitch, value, (size_t)surface->w);
}

/* text as an 8-bit surface of the face's height, each glyph's bitmap copied where the pen puts
 * it; ink is 1 (mono) or the coverage. The palette is the caller's. */
static SDL_Surface *renderLine(TTF_Font *font, const Uint16 *text, int mono) {
  int left, right, rows;
  if (measureLine(font, text, &left, &right, &rows) < 0) return NULL;
  if (right - left <= 0) {
    TTF_SetError("Text has zero width");
    return NULL;
  }
  SDL_Surface *surface = SDL_CreateRGBSurface(SDL_SWSURFACE, right - left, rows, 8, 0, 0, 0, 0);
  if (surface == NULL) return NULL;
  int pen = -left;
  FT_UInt prev = 0;
  int swapped = 0;
  for (Uint16 ch; (ch = nextChar(&text, &swapped)) != 0;) {
    Glyph glyph;
    if (renderGlyph(font, ch, mono, &glyph) < 0) {
      SDL_FreeSurface(surface);
      return NULL;
    }
    pen += kerning(font, prev, glyph.index);
    prev = glyph.index;
    for (int y = 0; y < glyph.rows; y++) {
      int row = glyph.top + y;
      if (row < 0 || row >= surface->h) continue;
      Uint8 *dst = (Uint8 *)surface->pixels + (ptrdiff_t)row * surface->pitch;
      const unsigned char *src = glyph.bits + (size_t)y * (size_t)glyph.width;
      for (int x = 0; x < glyph.drawn; x++) {
        int column = pen + glyph.minx + x;
        /* Where glyphs overlap, their bits are or-ed: coverage neither adds up nor saturates. */
        if (column >= 0 && column < surface->w) dst[column] |= src[x];
      }
    }
    free(glyph.bits);
    pen += glyph.advance;
  }
  Uint8 ink = mono ? 1 : 255;
  if (font->style & TTF_STYLE_UNDERLINE) drawBand(surface, font->underlineTop, font->lineRows, ink);
  if (font->style & TTF_STYLE_STRIKETHROUGH) drawBand(surface, font->height / 2, font->lineRows, ink);
  return surface;
}

SDL_Surface *TTF_RenderUNICODE_Solid(TTF_Font *font, const Uint16 *text, SDL_Color fg) {
  SDL_Surface *surface = renderLine(font, text, 1);
  if (surface == NULL) return NULL;
  SDL_Color colors[2] = {{(Uint8)(255 - fg.r), (Uint8)(255 - fg.g), (Uint8)(255 - fg.b), 0}, fg};
  SDL_SetColors(surface, colors, 0, 2);
  SDL_SetColorKey(surface, SDL_SRCCOLORKEY, 0);
  return surface;
}

SDL_Surface *TTF_RenderUNICODE_Shaded(TTF_Font *font, const Uint16 *text, SDL_Color fg, SDL_Color bg) {
  SDL_Surface *surface = renderLine(font, text, 0);
  if (surface == NULL) return NULL;
  /* The palette runs from the background at 0 to the foreground at 255. */
  SDL_Color colors[256];
  for (int i = 0; i < 256; i++) {
    colors[i].r = (Uint8)(bg.r + i * (fg.r - bg.r) / 255);
    colors[i].g = (Uint8)(bg.g + i * (fg.g - bg.g) / 255);
    colors[i].b = (Uint8)(bg.b + i * (fg.b - bg.b) / 255);
    colors[i].unused = 0;
  }
  SDL_SetColors(surface, colors, 0, 256);
  return surface;
}
