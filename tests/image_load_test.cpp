// Loading pictures: PNG and JPEG files written here, bad files, and the game's own pictures.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/image_page.h"
#include "tests/scratch.h"

namespace fs = std::filesystem;

static std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

static void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) { Test_WriteFile(path, bytes); }

// An RGBA picture w x h with a different colour and alpha in every pixel, as 0xAARRGGBB.
static std::vector<uint32_t> testPattern(int w, int h) {
  std::vector<uint32_t> argb;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
      argb.push_back(uint32_t((x * 50 + y * 7) & 255) << 24 | uint32_t(x * 40) << 16 | uint32_t(y * 60) << 8 | uint32_t(x * y));
  return argb;
}

static void writePng(const std::string& path, int w, int h, const std::vector<uint32_t>& argb) {
  std::vector<uint8_t> rgba;
  for (uint32_t c : argb) rgba.insert(rgba.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 24)});
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = uint32_t(w);
  image.height = uint32_t(h);
  image.format = PNG_FORMAT_RGBA;
  ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr)) << path << ": " << image.message;
}

enum JpegScans { ONE_SCAN, RESTARTS, PROGRESSIVE, SCAN_PER_COMPONENT, ARITHMETIC, ARITHMETIC_PROGRESSIVE };

// A w x h JPEG of one colour at the best quality.
static void writeJpeg(const std::string& path, int w, int h, uint8_t r, uint8_t g, uint8_t b, JpegScans scans = ONE_SCAN) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr) << path << ": " << std::strerror(errno);
  jpeg_stdio_dest(&cinfo, out);
  cinfo.image_width = JDIMENSION(w);
  cinfo.image_height = JDIMENSION(h);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  static const jpeg_scan_info perComponent[3] = {{1, {0}, 0, 63, 0, 0}, {1, {1}, 0, 63, 0, 0}, {1, {2}, 0, 63, 0, 0}};
  if (scans == PROGRESSIVE || scans == ARITHMETIC_PROGRESSIVE) jpeg_simple_progression(&cinfo);
  cinfo.arith_code = scans >= ARITHMETIC;
  if (scans == RESTARTS) cinfo.restart_interval = 1;
  if (scans == SCAN_PER_COMPONENT) {
    cinfo.scan_info = perComponent;
    cinfo.num_scans = 3;
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row;
  for (int x = 0; x < w; x++) row.insert(row.end(), {r, g, b});
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  ASSERT_EQ(std::fclose(out), 0) << path << ": " << std::strerror(errno);
}

class ImageLoadTest : public ::testing::Test {
 protected:
  // Each test writes its files into a folder of its own, removed afterwards.
  void SetUp() override {
    page = Test_MakeScreenPage();
    folder = Test_ScratchPath(::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder);
  }
  void TearDown() override {
    pendingError = 0;
    fs::remove_all(folder);
  }
  std::string tempPath(const std::string& name) const { return folder + "/" + name; }
  // Image_Load of path must give -1, raise nothing and keep no record.
  void expectRefused(const std::string& path, const std::string& what) {
    int32_t before = Image_New(1, 1);
    Image_Free(before, IMAGE_HANDLE_GIVEN);
    EXPECT_EQ(Image_Load(path, 32, 1), -1) << what;
    EXPECT_EQ(pendingError, 0) << what;
    EXPECT_EQ(Image_New(1, 1), before) << what;  // the failed load gave its number back
    Image_Free(before, IMAGE_HANDLE_GIVEN);
  }
  int32_t page = 0;
  std::string folder;
};

TEST_F(ImageLoadTest, PngKeepsEveryPixelAndItsAlpha) {
  std::string path = tempPath("alpha.png");
  std::vector<uint32_t> pattern = testPattern(7, 5);
  writePng(path, 7, 5, pattern);
  int32_t h = Image_Load(path, 0, 0);
  ASSERT_LT(h, -1);
  const ImageRecord* r = Image_Record(-h);
  ASSERT_EQ(r->width, 7);
  ASSERT_EQ(r->height, 5);
  for (int i = 0; i < 35; i++) EXPECT_EQ(r->pixels[i], pattern[size_t(i)]) << i;
}

