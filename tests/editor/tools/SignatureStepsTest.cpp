#include "editor/tools/SignatureSteps.h"

#include "editor/EntryFixture.h"
#include "editor/tools/UndoRedo.h"
#include "model/MeasureArrays.h"

#include <functional>

namespace zelk {
namespace {

class SignatureStepsTest : public test::EntryFixture {
protected:
    void placeFiveNotes() {
        ed.palette.NoteLen = 4; // eighths, each in its own columns
        for (int i = 0; i < 5; ++i)
            click(28, i * 4);
    }
    int notes() const {
        int n = 0;
        for (int c = 0; c < 32; ++c)
            n += (song.part.Grid(28, c) & 0x3F) != 0;
        return n;
    }
};

// Choosing 3/4 after five notes and pressing Ctrl+Z kept the 3/4 and removed the last
// note; each further Ctrl+Z removed another. The same held for the key and the tempo.
TEST_F(SignatureStepsTest, CtrlZUndoesTheDropDownChangeNotTheLastNote) {
    struct Case {
        const char* what;
        std::function<EditOutcome(EditContext&)> change;
    };
    const Case cases[] = {
        {"time signature 3/4", [](EditContext& c) { return changeTimeSignature(c, 2); }},
        {"key kind flat", [](EditContext& c) { return changeKeyKind(c, 1); }},
        {"three accidentals", [](EditContext& c) { return changeKeyCount(c, 3); }},
        {"tempo 90", [](EditContext& c) { return changeTempoOffset(c, 89); }},
    };
    for (const Case& c : cases) {
        song = test::freshSong();
        ed = EditorState{};
        SetUp();
        if (std::string(c.what) == "key kind flat")
            changeKeyCount(ctx, 2); // a kind change alone changes no mask of 0 accidentals
        placeFiveNotes();
        const MeasureArrays before = MeasureArrays::of(song);
        c.change(ctx);
        const MeasureArrays after = MeasureArrays::of(song);
        ASSERT_NE(after, before) << c.what;
        Mundo_Click(ctx);
        EXPECT_EQ(MeasureArrays::of(song), before) << c.what;
        EXPECT_EQ(notes(), 5) << c.what;
        Mrido_Click(ctx);
        EXPECT_EQ(MeasureArrays::of(song), after) << c.what;
        EXPECT_EQ(notes(), 5) << c.what;
        Mundo_Click(ctx);
        Mundo_Click(ctx); // now the last note
        EXPECT_EQ(notes(), 4) << c.what;
        EXPECT_EQ(MeasureArrays::of(song), before) << c.what;
    }
}

TEST_F(SignatureStepsTest, AChangeThatChangesNothingRecordsNoStep) {
    click(28, 0);
    const uint8_t pos = song.undo.UndoPos;
    changeTempoOffset(ctx, song.TempoIndex); // the tempo it already has
    changeKeyCount(ctx, 0);                  // the key it already has
    EXPECT_EQ(song.undo.UndoPos, pos);
    show(300, 1);
    const EditOutcome refused = changeTimeSignature(ctx, 5); // 6/4 leaves no measure 300
    ASSERT_TRUE(refused.refused());
    EXPECT_EQ(song.undo.UndoPos, pos) << "a refused time signature is no step";
    Mundo_Click(ctx);
    EXPECT_EQ(song.part.Grid(28, 0) & 0x3F, 0) << "the click is still the last step";
}

TEST_F(SignatureStepsTest, UndoReturnsToThePartAndMeasureOfTheChange) {
    show(5, 1);
    changeTimeSignature(ctx, 9); // 7/8 from measure 5
    const int count = song.MeasureCount();
    show(1, 1);
    Mundo_Click(ctx);
    EXPECT_EQ(ed.view.FirstMeasure, 5);
    EXPECT_EQ(song.MeasureCount(), 300);
    Mrido_Click(ctx);
    EXPECT_EQ(song.MeasureCount(), count);
    EXPECT_EQ(song.MeasureLen.len(5), 28);
    EXPECT_EQ(song.MeasureLen.len(4), 32);
    EXPECT_EQ(song.Dirty, 1);
}

} // namespace
} // namespace zelk
