// wave.cpp: the WAV, AIFF and VOC readers. Owns no state; runs on the game thread inside
// Sound_Open. Every offset and length read from a file is checked against the bytes at hand
// before use, every count against SOUND_MAX_SAMPLES before anything is allocated, and every
// field that divides or sizes a loop (channels, block sizes) is checked before it does.
#include "sound/wave.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

uint32_t le16(const uint8_t* p) { return uint32_t(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }
uint32_t be16(const uint8_t* p) { return uint32_t(p[0] << 8 | p[1]); }
uint32_t be32(const uint8_t* p) { return be16(p) << 16 | be16(p + 2); }

int16_t clamp16(int64_t v) { return int16_t(std::clamp<int64_t>(v, -32768, 32767)); }

int16_t fromALaw(uint8_t a) {
  a ^= 0x55;
  int t = (a & 0x0F) << 4, segment = (a & 0x70) >> 4;
  t += segment == 0 ? 8 : 0x108;
  if (segment > 1) t <<= segment - 1;
  return int16_t(a & 0x80 ? t : -t);
}

int16_t fromMuLaw(uint8_t u) {
  u = uint8_t(~u);
  int t = (((u & 0x0F) << 3) + 0x84) << ((u & 0x70) >> 4);
  return int16_t(u & 0x80 ? 0x84 - t : t - 0x84);
}

int16_t sampleAt(const uint8_t* p, SampleFormat f) {
  switch (f.coding) {
    case SampleCoding::Unsigned8: return int16_t((p[0] - 128) * 256);
    case SampleCoding::ALaw: return fromALaw(p[0]);
    case SampleCoding::MuLaw: return fromMuLaw(p[0]);
    default: break;
  }
  uint64_t bits = 0;  // the sample's bytes, most significant first
  for (int i = 0; i < f.bytes; i++) bits = bits << 8 | p[f.bigEndian ? i : f.bytes - 1 - i];
  if (f.coding == SampleCoding::Signed) return int16_t(int32_t(uint32_t(bits << (32 - 8 * f.bytes))) >> 16);
  double value;
  if (f.bytes == 4) {
    float single;
    uint32_t word = uint32_t(bits);
    std::memcpy(&single, &word, 4);
    value = single;
  } else {
    std::memcpy(&value, &bits, 8);
  }
  return std::isnan(value) ? 0 : clamp16(std::lrint(std::clamp(value, -1.0, 1.0) * 32768.0));
}

// The sides of each channel count's usual order, for files that name none.
const char* defaultLayout(int channels) {
  static const char* const layouts[] = {"", "C", "LR", "LRC", "LRLR", "LRCLR", "LRC-LR", "LRC-CLR", "LRC-LRLR"};
  return layouts[channels];
}

bool setChannels(SoundPcm* pcm, uint32_t channels, uint32_t rate) {
  if (channels < 1 || channels > SOUND_MAX_CHANNELS) return false;
  pcm->channels = int(channels);
  pcm->rate = int(std::min<uint32_t>(rate, 0x7FFFFFFF));
  pcm->layout = defaultLayout(pcm->channels);
  return true;
}

// ---- WAV: a RIFF file of chunks, "fmt " before "data" ------------------------------------

const int16_t imaSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// IMA ADPCM: per block and channel a 4-byte header (sample, step index), then 4-byte groups of
// eight 4-bit codes per channel in turn. A block cut short decodes its whole groups.
bool readIma(const uint8_t* data, size_t size, size_t blockAlign, SoundPcm* pcm) {
  size_t channels = size_t(pcm->channels), header = 4 * channels;
  if (blockAlign <= header || (blockAlign - header) % header != 0) return false;
  for (size_t at = 0; at + header <= size; at += blockAlign) {
    size_t groups = (std::min(blockAlign, size - at) - header) / header;
    if (pcm->samples.size() + (1 + groups * 8) * channels > SOUND_MAX_SAMPLES) return false;
    size_t first = pcm->samples.size();
    pcm->samples.resize(first + (1 + groups * 8) * channels);
    int16_t* out = &pcm->samples[first];
    for (size_t c = 0; c < channels; c++) {
      const uint8_t* p = data + at + 4 * c;
      int sample = int16_t(le16(p)), index = std::min<int>(p[2], 88);
      out[c] = int16_t(sample);
      for (size_t code = 0; code < groups * 8; code++) {
        uint8_t byte = data[at + header + (code / 8) * header + 4 * c + (code % 8) / 2];
        int n = code % 2 ? byte >> 4 : byte & 0x0F, step = imaSteps[index], diff = step >> 3;
        if (n & 1) diff += step >> 2;
        if (n & 2) diff += step >> 1;
        if (n & 4) diff += step;
        sample = clamp16(n & 8 ? sample - diff : sample + diff);
        index = std::clamp(index + (n & 4 ? 2 * (n & 3) + 2 : -1), 0, 88);
        out[(1 + code) * channels + c] = int16_t(sample);
      }
    }
  }
  return true;
}

// MS ADPCM: per block a predictor number, a step, and the two first samples (second first) for
// each channel, then 4-bit codes for the channels in turn, high half of each byte first.
bool readMsAdpcm(const uint8_t* data, size_t size, size_t blockAlign, const uint8_t* fmt, size_t fmtSize,
                 SoundPcm* pcm) {
  static const int adapt[16] = {230, 230, 230, 230, 307, 409, 512, 614, 768, 614, 512, 409, 307, 230, 230, 230};
  size_t channels = size_t(pcm->channels), header = 7 * channels;
  size_t coefficients = fmtSize >= 22 ? le16(fmt + 20) : 0;
  if (coefficients == 0 || fmtSize < 22 + 4 * coefficients || blockAlign <= header) return false;
  for (size_t at = 0; at + header <= size; at += blockAlign) {
    const uint8_t* block = data + at;
    size_t frames = 2 + (std::min(blockAlign, size - at) - header) * 2 / channels;
    if (pcm->samples.size() + frames * channels > SOUND_MAX_SAMPLES) return false;
    int c1[SOUND_MAX_CHANNELS], c2[SOUND_MAX_CHANNELS], delta[SOUND_MAX_CHANNELS], s1[SOUND_MAX_CHANNELS],
        s2[SOUND_MAX_CHANNELS];
    for (size_t c = 0; c < channels; c++) {
      if (block[c] >= coefficients) return false;
      c1[c] = int16_t(le16(fmt + 22 + 4 * block[c]));
      c2[c] = int16_t(le16(fmt + 24 + 4 * block[c]));
      delta[c] = int16_t(le16(block + channels + 2 * c));
      s1[c] = int16_t(le16(block + 3 * channels + 2 * c));
      s2[c] = int16_t(le16(block + 5 * channels + 2 * c));
    }
    for (size_t c = 0; c < channels; c++) pcm->samples.push_back(int16_t(s2[c]));
    for (size_t c = 0; c < channels; c++) pcm->samples.push_back(int16_t(s1[c]));
    for (size_t code = 0; code < (frames - 2) * channels; code++) {
      size_t c = code % channels;
      int n = code % 2 ? block[header + code / 2] & 0x0F : block[header + code / 2] >> 4;
      int16_t sample = clamp16((int64_t(s1[c]) * c1[c] + int64_t(s2[c]) * c2[c]) / 256 + int64_t(n >= 8 ? n - 16 : n) * delta[c]);
      s2[c] = s1[c];
      s1[c] = sample;
      delta[c] = int(std::clamp<int64_t>(int64_t(delta[c]) * adapt[n] / 256, 16, 0x7FFFFFFF / 768));
      pcm->samples.push_back(sample);
    }
  }
  return true;
}

// ---- VOC: blocks of sound, silence and format ------------------------------------------------

bool vocCoding(uint32_t codec, SampleFormat* format) {
  switch (codec) {
    case 0: *format = {SampleCoding::Unsigned8, 1, false}; return true;
    case 4: *format = {SampleCoding::Signed, 2, false}; return true;
    case 6: *format = {SampleCoding::ALaw, 1, false}; return true;
    case 7: *format = {SampleCoding::MuLaw, 1, false}; return true;
    default: return false;
  }
}

}  // namespace

