// Sound handles and playback under SDL's dummy audio driver (set by CTest), where mixing runs in
// real time. Each test runs in a process of its own under CTest; tests that need a fresh sound
// table say so and skip otherwise.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>

#include "runtime/error.h"
#include "runtime/program.h"
#include "sound/sound.h"
#include "test_sounds.h"

namespace {

const std::string assets = BRINE_ASSETS "/";
const char* const gameSounds[] = {"depth.ogg", "helicopter.ogg", "breaking up.ogg", "shutup.ogg",
                                  "SOB.ogg", "idontseeit.ogg", "clack.ogg"};

struct ErrorsCleared : ::testing::Test {
  void SetUp() override { pendingError = 0; }
  void TearDown() override { pendingError = 0; }
};

std::string tempPath(const std::string& name) { return Test_ScratchPath(name); }

// Wait up to ten seconds for handle to fall silent; true when it did.
bool waitUntilSilent(int32_t handle) {
  for (int i = 0; i < 1000 && Sound_IsPlaying(handle); i++) SDL_Delay(10);
  return Sound_IsPlaying(handle) == 0;
}

// ---- arithmetic ---------------------------------------------------------------------------

TEST(SoundArithmetic, VolumeLevels) {
  EXPECT_EQ(Sound_VolumeLevel(1.0f), 128);
  EXPECT_EQ(Sound_VolumeLevel(0.5f), 64);
  EXPECT_EQ(Sound_VolumeLevel(0.999f), 128);
  EXPECT_EQ(Sound_VolumeLevel(0.0f), 0);
  EXPECT_EQ(Sound_VolumeLevel(0.25f), 32);
  EXPECT_EQ(Sound_VolumeLevel(0.1f), 12);
}

TEST(SoundArithmetic, BalanceAngles) {
  EXPECT_EQ(Sound_BalanceAngle(1, 1), 45);
  EXPECT_EQ(Sound_BalanceAngle(-1, 1), 315);
  EXPECT_EQ(Sound_BalanceAngle(0, -1), 180);
  EXPECT_EQ(Sound_BalanceAngle(0, 1), 0);
  // The depth sound lies in the screen plane (z = 0): only the side of x counts.
  EXPECT_EQ(Sound_BalanceAngle(0.0025, 0), 90);
  EXPECT_EQ(Sound_BalanceAngle(1, 0), 90);
  EXPECT_EQ(Sound_BalanceAngle(-0.5, 0), 270);
  // Just short of a full turn rounds up to 360, which is 0.
  EXPECT_EQ(Sound_BalanceAngle(-0.001, 1), 0);
  EXPECT_EQ(Sound_BalanceAngle(-0.01, 1), 359);
}

TEST(SoundArithmetic, DistanceBytes) {
  // Every screen placement lies within 1 to sqrt(2): full loudness.
  EXPECT_EQ(Sound_DistanceByte(1, 1, 0), 0);
  EXPECT_EQ(Sound_DistanceByte(-0.2, 0.1, 1), 0);
  EXPECT_EQ(Sound_DistanceByte(0, 0, 0), 0);
  EXPECT_EQ(Sound_DistanceByte(0, 0, 7.8125), 2);
  EXPECT_EQ(Sound_DistanceByte(0, 0, 7.8), 1);
  EXPECT_EQ(Sound_DistanceByte(1e6, 0, 0), 255);
  EXPECT_EQ(Sound_DistanceByte(INFINITY, 0, 1), 255);
}

TEST(SoundArithmetic, HandleCounterSkipsZeroAndOneOnWrap) {
  EXPECT_EQ(Sound_NextHandle(2), 3u);
  EXPECT_EQ(Sound_NextHandle(0xFFFFFFFEu), 0xFFFFFFFFu);
  EXPECT_EQ(Sound_NextHandle(0xFFFFFFFFu), 2u);
}

// The parsing rules themselves (case, blanks, repeats, empty pieces) are shared with the font
// options and pinned here once.
TEST(SoundArithmetic, RequirementWords) {
  uint32_t bits;
  ASSERT_TRUE(Sound_ParseRequirements("vol,sync", &bits));
  EXPECT_EQ(bits, SOUND_VOL | SOUND_SYNC);
  ASSERT_TRUE(Sound_ParseRequirements("  Sync ,LEN,  pause,setpos ", &bits));
  EXPECT_EQ(bits, SOUND_SYNC | SOUND_LEN | SOUND_PAUSE | SOUND_SETPOS);
  ASSERT_TRUE(Sound_ParseRequirements("", &bits));
  EXPECT_EQ(bits, 0u);
  for (const char* bad : {"vol,VOL", "vol,,sync", "sync,", ",sync", " ", "volume", "vol sync", "vol;sync", "v\xd3l"})
    EXPECT_FALSE(Sound_ParseRequirements(bad, &bits)) << bad;
}

// ---- the table ----------------------------------------------------------------------------

using SoundTable = ErrorsCleared;

const SoundSlot* slotOf(int32_t handle) {
  for (int i = 0; i < SOUND_SLOTS; i++)
    if (Sound_Slot(i)->handle == uint32_t(handle)) return Sound_Slot(i);
  return nullptr;
}

int channelOf(int32_t handle) { return int(slotOf(handle) - Sound_Slot(0)); }

TEST_F(SoundTable, SilentBufferHoldsSlotZero) {
  EXPECT_EQ(Sound_Slot(0)->handle, 2u);
  ASSERT_NE(Sound_Slot(0)->chunk, nullptr);
  EXPECT_EQ(Sound_Slot(0)->chunk->alen, 32768u);
}

TEST_F(SoundTable, GameSoundsTakeHandlesThreeToNine) {
  if (Sound_HandleCounter() != 3) GTEST_SKIP() << "needs a process where no sound was opened yet";
  for (int i = 0; i < 7; i++) {
    EXPECT_EQ(Sound_Open(assets + gameSounds[i], "vol,sync", true), 3 + i) << gameSounds[i];
    const SoundSlot* slot = Sound_Slot(1 + i);
    EXPECT_EQ(slot->handle, uint32_t(3 + i));
    EXPECT_EQ(slot->capabilities, SOUND_CAN_MEMORY | SOUND_CAN_VOL);
    EXPECT_EQ(slot->volume, 1.0f);
    EXPECT_EQ(slot->length, slot->chunk->alen / 88200.0);
    EXPECT_GT(slot->length, 0.1);
#ifndef _WIN32  // the Windows build's mixer carries no decoders of its own to compare with
    Mix_Chunk* mixers = Mix_LoadWAV((assets + gameSounds[i]).c_str());  // plays as it always did
    EXPECT_TRUE(mixers && mixers->alen == slot->chunk->alen &&
                !std::memcmp(mixers->abuf, slot->chunk->abuf, mixers->alen));
    Mix_FreeChunk(mixers);
#endif
  }
  EXPECT_EQ(pendingError, 0);
}

// The sound fuzz driver's seeds (tools/make-sound-seeds): a 1000 Hz tone at half of full
// scale, 0.1 s long, in every kind of file and channel count the decoder reads.
const std::string seeds = BRINE_FUZZ_SEEDS "/sound_fuzz/";

size_t openFiles() {
#ifdef _WIN32
  return 0;  // no count of open files to read: the leak is the Linux run's to catch
#endif
  auto files = std::filesystem::directory_iterator("/proc/self/fd");
  return size_t(std::distance(begin(files), end(files)));
}

// Damaged headers, found by probing and by fuzzing, each a seed with bytes replaced at an
// offset (past the end: appended); or raw bytes. Each once crashed, hung, leaked or allocated
// without bound; each is refused, or plays what is sound in it, leaving no file open.
struct Damaged {
  const char* what;
  const char* seed;
  size_t at;
  std::vector<uint8_t> bytes;
  bool plays = false;
  size_t cutTo = SIZE_MAX;  // the file's length, when it is cut
  size_t frames = 0;        // when it plays and this is given: its frames at the device's rate
};

TEST_F(SoundTable, FilesThatCannotBeDecodedGiveZeroAndTakeNoHandle) {
  uint32_t counter = Sound_HandleCounter();
  size_t files = openFiles();
  EXPECT_EQ(Sound_Open(assets + "no such sound.ogg", "vol,sync", true), 0);
  std::vector<uint8_t> ogg = readFile(assets + "clack.ogg");
  ASSERT_GT(ogg.size(), 200u);
  writeFile(tempPath("truncated.ogg"), std::vector<uint8_t>(ogg.begin(), ogg.begin() + 100));
  writeFile(tempPath("garbage.ogg"), std::vector<uint8_t>(5000, 0xA5));
  writeFile(tempPath("empty.ogg"), {});
  for (const char* name : {"truncated.ogg", "garbage.ogg", "empty.ogg"})
    EXPECT_EQ(Sound_Open(tempPath(name), "vol,sync", true), 0) << name;
  // A frame of stereo at the device's rate, then 305 blocks of 65,536 silent frames: 40 M samples.
  std::vector<uint8_t> silence = {9, 16, 0, 0, 0x22, 0x56, 0, 0, 16, 2, 4, 0, 0, 0, 0, 0, 1, 2, 3, 4};
  for (int i = 0; i < 305; i++) silence.insert(silence.end(), {3, 3, 0, 0, 0xFF, 0xFF, 0x83});
  silence.push_back(0);
  // 8-bit mono at 100 Hz, 100,000 frames: 44 M samples once resampled to stereo at 22,050 Hz.
  std::vector<uint8_t> slow = {100, 0, 0, 0, 100, 0, 0, 0, 1, 0, 8, 0, 'd', 'a', 't', 'a', 0xA0, 0x86, 1, 0};
  slow.resize(slow.size() + 100000, 0x80);
  const size_t MiB64 = size_t(64) << 20;
  std::vector<uint8_t> bos = readFile(seeds + "tone.ogg");  // a link that starts, and ends there
  bos.resize(58);
  const Damaged damaged[] = {
      {"VOC of 0 channels", "tone16-stereo.voc", 35, {0}},
      {"VOC at 10 Hz", "tone16-stereo.voc", 30, {10, 0, 0, 0}},
      {"VOC at 30 MHz", "tone16-stereo.voc", 30, {0x80, 0xC3, 0xC9, 0x01}},
      {"AIFF at 5 Hz", "tone.aiff", 28, {0x40, 0x01, 0xA0, 0, 0, 0, 0, 0, 0, 0}},
      {"AIFF at 100 MHz", "tone.aiff", 28, {0x40, 0x19, 0xBE, 0xBC, 0x20, 0, 0, 0, 0, 0}},
      {"AIFF of 0 channels", "tone.aiff", 20, {0, 0}},
      {"AIFF whose sound starts past its chunk", "tone.aiff", 46, {0x7F, 0xFF, 0xFF, 0xFF}},
      {"IMA ADPCM, blocks of 0 bytes", "ima-adpcm.wav", 32, {0, 0}},
      {"MS ADPCM, blocks of 0 bytes", "ms-adpcm.wav", 32, {0, 0}},
      {"MS ADPCM, predictor past the table (decoded with the first)", "ms-adpcm.wav", 90, {7}, true},
      {"WAV, fmt chunk of 4 GB", "pcm16-stereo.wav", 16, {0xF0, 0xFF, 0xFF, 0xFF}},
      {"WAV of 9 channels", "pcm8.wav", 22, {9}},
      {"VOC past the sample bound in silence blocks (the sound block plays)", "tone16-stereo.voc", 26, silence, true},
      {"WAV past the sample bound once resampled", "pcm8.wav", 24, slow},
      {"stereo at the device's rate cut in a frame", "pcm16-stereo.wav", 24, {0x22, 0x56, 0, 0, 0x88, 0x58, 1}, true, 446, 100},
      {"stereo AIFC at the device's rate cut in a frame", "sowt.aifc", 40, {0x40, 0x0D, 0xAC, 0x44}, true, 474, 100},
      {"OGG whose second link ends in its first page (plays the first)", "channels5.ogg", 8192, bos, true},
      {"WAV whose fact chunk counts 1,000 frames of its 2,205", "pcm16-device-rate.wav", 4454, {'f', 'a', 'c', 't', 4, 0, 0, 0, 0xE8, 3, 0, 0}, true, SIZE_MAX, 1000},
      {"IMA ADPCM at the device's rate cut 14 bytes into its fourth block", "ima-adpcm.wav", 24, {0x22, 0x56}, true, 470, 788},
      {"MS ADPCM at the device's rate cut 17 bytes into its fourth block", "ms-adpcm.wav", 24, {0x22, 0x56}, true, 491, 754},
      {"WAV whose LIST chunk holds one of 4 GB (libsndfile's reader spun)", "pcm8.wav", 844,
       {'L', 'I', 'S', 'T', 0, 0x27, 0, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xEF, 0xFF, 0xFF, 0xFF}, true},
      {"WAV of 64 MiB", "pcm16-device-rate.wav", MiB64 - 1, {0}, true, SIZE_MAX, 2205},
      {"WAV of 64 MiB and a byte", "pcm16-device-rate.wav", MiB64, {0}},
  };
  uint32_t playing = 0;
  for (const Damaged& d : damaged) {
    std::vector<uint8_t> file = readFile(seeds + d.seed);
    ASSERT_FALSE(file.empty()) << d.seed;
    file.resize(std::max(file.size(), d.at + d.bytes.size()));
    std::copy(d.bytes.begin(), d.bytes.end(), file.begin() + long(d.at));
    file.resize(std::min(file.size(), d.cutTo));
    writeFile(tempPath("damaged"), file);
    int32_t handle = Sound_Open(tempPath("damaged"), "vol,sync", true);
    EXPECT_EQ(handle != 0, d.plays) << d.what;
    if (handle == 0) continue;
    playing++;
    EXPECT_EQ(slotOf(handle)->chunk->alen % 4, 0u) << d.what;  // whole frames
    if (d.frames) {
      EXPECT_EQ(slotOf(handle)->chunk->alen / 4, d.frames) << d.what;
    }
  }
  EXPECT_EQ(openFiles(), files);
  EXPECT_EQ(Sound_HandleCounter(), counter + playing);
  EXPECT_EQ(pendingError, 0);
}

// Each seed plays for its own length at its own pitch, on both sides, at its own loudness.
TEST_F(SoundTable, EveryKindOfFileAndChannelCountPlaysAtItsOwnSpeedAndPitch) {
  int kinds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
    std::string name = entry.path().filename().string();
    int32_t handle = Sound_Open(entry.path().string(), "vol,sync", true);
    ASSERT_GT(handle, 2) << name;
    const auto* samples = reinterpret_cast<const int16_t*>(slotOf(handle)->chunk->abuf);
    size_t frames = slotOf(handle)->chunk->alen / 4;
    double seconds = double(frames) / 22050;
    EXPECT_NEAR(seconds, 0.1, 0.01) << name;
    for (size_t side = 0; side < 2; side++) {
      int rising = 0, peak = 0;
      for (size_t i = 1; i < frames; i++) {
        rising += samples[2 * i - 2 + side] < 0 && samples[2 * i + side] >= 0;
        peak = std::max(peak, std::abs(int(samples[2 * i + side])));
      }
      EXPECT_NEAR(rising / seconds, 1000, 30) << name << " side " << side;
      EXPECT_NEAR(peak, 16384, 3000) << name << " side " << side;
    }
    kinds++;
  }
  EXPECT_GE(kinds, 30);
}

