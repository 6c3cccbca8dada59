// Sound files made by the tests themselves: a sine tone as a 16-bit mono WAV, at 22,050 Hz
// unless another rate is asked for.
#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "tests/scratch.h"

inline void putLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; i++) out.push_back(uint8_t(value >> (8 * i)));
}

// Write a tone of the given length and frequency at amplitude (0 to 32767) to path.
inline void writeToneWav(const std::string& path, double seconds, double hertz, int amplitude, uint32_t rate = 22050) {
  const uint32_t samples = uint32_t(seconds * rate);
  std::vector<uint8_t> wav;
  auto tag = [&](const char* text) { wav.insert(wav.end(), text, text + 4); };
  tag("RIFF");
  putLittleEndian(wav, 36 + samples * 2, 4);
  tag("WAVE");
  tag("fmt ");
  putLittleEndian(wav, 16, 4);
  putLittleEndian(wav, 1, 2);  // PCM
  putLittleEndian(wav, 1, 2);  // mono
  putLittleEndian(wav, rate, 4);
  putLittleEndian(wav, rate * 2, 4);
  putLittleEndian(wav, 2, 2);
  putLittleEndian(wav, 16, 2);
  tag("data");
  putLittleEndian(wav, samples * 2, 4);
  for (uint32_t i = 0; i < samples; i++)
    putLittleEndian(wav, uint32_t(int16_t(std::lround(amplitude * std::sin(6.283185307179586 * hertz * i / rate)))), 2);
  Test_WriteFile(path, wav);
}

inline std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) { Test_WriteFile(path, bytes); }
