// The FreeType layer the Windows build links instead of SDL_ttf (deps/ttf) against Debian's SDL_ttf, loaded on
// its own (RTLD_LOCAL) so that its TTF_* names never meet ours: every printable character of the faces below at
// each size and style, and a few lines and non-fonts, must measure and render alike. The first difference fails.
#include <SDL_ttf.h>
#include <dlfcn.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#define CALLS(X) X(Init) X(Quit) X(OpenFont) X(CloseFont) X(FontHeight) X(FontAscent) X(FontDescent) X(FontFaceIsFixedWidth) \
  X(SetFontStyle) X(GetFontStyle) X(GlyphMetrics) X(RenderUNICODE_Solid) X(RenderUNICODE_Shaded)
#define DECLARE(name) decltype(&TTF_##name) name;
#define OURS(name) &TTF_##name,
struct Library { CALLS(DECLARE) };
static const Library ours{CALLS(OURS)};
static Library debian;

// Numbers to compare, in named runs: the report names the run and the place in it.
struct Facts {
  std::vector<long> values;
  std::vector<std::pair<size_t, std::string>> runs;  // where each run starts, and its name
  template <typename... T> void add(const std::string& name, T... v) { runs.emplace_back(values.size(), name), (values.push_back(long(v)), ...); }
  std::string name(size_t i) const {
    auto run = std::prev(std::upper_bound(runs.begin(), runs.end(), std::make_pair(i, std::string("\xff"))));
    return run->second + " [" + std::to_string(i - run->first) + "]";
  }
};

// What a library says of font: its measures; for text its renderings, for one character its metrics.
static Facts facts(const Library& lib, TTF_Font* font, const Uint16* text, bool render) {
  Facts f;
  f.add("(height, ascent, descent, fixed width, style)", lib.FontHeight(font), lib.FontAscent(font), lib.FontDescent(font),
        lib.FontFaceIsFixedWidth(font), lib.GetFontStyle(font));
  int m[5] = {};
  if (text[0] != 0 && text[1] == 0)
    f.add("(result, minx, maxx, miny, maxy, advance)", lib.GlyphMetrics(font, text[0], &m[0], &m[1], &m[2], &m[3], &m[4]), m[0], m[1], m[2], m[3], m[4]);
  SDL_Color fg{200, 30, 100, 0}, bg{10, 250, 60, 0};
  for (std::string how : {"Solid ", "Shaded "}) {
    SDL_Surface* s = !render ? nullptr : how == "Solid " ? lib.RenderUNICODE_Solid(font, text, fg) : lib.RenderUNICODE_Shaded(font, text, fg, bg);
    if (s == nullptr && render) f.add(how + "fails: " + SDL_GetError(), std::hash<std::string>()(SDL_GetError()));
    if (s == nullptr) continue;
    const SDL_PixelFormat& p = *s->format;
    f.add(how + "(width, height, pitch, depth, flags, colour key, colours)", s->w, s->h, s->pitch, p.BitsPerPixel, s->flags, p.colorkey, p.palette->ncolors);
    f.add(how + "palette");
    for (int i = 0; i < p.palette->ncolors; i++) f.values.push_back(p.palette->colors[i].r << 16 | p.palette->colors[i].g << 8 | p.palette->colors[i].b);
    for (int y = 0; y < s->h; y++) {
      Uint8* row = static_cast<Uint8*>(s->pixels) + y * s->pitch;
      f.add(how + "row " + std::to_string(y)), f.values.insert(f.values.end(), row, row + s->w);
    }
    SDL_FreeSurface(s);
  }
  return f;
}

