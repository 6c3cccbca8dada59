// decode.cpp: turning a sound file into a mixer chunk at the device's rate.
//
// Owns no state; runs on the game thread inside Sound_Open. Every kind of file is decoded here,
// never by the mixer's own loader, whose conversion set-up and readers fail on damaged header
// fields (they overrun, recurse, divide by zero or leak). OGG goes through vorbisfile, WAV,
// AIFF and VOC through libsndfile; each gives 16-bit frames at the file's own rate, which are
// mixed down to the device's channels, resampled to its rate by libsamplerate and only then
// handed to SDL's converter for the sample format. A mono or stereo file already at the
// device's rate gets exactly the conversion the mixer's loader makes, so it plays as it did.
//
// Bounds: a file of at most 64 MiB is read (a larger one is refused); it decodes to at most
// MAX_SAMPLES samples at its own rate and again at the device's (64 MiB each as 16-bit
// samples), so no sound, whatever its header says, holds more than about 200 MiB at once.
#include "sound/decode.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <samplerate.h>
#include <sndfile.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The most samples (all channels together) a sound may decode to, at its own rate and again at
// the device's: 2^25, 64 MiB as 16-bit samples (6 min 20 s of stereo at 44,100 Hz). Longer
// sounds are refused before anything larger is allocated.
enum : size_t { MAX_FILE_BYTES = size_t(64) << 20, MAX_SAMPLES = size_t(1) << 25 };
enum { MAX_CHANNELS = 8 };

struct Pcm {
  int channels = 0;
  int rate = 0;
  std::string layout;            // each channel's side: 'L', 'R', 'C' (both) or '-' (neither)
  std::vector<int16_t> samples;  // interleaved frames
};

bool readWhole(const std::string& fileName, std::vector<uint8_t>* bytes) {
  SDL_RWops* file = SDL_RWFromFile(fileName.c_str(), "rb");
  if (file == nullptr) return false;
  int got;
  do {
    size_t at = bytes->size();
    if (at > MAX_FILE_BYTES) break;  // a byte past the bound is enough to refuse the file
    bytes->resize(at + 65536);
    got = SDL_RWread(file, bytes->data() + at, 1, 65536);
    bytes->resize(at + size_t(std::max(got, 0)));
  } while (got > 0);
  SDL_RWclose(file);
  return bytes->size() <= MAX_FILE_BYTES;
}

// The whole file in memory, read by both decoders through their own callback sets.
struct Memory {
  const std::vector<uint8_t>* bytes;
  size_t at;
};
size_t memoryRead(void* to, size_t size, size_t count, void* source) {
  auto* m = static_cast<Memory*>(source);
  size_t items = size == 0 ? 0 : std::min(count, (m->bytes->size() - m->at) / size);
  std::memcpy(to, m->bytes->data() + m->at, items * size);
  m->at += items * size;
  return items;
}
int memorySeek(void* source, ogg_int64_t offset, int whence) {
  auto* m = static_cast<Memory*>(source);
  ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? ogg_int64_t(m->at) : ogg_int64_t(m->bytes->size());
  if (offset < -base || offset > ogg_int64_t(m->bytes->size()) - base) return -1;
  m->at = size_t(base + offset);
  return 0;
}
long memoryTell(void* source) { return long(static_cast<Memory*>(source)->at); }

// ---- OGG Vorbis -----------------------------------------------------------------------------

// Vorbis puts the centre between the sides from three channels on.
const char* vorbisLayout(int channels) {
  static const char* const layouts[] = {"", "C", "LR", "LCR", "LRLR", "LCRLR", "LCRLR-", "LCRLRC-", "LCRLRLR-"};
  return layouts[channels];
}

// A hole or a broken link in the stream ends the sound there, and so does a link of another
// rate or channel count. The stream is read as one that cannot seek: vorbisfile then decodes
// the links one after the other, and never first walks them all to measure them, which loses
// memory of its own on a link that breaks off in its headers (and would refuse the whole file).
bool decodeOgg(const std::vector<uint8_t>& file, Pcm* pcm) {
  Memory memory{&file, 0};
  OggVorbis_File vorbis;
  if (ov_open_callbacks(&memory, &vorbis, nullptr, 0, ov_callbacks{memoryRead, nullptr, nullptr, memoryTell}) != 0)
    return false;
  const vorbis_info* info = ov_info(&vorbis, -1);
  bool fits = info->channels >= 1 && info->channels <= MAX_CHANNELS;
  if (fits) *pcm = Pcm{info->channels, int(std::min<long>(info->rate, INT_MAX)), vorbisLayout(info->channels), {}};
  int16_t buffer[2048];
  int section = 0;
  long got;
  const int bigEndian = SDL_BYTEORDER == SDL_BIG_ENDIAN;
  while (fits && (got = ov_read(&vorbis, reinterpret_cast<char*>(buffer), sizeof buffer, bigEndian, 2, 1, &section)) > 0) {
    const vorbis_info* now = ov_info(&vorbis, section);
    if (now == nullptr || now->channels != pcm->channels || now->rate != pcm->rate) break;
    fits = pcm->samples.size() + size_t(got) / 2 <= MAX_SAMPLES;
    if (fits) pcm->samples.insert(pcm->samples.end(), buffer, buffer + got / 2);
  }
  ov_clear(&vorbis);
  return fits;
}

