// The recording window's conversion with the real encoder: a job it refuses ends in
// "エンコード失敗" and the user's old file stays.
#include "editor/transport/Recording.h"
#include "midi/LiveMidiOut.h"
#include "platform/FfmpegWmaEncoder.h"
#include "platform/IconvShiftJis.h"
#include "support/FakeMidiFilePlayer.h"
#include "support/FakeMidiOut.h"
#include "support/FakeWaveRecorder.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zelk {
namespace {

using namespace test;

TEST(RecordingEncoderTest, ARefusedSourceSaysEncodeFailedAndKeepsTheTarget) {
    TempFolder tmp;
    Song song = freshSong();
    EditorState editor;
    putNote(song, 28, 0, 8);
    FakeMidiOut device;
    LiveMidiOut live{device};
    IconvShiftJis sjis;
    FakeMidiFilePlayer player;
    PlaybackState state;
    FakeWaveRecorder recorder;
    recorder.content = "not a wave file"; // what the encoder gets as "wav"
    FfmpegWmaEncoder wma;
    RecordingForm form;
    RecordingContext ctx{
        form, {song, editor, state, tmp.folder(), live, sjis, player}, recorder, wma, tmp.path()};
    Form7_Load(ctx);
    Option1_Click(ctx, 1);
    std::ofstream(form.Text2) << "old take";

    ASSERT_TRUE(Command3_Click(ctx).message.empty());
    Timer3_Timer(ctx);
    player.advanceTo(player.lastTick);
    Timer1_Timer(ctx.playback);
    Timer2_Timer(ctx);
    const RecordingOutcome out = Timer3_Timer(ctx);

    EXPECT_EQ(out.message, kEncodeFailedMessage);
    EXPECT_EQ(form.Label3, kConvertFailedLabel);
    EXPECT_EQ(form.Timer1Interval, 0);
    EXPECT_EQ(slurp(form.Text2), "old take");
    Form7_Unload(ctx);
}

} // namespace
} // namespace zelk