int main() {
  void* library = dlopen("libSDL_ttf-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
#define LOAD(name) debian.name = reinterpret_cast<decltype(&TTF_##name)>(library ? dlsym(library, "TTF_" #name) : nullptr);
  CALLS(LOAD)
  FT_Library freetype;
  if (debian.Init == nullptr || debian.Init == ours.Init || SDL_Init(0) < 0 || ours.Init() < 0 || debian.Init() < 0 || FT_Init_FreeType(&freetype))
    return std::puts("SDL, FreeType, or both TTF libraries (Debian's loaded apart) do not start"), 1;
  // Faces with their printable characters up to a last one (the fourth face is bold and slanted
  // by itself, so neither is faked), and two files that are no font.
  const std::pair<std::string, FT_ULong> faces[] = {{BRINE_ASSETS "/capture it.ttf", 0xFFFF},
    {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0xFFFF}, {"/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", 0xFFFF},
    {"/usr/share/fonts/truetype/dejavu/DejaVuSans-BoldOblique.ttf", 0x7E}, {"/nonexistent.ttf", 0}, {BRINE_ASSETS "/help.txt", 0}};
  // The game measures its face at 1000 points (only measured here), then opens it at 19 for 24-row
  // cells; 0 is taken as the least size; 9 and 11 tell the faked bold's spread from a tenth of the height.
  const int sizes[] = {1000, 19, 0, 7, 9, 11, 24, 40};
  const int styles[] = {TTF_STYLE_NORMAL, TTF_STYLE_BOLD, TTF_STYLE_ITALIC, TTF_STYLE_UNDERLINE, TTF_STYLE_STRIKETHROUGH,
                        TTF_STYLE_BOLD | TTF_STYLE_ITALIC | TTF_STYLE_UNDERLINE};
  long compared = 0;
  for (const auto& [file, last] : faces)
    for (int size : sizes)
      for (int style : styles) {
        std::string where = file + " at " + std::to_string(size) + " style " + std::to_string(style), error;
        TTF_Font* a = ours.OpenFont(file.c_str(), size);
        if (a == nullptr) error = SDL_GetError();
        TTF_Font* b = debian.OpenFont(file.c_str(), size);
        FT_Face face;
        if ((a == nullptr) != (b == nullptr) || (a == nullptr && error != SDL_GetError()))
          return std::printf("%s: opens or fails unlike SDL_ttf (\"%s\" here)\n", where.c_str(), error.c_str()), 1;
        if (a == nullptr || FT_New_Face(freetype, file.c_str(), 0, &face) != 0) continue;
        ours.SetFontStyle(a, style), debian.SetFontStyle(b, style);
        // An empty line, one of all ASCII (kerning, overlaps), "AB" byte-swapped after a swapped
        // byte-order mark, a character the face lacks, then each of its characters outside the
        // control ranges (beyond ASCII every STRIDE-th, under the slow sanitizers).
        std::vector<std::u16string> texts{u"", u" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~",
                                          u"\uFFFE\u4100\u4200", u"\u0378"};
        FT_UInt index;
        for (FT_ULong ch = FT_Get_Next_Char(face, 0x1F, &index); index != 0 && ch <= last; ch = FT_Get_Next_Char(face, ch, &index))
          if (!(ch >= 0x7F && ch < 0xA0) && !(ch >= 0xD800 && ch < 0xE000) && (size < 100 || ch < 0x80) && (ch < 0x80 || ch % STRIDE == 0))
            texts.push_back({char16_t(ch)});
        for (const std::u16string& text : texts) {
          const Uint16* units = reinterpret_cast<const Uint16*>(text.c_str());
          Facts mine = facts(ours, a, units, size < 100), theirs = facts(debian, b, units, size < 100);
          size_t i = size_t(std::mismatch(mine.values.begin(), mine.values.end(), theirs.values.begin(), theirs.values.end()).first - mine.values.begin());
          if (i < mine.values.size() || i < theirs.values.size())
            return std::printf("%s, text of %zu starting U+%04X: %s is %ld here, %s is %ld in SDL_ttf\n", where.c_str(), text.size(), text[0],
                               mine.name(i).c_str(), i < mine.values.size() ? mine.values[i] : -1, theirs.name(i).c_str(),
                               i < theirs.values.size() ? theirs.values[i] : -1), 1;
          compared++;
        }
        FT_Done_Face(face), ours.CloseFont(a), debian.CloseFont(b);
      }
  FT_Done_FreeType(freetype), ours.Quit(), debian.Quit();
  std::printf("%ld texts measured and rendered alike\n", compared);
  return 0;
}