// ---- WAV, AIFF, VOC ---------------------------------------------------------------------------

sf_count_t fileLength(void* source) { return sf_count_t(static_cast<Memory*>(source)->bytes->size()); }
sf_count_t fileSeek(sf_count_t offset, int whence, void* source) {
  return memorySeek(source, offset, whence) == 0 ? sf_count_t(static_cast<Memory*>(source)->at) : -1;
}
sf_count_t fileRead(void* to, sf_count_t count, void* source) {
  return sf_count_t(memoryRead(to, 1, size_t(std::max<sf_count_t>(count, 0)), source));
}
sf_count_t fileWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t fileTell(void* source) { return sf_count_t(static_cast<Memory*>(source)->at); }

// The side of each speaker libsndfile names; a file that names none is in the usual order.
std::string layoutOf(SNDFILE* file, int channels) {
  static const char* const usual[] = {"", "C", "LR", "LRC", "LRLR", "LRCLR", "LRC-LR", "LRC-CLR", "LRC-LRLR"};
  static const char sides[] = "-CLRCLRCCLR-LRLRCLRCLRC";
  int map[MAX_CHANNELS];
  if (!sf_command(file, SFC_GET_CHANNEL_MAP_INFO, map, int(sizeof(int)) * channels)) return usual[channels];
  std::string layout;
  for (int c = 0; c < channels; c++) layout += map[c] >= 0 && map[c] < int(sizeof sides - 1) ? sides[map[c]] : '-';
  return layout;
}

// The frames the header declares are checked against the bound before any are read, and so is
// what the reads give, whatever the header said; a file cut short plays what is there.
bool decodeSndfile(const std::vector<uint8_t>& bytes, Pcm* pcm) {
  Memory memory{&bytes, 0};
  SF_VIRTUAL_IO io{fileLength, fileSeek, fileRead, fileWrite, fileTell};
  SF_INFO info{};
  SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &memory);
  if (file == nullptr) return false;
  bool fits = info.channels >= 1 && info.channels <= MAX_CHANNELS && info.samplerate >= 1 && info.frames >= 0 &&
              uint64_t(info.frames) <= MAX_SAMPLES / size_t(info.channels);
  if (fits) {
    *pcm = Pcm{info.channels, info.samplerate, layoutOf(file, info.channels), {}};
    pcm->samples.reserve(size_t(info.frames) * size_t(info.channels));
  }
  // Read as floats of full scale 1 whatever the coding (libsndfile would hand float files over
  // as shorts unscaled); libsamplerate's conversion clips and gives 16-bit samples back exactly.
  float buffer[4096];
  int16_t shorts[std::size(buffer)];
  sf_count_t got;
  while (fits && (got = sf_read_float(file, buffer, sf_count_t(std::size(buffer)) / info.channels * info.channels)) > 0) {
    fits = pcm->samples.size() + size_t(got) <= MAX_SAMPLES;
    src_float_to_short_array(buffer, shorts, int(got));
    if (fits) pcm->samples.insert(pcm->samples.end(), shorts, shorts + got);
  }
  sf_close(file);
  return fits;
}

// What a WAV's chunks say of its sound: the coding, the frames its fact chunk counts (0 for
// none) and where its data lies, as much of it as the file holds. Its LIST chunks (names,
// comments, markers) become JUNK chunks, which libsndfile skips: its reader of their contents
// spins for hours on a damaged size.
struct WavLayout {
  uint32_t coding = 0, channels = 0, blockAlign = 0, fact = 0;
  size_t dataBytes = 0;
  bool cut = false;  // the file ends inside its data
};

