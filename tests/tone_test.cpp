// The tone generator behind the text bell, under SDL's dummy audio driver (set by CTest).
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include "sound/sound.h"
#include "sound/tone.h"

namespace {

TEST(Tone, PlaysOnAChannelThatNoSoundHoldsAndEnds) {
  int32_t channel = Sound_Tone(783.99, 200);
  ASSERT_GE(channel, 1);
  EXPECT_EQ(Sound_Slot(channel)->handle, 0u);
  EXPECT_TRUE(Mix_Playing(channel));
  // A second tone replaces the first rather than taking another channel for long.
  EXPECT_GE(Sound_Tone(440.0, 100), 1);
  for (int i = 0; i < 300 && (Mix_Playing(channel) || Mix_Playing(channel + 1)); i++) SDL_Delay(10);
  EXPECT_FALSE(Mix_Playing(channel));
}

}  // namespace
