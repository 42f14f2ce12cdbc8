// A keyboard on a real JACK server (the dummy backend) playing into step entry: what it
// plays sounds at once on the current part, a chord pressed within one period becomes one
// step, a key past the song's end is refused, and undo takes the chord back whole.
#include "editor/EditingFixture.h"
#include "editor/session/SongReset.h"
#include "editor/tools/StepEntry.h"
#include "editor/tools/UndoRedo.h"
#include "editor/view/ViewPosition.h"
#include "model/Cell.h"
#include "platform/GzipCompressor.h"
#include "platform/JackMidi.h"
#include "support/FakeMidiOut.h"
#include "support/JackMidiPeer.h"
#include "support/JackTestServer.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <thread>

namespace zelk {
namespace {

class JackStepEntryTest : public test::EditingFixture {
protected:
    void SetUp() override {
        if (!server.running())
            GTEST_SKIP() << "no JACK server: " << server.why();
        backend = JackMidiBackend::connect("zelk-under-test");
        ASSERT_TRUE(backend);
        ASSERT_TRUE(peer.ready());
        in = backend->openInput(peer.outPort());
        ASSERT_TRUE(in);
        ResetSong(song, ed);
        ed.view.FirstMeasure = 1;
        HScroll1_Change(song, ed.view, ed.signatures);
        ed.palette.NoteLen = 8; // a quarter note
        setStepEntry(ctx, true);
    }
    // The window's poll: what arrived, then a chord whose time has come, until `done`.
    EditOutcome pollUntil(const std::function<bool()>& done) {
        EditOutcome seen;
        const auto start = std::chrono::steady_clock::now();
        std::array<uint32_t, 64> taken{};
        while (!done() && std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
            const double now =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            const size_t n = in->take(taken);
            seen |= takeMidiInput(ctx, std::span<const uint32_t>(taken.data(), n), now);
            seen |= stepEntryTick(ctx, now);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return seen;
    }
    bool head(int row, int col) const { return song.part.Grid(row, col) & cell::Head; }

    test::JackTestServer server{44100, 256};
    std::unique_ptr<JackMidiBackend> backend;
    test::JackMidiPeer peer;
    std::unique_ptr<MidiInput> in;
};

TEST_F(JackStepEntryTest, AChordFromTheKeyboardIsOneStepAndSoundsAtOnce) {
    // C E G together (one period), the pedal down, then D alone.
    peer.queue({{0x90, 60, 70}, {0x90, 64, 90}, {0xB0, 64, 127}, {0x90, 67, 80}}, 4);
    pollUntil([&] { return ed.step.column == 8; });
    // A loaded machine's server may drop a late client's period whole.
    if (midi.sent.empty() && peer.xruns() > 0)
        GTEST_SKIP() << "the server missed " << peer.xruns() << " cycles under load";
    for (int row : {28, 26, 24})
        EXPECT_TRUE(head(row, 0)) << row;
    EXPECT_EQ(song.part.VelLane[0], 90);
    EXPECT_EQ(midi.sent, (std::vector<uint32_t>{0x463C90, 0x5A4090, 0x7F40B0, 0x504390}))
        << "keys and pedal sound on the current part as they came";
    peer.queue({{0x90, 62, 50}}, 1);
    pollUntil([&] { return ed.step.column == 16; });
    EXPECT_TRUE(head(27, 8));

    Mundo_Click(ctx);
    Mundo_Click(ctx);
    for (int row : {28, 26, 24})
        EXPECT_FALSE(head(row, 0)) << "two undos: the single key, then the whole chord";
}

TEST_F(JackStepEntryTest, AKeyPastTheSongsEndIsRefusedAndTheColumnStays) {
    const int32_t last = song.MeasureLen.totalCols() - 4; // half a quarter before the end
    setEntryColumn(ctx, last);
    peer.queue({{0x90, 60, 100}}, 1);
    const EditOutcome o = pollUntil([&] { return !midi.sent.empty() && ed.step.chord.empty(); });
    if (midi.sent.empty() && peer.xruns() > 0)
        GTEST_SKIP() << "the server missed " << peer.xruns() << " cycles under load";
    EXPECT_TRUE(o.refused());
    EXPECT_EQ(ed.step.column, last);
    EXPECT_FALSE(head(28, last));
}

} // namespace
} // namespace zelk
