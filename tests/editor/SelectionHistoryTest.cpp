#include "EditingSession.h"

namespace zelk {
namespace {

using test::EditingSessionTest;

// Clicks, lane strokes and selection edits in one part, sixteen undo steps at a time:
// undoing them passes back through every state the steps left, and redoing them forward
// again. The lanes are compared where they carry meaning: the velocity where a note starts,
// pitch bend, modulation and expression where one sounds (a replayed click leaves neutral
// values in the columns it empties, as the click itself did).
class SelectionHistoryTest : public EditingSessionTest {
protected:
    struct Meaning {
        NoteGrid grid;
        int32_t partLen = 0;
        std::vector<uint8_t> lanes; // per column: sounding, velocity, pit, mod, exp
        ByteLane pan, hol;
        bool operator==(const Meaning&) const = default;
    };
    Meaning meaning() const {
        const CurrentPart& p = song.part;
        Meaning m{p.Grid, p.PartLen, {}, p.PanLane, p.HolLane};
        m.lanes.reserve(5 * kLaneCols);
        for (int c = 0; c < kLaneCols; ++c) {
            const bool head = columnHoldsHead(p.Grid, c), sounds = p.Sounding[c] == 1;
            m.lanes.insert(m.lanes.end(),
                           {p.Sounding[c], head ? p.VelLane[c] : uint8_t{0},
                            sounds ? p.PitLane[c] : uint8_t{0}, sounds ? p.ModLane[c] : uint8_t{0},
                            sounds ? p.ExpLane[c] : uint8_t{0}});
        }
        return m;
    }
    void plainClick() {
        const double x = anyX(), y = anyY();
        const int shift = chance(10) ? 1 : 0;
        log << "click " << x << "," << y << " s" << shift << "; ";
        press(1, shift, x, y);
        apply(Picture1_MouseUp(ctx, 1, 0, x, y));
    }
    void mixedStep() {
        const int r = pick(1, 100);
        if (r <= 30)
            plainClick();
        else if (r <= 50)
            laneStroke();
        else if (r <= 65)
            chooseNotes();
        else if (r <= 90)
            editSelection();
        else if (r <= 95)
            randomPalette();
        else
            randomView();
    }
};

TEST_F(SelectionHistoryTest, SixteenStepMixturesUndoAndRedoToIdenticalStates) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        rng.seed(seed);
        song = test::freshSong();
        ed = EditorState{};
        randomView();
        log.str("");
        std::vector<Meaning> states{meaning()};
        while (states.size() <= 16) {
            const uint8_t pos = song.undo.UndoPos;
            mixedStep();
            const int recorded = (song.undo.UndoPos - pos + 255) % 255;
            ASSERT_LE(recorded, 1) << log.str();
            if (recorded == 1)
                states.push_back(meaning());
        }
        for (size_t i = 16; i >= 1; --i) {
            apply(Mundo_Click(ctx));
            ASSERT_TRUE(meaning() == states[i - 1])
                << "undo to step " << i - 1 << ": " << log.str();
        }
        for (size_t i = 1; i <= 16; ++i) {
            apply(Mrido_Click(ctx));
            ASSERT_TRUE(meaning() == states[i]) << "redo of step " << i << ": " << log.str();
        }
        EXPECT_EQ(test::checkPart(song.part), test::PartFaults{});
    }
    EXPECT_GT(count["selection edits"], 150);
    EXPECT_GT(count["lane strokes"], 100);
}

} // namespace
} // namespace zelk
