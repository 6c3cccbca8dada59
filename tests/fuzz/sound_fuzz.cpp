// libFuzzer driver for the sound decoder: random bytes go into a file, which is opened and
// decoded as Sound_Open does it and resampled for a device opened as the game opens it (22,050
// Hz, signed 16-bit stereo, on SDL's dummy driver). A chunk it makes must hold whole frames.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "sound/decode.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (SDL_Init(SDL_INIT_AUDIO) < 0 || Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) < 0) {
    std::fprintf(stderr, "sound fuzz: no audio device: %s\n", SDL_GetError());
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Memory-backed when the system has it: writing a file on disk for every input is slow.
  static const std::string path = ((std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                                               : std::filesystem::temp_directory_path()) /
                                   ("brine-sound-fuzz-" + std::to_string(std::random_device{}())))
                                      .string();
  static const struct Cleanup {
    ~Cleanup() { std::filesystem::remove(path); }
  } cleanup;
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
  Mix_Chunk* chunk = Sound_Decode(path);
  if (chunk != nullptr) {
    if (chunk->alen % 4 != 0) std::abort();
    Mix_FreeChunk(chunk);
  }
  return 0;
}
