// Loading the game's 800 x 600 title picture beside libjpeg decoding the same bytes from memory
// on its own: the loader's structure walk and its checking path for Huffman codes (the data is
// handed over 256 bytes at a time) against the decoder's fastest path.
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "graphics/image.h"
#include "graphics/screen.h"

static const char* const TITLE = BRINE_ASSETS "/title.jpg";

static void BM_ImageLoadTitleJpeg(benchmark::State& state) {
  Image_InitTable();
  drawDest = screenPage = drawSource = Image_Create(16, 16);
  for (auto _ : state) {
    int32_t h = Image_Load(TITLE, 32, 1);
    if (h == -1) state.SkipWithError("title.jpg does not load");
    Image_Free(h, IMAGE_HANDLE_GIVEN);
  }
}

// Reference: libjpeg alone, from memory, into one reused buffer.
static void BM_LibjpegFromMemory(benchmark::State& state) {
  std::ifstream in(TITLE, std::ios::binary);
  std::vector<unsigned char> file(std::istreambuf_iterator<char>(in), {});
  std::vector<unsigned char> pixels(800 * 600 * 4);
  for (auto _ : state) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), file.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = pixels.data() + size_t(cinfo.output_scanline) * cinfo.output_width * 4;
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
  }
}

BENCHMARK(BM_ImageLoadTitleJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibjpegFromMemory)->Unit(benchmark::kMillisecond);
