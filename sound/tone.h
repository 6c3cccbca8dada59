// tone.h: a plain sine tone on a mixer channel that no sound holds (the text bell).
#pragma once

#include <cstdint>

// Start a tone of hz for ms milliseconds (at most 1000) and return at once; -1 when every
// channel is taken, else the channel it plays on. Opens the audio device first, as every sound
// operation does. Game thread only.
int32_t Sound_Tone(double hz, uint32_t ms);