TEST_F(SoundTable, HandleZeroIsSilentEverywhere) {
  int32_t handle = Sound_Open(assets + "missing.ogg", "vol,sync", true);
  ASSERT_EQ(handle, 0);
  Sound_SetVolume(handle, 0.5f);
  Sound_SetBalance(handle, 1, 0, 0);
  Sound_Play(handle);
  EXPECT_EQ(Sound_IsPlaying(handle), 0);
  Sound_Stop(handle);
  EXPECT_EQ(pendingError, 0);
}

TEST_F(SoundTable, OpensRefused) {
  uint32_t counter = Sound_HandleCounter();
  EXPECT_EQ(Sound_Open(assets + "clack.ogg", "vol,vol,sync", true), 0);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  // Without an error: "SETPOS" with "SYNC", and no "SYNC" (streamed music is not built).
  EXPECT_EQ(Sound_Open(assets + "clack.ogg", "sync,setpos", true), 0);
  EXPECT_EQ(Sound_Open(assets + "clack.ogg", "vol", true), 0);
  EXPECT_EQ(Sound_Open(assets + "clack.ogg", "", false), 0);
  EXPECT_EQ(pendingError, 0);
  EXPECT_EQ(Sound_HandleCounter(), counter);
}

TEST_F(SoundTable, NothingHappensWhileAnErrorIsPending) {
  uint32_t counter = Sound_HandleCounter();
  pendingError = 258;
  EXPECT_EQ(Sound_Open(assets + "clack.ogg", "vol,sync", true), 0);
  Sound_SetVolume(0, 7.0f);
  Sound_Play(12345);
  EXPECT_EQ(Sound_IsPlaying(12345), 0);
  EXPECT_EQ(pendingError, 258);
  EXPECT_EQ(Sound_HandleCounter(), counter);
}

