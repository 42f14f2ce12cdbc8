#include "editor/transport/MidiConnections.h"

#include "midi/PartRouting.h"
#include "storage/StateFile.h"
#include "support/FakeExternalMidiOut.h"
#include "support/FakeMidiOut.h"
#include "support/FakeMidiPortBackend.h"
#include "support/SongBuilder.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using test::FakeExternalMidiOut;

class MidiConnectionsTest : public ::testing::Test {
protected:
    Song song = test::freshSong();
    test::FakeMidiOut builtIn;
    PartRouting routing{song, builtIn};
    test::FakeMidiPortBackend jack{{"synth:in", "sampler:in"}};
};

TEST_F(MidiConnectionsTest, PartsShareAnOpenPortAndABadChoiceStaysBuiltIn) {
    MidiConnections c({&jack}, routing);
    const auto offered = c.destinations();
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[0].id, "JACK:synth:in");
    EXPECT_EQ(offered[0].caption, "synth:in (JACK)");
    EXPECT_TRUE(c.choose(0, "JACK:synth:in"));
    EXPECT_TRUE(c.choose(3, "JACK:synth:in"));
    EXPECT_EQ(jack.opened.size(), 1u) << "one port for both parts";
    EXPECT_EQ(routing.destination(0), routing.destination(3));
    EXPECT_FALSE(c.choose(5, "JACK:gone:in"));
    EXPECT_EQ(routing.destination(5), nullptr);
    EXPECT_EQ(c.chosen(5), "");
    EXPECT_FALSE(c.choose(6, "ALSA:synth:in")) << "no ALSA here";
    c.choose(0, "");
    c.choose(3, "");
    EXPECT_EQ(routing.destination(3), nullptr);
    EXPECT_TRUE(c.choose(3, "JACK:synth:in"));
    EXPECT_EQ(jack.opened.size(), 2u) << "closed when no part used it, opened again";
}

TEST_F(MidiConnectionsTest, ChoicesSurviveARestartAndAMissingPortIsKeptForLater) {
    StateFile state;
    {
        MidiConnections c({&jack}, routing);
        c.choose(1, "JACK:sampler:in");
        c.choose(9, "JACK:synth:in");
        c.save(state);
    }
    EXPECT_EQ(routing.destination(1), nullptr) << "gone with the connections";
    jack.ports = {"synth:in"}; // the sampler does not run this time
    MidiConnections again({&jack}, routing);
    const MissingPorts missing = again.restore(state);
    ASSERT_EQ(missing.outputs.size(), 1u);
    EXPECT_EQ(missing.outputs[0].id, "JACK:sampler:in");
    EXPECT_EQ(missing.outputs[0].parts, std::vector<int>{2}) << "the part, numbered from 1";
    EXPECT_EQ(portCaption(missing.outputs[0].id), "sampler:in (JACK)");
    EXPECT_EQ(routing.destination(1), nullptr);
    EXPECT_NE(routing.destination(9), nullptr);
    StateFile next;
    again.save(next);
    EXPECT_EQ(next.text("midi.out.2"), "JACK:sampler:in") << "tried again at the next start";
    EXPECT_EQ(next.text("midi.out.10"), "JACK:synth:in");

    EXPECT_EQ(again.reconnect(), 0) << "still not there";
    jack.ports = {"synth:in", "sampler:in"}; // the sampler starts later
    EXPECT_EQ(again.reconnect(), 1);
    EXPECT_NE(routing.destination(1), nullptr);
    EXPECT_EQ(again.chosen(1), "JACK:sampler:in");
    EXPECT_EQ(again.reconnect(), 0) << "once";
}

TEST_F(MidiConnectionsTest, APortThatVanishesIsReportedOnceAndItsPartsFallBack) {
    MidiConnections c({&jack}, routing);
    c.choose(0, "JACK:synth:in");
    c.choose(2, "JACK:synth:in");
    c.choose(4, "JACK:sampler:in");
    FakeExternalMidiOut* synth = static_cast<FakeExternalMidiOut*>(routing.destination(0));
    EXPECT_TRUE(c.dropLost().empty());
    synth->gone = true;
    EXPECT_EQ(c.dropLost(), std::vector<std::string>{"synth:in"});
    EXPECT_TRUE(c.dropLost().empty()) << "one notice";
    EXPECT_EQ(routing.destination(0), nullptr);
    EXPECT_EQ(routing.destination(2), nullptr);
    EXPECT_NE(routing.destination(4), nullptr);
    song.CurPart = 0;
    routing.send(0x403C90);
    EXPECT_EQ(builtIn.sent, std::vector<uint32_t>{0x403C90});
}

} // namespace
} // namespace zelk
