// decode.h: a sound file decoded whole into a mixer chunk at the device's rate, format and
// channel count, whatever rate the file was recorded at.
#pragma once

#include <string>

struct Mix_Chunk;

// Decode fileName (OGG Vorbis or WAV; other kinds the mixer knows are left to the mixer) and
// convert it for the open audio device. The chunk owns its samples (Mix_FreeChunk frees
// both). nullptr when the file cannot be read or decoded, or its rate cannot be converted.
Mix_Chunk* Sound_Decode(const std::string& fileName);