// ---- operations on a handle ---------------------------------------------------------------

TEST_F(SoundTable, VolumeRangeIsCheckedFirstEvenForHandleZero) {
  for (float bad : {1.0001f, -0.01f, NAN}) {
    Sound_SetVolume(0, bad);
    EXPECT_EQ(pendingError, 5) << bad;
    pendingError = 0;
  }
  Sound_SetVolume(0, 1.0f);
  EXPECT_EQ(pendingError, 0);
  int32_t handle = Sound_Open(assets + "clack.ogg", "vol,sync", true);
  ASSERT_GT(handle, 2);
  Sound_SetVolume(handle, 1.5f);
  EXPECT_EQ(pendingError, 5);
  EXPECT_EQ(slotOf(handle)->volume, 1.0f);
  pendingError = 0;
  Sound_SetVolume(handle, 0.5f);
  EXPECT_EQ(slotOf(handle)->volume, 0.5f);
  EXPECT_EQ(Mix_Volume(channelOf(handle), -1), 64);
}

TEST_F(SoundTable, HandlesThatNameNoSoundRaiseError5) {
  void (*const operations[])(int32_t) = {
      Sound_Play, Sound_Stop, [](int32_t h) { Sound_SetBalance(h, 1, 0, 0); },
      [](int32_t h) { Sound_SetVolume(h, 0.5f); }, [](int32_t h) { EXPECT_EQ(Sound_IsPlaying(h), 0); }};
  for (auto operation : operations) {
    pendingError = 0;
    operation(99999);
    EXPECT_EQ(pendingError, 5);
  }
}

