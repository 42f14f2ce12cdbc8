#include "midi/PartRouting.h"
#include "editor/transport/Playback.h"
#include "editor/transport/Recording.h"
#include "midi/LiveMidiOut.h"
#include "model/PartSwitch.h"
#include "ports/TextEncoder.h"
#include "support/FakeExternalMidiOut.h"
#include "support/FakeMidiFilePlayer.h"
#include "support/FakeMidiOut.h"
#include "support/PlainEncoder.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include "editor/ScrolledSongFixture.h"

#include <gtest/gtest.h>

#include <set>

namespace zelk {
namespace {

using namespace test;

// Channels of the note-ons in some music.
std::set<int> noteChannels(const FileMusic& m) {
    std::set<int> channels;
    for (const auto& msg : m.messages)
        if ((msg.message & 0xF0) == 0x90)
            channels.insert(msg.message & 0x0F);
    return channels;
}

// Parts 1 and 3 play on one port, part 2 on the built-in synthesizer, the rhythm part 10 on
// a second port.
class PartRoutingTest : public ScrolledSongFixture {
protected:
    PartRoutingTest() {
        for (int p : {0, 1, 2, 9}) {
            switchPart(song, tmp.folder(), device, p, -1);
            putNote(song, 28 - p, 0, 8);
        }
        switchPart(song, tmp.folder(), device, 0, -1);
        routing.route(0, &synthA);
        routing.route(2, &synthA);
        routing.route(9, &drums);
    }
    TempFolder tmp;
    FakeMidiOut device;
    PartRouting routing{song, device};
    LiveMidiOut live{routing};
    PlainEncoder encoder;
    FakeMidiFilePlayer player;
    PlaybackState state;
    FakeExternalMidiOut synthA{"synth-a:in"}, drums{"drums:in"};
    PlaybackContext ctx{song, ed, state, tmp.folder(), live, encoder, player, &routing};
};

TEST_F(PartRoutingTest, EachDestinationPlaysItsOwnPartsFromTheSameFile) {
    ASSERT_TRUE(Command4_Click(ctx).message.empty());
    ASSERT_TRUE(player.music);
    EXPECT_EQ(noteChannels(*player.music), (std::set<int>{1}));
    ASSERT_EQ(synthA.played.size(), 1u) << "one port plays once, for both its parts";
    EXPECT_EQ(noteChannels(*synthA.played[0]), (std::set<int>{0, 2}));
    ASSERT_EQ(drums.played.size(), 1u);
    EXPECT_EQ(noteChannels(*drums.played[0]), (std::set<int>{9}));
    // Every share keeps the whole tempo map and the file's end, so all end together.
    for (const auto* m : {player.music.get(), synthA.played[0].get(), drums.played[0].get()}) {
        EXPECT_EQ(m->tempos, state.tracks.music()->tempos);
        EXPECT_EQ(m->lastTick, state.tracks.music()->lastTick);
    }
    const auto& whole = state.tracks.music()->messages;
    const auto conductor =
        std::count_if(whole.begin(), whole.end(), [](const auto& m) { return m.track == 0; });
    EXPECT_EQ(player.music->messages.size() + synthA.played[0]->messages.size() +
                  drums.played[0]->messages.size(),
              whole.size() + 2 * static_cast<size_t>(conductor))
        << "nothing lost, the conductor's messages in every share";
    Command4_Click(ctx);
    EXPECT_EQ(synthA.stops, 1);
    EXPECT_EQ(drums.stops, 1);
    player.ended = true;
    Timer1_Timer(ctx);
    EXPECT_EQ(synthA.stops, 1) << "stopped once";
}

TEST_F(PartRoutingTest, LiveMessagesGoWhereTheirChannelsPartSounds) {
    live.send(0x403C90);
    switchPart(song, tmp.folder(), live, 1, -1);
    live.send(0x403C91);
    // Part headers of every part go out while part 2 is current.
    live.send(0x0005C2);
    live.send(0x0007C9);
    auto has = [](const std::vector<uint32_t>& sent, uint32_t m) {
        return std::find(sent.begin(), sent.end(), m) != sent.end();
    };
    EXPECT_TRUE(has(synthA.sent, 0x403C90));
    EXPECT_FALSE(has(synthA.sent, 0x403C91));
    EXPECT_TRUE(has(device.sent, 0x403C91));
    EXPECT_TRUE(has(synthA.sent, 0x0005C2));
    EXPECT_TRUE(has(drums.sent, 0x0007C9));
    EXPECT_FALSE(has(device.sent, 0x0005C2));
    EXPECT_EQ(routing.forget(&synthA), 2);
    const size_t before = synthA.sent.size();
    switchPart(song, tmp.folder(), live, 0, -1);
    live.send(0x403C90);
    EXPECT_EQ(synthA.sent.size(), before) << "a forgotten port gets nothing more";
    EXPECT_TRUE(has(device.sent, 0x403C90));
}

TEST_F(PartRoutingTest, ARecordingHearsEveryPartOnTheBuiltInSynthesizer) {
    ASSERT_TRUE(openForRecording(ctx).message.empty());
    playOpened(ctx);
    EXPECT_EQ(noteChannels(*player.music), (std::set<int>{0, 1, 2, 9}));
    EXPECT_TRUE(synthA.played.empty());
    EXPECT_TRUE(drums.played.empty());
}

} // namespace
} // namespace zelk