WavLayout wavLayout(std::vector<uint8_t>& file) {
  WavLayout wav;
  bool bigEndian = std::memcmp(file.data(), "RIFX", 4) == 0;
  auto number = [&](size_t at, size_t bytes) {
    uint32_t value = 0;
    for (size_t i = 0; i < bytes; i++) value |= uint32_t(file[at + (bigEndian ? bytes - 1 - i : i)]) << (8 * i);
    return value;
  };
  for (size_t at = 12; at + 8 <= file.size();) {
    size_t size = number(at + 4, 4), body = at + 8, present = std::min(size, file.size() - body);
    if (std::memcmp(&file[at], "fmt ", 4) == 0 && present >= 14)
      wav.coding = number(body, 2), wav.channels = number(body + 2, 2), wav.blockAlign = number(body + 12, 2);
    else if (std::memcmp(&file[at], "fact", 4) == 0 && present >= 4)
      wav.fact = number(body, 4);
    else if (std::memcmp(&file[at], "data", 4) == 0)
      wav.dataBytes = present, wav.cut = present < size;
    else if (std::memcmp(&file[at], "LIST", 4) == 0)
      std::memcpy(&file[at], "JUNK", 4);
    if (size > file.size() - body) break;
    at = body + size + (size & 1);
  }
  return wav;
}

// The frames that bytes of one IMA or MS ADPCM block carry: a header per channel, then codes of
// 4 bits (IMA's in words of 8 per channel). 0 for other codings.
size_t adpcmFrames(const WavLayout& wav, size_t bytes) {
  size_t channels = wav.channels, head = channels * (wav.coding == 0x11 ? 4 : 7);
  if (channels == 0 || (wav.coding != 0x11 && wav.coding != 2) || bytes < head) return 0;
  return wav.coding == 0x11 ? 1 + (bytes - head) / (4 * channels) * 8 : 2 + (bytes - head) * 2 / channels;
}

// The frames a WAV plays, of those decoded. A block-coded file (ADPCM, GSM) fills its last block
// up with frames that are not part of the sound, and its fact chunk says where the sound ends;
// a count of 0 is taken as none (writers that cannot seek back leave it so). An ADPCM file cut
// inside a block plays the frames its bytes carry, no more.
size_t wavFrames(const WavLayout& wav, size_t decoded) {
  size_t frames = wav.fact > 0 ? std::min<size_t>(decoded, wav.fact) : decoded;
  size_t block = wav.blockAlign, rest = block == 0 ? 0 : wav.dataBytes % block;
  if (wav.cut && rest > 0 && adpcmFrames(wav, block) > 0)
    frames = std::min(frames, wav.dataBytes / block * adpcmFrames(wav, block) + adpcmFrames(wav, rest));
  return frames;
}

// ---- channels, rate, format -------------------------------------------------------------------

// Fold the file's channels into one (the device's mono) or two: each side hears the channels
// on its side in full and those in the middle at -3 dB, scaled so the loudest mix cannot clip.
// One channel to two is a plain copy, as SDL's converter makes it.
bool mixDown(Pcm* pcm, int to) {
  size_t from = size_t(pcm->channels), frames = pcm->samples.size() / from;
  if (int(from) == to) return true;
  if (frames * size_t(to) > MAX_SAMPLES) return false;
  std::vector<int16_t> out(frames * size_t(to));
  if (from == 1) {
    for (size_t i = 0; i < frames; i++) out[2 * i] = out[2 * i + 1] = pcm->samples[i];
  } else {
    double left[MAX_CHANNELS], right[MAX_CHANNELS], leftSum = 0, rightSum = 0;
    for (size_t c = 0; c < from; c++) {
      char side = pcm->layout[c];
      left[c] = side == 'L' ? 1 : side == 'C' ? M_SQRT1_2 : 0;
      right[c] = side == 'R' ? 1 : side == 'C' ? M_SQRT1_2 : 0;
      leftSum += left[c], rightSum += right[c];
    }
    for (size_t c = 0; c < from; c++) {
      left[c] /= leftSum > 0 ? leftSum : 1;
      right[c] /= rightSum > 0 ? rightSum : 1;
    }
    for (size_t i = 0; i < frames; i++) {
      double l = 0, r = 0;
      for (size_t c = 0; c < from; c++) l += left[c] * pcm->samples[i * from + c], r += right[c] * pcm->samples[i * from + c];
      if (to == 1) out[i] = int16_t(std::lrint((l + r) / 2));
      else out[2 * i] = int16_t(std::lrint(l)), out[2 * i + 1] = int16_t(std::lrint(r));
    }
  }
  pcm->samples.swap(out);
  pcm->channels = to;
  return true;
}

