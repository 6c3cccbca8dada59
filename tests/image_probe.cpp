// image_probe: load one picture file and say what became of it, for the foreign-file test.
//   image_probe FILE [RGBA_OUT]
// Prints "W H" for a picture or "-1"; with RGBA_OUT writes a picture's pixels there as R, G,
// B, A bytes, row after row. Exit status 3 when the load raised a runtime error.
#include <cstdio>
#include <vector>

#include "tests/image_page.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: image_probe FILE [RGBA_OUT]\n");
    return 2;
  }
  Test_MakeScreenPage(16, 16);
  int32_t h = Image_Load(argv[1], 32, 1);
  if (pendingError != 0) return 3;
  if (h == -1) {
    std::printf("-1\n");
    return 0;
  }
  const ImageRecord* r = Image_Record(-h);
  std::printf("%d %d\n", r->width, r->height);
  if (argc > 2) {
    std::vector<uint8_t> rgba;
    for (size_t i = 0; i < size_t(r->width) * r->height; i++) {
      uint32_t c = r->pixels[i];
      rgba.insert(rgba.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 24)});
    }
    FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr || std::fwrite(rgba.data(), 1, rgba.size(), out) != rgba.size() || std::fclose(out) != 0) {
      std::perror(argv[2]);
      return 4;
    }
  }
  Image_Free(h, IMAGE_HANDLE_GIVEN);
  return 0;
}
