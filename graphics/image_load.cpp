// image_load.cpp: decoding PNG and JPEG files into new images.
//
// No state of its own: pictures become images through the image table (game thread only).
// The kind of a file is decided from its first bytes, never guessed by a decoder, and only PNG
// and JPEG are decoded, each by its own library. A file of any other kind, or one that is cut
// short, corrupt or larger than MAX_PIXELS, loads as -1 without an error; nothing decoded is
// kept. A Huffman-coded JPEG that lacks only its end-of-image marker is whole and loads.
#include "graphics/image.h"

#include <SDL.h>
#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>  // after <cstdio>: it uses FILE
#include <jerror.h>

#include "graphics/screen.h"
#include "runtime/error.h"

// A header may claim up to 65535 x 65535 pixels (16 GB); past 32 M pixels (128 MB, an 8K
// picture) a file is refused before anything is allocated.
static const uint64_t MAX_PIXELS = uint64_t(1) << 25;

static bool sizeAllowed(uint32_t w, uint32_t h) {
  return w >= 1 && h >= 1 && w <= 65535 && h <= 65535 && uint64_t(w) * h <= MAX_PIXELS;
}

// ---- PNG: libpng directly, so that a short read fails instead of looping -----------------

// libpng allocates what a text chunk's length field claims before it reads the chunk (1.8 GB
// for a 42-byte file), so the chunks the loader never uses are skipped unread: what it keeps
// of a file is the palette and transparency, its row and zlib buffers, and the pixels. Anything
// it would still hold or inflate of one chunk is bounded by this.
static const png_alloc_size_t MAX_CHUNK_BYTES = 8 << 20;

static void pngRead(png_structp png, png_bytep data, size_t length) {
  SDL_RWops* file = static_cast<SDL_RWops*>(png_get_io_ptr(png));
  if (length > 1u << 30 || SDL_RWread(file, data, 1, int(length)) != int(length)) png_error(png, "short read");
}

static void pngFailed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
static void pngWarned(png_structp, png_const_charp) {}

// A palette picture's indices are turned into colours here, not by libpng, which paints an
// index past the palette opaque black and says nothing of it: such a pixel is damage, and the
// file is refused.
struct PaletteColours {
  uint32_t colours[256];  // 0xAARRGGBB, the palette's colours with their tRNS alphas
  int count;
};

static int paletteColours(png_structp png, png_infop info, uint32_t* colours) {
  png_colorp palette = nullptr;
  png_bytep alphas = nullptr;
  int count = 0, alphaCount = 0;
  png_get_PLTE(png, info, &palette, &count);
  png_get_tRNS(png, info, &alphas, &alphaCount, nullptr);
  for (int i = 0; i < count; i++)
    colours[i] = uint32_t(i < alphaCount ? alphas[i] : 255) << 24 | uint32_t(palette[i].red) << 16 |
                 uint32_t(palette[i].green) << 8 | palette[i].blue;
  return count;
}

// Called for each row after libpng unpacked it to one byte an index; widens it in place to
// words, from the end.
static void expandPalette(png_structp png, png_row_infop row, png_bytep data) {
  const auto* palette = static_cast<const PaletteColours*>(png_get_user_transform_ptr(png));
  for (size_t x = row->width; x-- > 0;) {
    if (data[x] >= palette->count) png_error(png, "a pixel indexes past the palette");
    std::memcpy(data + 4 * x, &palette->colours[data[x]], 4);
  }
  row->color_type = PNG_COLOR_TYPE_RGB_ALPHA;
  row->channels = 4;
  row->bit_depth = 8;
  row->pixel_depth = 32;
  row->rowbytes = size_t(row->width) * 4;
}

