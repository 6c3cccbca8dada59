// tone.cpp: the tone generator. Owns one chunk of samples (tone), rebuilt for every tone; the
// previous one is freed first, which stops it if it still plays. Game thread only.
#include "sound/tone.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "sound/sound.h"

static struct {
  std::vector<int16_t> samples;  // interleaved for the device's channel count
  Mix_Chunk* chunk;              // plays samples; nullptr before the first tone
} tone;

int32_t Sound_Tone(double hz, uint32_t ms) {
  // A channel whose slot holds no sound; slot 0 always holds one.
  int32_t channel = -1;
  for (int32_t i = 1; i < SOUND_SLOTS && channel < 0; i++)
    if (Sound_Slot(i)->handle == 0 && !Mix_Playing(i)) channel = i;
  int rate = 0, channels = 0;
  Uint16 format = 0;
  if (channel < 0 || !Mix_QuerySpec(&rate, &format, &channels) || format != AUDIO_S16SYS) return -1;

  if (tone.chunk) Mix_FreeChunk(tone.chunk);
  size_t frames = size_t(rate) * std::min<uint32_t>(ms, 1000) / 1000;
  size_t ramp = std::max<size_t>(1, size_t(rate) / 200);  // 5 ms in and out, so it does not click
  tone.samples.assign(frames * channels, 0);
  for (size_t i = 0; i < frames; i++) {
    double envelope = std::min({1.0, double(i) / ramp, double(frames - i) / ramp});
    auto value = int16_t(std::lrint(8000.0 * envelope * std::sin(2 * std::numbers::pi * hz * double(i) / rate)));
    std::fill_n(tone.samples.begin() + i * channels, channels, value);
  }
  tone.chunk = Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(tone.samples.data()), Uint32(tone.samples.size() * 2));
  if (tone.chunk == nullptr || Mix_PlayChannel(channel, tone.chunk, 0) < 0) return -1;
  return channel;
}