TEST_F(SoundTable, VolumeAndBalanceNeedTheVolWord) {
  int32_t handle = Sound_Open(assets + "clack.ogg", "sync", true);
  ASSERT_GT(handle, 2);
  Sound_SetVolume(handle, 0.5f);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  Sound_SetBalance(handle, 1, 0, 0);
  EXPECT_EQ(pendingError, 5);
  pendingError = 0;
  Sound_Play(handle);
  Sound_Stop(handle);
  EXPECT_EQ(pendingError, 0);
}

TEST_F(SoundTable, BalanceIsStoredAndNotANumberIsRefused) {
  int32_t handle = Sound_Open(assets + "clack.ogg", "vol,sync", true);
  ASSERT_GT(handle, 2);
  const SoundSlot* slot = slotOf(handle);
  Sound_SetBalance(handle, 0, 0.5, 0);  // straight ahead: z becomes 1
  EXPECT_EQ(slot->x, 0.0f);
  EXPECT_EQ(slot->y, 0.5f);
  EXPECT_EQ(slot->z, 1.0f);
  Sound_SetBalance(handle, 0.25, -1, 0);
  EXPECT_EQ(slot->x, 0.25f);
  EXPECT_EQ(slot->z, 0.0f);
  Sound_SetBalance(handle, NAN, 0, 0);
  EXPECT_EQ(pendingError, 5);
  EXPECT_EQ(slot->x, 0.25f);
}

