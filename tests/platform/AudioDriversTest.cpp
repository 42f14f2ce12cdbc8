#include "platform/AudioDrivers.h"
#include "platform/JackProbe.h"
#include "support/JackTestServer.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using Names = std::vector<std::string>;

TEST(AudioDrivers, AServersDriverIsTriedOnlyWhileItsServerRuns) {
    struct Case {
        SoundServers running;
        Names expected;
    };
    const Case cases[] = {
        {{false, false}, {"alsa", "sdl2"}},
        {{true, false}, {"pulseaudio", "alsa", "sdl2"}},
        {{false, true}, {"alsa", "jack", "sdl2"}},
        {{true, true}, {"pulseaudio", "alsa", "jack", "sdl2"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(audioDriverCandidates(std::nullopt, c.running), c.expected)
            << "pulse " << c.running.pulse << ", jack " << c.running.jack;
}

TEST(AudioDrivers, AChosenDriverIsTheOnlyOneTriedEvenWithoutItsServer) {
    EXPECT_EQ(audioDriverCandidates("jack", {}), Names{"jack"});
    EXPECT_EQ(audioDriverCandidates("", {}), (Names{"alsa", "sdl2"}))
        << "an empty choice is no choice";
}

// jackd installed and no server: FluidSynth's jack driver started a server twice, 6 s each,
// before every start of the window.
TEST(AudioDrivers, NoJackServerMeansJackIsNotTriedAndNoneIsStarted) {
    test::JackServerNameScope absent(test::absentJackServerName());
    EXPECT_FALSE(runningSoundServers().jack);
    EXPECT_FALSE(jackServerRuns()) << "the probe itself must not have started a server";
}

TEST(AudioDrivers, ARunningJackServerIsFound) {
    test::JackTestServer server;
    if (!server.running())
        GTEST_SKIP() << server.why();
    EXPECT_TRUE(jackServerRuns());
    EXPECT_TRUE(runningSoundServers().jack);
}

} // namespace
} // namespace zelk