// Decode straight into the pixels of a new image: libpng expands grey, tRNS and
// 16-bit samples to 8-bit B, G, R, A bytes, which are 0xAARRGGBB words on a little-endian
// machine. Returns the record number, or 0.
static int32_t loadPng(SDL_RWops* file) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFailed, pngWarned);
  if (png == nullptr) return 0;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return 0;
  }
  // Written after setjmp and read after the jump back, so kept out of registers.
  volatile int32_t n = 0;
  png_bytep* volatile rows = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    std::free(rows);
    if (n != 0) Image_Release(n);
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
  }
  png_set_read_fn(png, file, pngRead);
  png_set_user_limits(png, 65535, 65535);
  png_set_chunk_malloc_max(png, MAX_CHUNK_BYTES);
  // Every chunk but IHDR, PLTE, tRNS, IDAT and IEND: text, profiles, gamma and the like, which
  // change nothing that is decoded here.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(png, info);
  uint32_t w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (!sizeAllowed(w, h)) png_error(png, "too large");
  PaletteColours palette;
  if (png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE) {
    png_set_packing(png);
    palette.count = paletteColours(png, info, palette.colours);
    png_set_read_user_transform_fn(png, expandPalette);
    png_set_user_transform_info(png, &palette, 8, 4);
  } else {  // either would expand a palette too
    png_set_expand(png);
    png_set_gray_to_rgb(png);
  }
  png_set_strip_16(png);
  if constexpr (std::endian::native == std::endian::little) {
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  } else {
    png_set_swap_alpha(png);
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(w) * 4) png_error(png, "not four bytes a pixel");
  n = Image_Create(int32_t(w), int32_t(h));
  rows = static_cast<png_bytep*>(std::malloc(h * sizeof(png_bytep)));
  if (n == 0 || rows == nullptr) png_error(png, "out of memory");
  uint32_t* pixels = Image_Record(n)->pixels;
  for (uint32_t y = 0; y < h; y++) rows[y] = reinterpret_cast<png_bytep>(pixels + size_t(y) * w);
  png_read_image(png, rows);
  png_read_end(png, nullptr);  // a file cut short after its pixels fails here
  std::free(rows);
  png_destroy_read_struct(&png, &info, nullptr);
  return n;
}

// ---- JPEG: libjpeg directly, judged by its data ---------------------------------------------

// Buffered byte reader over a file for the structure check.
struct ByteReader {
  SDL_RWops* file;
  uint8_t buffer[4096];
  int length, position;
};

static int nextByte(ByteReader* r) {
  if (r->position == r->length) {
    r->length = SDL_RWread(r->file, r->buffer, 1, sizeof r->buffer);
    r->position = 0;
    if (r->length <= 0) {
      r->length = 0;
      return -1;
    }
  }
  return r->buffer[r->position++];
}

static bool skipBytes(ByteReader* r, int count) {
  for (; count > 0; count--)
    if (nextByte(r) < 0) return false;
  return true;
}

// A segment's length field, less its own two bytes; -1 at the end of the file or when broken.
static int segmentLength(ByteReader* r) {
  int hi = nextByte(r), lo = nextByte(r);
  if (hi < 0 || lo < 0 || hi * 256 + lo < 2) return -1;
  return hi * 256 + lo - 2;
}

static const int MAX_SCANS = 1000;  // real files have at most a few dozen; more only costs time

// What the scans read so far bring of each component of the frame (at most MAX_COMPONENTS, the
// decoder's own limit): bit k of done[c] is set once coefficient k of component c has arrived
// at full precision (a sequential scan brings them all, a progressive one the band Ss..Se when
// its low bit Al is 0).
struct ScanCoverage {
  int count;
  int ids[MAX_COMPONENTS];
  uint64_t done[MAX_COMPONENTS];
  bool progressive;
};

static bool coverageComplete(const ScanCoverage& c) {
  for (int i = 0; i < c.count; i++)
    if (c.done[i] != ~uint64_t(0)) return false;
  return true;
}

// Read a frame header's component list after its size; false when broken.
static bool readFrameComponents(ByteReader* r, int length, ScanCoverage* c) {
  int count = nextByte(r);
  if (count < 1 || count > MAX_COMPONENTS || length < 1 + 3 * count) return false;
  c->count = count;
  for (int i = 0; i < count; i++) {
    c->ids[i] = nextByte(r);
    c->done[i] = 0;
    if (!skipBytes(r, 2)) return false;
  }
  return skipBytes(r, length - 1 - 3 * count);
}

// Read a scan header and mark what its data brings; false when broken.
static bool readScanHeader(ByteReader* r, int length, ScanCoverage* c) {
  int count = nextByte(r);
  if (count < 1 || length < 4 + 2 * count) return false;
  int ids[4] = {}, n = 0;
  for (int i = 0; i < count; i++) {
    int id = nextByte(r);
    if (n < 4) ids[n++] = id;
    if (nextByte(r) < 0) return false;
  }
  int ss = nextByte(r), se = nextByte(r), approximation = nextByte(r);
  if (approximation < 0) return false;
  uint64_t band = 0;
  if (!c->progressive) band = ~uint64_t(0);
  else if ((approximation & 15) == 0)
    for (int k = ss; k <= se && k < 64; k++) band |= uint64_t(1) << k;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < c->count; j++)
      if (c->ids[j] == ids[i]) c->done[j] |= band;
  return skipBytes(r, length - 4 - 2 * count);
}