TEST_F(SoundTable, PlayingUntilTheEnd) {
  writeToneWav(tempPath("short.wav"), 0.1, 440, 8000);
  int32_t handle = Sound_Open(tempPath("short.wav"), "vol,sync", true);
  ASSERT_GT(handle, 2);
  EXPECT_EQ(Sound_IsPlaying(handle), 0);
  for (int play = 0; play < 2; play++) {  // a finished sound plays again
    Sound_Play(handle);
    EXPECT_EQ(Sound_IsPlaying(handle), -1);
    EXPECT_TRUE(waitUntilSilent(handle));
  }
  EXPECT_EQ(pendingError, 0);
}

TEST_F(SoundTable, PlayRestartsAndStopEnds) {
  writeToneWav(tempPath("long.wav"), 3.0, 440, 8000);
  int32_t handle = Sound_Open(tempPath("long.wav"), "vol,sync", true);
  ASSERT_GT(handle, 2);
  Sound_SetBalance(handle, 1, 0, 0);
  Sound_Play(handle);
  SDL_Delay(200);
  Sound_Play(handle);
  EXPECT_EQ(Sound_IsPlaying(handle), -1);
  EXPECT_EQ(Mix_Playing(-1), 1);  // one copy only, on its own channel
  EXPECT_EQ(Mix_Playing(channelOf(handle)), 1);
  Sound_Stop(handle);
  EXPECT_EQ(slotOf(handle)->started, 0);
  EXPECT_EQ(Sound_IsPlaying(handle), 0);
  EXPECT_EQ(Mix_Playing(channelOf(handle)), 0);
  EXPECT_EQ(pendingError, 0);
}

