// What the player hears: sounds played through SDL's disk audio driver, which writes the mixed
// output as raw signed 16-bit stereo samples to SDL_DISKAUDIOFILE (CTest sets the driver, the
// file and a write delay near real time). Everything else in the file is silence, so the energy
// of the samples written from a play onwards is the energy of that sound.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
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

// Play handle to its end; the samples written from then on, left and right in turn.
std::vector<int16_t> playAndRecord(int32_t handle) {
  uintmax_t before = outputSize();
  Sound_Play(handle);
  for (int i = 0; i < 1000 && Sound_IsPlaying(handle); i++) SDL_Delay(10);
  EXPECT_EQ(Sound_IsPlaying(handle), 0);
  // The driver writes through a buffer: wait for another half second of samples to be sure the
  // end of the sound is in the file.
  uintmax_t end = outputSize() + 22050 * 4 / 2;
  for (int i = 0; i < 1000 && outputSize() < end; i++) SDL_Delay(10);
  std::vector<uint8_t> raw = readFile(std::getenv("SDL_DISKAUDIOFILE"));
  std::vector<int16_t> samples;
  for (size_t at = size_t(before) & ~size_t(3); at + 2 <= raw.size(); at += 2)
    samples.push_back(int16_t(raw[at] | raw[at + 1] << 8));
  return samples;
}

// Play handle to its end and sum the squares of each channel's samples from then on.
Energy playAndMeasure(int32_t handle) {
  std::vector<int16_t> samples = playAndRecord(handle);
  Energy energy;
  for (size_t at = 0; at + 2 <= samples.size(); at += 2) {
    energy.left += double(samples[at]) * samples[at];
    energy.right += double(samples[at + 1]) * samples[at + 1];
  }
  return energy;
}

struct DiskAudio : ::testing::Test {
  int32_t handle = 0;
  void SetUp() override {
    ASSERT_NE(std::getenv("SDL_DISKAUDIOFILE"), nullptr);
    std::string path = Test_ScratchPath("tone.wav");
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

// A 1 kHz tone of 0.3 s recorded at another rate than the device's keeps its pitch and length,
// from OGG and from WAV: from the first to the last loud sample, rising zero crossings per second.
// The classic library's disk driver writes at the rate asked (22,050 Hz), the one over SDL 2 at
// its own: the tone at the asked rate, played as it is, tells the file's rate first.
TEST_F(DiskAudio, EveryRatePlaysAtItsOwnPitchAndLength) {
  double fileRate = 0;
  for (auto [rate, kind] : {std::pair{22050u, "wav"}, {8000u, "ogg"}, {11025u, "wav"}, {16000u, "wav"}, {44100u, "ogg"},
                            {48000u, "wav"}, {96000u, "ogg"}}) {
    std::string wav = Test_ScratchPath("rate.wav"), ogg = Test_ScratchPath("rate.ogg");
    writeToneWav(wav, 0.3, 1000, 12000, rate);
    if (kind == std::string("ogg")) {
      ASSERT_EQ(std::system(("oggenc -Q -o '" + ogg + "' '" + wav + "'").c_str()), 0);
    }
    std::vector<int16_t> played = playAndRecord(Sound_Open(kind == std::string("ogg") ? ogg : wav, "vol,sync", true));
    size_t first = played.size(), last = 0, rising = 0;
    for (size_t at = 0; at < played.size(); at += 2)
      if (std::abs(played[at]) > 3000) first = std::min(first, at), last = at;
    for (size_t at = first + 2; at <= last; at += 2) rising += played[at - 2] < 0 && played[at] >= 0;
    if (fileRate == 0) {
      fileRate = double(last - first) / 2 / 0.3;
      bool usual = std::abs(fileRate / 22050 - 1) < 0.01 || std::abs(fileRate / 44100 - 1) < 0.01 ||
                   std::abs(fileRate / 48000 - 1) < 0.01;
      EXPECT_TRUE(usual) << "the output file runs at " << fileRate << " Hz";
    }
    double seconds = double(last - first) / 2 / fileRate;
    std::printf("%u Hz %s: %.4f s, %.1f Hz\n", rate, kind, seconds, rising / seconds);
    EXPECT_NEAR(seconds, 0.3, 0.005) << rate << " " << kind;
    EXPECT_NEAR(rising / seconds, 1000, 10) << rate << " " << kind;
  }
}

}  // namespace
