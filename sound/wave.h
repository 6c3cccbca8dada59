// wave.h: samples as they come out of a sound file, before any mixing or resampling, and the
// readers of the uncompressed and lightly compressed kinds (WAV, AIFF, VOC).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The most samples (all channels together) a sound may decode to, at its own rate and again at
// the device's: 2^25, 64 MiB as 16-bit samples (6 min 20 s of stereo at 44,100 Hz). Longer
// sounds are refused before anything larger is allocated.
enum : size_t { SOUND_MAX_SAMPLES = size_t(1) << 25 };
enum { SOUND_MAX_CHANNELS = 8 };

struct SoundPcm {
  int channels = 0;
  int rate = 0;
  std::string layout;            // each channel's side: 'L', 'R', 'C' (both) or '-' (neither)
  std::vector<int16_t> samples;  // interleaved frames
};

// How a stored sample is coded.
enum class SampleCoding { Unsigned8, Signed, Float, ALaw, MuLaw };
struct SampleFormat {
  SampleCoding coding;
  int bytes;       // 1 to 4 (8 for a double)
  bool bigEndian;
};

// Append the whole frames of size bytes at data to pcm (whose channels are set, 1 to 8); false
// when that would pass SOUND_MAX_SAMPLES.
bool Sound_AppendSamples(SoundPcm* pcm, const uint8_t* data, size_t size, SampleFormat format);

// Each reads a whole file that starts with its kind's marker; false for a file it cannot
// decode. Declared lengths are held to what the file has: a file cut short plays what is there.
bool Sound_ReadWav(const uint8_t* file, size_t size, SoundPcm* pcm);
bool Sound_ReadAiff(const uint8_t* file, size_t size, SoundPcm* pcm);
bool Sound_ReadVoc(const uint8_t* file, size_t size, SoundPcm* pcm);
