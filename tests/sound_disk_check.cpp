// What the player hears: sounds played through SDL's disk audio driver, which writes the mixed
// output as raw signed 16-bit stereo samples to SDL_DISKAUDIOFILE (CTest sets the driver, the
// file and a write delay near real time). Everything else in the file is silence, so the energy
// of the samples written from a play onwards is the energy of that sound.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <filesystem>

#include "runtime/error.h"
#include "sound/sound.h"
#include "test_sounds.h"

namespace {

struct Energy {
  double left = 0, right = 0;
};

uintmax_t outputSize() {
  std::error_code error;
  uintmax_t size = std::filesystem::file_size(std::getenv("SDL_DISKAUDIOFILE"), error);
  return error ? 0 : size;
}

// Play handle to its end and sum the squares of each channel's samples from then on.
Energy playAndMeasure(int32_t handle) {
  uintmax_t before = outputSize();
  Sound_Play(handle);
  for (int i = 0; i < 1000 && Sound_IsPlaying(handle); i++) SDL_Delay(10);
  EXPECT_EQ(Sound_IsPlaying(handle), 0);
  // The driver writes through a buffer: wait for another half second of samples to be sure the
  // end of the sound is in the file.
  uintmax_t end = outputSize() + 22050 * 4 / 2;
  for (int i = 0; i < 1000 && outputSize() < end; i++) SDL_Delay(10);
  std::vector<uint8_t> raw = readFile(std::getenv("SDL_DISKAUDIOFILE"));
  Energy energy;
  for (size_t at = size_t(before) & ~size_t(3); at + 4 <= raw.size(); at += 4) {
    double left = int16_t(raw[at] | raw[at + 1] << 8), right = int16_t(raw[at + 2] | raw[at + 3] << 8);
    energy.left += left * left;
    energy.right += right * right;
  }
  return energy;
}

struct DiskAudio : ::testing::Test {
  int32_t handle = 0;
  void SetUp() override {
    ASSERT_NE(std::getenv("SDL_DISKAUDIOFILE"), nullptr);
    std::string path = ::testing::TempDir() + "tone.wav";
    writeToneWav(path, 0.4, 440, 12000);
    handle = Sound_Open(path, "vol,sync", true);
    ASSERT_GT(handle, 2);
  }
};

// The depth sound's placement: a point (px, py) of the 800 x 600 screen, in the screen plane.
Energy playPlacedAt(int32_t handle, double px, double py) {
  Sound_SetBalance(handle, (px - 400) / 400, (py - 300) / 300, 0);
  Energy energy = playAndMeasure(handle);
  std::printf("placed at (%g, %g): left %.4g, right %.4g\n", px, py, energy.left, energy.right);
  return energy;
}

TEST_F(DiskAudio, PlacedRightIsLouderOnTheRight) {
  Energy energy = playPlacedAt(handle, 700, 200);
  EXPECT_GT(energy.right, 1e9);
  EXPECT_GT(energy.right, 4 * energy.left);
  // The mixer forgets the position when the sound ends; the next play puts it back.
  Energy again = playAndMeasure(handle);
  EXPECT_GT(again.right, 1e9);
  EXPECT_GT(again.right, 4 * again.left);
}

TEST_F(DiskAudio, PlacedLeftIsLouderOnTheLeft) {
  Energy energy = playPlacedAt(handle, 50, 500);
  EXPECT_GT(energy.left, 1e9);
  EXPECT_GT(energy.left, 4 * energy.right);
}

TEST_F(DiskAudio, HalfVolumeIsAQuarterOfTheEnergy) {
  Sound_SetVolume(handle, 1.0f);
  Energy full = playAndMeasure(handle);
  Sound_SetVolume(handle, 0.5f);
  Energy half = playAndMeasure(handle);
  double ratio = (half.left + half.right) / (full.left + full.right);
  std::printf("energy at volume 0.5 / at 1.0: %.4f\n", ratio);
  EXPECT_NEAR(full.left, full.right, 0.01 * full.left);  // centred
  EXPECT_NEAR(ratio, 0.25, 0.02);
  EXPECT_EQ(pendingError, 0);
}

}  // namespace