// ---- damaged OGG files --------------------------------------------------------------------

// The checksum of an Ogg page: CRC-32 with polynomial 0x04C11DB7, most significant bit first,
// over the page with its checksum field zeroed.
uint32_t oggChecksum(const uint8_t* page, size_t size) {
  uint32_t crc = 0;
  for (size_t i = 0; i < size; i++) {
    crc ^= uint32_t(i >= 22 && i < 26 ? 0 : page[i]) << 24;
    for (int bit = 0; bit < 8; bit++) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return crc;
}

struct OggPage {
  size_t start, headerSize, bodySize;
};

std::vector<OggPage> oggPages(const std::vector<uint8_t>& file) {
  std::vector<OggPage> pages;
  for (size_t at = 0; at + 27 <= file.size() && std::equal(file.begin() + long(at), file.begin() + long(at) + 4, "OggS");) {
    size_t segments = file[at + 26], header = 27 + segments, body = 0;
    if (at + header > file.size()) break;
    for (size_t i = 0; i < segments; i++) body += file[at + 27 + i];
    if (at + header + body > file.size()) break;
    pages.push_back({at, header, body});
    at += header + body;
  }
  return pages;
}

void damagePage(std::vector<uint8_t>& file, const OggPage& page, std::mt19937& random, int flips) {
  for (int i = 0; i < flips && page.bodySize > 0; i++)
    file[page.start + page.headerSize + random() % page.bodySize] ^= uint8_t(1 + random() % 255);
  uint32_t crc = oggChecksum(&file[page.start], page.headerSize + page.bodySize);
  for (int i = 0; i < 4; i++) file[page.start + 22 + size_t(i)] = uint8_t(crc >> (8 * i));
}

TEST_F(SoundTable, DamagedOggFilesReachTheDecoderWithoutHarm) {
  std::vector<uint8_t> original = readFile(assets + "clack.ogg");
  std::vector<OggPage> pages = oggPages(original);
  ASSERT_GE(pages.size(), 3u);
  // Our checksum agrees with the file's own on every page.
  for (const OggPage& page : pages) {
    uint32_t stored = 0;
    for (int i = 0; i < 4; i++) stored |= uint32_t(original[page.start + 22 + size_t(i)]) << (8 * i);
    ASSERT_EQ(oggChecksum(&original[page.start], page.headerSize + page.bodySize), stored);
  }
  std::mt19937 random(20240611);
  // Damaged headers are refused; damaged audio may decode to noise. Neither may crash.
  int refused = 0;
  for (int round = 0; round < 24; round++) {
    std::vector<uint8_t> file = original;
    damagePage(file, pages[size_t(round) % pages.size()], random, 1 + round % 8);
    writeFile(tempPath("damaged.ogg"), file);
    int32_t handle = Sound_Open(tempPath("damaged.ogg"), "vol,sync", true);
    if (handle == 0) refused++;
    EXPECT_EQ(pendingError, 0);
  }
  std::vector<uint8_t> file = original;
  damagePage(file, pages[0], random, 16);
  writeFile(tempPath("damaged.ogg"), file);
  EXPECT_EQ(Sound_Open(tempPath("damaged.ogg"), "vol,sync", true), 0);
  EXPECT_GT(refused, 0);
}

// ---- audio start-up -----------------------------------------------------------------------

TEST(SoundStartUp, NoAudioDeviceEndsTheProcessWith10001) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, audio not yet open
#ifdef _WIN32
  const int status = 10001;  // Windows hands the parent the whole exit code
#else
  const int status = 10001 & 0xFF;  // the exit status reaches the parent as its low eight bits
#endif
  EXPECT_EXIT(
      {
        SDL_putenv(const_cast<char*>("SDL_AUDIODRIVER=no-such-driver"));
        Sound_Play(0);
      },
      ::testing::ExitedWithCode(status), "^Unable to open audio: .+\n$");
}

}  // namespace
