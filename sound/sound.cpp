// sound.cpp: the sound table, audio start-up and playback over SDL_mixer.
//
// All state below belongs to the game thread, which alone calls these operations; SDL_mixer
// mixes on its own audio thread and shares nothing with us but what goes through its calls.
// Slot i plays on mixer channel i. Slot 0 holds the tone generator's silent buffer (handle 2),
// so the game's sounds get slots from 1 and handles from 3. Slots are never freed: nothing
// closes a sound.
#include "sound/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "runtime/error.h"
#include "runtime/options.h"
#include "runtime/program.h"
#include "runtime/wake.h"
#include "sound/decode.h"

enum { SILENCE_BYTES = 32768 };

static struct {
  bool audioOpen;                        // audio start-up has run
  uint32_t handleCounter;                // the next handle to hand out, never 0 or 1
  SoundSlot slots[SOUND_SLOTS];          // index = mixer channel
  uint8_t silence[SILENCE_BYTES];        // slot 0's chunk plays these zero bytes
} sound = {false, 2, {}, {}};
static bool playSilently;  // --no-sound, set before the first sound operation

// ---- arithmetic ---------------------------------------------------------------------------

int32_t Sound_VolumeLevel(float volume) {
  int32_t level = int32_t(double(volume) * 129.0);
  return level > 128 ? 128 : level;
}

int32_t Sound_BalanceAngle(double x, double z) {
  double degrees = std::atan2(x, z) * 57.295779513;
  if (degrees < 0) degrees += 360;
  int32_t angle = int32_t(degrees + 0.5);
  return angle == 360 ? 0 : angle;
}

int32_t Sound_DistanceByte(double x, double y, double z) {
  double distance = std::sqrt(x * x + y * y + z * z);
  if (distance < 1) distance = 1;
  if (distance > 999.9) distance = 999.9;
  return int32_t(distance / 3.90625);
}

uint32_t Sound_NextHandle(uint32_t counter) {
  counter++;
  return counter == 0 ? 2 : counter;
}

bool Sound_ParseRequirements(const std::string& text, uint32_t* bits) {
  static const char* const words[] = {"SYNC", "VOL", "PAUSE", "LEN", "SETPOS"};
  return Options_Parse(text, words, 5, bits);
}

// ---- the table ----------------------------------------------------------------------------

// Open the device once: 22,050 Hz, signed 16-bit stereo, 1024-sample chunks, one mixer channel
// per slot. Without a device the process cannot go on: it says why, as start-up does when SDL
// cannot start, and ends with status 10001 on the main thread, like every fatal end.
static void startAudio() {
  if (sound.audioOpen) return;
  if (playSilently) {
    // SDL's dummy device mixes in real time and drops what it mixed, so handles, volumes and
    // "is playing" answers stay those of a real device; it is taken only when named.
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    SDL_putenv(const_cast<char*>("SDL_AUDIODRIVER=dummy"));
    SDL_InitSubSystem(SDL_INIT_AUDIO);
  }
  // The device's thread takes its name from the thread that starts it: tools tell it apart.
  std::string starter = Sys_ThreadName();
  Sys_NameThread("sdl-audio");
  bool opened = Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) >= 0;
  Sys_NameThread(starter.c_str());
  if (!opened) {
    // When start-up found no audio driver, a later open fails on this thread with no message.
    const char* why = Mix_GetError();
    std::fprintf(stderr, "Unable to open audio: %s (--no-sound plays without a device)\n",
                 *why != '\0' ? why : "no audio device");
    Program_ExitAfterFatalError(10001);
  }
  std::atexit(Mix_CloseAudio);
  Mix_AllocateChannels(SOUND_SLOTS);
  // A sound that ends is news for a game waiting in a loop that asks whether it still plays.
  Mix_ChannelFinished([](int) { Wake_Game(); });
  sound.audioOpen = true;
  SoundSlot& slot = sound.slots[0];
  slot.chunk = Mix_QuickLoad_RAW(sound.silence, SILENCE_BYTES);
  slot.volume = 1;
  slot.length = double(SILENCE_BYTES) / 22050 / 2 / 2;
  slot.capabilities = SOUND_CAN_MEMORY | SOUND_CAN_VOL;
  slot.handle = sound.handleCounter;
  sound.handleCounter = Sound_NextHandle(sound.handleCounter);
}

void Sound_PlaySilently() { playSilently = true; }

// The slot of handle (not 0 or 1), or error 5 and nullptr.
static SoundSlot* lookUp(int32_t handle) {
  for (SoundSlot& slot : sound.slots)
    if (slot.handle == uint32_t(handle) && slot.handle != 0) {
      if (slot.closing) break;
      return &slot;
    }
  Runtime_Error(5);
  return nullptr;
}

static int32_t channelOf(const SoundSlot* slot) { return int32_t(slot - sound.slots); }