// Band-limited resampling of every channel to rate, a block at a time; libsamplerate takes
// rates from 1/256 to 256 times the device's and refuses the rest.
bool resample(Pcm* pcm, int rate) {
  if (pcm->rate == rate) return true;
  double ratio = double(rate) / pcm->rate;
  size_t channels = size_t(pcm->channels), frames = pcm->samples.size() / channels;
  if (!src_is_valid_ratio(ratio) || (double(frames) * ratio + 2) * double(channels) > double(MAX_SAMPLES)) return false;
  int error = 0;
  SRC_STATE* state = src_new(SRC_SINC_MEDIUM_QUALITY, int(channels), &error);
  if (state == nullptr) return false;
  enum { BLOCK = 4096 };
  std::vector<float> in(BLOCK * channels), out(BLOCK * channels);
  std::vector<int16_t> result, shorts(BLOCK * channels);
  result.reserve(size_t(double(frames) * ratio + 2) * channels);
  SRC_DATA data{};
  size_t taken = 0;
  for (;;) {
    if (data.input_frames == 0 && taken < frames) {
      size_t count = std::min<size_t>(BLOCK, frames - taken);
      src_short_to_float_array(&pcm->samples[taken * channels], in.data(), int(count * channels));
      data.data_in = in.data();
      data.input_frames = long(count);
      taken += count;
      data.end_of_input = taken == frames;
    }
    data.data_out = out.data();
    data.output_frames = BLOCK;
    data.src_ratio = ratio;
    if (src_process(state, &data) != 0) break;
    src_float_to_short_array(out.data(), shorts.data(), int(data.output_frames_gen * long(channels)));
    if (result.size() + size_t(data.output_frames_gen) * channels > MAX_SAMPLES) break;
    result.insert(result.end(), shorts.begin(), shorts.begin() + data.output_frames_gen * long(channels));
    data.data_in += data.input_frames_used * long(channels);
    data.input_frames -= data.input_frames_used;
    if (data.end_of_input && data.input_frames == 0 && data.output_frames_gen == 0) {
      src_delete(state);
      pcm->samples.swap(result);
      pcm->rate = rate;
      return true;
    }
  }
  src_delete(state);
  return false;
}

// SDL's converter for the sample format, and for stereo to the device's four or six channels,
// at an unchanged rate. The chunk owns its samples (Mix_FreeChunk frees both).
Mix_Chunk* chunkFor(const Pcm& pcm, Uint16 format, int channels) {
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, AUDIO_S16SYS, Uint8(pcm.channels), pcm.rate, format, Uint8(channels), pcm.rate) < 0)
    return nullptr;
  size_t length = pcm.samples.size() * 2;
  if (length * size_t(cvt.len_mult) > INT_MAX) return nullptr;
  auto* samples = static_cast<Uint8*>(std::malloc(std::max<size_t>(1, length * size_t(cvt.len_mult))));
  if (samples == nullptr) return nullptr;
  std::memcpy(samples, pcm.samples.data(), length);
  cvt.buf = samples;
  cvt.len = int(length);
  Mix_Chunk* chunk = cvt.needed && SDL_ConvertAudio(&cvt) < 0 ? nullptr : Mix_QuickLoad_RAW(samples, Uint32(cvt.needed ? cvt.len_cvt : cvt.len));
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
  if (!Mix_QuerySpec(&rate, &format, &channels) || channels < 1) return nullptr;
  std::vector<uint8_t> file;
  if (!readWhole(fileName, &file) || file.size() < 12) return nullptr;
  const uint8_t* head = file.data();
  Pcm pcm;
  bool decoded = false;
  if (std::memcmp(head, "OggS", 4) == 0) decoded = decodeOgg(file, &pcm);
  // Only these three kinds go to libsndfile: each more kind it reads is more code a damaged
  // file can reach. A WAV may be big-endian (RIFX).
  else if ((std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RIFX", 4) == 0) && std::memcmp(head + 8, "WAVE", 4) == 0) {
    WavLayout wav = wavLayout(file);
    // libsndfile drops an MS ADPCM block that the file ends in; filled up with zero codes it is
    // decoded, and what they add is cut off again.
    if (wav.cut && wav.coding == 2 && wav.blockAlign > 0 && wav.dataBytes % wav.blockAlign > 0)
      file.resize(file.size() + wav.blockAlign - wav.dataBytes % wav.blockAlign);
    decoded = decodeSndfile(file, &pcm);
    if (decoded) pcm.samples.resize(wavFrames(wav, pcm.samples.size() / size_t(pcm.channels)) * size_t(pcm.channels));
  } else if ((std::memcmp(head, "FORM", 4) == 0 && (std::memcmp(head + 8, "AIFF", 4) == 0 || std::memcmp(head + 8, "AIFC", 4) == 0)) ||
             (file.size() >= 20 && std::memcmp(head, "Creative Voice File\x1A", 20) == 0))
    decoded = decodeSndfile(file, &pcm);
  std::vector<uint8_t>().swap(file);
  if (!decoded || pcm.rate < 1) return nullptr;
  // A file cut in the middle of a frame ends in part of one, which no device can play.
  pcm.samples.resize(pcm.samples.size() - pcm.samples.size() % size_t(pcm.channels));
  if (pcm.samples.empty()) return nullptr;
  if (!mixDown(&pcm, channels == 1 ? 1 : 2) || !resample(&pcm, rate) || pcm.samples.empty()) return nullptr;
  return chunkFor(pcm, format, channels);
}
