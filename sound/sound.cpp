// sound.cpp: the sound table and playback over the mixer. Nothing plays yet.
#include <SDL_mixer.h>
