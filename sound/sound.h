// sound.h: sound handles, each playing on a mixer channel of its own.
//
// A sound is decoded whole into memory when it is opened and keeps one slot of the sound table
// for the rest of the run; the slot's index is the mixer channel it plays on, so playing it
// again restarts it instead of layering a second copy. Handle 0 is what a failed open gives:
// every operation accepts it and does nothing. Every operation first opens the audio device
// (once); while an error is pending every operation does nothing and returns 0.
#pragma once

#include <cstdint>
#include <string>

struct Mix_Chunk;

// ---- operations of the game ---------------------------------------------------------------

// Open and decode a sound file (OGG, WAV, AIFF or VOC; see Sound_Decode), resampled to the device's rate, for the
// requirement words ("SYNC", "VOL", "PAUSE", "LEN", "SETPOS"; see Options_Parse). Returns the
// new handle; 0 when the file cannot be decoded, no slot is free, "SETPOS" comes with "SYNC",
// or "SYNC" is missing (there is no streamed music). Error 5 for a bad or repeated word.
int32_t Sound_Open(const std::string& fileName, const std::string& requirements, bool requirementsGiven);
// Play handle once from its beginning on its channel, stopping it first if it still plays and
// re-applying its stored position. Error 5 for a handle that names no sound.
void Sound_Play(int32_t handle);
// Stop handle. Error 5 for a handle that names no sound.
void Sound_Stop(int32_t handle);
// Place handle at (x, y, z) around the listener (x right, z ahead). Error 5 for a handle that
// names no sound, one opened without "VOL", or a coordinate that is not a number.
void Sound_SetBalance(int32_t handle, double x, double y, double z);
// Set handle's volume, 0 to 1. Error 5 for a volume outside 0 to 1 (checked first, also for
// handle 0), a handle that names no sound, or one opened without "VOL".
void Sound_SetVolume(int32_t handle, float volume);
// -1 while handle plays, else 0. Error 5 (result 0) for a handle that names no sound.
int32_t Sound_IsPlaying(int32_t handle);

// Before the first sound operation (--no-sound): open a device that plays nothing instead of
// the machine's own, so that a machine without one runs the game in silence.
void Sound_PlaySilently();

// ---- the arithmetic of the operations -------------------------------------------------------

// Mixer volume level 0 to 128 for a volume 0 to 1: trunc(volume x 129), 129 becoming 128.
int32_t Sound_VolumeLevel(float volume);
// Mixer angle in whole degrees, 0 to 359, for a point x to the right and z ahead: 0 ahead,
// 90 right, 180 behind, 270 left. The caller has made (x, z) not both 0.
int32_t Sound_BalanceAngle(double x, double z);
// Mixer distance 0 (full) to 255 (silent) for a point at (x, y, z): its distance, held within
// 1 to 999.9, in steps of 3.90625.
int32_t Sound_DistanceByte(double x, double y, double z);
// The handle counter after counter was handed out: the next value, skipping 0 and 1 on wrap.
uint32_t Sound_NextHandle(uint32_t counter);

// Requirement-word bits, as Sound_Open parses them.
enum : uint32_t {
  SOUND_SYNC = 1u << 0,
  SOUND_VOL = 1u << 1,
  SOUND_PAUSE = 1u << 2,
  SOUND_LEN = 1u << 3,
  SOUND_SETPOS = 1u << 4,
};
// Parse a requirements text into SOUND_* bits; false for a bad or repeated word.
bool Sound_ParseRequirements(const std::string& text, uint32_t* bits);

// ---- the sound table, for the tone generator and the tests ----------------------------------

enum { SOUND_SLOTS = 256 };

enum : uint8_t {
  SOUND_CAN_MEMORY = 1,  // decoded into memory (always)
  SOUND_CAN_VOL = 2,
  SOUND_CAN_PAUSE = 4,
  SOUND_CAN_LEN = 8,
};

struct SoundSlot {
  uint32_t handle;      // handle held by this slot; 0 marks a free slot
  Mix_Chunk* chunk;     // the decoded sound
  uint8_t closing;      // closed while playing: freed when playback ends (never set here)
  uint8_t started;      // set by a play; cleared by Sound_Stop or a query that finds silence
  uint8_t paused;       // nothing pauses yet
  float volume;         // last volume set, 0 to 1
  float x, y, z;        // last position set; all 0 until Sound_SetBalance
  uint32_t startTime;   // SDL_GetTicks() when playback started, ms
  uint32_t pauseTime;   // SDL_GetTicks() when it was paused
  uint8_t looping;      // playing in an endless loop (nothing loops yet)
  uint32_t limit;       // longest play in ms; 0 for no limit
  double length;        // seconds at 22,050 Hz, 16-bit stereo
  uint8_t capabilities; // SOUND_CAN_* bits
};

// Slot index (the mixer channel), 0 to SOUND_SLOTS - 1. Opens the audio device first.
const SoundSlot* Sound_Slot(int32_t index);
// The handle the next opened sound will get.
uint32_t Sound_HandleCounter();