bool Sound_AppendSamples(SoundPcm* pcm, const uint8_t* data, size_t size, SampleFormat format) {
  size_t frameBytes = size_t(format.bytes) * size_t(pcm->channels), frames = size / frameBytes;
  size_t first = pcm->samples.size(), count = frames * size_t(pcm->channels);
  if (first + count > SOUND_MAX_SAMPLES) return false;
  pcm->samples.resize(first + count);
  for (size_t i = 0; i < count; i++) pcm->samples[first + i] = sampleAt(data + i * size_t(format.bytes), format);
  return true;
}

bool Sound_ReadWav(const uint8_t* file, size_t size, SoundPcm* pcm) {
  const uint8_t *fmt = nullptr, *data = nullptr;
  size_t fmtSize = 0, dataSize = 0;
  for (size_t at = 12; at + 8 <= size && data == nullptr; at += 8 + size_t(le32(file + at + 4)) + (le32(file + at + 4) & 1)) {
    size_t length = std::min<size_t>(le32(file + at + 4), size - at - 8);
    if (std::memcmp(file + at, "fmt ", 4) == 0 && fmt == nullptr) fmt = file + at + 8, fmtSize = length;
    if (std::memcmp(file + at, "data", 4) == 0 && fmt != nullptr) data = file + at + 8, dataSize = length;
  }
  if (data == nullptr || fmtSize < 16) return false;
  uint32_t tag = le16(fmt), bits = le16(fmt + 14), blockAlign = le16(fmt + 12);
  if (!setChannels(pcm, le16(fmt + 2), le32(fmt + 4))) return false;
  // The extensible form names its coding by a GUID whose first two bytes are the plain tag,
  // and may say which speaker each channel feeds.
  if (tag == 0xFFFE) {
    if (fmtSize < 40 || std::memcmp(fmt + 26, "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14) != 0)
      return false;
    tag = le16(fmt + 24);
    std::string layout;
    for (uint32_t mask = le32(fmt + 20), bit = 0; bit < 18; bit++)
      if (mask >> bit & 1) layout += "LRC-LRLRCLRCLCRLCR"[bit];
    if (int(layout.size()) == pcm->channels) pcm->layout = layout;
  }
  switch (tag) {
    case 1:  // integer PCM: unsigned bytes, or signed little-endian words of 2 to 4 bytes
      if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
      return Sound_AppendSamples(pcm, data, dataSize,
                                 {bits == 8 ? SampleCoding::Unsigned8 : SampleCoding::Signed, int(bits / 8), false});
    case 3:  // IEEE float
      if (bits != 32 && bits != 64) return false;
      return Sound_AppendSamples(pcm, data, dataSize, {SampleCoding::Float, int(bits / 8), false});
    case 6:
    case 7:
      if (bits != 8) return false;
      return Sound_AppendSamples(pcm, data, dataSize, {tag == 6 ? SampleCoding::ALaw : SampleCoding::MuLaw, 1, false});
    case 0x11: return bits == 4 && readIma(data, dataSize, blockAlign, pcm);
    case 2: return bits == 4 && readMsAdpcm(data, dataSize, blockAlign, fmt, fmtSize, pcm);
    default: return false;
  }
}

// AIFF and AIFC: big-endian chunks, the rate an 80-bit extended float. AIFC adds a coding.
bool Sound_ReadAiff(const uint8_t* file, size_t size, SoundPcm* pcm) {
  const uint8_t *comm = nullptr, *ssnd = nullptr;
  size_t commSize = 0, ssndSize = 0;
  for (size_t at = 12; at + 8 <= size; at += 8 + size_t(be32(file + at + 4)) + (be32(file + at + 4) & 1)) {
    size_t length = std::min<size_t>(be32(file + at + 4), size - at - 8);
    if (std::memcmp(file + at, "COMM", 4) == 0) comm = file + at + 8, commSize = length;
    if (std::memcmp(file + at, "SSND", 4) == 0) ssnd = file + at + 8, ssndSize = length;
  }
  if (comm == nullptr || ssnd == nullptr || commSize < 18 || ssndSize < 8) return false;
  uint32_t exponent = be16(comm + 8), bits = be16(comm + 6);
  uint64_t mantissa = uint64_t(be32(comm + 10)) << 32 | be32(comm + 14);
  // Sign set, or far beyond any rate: no rate (refused later).
  double rate = exponent < 0x4000 || exponent > 0x4040 ? 0 : std::ldexp(double(mantissa), int(exponent) - 16383 - 63);
  rate = std::min(rate, 1e9);
  if (bits < 1 || bits > 32 || !setChannels(pcm, be16(comm), uint32_t(std::lround(rate)))) return false;
  SampleFormat format{SampleCoding::Signed, int(bits + 7) / 8, true};
  if (std::memcmp(file + 8, "AIFC", 4) == 0) {
    if (commSize < 22) return false;
    const uint8_t* coding = comm + 18;
    if (!std::memcmp(coding, "sowt", 4)) format.bigEndian = false;
    else if (!std::memcmp(coding, "fl32", 4) || !std::memcmp(coding, "FL32", 4)) format = {SampleCoding::Float, 4, true};
    else if (!std::memcmp(coding, "fl64", 4) || !std::memcmp(coding, "FL64", 4)) format = {SampleCoding::Float, 8, true};
    else if (!std::memcmp(coding, "alaw", 4) || !std::memcmp(coding, "ALAW", 4)) format = {SampleCoding::ALaw, 1, true};
    else if (!std::memcmp(coding, "ulaw", 4) || !std::memcmp(coding, "ULAW", 4)) format = {SampleCoding::MuLaw, 1, true};
    else if (std::memcmp(coding, "NONE", 4) && std::memcmp(coding, "twos", 4)) return false;
  }
  size_t offset = be32(ssnd);
  if (offset > ssndSize - 8) return false;
  size_t frameBytes = size_t(format.bytes) * size_t(pcm->channels);
  size_t bytes = std::min<size_t>(ssndSize - 8 - offset, size_t(be32(comm + 2)) * frameBytes);
  return Sound_AppendSamples(pcm, ssnd + 8 + offset, bytes, format);
}

// Creative's VOC: a header, then typed blocks. Sound of one format throughout; the first block
// of another format ends the sound, as does the end block.
bool Sound_ReadVoc(const uint8_t* file, size_t size, SoundPcm* pcm) {
  if (size < 26 || le16(file + 20) < 26) return false;
  SampleFormat format{};
  uint32_t extendedRate = 0, extendedChannels = 0;  // from a block 8, for the block 1 after it
  for (size_t at = le16(file + 20); at + 4 <= size && file[at] != 0; at += 4 + size_t(le32(file + at) >> 8)) {
    const uint8_t* body = file + at + 4;
    size_t length = std::min<size_t>(le32(file + at) >> 8, size - at - 4);
    uint32_t rate = 0, channels = 1, codec = 0, skip = 0;
    switch (file[at]) {
      case 1:  // sound: a rate byte and a coding
        if (length < 2) return false;
        rate = 1000000 / (256 - body[0]), codec = body[1], skip = 2;
        if (extendedChannels != 0) rate = extendedRate, channels = extendedChannels;
        extendedChannels = 0;
        break;
      case 2:  // more sound of the same format
        if (pcm->channels == 0) continue;
        if (!Sound_AppendSamples(pcm, body, length, format)) return false;
        continue;
      case 3: {  // silence, in frames
        if (pcm->channels == 0 || length < 3) continue;
        size_t count = (le16(body) + 1) * size_t(pcm->channels);
        if (pcm->samples.size() + count > SOUND_MAX_SAMPLES) return false;
        pcm->samples.resize(pcm->samples.size() + count, 0);
        continue;
      }
      case 8:  // rate and channels of the next block 1
        if (length < 4) continue;
        extendedChannels = body[3] + 1u;
        extendedRate = 256000000 / ((65536 - le16(body)) * extendedChannels);
        continue;
      case 9:  // sound with its rate, sample size, channels and coding
        if (length < 12) return false;
        rate = le32(body), channels = body[5], codec = le16(body + 6), skip = 12;
        break;
      default: continue;
    }
    SampleFormat blockFormat;
    if (!vocCoding(codec, &blockFormat)) return false;
    if (pcm->channels == 0) {
      if (!setChannels(pcm, channels, rate)) return false;
      format = blockFormat;
    } else if (uint32_t(pcm->channels) != channels || uint32_t(pcm->rate) != rate ||
               format.coding != blockFormat.coding || format.bytes != blockFormat.bytes) {
      break;
    }
    if (!Sound_AppendSamples(pcm, body + skip, length - skip, format)) return false;
  }
  return pcm->channels != 0;
}
