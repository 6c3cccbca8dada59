// libFuzzer driver for the sound decoder: random bytes go into a file, which is opened and
// decoded as Sound_Open does it and resampled for a device opened as the game opens it (22,050
// Hz, signed 16-bit stereo, on SDL's dummy driver). A chunk it makes must hold whole frames.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sound/decode.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (SDL_Init(SDL_INIT_AUDIO) < 0 || Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) < 0) {
    std::fprintf(stderr, "sound fuzz: no audio device: %s\n", SDL_GetError());
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = Fuzz_WriteFile(data, size);
  Mix_Chunk* chunk = Sound_Decode(path);
  if (chunk != nullptr) {
    if (chunk->alen % 4 != 0) std::abort();
    Mix_FreeChunk(chunk);
  }
  return 0;
}