// Walk the markers of a JPEG from its start: a frame header whose size is allowed must come
// before the first scan. This refuses hostile sizes and endless scan lists before the decoder
// spends memory or time on them; whether the data suffices is the decoder's to judge. A file
// that ends without its end-of-image marker must have had every coefficient of every component
// from its scans: cut between two scans, the decoder would show what it has and say nothing.
// An arithmetic-coded file must end in that marker: its decoder takes the end of the data as
// zeros, which is how such data may legally end, so a cut in a scan would load unnoticed.
static bool jpegWellFormed(SDL_RWops* file) {
  ByteReader r{file, {}, 0, 0};
  if (nextByte(&r) != 0xFF || nextByte(&r) != 0xD8) return false;
  ScanCoverage coverage{};
  bool sized = false, arithmetic = false;
  int scans = 0;
  for (;;) {
    // Bytes between markers are entropy-coded data inside a scan, or stray bytes that the
    // decoder itself skips. A file may end in its data, without the end-of-image marker.
    int b = nextByte(&r);
    if (b < 0) break;
    if (b != 0xFF) continue;
    int m;
    do m = nextByte(&r);
    while (m == 0xFF);
    if (m < 0) break;
    // A stuffed byte, a restart marker and TEM stand alone.
    if (m == 0x00 || m == 0x01 || (m >= 0xD0 && m <= 0xD7)) continue;
    if (m == 0xD9) return sized && scans > 0;
    if (m == 0xD8) return false;
    int length = segmentLength(&r);
    if (length < 0) return false;
    bool frame = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
    if (frame) {
      if (length < 5 || nextByte(&r) < 0) return false;  // sample precision
      int h = nextByte(&r) * 256, h2 = nextByte(&r), w = nextByte(&r) * 256, w2 = nextByte(&r);
      if (h < 0 || h2 < 0 || w < 0 || w2 < 0 || !sizeAllowed(uint32_t(w + w2), uint32_t(h + h2))) return false;
      sized = true;
      arithmetic = m >= 0xC9;
      coverage.progressive = (m & 3) == 2;
      if (!readFrameComponents(&r, length - 5, &coverage)) return false;
      continue;
    }
    if (m == 0xDA) {
      if (!sized || ++scans > MAX_SCANS || !readScanHeader(&r, length, &coverage)) return false;
      continue;
    }
    if (!skipBytes(&r, length)) return false;
  }
  return sized && scans > 0 && coverageComplete(coverage) && !arithmetic;
}

// The decoder reads the file through this; at the end of the file it is given an end-of-image
// marker, so a file that lacks only that marker decodes whole. The data comes in pieces of 256
// bytes: with less than 512 bytes a block in hand, the decoder reads Huffman codes on its
// checking path, which warns of a bad code; its fast path would take one silently as a zero.
struct JpegSource {
  jpeg_source_mgr manager;  // first: the decoder's pointer to it is a pointer to the whole
  SDL_RWops* file;
  JOCTET buffer[256];
};

static void jpegNothing(j_decompress_ptr) {}

static boolean jpegFill(j_decompress_ptr cinfo) {
  auto* source = reinterpret_cast<JpegSource*>(cinfo->src);
  int got = SDL_RWread(source->file, source->buffer, 1, sizeof source->buffer);
  if (got <= 0) {
    source->buffer[0] = 0xFF;
    source->buffer[1] = JPEG_EOI;
    got = 2;
  }
  source->manager.next_input_byte = source->buffer;
  source->manager.bytes_in_buffer = size_t(got);
  return TRUE;
}

static void jpegSkip(j_decompress_ptr cinfo, long count) {
  jpeg_source_mgr* source = cinfo->src;
  while (count > long(source->bytes_in_buffer)) {
    count -= long(source->bytes_in_buffer);
    jpegFill(cinfo);
  }
  if (count > 0) {
    source->next_input_byte += count;
    source->bytes_in_buffer -= size_t(count);
  }
}

