// Small images for pixel tests: made straight in the image table, with the current images set
// by hand, so no window or video driver is needed.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "graphics/image.h"
#include "graphics/screen.h"
#include "runtime/error.h"

class ImageFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Image_InitTable();
    pendingError = 0;
    page = make(16, 16, 0xFF000000);
    screenPage = drawDest = drawSource = -page;
  }
  void TearDown() override {
    for (int32_t h : made) Image_Release(-h);
    pendingError = 0;
  }
  // A new image filled with one colour; returns its handle.
  int32_t make(int32_t w, int32_t h, uint32_t fill = 0) {
    int32_t n = Image_Create(w, h);
    EXPECT_GT(n, 1);
    ImageRecord* r = Image_Record(n);
    for (int32_t i = 0; i < w * h; i++) r->pixels[i] = fill;
    made.push_back(-n);
    return -n;
  }
  // An image whose pixels are given row by row.
  int32_t makeRows(int32_t w, int32_t h, std::initializer_list<uint32_t> pixels) {
    int32_t handle = make(w, h);
    int32_t i = 0;
    for (uint32_t p : pixels) rec(handle)->pixels[i++] = p;
    return handle;
  }
  static ImageRecord* rec(int32_t handle) { return Image_Record(-handle); }
  static uint32_t& at(int32_t handle, int32_t x, int32_t y) { return rec(handle)->pixels[y * rec(handle)->width + x]; }
  static std::vector<uint32_t> pixels(int32_t handle) {
    const ImageRecord* r = rec(handle);
    return std::vector<uint32_t>(r->pixels, r->pixels + r->width * r->height);
  }
  static std::vector<uint32_t> row(int32_t handle, int32_t y) {
    const ImageRecord* r = rec(handle);
    return std::vector<uint32_t>(r->pixels + y * r->width, r->pixels + (y + 1) * r->width);
  }
  void setDest(int32_t handle) { drawDest = -handle; }

  int32_t page = 0;
  std::vector<int32_t> made;
};
