// decode.h: a sound file decoded whole into a mixer chunk at the device's rate, format and
// channel count, whatever rate the file was recorded at.
#pragma once

#include <string>

struct Mix_Chunk;

// Decode fileName (OGG Vorbis; WAV, AIFF or VOC in any coding libsndfile reads) of 1 to 8
// channels, at 1/256 to 256 times the device's rate, and convert it for the open audio device. The chunk owns its samples (Mix_FreeChunk frees both). nullptr for any
// other file, and for one that cannot be read or decoded or passes the bounds in decode.cpp.
Mix_Chunk* Sound_Decode(const std::string& fileName);