// The mixer forgets a channel's position when the channel stops, so every play re-applies it.
static void applyPosition(const SoundSlot* slot) {
  Mix_SetPosition(channelOf(slot), int16_t(Sound_BalanceAngle(slot->x, slot->z)),
                  uint8_t(Sound_DistanceByte(slot->x, slot->y, slot->z)));
}

// Handles 0 (a failed open) and 1 (streamed music, which is not built) name nothing to act on.
static bool namesNoSound(int32_t handle) { return handle == 0 || handle == 1; }

const SoundSlot* Sound_Slot(int32_t index) {
  startAudio();
  return &sound.slots[index];
}

uint32_t Sound_HandleCounter() {
  startAudio();
  return sound.handleCounter;
}

// ---- operations ---------------------------------------------------------------------------

int32_t Sound_Open(const std::string& fileName, const std::string& requirements, bool requirementsGiven) {
  startAudio();
  if (Error_Pending()) return 0;
  uint32_t words = 0;
  if (requirementsGiven && !Sound_ParseRequirements(requirements, &words)) {
    Runtime_Error(5);
    return 0;
  }
  if (!(words & SOUND_SYNC)) return 0;
  if (words & SOUND_SETPOS) return 0;

  SoundSlot* slot = nullptr;
  for (SoundSlot& candidate : sound.slots)
    if (candidate.handle == 0) {
      slot = &candidate;
      break;
    }
  if (slot == nullptr) return 0;
  *slot = SoundSlot{};
  Mix_Volume(channelOf(slot), 128);
  slot->volume = 1;
  slot->chunk = Sound_Decode(fileName);
  if (slot->chunk == nullptr) return 0;
  slot->length = slot->chunk->alen / 22050.0 / 2 / 2;
  slot->handle = sound.handleCounter;
  sound.handleCounter = Sound_NextHandle(sound.handleCounter);
  slot->capabilities = uint8_t(SOUND_CAN_MEMORY | (words & SOUND_VOL ? SOUND_CAN_VOL : 0) |
                               (words & SOUND_PAUSE ? SOUND_CAN_PAUSE : 0) | (words & SOUND_LEN ? SOUND_CAN_LEN : 0));
  return int32_t(slot->handle);
}

void Sound_Play(int32_t handle) {
  startAudio();
  if (Error_Pending() || namesNoSound(handle)) return;
  SoundSlot* slot = lookUp(handle);
  if (slot == nullptr) return;
  int32_t channel = channelOf(slot);
  if (slot->paused) {
    Mix_Resume(channel);
    slot->startTime += SDL_GetTicks() - slot->pauseTime;
    slot->paused = 0;
    return;
  }
  slot->looping = 0;
  Mix_HaltChannel(channel);
  if (slot->x != 0 || slot->y != 0 || slot->z != 0) applyPosition(slot);
  if (Mix_PlayChannelTimed(channel, slot->chunk, 0, slot->limit == 0 ? -1 : int(slot->limit)) == -1) return;
  slot->startTime = SDL_GetTicks();
  slot->started = 1;
}

void Sound_Stop(int32_t handle) {
  startAudio();
  if (Error_Pending() || namesNoSound(handle)) return;
  SoundSlot* slot = lookUp(handle);
  if (slot == nullptr) return;
  Mix_HaltChannel(channelOf(slot));
  slot->started = slot->paused = slot->looping = 0;
}

void Sound_SetBalance(int32_t handle, double x, double y, double z) {
  startAudio();
  if (Error_Pending() || namesNoSound(handle)) return;
  SoundSlot* slot = lookUp(handle);
  if (slot == nullptr) return;
  // A coordinate that is not a number has no direction; the arithmetic would be undefined.
  if (!(slot->capabilities & SOUND_CAN_VOL) || std::isnan(x) || std::isnan(y) || std::isnan(z)) {
    Runtime_Error(5);
    return;
  }
  if (x == 0 && z == 0) z = 1;
  slot->x = float(x);
  slot->y = float(y);
  slot->z = float(z);
  applyPosition(slot);
}

void Sound_SetVolume(int32_t handle, float volume) {
  startAudio();
  if (Error_Pending()) return;
  // Written so that a volume that is not a number fails the range check too.
  if (!(volume >= 0 && volume <= 1)) {
    Runtime_Error(5);
    return;
  }
  int32_t level = Sound_VolumeLevel(volume);
  if (namesNoSound(handle)) return;
  SoundSlot* slot = lookUp(handle);
  if (slot == nullptr) return;
  if (!(slot->capabilities & SOUND_CAN_VOL)) {
    Runtime_Error(5);
    return;
  }
  Mix_Volume(channelOf(slot), level);
  slot->volume = volume;
}

int32_t Sound_IsPlaying(int32_t handle) {
  startAudio();
  if (Error_Pending() || namesNoSound(handle)) return 0;
  SoundSlot* slot = lookUp(handle);
  if (slot == nullptr) return 0;
  if (slot->started && !slot->looping && !Mix_Playing(channelOf(slot))) slot->started = 0;
  if (slot->paused) return 0;
  return slot->started ? -1 : 0;
}
