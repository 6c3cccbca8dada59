// decode.cpp: turning a sound file into a mixer chunk at the device's rate.
//
// Owns no state; runs on the game thread inside Sound_Open. The mixer's own loader changes
// rates only by factors of two, so a sound recorded at 8, 16, 48 or 96 kHz would play too fast
// or too slow. Here OGG and WAV files are decoded at their own rate, resampled to the device's
// rate by libsamplerate, and only then given to SDL's converter for format and channel count.
// A file already at the device's rate takes exactly the conversion the mixer's loader makes,
// so it plays as it always did.
#include "sound/decode.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <samplerate.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Interleaved frames in an SDL audio format.
struct Samples {
  Uint16 format = 0;
  int channels = 0;
  int rate = 0;
  std::vector<uint8_t> bytes;
};

// vorbisfile reads through the SDL stream the file was opened as; the caller closes it.
size_t rwRead(void* to, size_t size, size_t count, void* file) {
  if (size > INT_MAX || count > INT_MAX) return 0;
  int got = SDL_RWread(static_cast<SDL_RWops*>(file), to, int(size), int(count));
  return got < 0 ? 0 : size_t(got);
}
int rwSeek(void* file, ogg_int64_t offset, int whence) {
  if (offset < INT_MIN || offset > INT_MAX) return -1;
  return SDL_RWseek(static_cast<SDL_RWops*>(file), int(offset), whence) < 0 ? -1 : 0;
}
long rwTell(void* file) { return SDL_RWtell(static_cast<SDL_RWops*>(file)); }

// Signed 16-bit little-endian samples, as the mixer's loader asks for them; a hole or a broken
// link in the stream ends the sound there.
bool decodeOgg(SDL_RWops* file, Samples* out) {
  OggVorbis_File vorbis;
  if (ov_open_callbacks(file, &vorbis, nullptr, 0, ov_callbacks{rwRead, rwSeek, nullptr, rwTell}) != 0) return false;
  const vorbis_info* info = ov_info(&vorbis, -1);
  *out = Samples{AUDIO_S16LSB, info->channels, int(info->rate), {}};
  char buffer[4096];
  int section = 0;
  long got;
  while ((got = ov_read(&vorbis, buffer, sizeof buffer, 0, 2, 1, &section)) > 0)
    out->bytes.insert(out->bytes.end(), buffer, buffer + got);
  ov_clear(&vorbis);
  return true;
}

bool decodeWav(SDL_RWops* file, Samples* out) {
  SDL_AudioSpec wav;
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  if (SDL_LoadWAV_RW(file, 0, &wav, &buffer, &length) == nullptr) return false;
  *out = Samples{wav.format, wav.channels, wav.freq, std::vector<uint8_t>(buffer, buffer + length)};
  SDL_FreeWAV(buffer);
  return true;
}

// SDL's converter for format and channel count at an unchanged rate, on whole frames, as the
// mixer's loader runs it.
bool convert(Samples* sound, Uint16 format, int channels) {
  SDL_AudioCVT cvt;
  if (channels < 1 || channels > 255) return false;
  if (SDL_BuildAudioCVT(&cvt, sound->format, Uint8(sound->channels), sound->rate, format, Uint8(channels),
                        sound->rate) < 0)
    return false;
  if (cvt.needed) {
    size_t frameBytes = size_t((sound->format & 0xFF) / 8 * sound->channels);
    size_t length = sound->bytes.size() / frameBytes * frameBytes;
    if (length * size_t(cvt.len_mult) > INT_MAX) return false;
    std::vector<uint8_t> buffer(length * size_t(cvt.len_mult));
    std::copy_n(sound->bytes.begin(), length, buffer.begin());
    cvt.buf = buffer.data();
    cvt.len = int(length);
    if (SDL_ConvertAudio(&cvt) < 0) return false;
    buffer.resize(size_t(cvt.len_cvt));
    sound->bytes.swap(buffer);
  }
  sound->format = format;
  sound->channels = channels;
  return true;
}

// Band-limited resampling of every channel to rate, as 16-bit samples in the machine's order.
bool resample(Samples* sound, int rate) {
  double ratio = double(rate) / sound->rate;
  if (!src_is_valid_ratio(ratio) || !convert(sound, AUDIO_S16SYS, sound->channels)) return false;
  size_t channels = size_t(sound->channels), frames = sound->bytes.size() / 2 / channels;
  size_t room = size_t(double(frames) * ratio) + 2;
  if (frames == 0 || frames * channels > INT_MAX || room * channels > INT_MAX) return false;
  std::vector<short> shorts(frames * channels);
  std::memcpy(shorts.data(), sound->bytes.data(), shorts.size() * 2);
  std::vector<float> in(shorts.size()), out(room * channels);
  src_short_to_float_array(shorts.data(), in.data(), int(in.size()));
  SRC_DATA data{};
  data.data_in = in.data();
  data.input_frames = long(frames);
  data.data_out = out.data();
  data.output_frames = long(room);
  data.src_ratio = ratio;
  if (src_simple(&data, SRC_SINC_MEDIUM_QUALITY, int(channels)) != 0) return false;
  shorts.resize(size_t(data.output_frames_gen) * channels);
  src_float_to_short_array(out.data(), shorts.data(), int(shorts.size()));
  const auto* bytes = reinterpret_cast<const uint8_t*>(shorts.data());
  sound->bytes.assign(bytes, bytes + shorts.size() * 2);
  sound->rate = rate;
  return true;
}

// A chunk that owns a copy of bytes.
Mix_Chunk* chunkOf(const std::vector<uint8_t>& bytes) {
  auto* samples = static_cast<Uint8*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
  if (samples == nullptr) return nullptr;
  if (!bytes.empty()) std::memcpy(samples, bytes.data(), bytes.size());
  Mix_Chunk* chunk = Mix_QuickLoad_RAW(samples, Uint32(bytes.size()));
  if (chunk == nullptr) {
    std::free(samples);
    return nullptr;
  }
  chunk->allocated = 1;
  return chunk;
}

}  // namespace

Mix_Chunk* Sound_Decode(const std::string& fileName) {
  int rate = 0, channels = 0;
  Uint16 format = 0;
  if (!Mix_QuerySpec(&rate, &format, &channels)) return nullptr;
  SDL_RWops* file = SDL_RWFromFile(fileName.c_str(), "rb");
  if (file == nullptr) return nullptr;
  uint8_t head[12] = {};
  int got = SDL_RWread(file, head, 1, sizeof head);
  bool ogg = got >= 4 && std::memcmp(head, "OggS", 4) == 0;
  bool wav = got == 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
  if (SDL_RWseek(file, 0, RW_SEEK_SET) != 0) {
    SDL_RWclose(file);
    return nullptr;
  }
  // The other kinds the mixer reads (AIFF, VOC, FLAC) keep its own loader and its rates.
  if (!ogg && !wav) return Mix_LoadWAV_RW(file, 1);
  Samples sound;
  bool decoded = ogg ? decodeOgg(file, &sound) : decodeWav(file, &sound);
  SDL_RWclose(file);
  if (!decoded || sound.bytes.empty() || sound.channels < 1 || sound.channels > 255 || sound.rate < 1) return nullptr;
  if (sound.rate != rate && !resample(&sound, rate)) return nullptr;
  if (!convert(&sound, format, channels)) return nullptr;
  return chunkOf(sound.bytes);
}