struct JpegErrors {
  jpeg_error_mgr manager;  // first, as for the source
  jmp_buf failed;
};

static void jpegFailed(j_common_ptr cinfo) { longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->failed, 1); }

// Warnings that the entropy-coded data is damaged refuse the file: a scan's data ran out before
// its rows were decoded (cut short, or a marker inside the scan), a code that no table has, a
// restart marker out of its turn. The decoder would go on and paint grey or garbled blocks.
// Other warnings concern bytes it skips (stray bytes before a marker, which real camera files
// carry and decode whole with) or header fields it reads past.
static void jpegWarned(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  int code = cinfo->err->msg_code;
  if (code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE || code == JWRN_ARITH_BAD_CODE || code == JWRN_MUST_RESYNC)
    jpegFailed(cinfo);
}

// Decode straight into the pixels of a new image as opaque 0xFFRRGGBB words. A four-channel
// (CMYK) file keeps its channels as they stand, C as blue, M as green, Y as red. Returns the
// record number, or 0.
static int32_t loadJpeg(SDL_RWops* file) {
  if (!jpegWellFormed(file) || SDL_RWseek(file, 0, RW_SEEK_SET) != 0) return 0;
  jpeg_decompress_struct cinfo;
  JpegErrors errors;
  JpegSource source;
  cinfo.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = jpegFailed;
  errors.manager.emit_message = jpegWarned;
  // Written after setjmp and read after the jump back, so kept out of registers.
  volatile int32_t n = 0;
  if (setjmp(errors.failed)) {
    jpeg_destroy_decompress(&cinfo);
    if (n != 0) Image_Release(n);
    return 0;
  }
  jpeg_create_decompress(&cinfo);
  source.manager = jpeg_source_mgr{nullptr, 0, jpegNothing, jpegFill, jpegSkip, jpeg_resync_to_restart, jpegNothing};
  source.file = file;
  cinfo.src = &source.manager;
  jpeg_read_header(&cinfo, TRUE);
  if (!sizeAllowed(cinfo.image_width, cinfo.image_height)) jpegFailed(reinterpret_cast<j_common_ptr>(&cinfo));
  bool cmyk = cinfo.num_components == 4;
  cinfo.out_color_space = cmyk ? JCS_CMYK : std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;
  jpeg_start_decompress(&cinfo);
  n = Image_Create(int32_t(cinfo.output_width), int32_t(cinfo.output_height));
  if (n == 0 || cinfo.output_components != 4) jpegFailed(reinterpret_cast<j_common_ptr>(&cinfo));
  uint32_t* pixels = Image_Record(n)->pixels;
  size_t w = cinfo.output_width;
  for (size_t y = 0; y < cinfo.output_height; y++) {
    uint32_t* out = pixels + y * w;
    JSAMPROW row = reinterpret_cast<JSAMPROW>(out);
    jpeg_read_scanlines(&cinfo, &row, 1);
    for (size_t x = 0; cmyk && x < w; x++, row += 4)
      out[x] = 0xFF000000u | uint32_t(row[2]) << 16 | uint32_t(row[1]) << 8 | row[0];
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return n;
}

// ---- the operation --------------------------------------------------------------------------

int32_t Image_Load(const std::string& fileName, int32_t mode, int32_t passed) {
  if (Error_Pending()) return 0;
  Image_InitTable();
  // Every image here is 32-bit: a mode of 256 is accepted and loads as 32-bit too.
  bool badMode = (passed & 1) ? mode != 32 && mode != 256 : Image_Record(drawDest)->isTextPage != 0;
  if (badMode) {
    Runtime_Error(5);
    return 0;
  }
  if (fileName.empty()) return -1;
  SDL_RWops* file = SDL_RWFromFile(fileName.c_str(), "rb");
  if (file == nullptr) return -1;
  static const uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  uint8_t head[8];
  int got = SDL_RWread(file, head, 1, sizeof head);
  int32_t n = 0;
  if (SDL_RWseek(file, 0, RW_SEEK_SET) == 0) {
    if (got == 8 && std::memcmp(head, PNG_SIGNATURE, 8) == 0) n = loadPng(file);
    else if (got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) n = loadJpeg(file);
  }
  SDL_RWclose(file);
  return n != 0 ? -n : -1;
}
