#include "platform/AudioDrivers.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using Names = std::vector<std::string>;

TEST(AudioDrivers, SoundServerComesFirstOnlyWhileOneRuns) {
    EXPECT_EQ(audioDriverCandidates(std::nullopt, true),
              (Names{"pulseaudio", "alsa", "jack", "sdl2"}));
    EXPECT_EQ(audioDriverCandidates(std::nullopt, false), (Names{"alsa", "jack", "sdl2"}));
}

TEST(AudioDrivers, AChosenDriverIsTheOnlyOneTried) {
    EXPECT_EQ(audioDriverCandidates("jack", true), Names{"jack"});
    EXPECT_EQ(audioDriverCandidates("", false), (Names{"alsa", "jack", "sdl2"}))
        << "an empty choice is no choice";
}

} // namespace
} // namespace zelk