TEST_F(ImageLoadTest, LoadedImageKeepsTheDefaultsOfANewImage) {
  std::string path = tempPath("defaults.png");
  writePng(path, 3, 3, testPattern(3, 3));
  Image_Record(drawDest)->foreColor = 0xFF00FF00;
  Image_Record(drawDest)->font = 8;
  int32_t h = Image_Load(path, 32, 1);
  ASSERT_LT(h, -1);
  EXPECT_EQ(Image_Record(-h)->foreColor, 0xFFFFFFFFu);
  EXPECT_EQ(Image_Record(-h)->font, 16);
  EXPECT_EQ(Image_Record(-h)->ownership, uint32_t(IMAGE_OWNS_PIXELS));
}

TEST_F(ImageLoadTest, JpegLoadsFullyOpaque) {
  std::string path = tempPath("solid.jpg");
  writeJpeg(path, 20, 10, 200, 100, 50);
  int32_t h = Image_Load(path, 32, 1);
  ASSERT_LT(h, -1);
  const ImageRecord* r = Image_Record(-h);
  ASSERT_EQ(r->width, 20);
  ASSERT_EQ(r->height, 10);
  for (int i = 0; i < 200; i++) {
    uint32_t c = r->pixels[i];
    ASSERT_EQ(c >> 24, 255u) << i;
    EXPECT_NEAR(int(c >> 16 & 255), 200, 2);
    EXPECT_NEAR(int(c >> 8 & 255), 100, 2);
    EXPECT_NEAR(int(c & 255), 50, 2);
  }
}

TEST_F(ImageLoadTest, ModeRules) {
  std::string path = tempPath("mode.png");
  writePng(path, 2, 2, testPattern(2, 2));
  EXPECT_EQ(Image_Load(path, 16, 1), 0);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  EXPECT_LT(Image_Load(path, 256, 1), -1);
  EXPECT_EQ(Image_Load("", 32, 1), -1);
  EXPECT_EQ(pendingError, 0);
  Image_Record(drawDest)->isTextPage = 1;  // no mode while the start-up page is the destination
  EXPECT_EQ(Image_Load(path, 0, 0), 0);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  EXPECT_LT(Image_Load(path, 32, 1), -1);  // with a mode it loads
  Image_Record(drawDest)->isTextPage = 0;
}

TEST_F(ImageLoadTest, MissingEmptyAndForeignFilesGiveMinusOne) {
  expectRefused(tempPath("does-not-exist.png"), "missing");
  expectRefused(folder, "a folder");
  writeBytes(tempPath("empty.png"), {});
  expectRefused(tempPath("empty.png"), "empty");
  writeBytes(tempPath("text.jpg"), {'h', 'e', 'l', 'l', 'o', '\n'});
  expectRefused(tempPath("text.jpg"), "text");
  writeBytes(tempPath("pic.gif"), {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'});
  expectRefused(tempPath("pic.gif"), "gif");
  writeBytes(tempPath("sig.png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
  expectRefused(tempPath("sig.png"), "png signature only");
}

// Every cut of a good file, and a flipped byte in its header, is refused; only a Huffman-coded
// JPEG cut in its end-of-image marker is whole and loads. A JPEG whose data ends early, or is
// damaged, is refused even when its end marker follows; so is a PNG pixel past its palette.
TEST_F(ImageLoadTest, TruncatedAndCorruptFilesGiveMinusOne) {
  static const uint8_t SOS[2] = {0xFF, 0xDA}, RST1[2] = {0xFF, 0xD1};
  std::string png = tempPath("whole.png"), jpg = tempPath("whole.jpg"), restarts = tempPath("restarts.jpg"),
              progressive = tempPath("progressive.jpg"), threeScans = tempPath("three-scans.jpg"), cut = tempPath("cut"),
              arithmetic = tempPath("arithmetic.jpg"), arithmeticProgressive = tempPath("arithmetic-progressive.jpg");
  writePng(png, 40, 30, testPattern(40, 30));
  writeJpeg(jpg, 40, 30, 10, 20, 30);
  writeJpeg(restarts, 40, 30, 10, 20, 30, RESTARTS);
  writeJpeg(progressive, 40, 30, 10, 20, 30, PROGRESSIVE);
  writeJpeg(threeScans, 40, 30, 10, 20, 30, SCAN_PER_COMPONENT);
  writeJpeg(arithmetic, 40, 30, 10, 20, 30, ARITHMETIC);
  writeJpeg(arithmeticProgressive, 40, 30, 10, 20, 30, ARITHMETIC_PROGRESSIVE);
  png_image palette{.version = PNG_IMAGE_VERSION, .width = 2, .height = 1, .format = PNG_FORMAT_RGB_COLORMAP, .colormap_entries = 3};
  static const uint8_t colours[9] = {255, 0, 0, 0, 255, 0, 0, 0, 255}, indices[2] = {0, 2};  // 2 bits a pixel
  ASSERT_TRUE(png_image_write_to_file(&palette, tempPath("palette.png").c_str(), 0, indices, 0, colours)) << palette.message;
  // Newer writers refuse an index past the palette: the palette is cut to two colours after.
  std::vector<uint8_t> cutPalette = readBytes(tempPath("palette.png"));
  auto plte = std::search(cutPalette.begin(), cutPalette.end(), "PLTE", "PLTE" + 4);
  ASSERT_TRUE(plte != cutPalette.end() && plte[-1] == 9);
  plte[-1] = 6;
  cutPalette.erase(plte + 10, plte + 13);
  uint32_t crc = uint32_t(crc32(0, &plte[0], 10));
  for (int i = 0; i < 4; i++) plte[10 + i] = uint8_t(crc >> (24 - 8 * i));
  writeBytes(tempPath("palette.png"), cutPalette);
  expectRefused(tempPath("palette.png"), "a pixel indexes past its palette");
  for (const std::string& path : {png, jpg, restarts, progressive, threeScans, arithmetic, arithmeticProgressive}) {
    bool huffman = path != arithmetic && path != arithmeticProgressive;
    std::vector<uint8_t> bytes = readBytes(path);
    ASSERT_GT(bytes.size(), 100u);
    int32_t whole = Image_Load(path, 32, 1);
    ASSERT_LT(whole, -1) << path;
    // Every cut of a JPEG, so every boundary between two scans among them; of the PNG every cut
    // in the first and the last 64 bytes, every 37th in between.
    for (size_t length = 1; length < bytes.size(); length += path != png || length < 64 || length + 64 >= bytes.size() ? 1 : 37) {
      writeBytes(cut, std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(length)));
      if (path == png || length + 2 < bytes.size() || !huffman) {
        expectRefused(cut, path + " cut at " + std::to_string(length));
        continue;
      }
      int32_t h = Image_Load(cut, 32, 1);
      ASSERT_LT(h, -1) << path << " cut in the end marker at " << length;
      const uint32_t* pixels = Image_Record(-whole)->pixels;
      EXPECT_TRUE(std::equal(pixels, pixels + 1200, Image_Record(-h)->pixels)) << length;
    }
    if (path != png && huffman) {  // the last data bytes gone, the end marker kept
      std::vector<uint8_t> early(bytes.begin(), bytes.end() - 6);
      early.insert(early.end(), {0xFF, 0xD9});
      writeBytes(cut, early);
      expectRefused(cut, path + " data cut before its end marker");
    }
    // Damaged data: a bad Huffman code (then enough data for every row), a marker inside the
    // scan, a restart marker out of its turn.
    std::vector<uint8_t> damaged[3] = {bytes, bytes, bytes};
    size_t sos = size_t(std::search(bytes.begin(), bytes.end(), SOS, SOS + 2) - bytes.begin()) + 2;
    size_t rst1 = size_t(std::search(bytes.begin(), bytes.end(), RST1, RST1 + 2) - bytes.begin()) + 1;
    if (path == jpg) {
      size_t data = sos + bytes[sos] * 256 + bytes[sos + 1];
      damaged[0].insert(damaged[0].begin() + std::ptrdiff_t(data), 4000, 0);
      damaged[0][data] = damaged[0][data + 2] = 0xFF;  // sixteen 1 bits, with their stuffed zero bytes
      damaged[1][bytes.size() - 20] = 0xFF;
      damaged[1][bytes.size() - 19] = 0xD4;
    }
    if (path == restarts) damaged[2][rst1] = 0xD5;
    for (const std::vector<uint8_t>& file : damaged)
      if (file != bytes) {
        writeBytes(cut, file);
        expectRefused(cut, path + " with damaged data");
      }
    bytes[path == png ? 17 : 3] ^= 0x40;  // the IHDR width, or the first marker's code
    writeBytes(cut, bytes);
    expectRefused(cut, path + " with a flipped header byte");
  }
}

// Headers may claim up to 65535 x 65535 pixels; such a file is refused before its pixels are
// allocated.
TEST_F(ImageLoadTest, HugeSizesAreRefused) {
  std::string png = tempPath("huge.png"), jpg = tempPath("huge.jpg");
  writePng(png, 4, 4, testPattern(4, 4));
  std::vector<uint8_t> bytes = readBytes(png);
  // IHDR: width at 16, height at 20 (big-endian), then at 29 the CRC of its type and data.
  bytes[16] = bytes[17] = bytes[20] = bytes[21] = 0;
  bytes[18] = bytes[19] = bytes[22] = bytes[23] = 0xFF;
  uint32_t crc = uint32_t(crc32(0, bytes.data() + 12, 17));
  for (int i = 0; i < 4; i++) bytes[size_t(29 + i)] = uint8_t(crc >> (24 - 8 * i));
  writeBytes(png, bytes);
  expectRefused(png, "png of 65535 x 65535");
  // A chunk that claims 1.8 GB after a good header (the fuzz corpus's own file): refused
  // without the decoder allocating what it claims.
  expectRefused(BRINE_FUZZ_SEEDS "/image_fuzz/text-claims-1.8-GB.png", "png with a 1.8 GB text chunk");

  writeJpeg(jpg, 8, 8, 1, 2, 3);
  bytes = readBytes(jpg);
  for (size_t i = 2; i + 9 < bytes.size(); i++)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {  // frame header: length, precision, height, width
      bytes[i + 5] = bytes[i + 7] = 0xFF;
      bytes[i + 6] = bytes[i + 8] = 0xF0;
      break;
    }
  writeBytes(jpg, bytes);
  expectRefused(jpg, "jpeg of 65520 x 65520");
}

TEST_F(ImageLoadTest, TheGamesOwnPicturesLoad) {
  int pictures = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(BRINE_ASSETS)) {
    std::string path = entry.path().string(), kind = entry.path().extension().string();
    if (kind != ".png" && kind != ".jpg") continue;
    pictures++;
    int32_t h = Image_Load(path, 32, 1);
    ASSERT_LT(h, -1) << path;
    const ImageRecord* r = Image_Record(-h);
    bool opaque = true;
    for (size_t i = 0; i < size_t(r->width) * r->height; i++) opaque = opaque && r->pixels[i] >> 24 == 255;
    EXPECT_EQ(opaque, kind == ".jpg") << path;
    Image_Free(h, IMAGE_HANDLE_GIVEN);
  }
  EXPECT_EQ(pictures, 12);
}
