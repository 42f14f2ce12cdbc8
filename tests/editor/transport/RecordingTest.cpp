#include "editor/transport/Recording.h"
#include "editor/transport/RecordingFormat.h"
#include "midi/LiveMidiOut.h"
#include "ports/TextEncoder.h"
#include "support/FakeMidiFilePlayer.h"
#include "support/FakeMidiOut.h"
#include "support/FakeWaveRecorder.h"
#include "support/FakeWmaEncoder.h"
#include "support/PlainEncoder.h"
#include "support/TempFolder.h"

#include "editor/ScrolledSongFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace zelk {
namespace {

using namespace test;

class RecordingTest : public ScrolledSongFixture {
protected:
    TempFolder tmp;
    FakeMidiOut device;
    LiveMidiOut live{device};
    PlainEncoder encoder;
    FakeMidiFilePlayer player;
    PlaybackState state;
    FakeWaveRecorder recorder;
    FakeWmaEncoder wma;
    RecordingForm form;
    RecordingContext ctx{form,
                         {song, ed, state, tmp.folder(), live, encoder, player},
                         recorder,
                         wma,
                         tmp.path() / "music"};
    std::filesystem::path wav() { return tmp.folder().recording(); }

    void SetUp() override {
        song.SongTitle = "春の歌";
        song.SongCopyright = "ゼルク";
        putNote(song, 28, 0, 8);
        Form7_Load(ctx);
        std::filesystem::create_directories(tmp.path() / "music");
    }
    // The main window's playback watch, then the recording's end watch.
    void watch() {
        Timer1_Timer(ctx.playback);
        Timer2_Timer(ctx);
    }
    void startAndPlay() {
        ASSERT_TRUE(Command3_Click(ctx).message.empty());
        ASSERT_EQ(form.Timer3Interval, kLeadInterval);
        EXPECT_TRUE(Timer3_Timer(ctx).playbackChanged);
    }
    // Plays to the end and through the tail.
    RecordingOutcome playToEnd() {
        player.advanceTo(player.lastTick);
        watch();
        EXPECT_EQ(form.Timer3Interval, kLeadInterval);
        return Timer3_Timer(ctx);
    }
};

TEST_F(RecordingTest, LoadFillsTagsAndTargetFromTheSong) {
    EXPECT_EQ(wma.calls, std::vector<std::string>{"init"});
    EXPECT_EQ(form.Text1[0], "春の歌");
    EXPECT_EQ(form.Text1[1], "ゼルク");
    EXPECT_EQ(form.Text1[2], "ゼルク");
    EXPECT_EQ(form.Text1[3], "");
    EXPECT_EQ(form.Combo1, 0);
    EXPECT_EQ(form.Text2, (tmp.path() / "music" / "春の歌.wav").string());
    EXPECT_TRUE(waveSettingsEnabled(form));
    EXPECT_FALSE(tagSettingsEnabled(form));
    EXPECT_EQ(form.Command3Caption, kRecStartCaption);
}

TEST_F(RecordingTest, StartOpensTheMusicAndRecordsThroughTheLeadIn) {
    form.Combo1 = 2;
    form.Option2 = 1;
    ASSERT_TRUE(Command3_Click(ctx).message.empty());
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"open", "record"}));
    EXPECT_EQ(recorder.format, waveFormatFor(2, 1));
    EXPECT_EQ(player.calls, std::vector<std::string>{"open"});
    EXPECT_FALSE(live.isOpen());
    EXPECT_FALSE(state.playing);
    EXPECT_EQ(form.Label3, kRecordingLabel);
    EXPECT_EQ(form.Command3Caption, kRecStopCaption);
    EXPECT_EQ(form.RecPhase, 0);

    EXPECT_TRUE(Timer3_Timer(ctx).playbackChanged);
    EXPECT_EQ(player.calls, (std::vector<std::string>{"open", "play"}));
    EXPECT_TRUE(state.playing);
    EXPECT_EQ(state.Timer1Interval, kTimer1Interval);
    EXPECT_EQ(form.Timer3Interval, 0);
    EXPECT_EQ(form.Timer2Interval, kEndWatchInterval);
    EXPECT_EQ(form.RecPhase, 1);
}

TEST_F(RecordingTest, EndWatchWaitsForTheMusicThenTheTailFinishesAsWave) {
    startAndPlay();
    player.advanceTo(player.lastTick / 2);
    watch();
    EXPECT_EQ(form.Timer2Interval, kEndWatchInterval);
    EXPECT_EQ(form.Timer3Interval, 0);
    EXPECT_EQ(recorder.calls.back(), "record");

    std::ofstream(form.Text2) << "old take";
    EXPECT_TRUE(playToEnd().message.empty());
    EXPECT_TRUE(live.isOpen());
    EXPECT_EQ(recorder.calls,
              (std::vector<std::string>{"open", "record", "keep", "stop", "save", "close"}));
    EXPECT_EQ(slurp(form.Text2), recorder.content);
    EXPECT_FALSE(std::filesystem::exists(wav()));
    EXPECT_EQ(form.Label3, kRecordedLabel);
    EXPECT_EQ(form.Command3Caption, kRecStartCaption);
    EXPECT_EQ(form.RecPhase, 0);
    EXPECT_EQ(form.Timer2Interval, 0);
    EXPECT_EQ(form.Timer3Interval, 0);
}

// The lead-in and the tail are counted in frames heard, not in timer ticks: a timer that
// fires before the sound is there waits, and the file keeps exactly 700 ms on each side.
TEST_F(RecordingTest, LeadInAndTailAreCountedInFramesHeard) {
    recorder.stepPerQuery = 0;
    const int64_t lead = 30870; // 700 ms at 44100
    ASSERT_TRUE(Command3_Click(ctx).message.empty());
    recorder.heard = 10000; // the sound fell behind the timer
    EXPECT_FALSE(Timer3_Timer(ctx).playbackChanged);
    EXPECT_EQ(form.Timer3Interval, kHeardWatchInterval);
    EXPECT_FALSE(state.playing);
    recorder.heard = 31000;
    EXPECT_TRUE(Timer3_Timer(ctx).playbackChanged);
    EXPECT_EQ(form.musicStartFrame, 31000);

    // The song (a quarter note and the trailing beat at 120) lasts one second; the end is
    // seen 50 000 frames after the start, but the music ended at 31000 + 44100.
    player.advanceTo(player.lastTick);
    recorder.heard = 81000;
    watch();
    EXPECT_EQ(form.musicEndFrame, 31000 + 44100);
    recorder.heard = 75100 + lead - 1;
    Timer3_Timer(ctx);
    EXPECT_EQ(form.Timer3Interval, kHeardWatchInterval);
    EXPECT_EQ(form.Label3, kRecordingLabel);
    recorder.heard = 75100 + lead;
    Timer3_Timer(ctx);
    EXPECT_EQ(form.Label3, kRecordedLabel);
    EXPECT_EQ(recorder.keptFrom, 31000 - lead);
    EXPECT_EQ(recorder.keptTo, 75100 + lead);
}

// A sound output that stops rendering cannot hold the recording for ever.
TEST_F(RecordingTest, SoundThatStopsComingEndsTheWaitAfterItsLimit) {
    recorder.stepPerQuery = 0;
    ASSERT_TRUE(Command3_Click(ctx).message.empty());
    recorder.heard = 100;
    for (int i = 0; i < kHeardWatchLimit; ++i) {
        EXPECT_FALSE(Timer3_Timer(ctx).playbackChanged);
        ASSERT_EQ(form.Timer3Interval, kHeardWatchInterval) << i;
    }
    EXPECT_TRUE(Timer3_Timer(ctx).playbackChanged) << "the music starts all the same";
    EXPECT_EQ(form.musicStartFrame, 100);
}

TEST_F(RecordingTest, StoppedMusicEndsWhereItWasStopped) {
    recorder.stepPerQuery = 0;
    ASSERT_TRUE(Command3_Click(ctx).message.empty());
    recorder.heard = 40000;
    Timer3_Timer(ctx);
    player.advanceTo(player.lastTick / 3);
    recorder.heard = 50000;
    Command3_Click(ctx);
    recorder.heard = 99000; // the stop is seen late
    watch();
    EXPECT_EQ(form.musicEndFrame, 50000);
    Timer3_Timer(ctx);
    EXPECT_EQ(recorder.keptFrom, 40000 - 30870);
    EXPECT_EQ(recorder.keptTo, 50000 + 30870);

    // Stopped in the lead-in: the lead-in and the tail, nothing between.
    ASSERT_TRUE(Command3_Click(ctx).message.empty());
    recorder.heard = 20000;
    Command3_Click(ctx);
    recorder.heard = 60000;
    Timer3_Timer(ctx);
    EXPECT_EQ(recorder.keptFrom, 20000 - 30870) << "silence before the first frame heard";
    EXPECT_EQ(recorder.keptTo, 20000 + 30870);
}

TEST_F(RecordingTest, StopInTheMiddleKeepsWhatWasRecorded) {
    startAndPlay();
    player.advanceTo(player.lastTick / 3);
    Command3_Click(ctx);
    EXPECT_EQ(player.calls.back(), "stop");
    EXPECT_EQ(recorder.calls.back(), "record"); // the tail still records
    watch();
    EXPECT_TRUE(state.PlaybackEnded);
    EXPECT_EQ(form.Timer3Interval, kLeadInterval);
    Timer3_Timer(ctx);
    EXPECT_EQ(slurp(form.Text2), recorder.content);
    EXPECT_EQ(form.Label3, kRecordedLabel);
}

TEST_F(RecordingTest, StopDuringTheLeadInSkipsTheMusic) {
    ASSERT_TRUE(Command3_Click(ctx).message.empty());
    Command3_Click(ctx);
    EXPECT_EQ(player.calls, (std::vector<std::string>{"open", "close"}));
    EXPECT_TRUE(live.isOpen());
    EXPECT_EQ(form.RecPhase, 1);
    EXPECT_EQ(form.Timer3Interval, kLeadInterval);
    Timer3_Timer(ctx);
    EXPECT_FALSE(state.playing);
    EXPECT_EQ(form.Label3, kRecordedLabel);
    EXPECT_TRUE(std::filesystem::exists(form.Text2));
}

TEST_F(RecordingTest, AFailedSaveIsReportedAndKeepsTheOldTarget) {
    std::ofstream(form.Text2) << "old take";
    startAndPlay();
    recorder.refuseSave = true;
    const RecordingOutcome out = playToEnd();
    EXPECT_EQ(out.message, kRecordSaveFailedMessage);
    EXPECT_EQ(form.Label3, kSaveFailedLabel);
    EXPECT_EQ(slurp(form.Text2), "old take");
    EXPECT_EQ(form.Command3Caption, kRecStartCaption);
}

TEST_F(RecordingTest, AMusicFileThatCannotBeOpenedStartsNothing) {
    player.refuseOpen = true;
    const RecordingOutcome out = Command3_Click(ctx);
    EXPECT_EQ(out.message, kPlayFileFailedMessage);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(form.Command3Caption, kRecStartCaption);
    EXPECT_EQ(form.Timer3Interval, 0);
    EXPECT_TRUE(live.isOpen());
}

// Each refusal of 録音開始 comes before the take and leaves everything idle: a target
// folder that cannot take the file (it was found after the whole song in real time), a
// start measure after the last note (a second take recorded silence and said 変換完了),
// and a scratch file the recorder cannot make.
TEST_F(RecordingTest, WhatCannotWorkIsRefusedBeforeTheTake) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string_view message;
    };
    const Case cases[] = {
        {"target folder missing", [this] { form.Text2 = (tmp.path() / "gone" / "a.wav").string(); },
         kRecordSaveFailedMessage},
        {"no note from the shown measure", [this] { scrollTo(5); }, kNoNotesToRecordMessage},
        {"no scratch file", [this] { recorder.refuseOpen = true; }, kRecordSaveFailedMessage},
    };
    for (const Case& c : cases) {
        recorder = FakeWaveRecorder{};
        player = FakeMidiFilePlayer{};
        scrollTo(1);
        Form7_Load(ctx);
        c.arrange();
        const RecordingOutcome out = Command3_Click(ctx);
        EXPECT_EQ(out.message, c.message) << c.what;
        EXPECT_NE(out.detail, "") << c.what;
        EXPECT_FALSE(isRecording(form)) << c.what;
        EXPECT_EQ(form.Timer3Interval, 0) << c.what;
        EXPECT_FALSE(recorder.running) << c.what;
        EXPECT_FALSE(player.isOpen) << c.what;
        EXPECT_TRUE(live.isOpen()) << c.what;
    }
}

TEST_F(RecordingTest, AScratchFileThatStopsTakingTheSoundEndsTheTakeAtOnce) {
    startAndPlay();
    recorder.failing = true;
    const RecordingOutcome out = Timer2_Timer(ctx);
    EXPECT_EQ(out.message, kRecordSaveFailedMessage);
    EXPECT_EQ(out.detail, "disk full");
    EXPECT_FALSE(isRecording(form));
    EXPECT_FALSE(state.playing);
    EXPECT_EQ(form.Label3, kSaveFailedLabel);
    EXPECT_FALSE(std::filesystem::exists(form.Text2));
}

TEST_F(RecordingTest, TheWindowSaysFromWhichMeasureItRecords) {
    EXPECT_EQ(recordingStartText(ed.view), "1小節目から録音");
    scrollTo(12);
    EXPECT_EQ(recordingStartText(ed.view), "12小節目から録音");
}

// Cancel and close in each phase: the music stops, the recorder is closed, "wav" is gone.
class RecordingCancelTest : public RecordingTest, public ::testing::WithParamInterface<int> {
protected:
    void expectCleanAfter(bool closeWindow) {
        std::ofstream(wav()) << "partial";
        std::ofstream(form.Text2) << "old take";
        const RecordingOutcome out = closeWindow ? Form7_Unload(ctx) : Command4_Click(ctx);
        EXPECT_TRUE(out.message.empty());
        EXPECT_FALSE(recorder.isOpen);
        EXPECT_FALSE(recorder.running);
        EXPECT_FALSE(state.playing);
        EXPECT_FALSE(player.isOpen);
        EXPECT_TRUE(live.isOpen());
        EXPECT_FALSE(std::filesystem::exists(wav()));
        EXPECT_EQ(slurp(form.Text2), "old take");
        EXPECT_EQ(form.Command3Caption, kRecStartCaption);
        EXPECT_EQ(form.Timer2Interval + form.Timer3Interval, 0);
        EXPECT_EQ(wma.calls.back(), closeWindow ? "free" : "init");
    }
    // 0 lead-in, 1 music, 2 tail.
    void reachPhase(int phase) {
        ASSERT_TRUE(Command3_Click(ctx).message.empty());
        if (phase >= 1)
            Timer3_Timer(ctx);
        if (phase >= 2) {
            player.advanceTo(player.lastTick);
            watch();
            ASSERT_EQ(form.Timer3Interval, kLeadInterval);
        }
    }
};

TEST_P(RecordingCancelTest, CancelStopsEverything) {
    reachPhase(GetParam());
    expectCleanAfter(false);
}

TEST_P(RecordingCancelTest, ClosingStopsEverythingAndFreesTheEncoder) {
    reachPhase(GetParam());
    expectCleanAfter(true);
}

INSTANTIATE_TEST_SUITE_P(Phases, RecordingCancelTest, ::testing::Values(0, 1, 2));

TEST_F(RecordingTest, CancelWhenIdleOnlyCloses) {
    std::ofstream(wav()) << "kept";
    Command4_Click(ctx);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_TRUE(std::filesystem::exists(wav()));
}

class RecordingWmaTest : public RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        form.Combo1 = 2;
        form.Option2 = 1;
        Option1_Click(ctx, 1);
        form.Text1[3] = "  説明文";
    }
};

TEST_F(RecordingWmaTest, SwitchingFormatForcesStereoCdAndRenamesTheTarget) {
    EXPECT_EQ(form.Option2, 0);
    EXPECT_EQ(form.Combo1, 0);
    EXPECT_FALSE(waveSettingsEnabled(form));
    EXPECT_TRUE(tagSettingsEnabled(form));
    EXPECT_EQ(form.Text2, (tmp.path() / "music" / "春の歌.wma").string());
    form.Text2 = "/somewhere/else.wma";
    Option1_Click(ctx, 0);
    EXPECT_EQ(form.Text2, (tmp.path() / "music" / "春の歌.wav").string());
}

TEST_F(RecordingWmaTest, ConversionRunsUntilTheEncoderReportsTheEnd) {
    startAndPlay();
    EXPECT_EQ(recorder.format, waveFormatFor(0, 2));
    EXPECT_TRUE(playToEnd().message.empty());
    EXPECT_EQ(form.Label3, kConvertingLabel);
    EXPECT_EQ(wma.source, wav());
    EXPECT_EQ(wma.target, form.Text2);
    EXPECT_EQ(wma.optionOnEntry, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&wma.tags[404]), 12),
              std::string("説明文") + std::string(2, '\0') + " ");
    EXPECT_EQ(form.Timer1Interval, kEncodePollInterval);
    EXPECT_FALSE(command3Enabled(form));
    EXPECT_TRUE(std::filesystem::exists(wav()));

    Timer1_Timer(ctx);
    EXPECT_EQ(form.Label3, kConvertingLabel);
    wma.finishJob();
    EXPECT_TRUE(Timer1_Timer(ctx).message.empty());
    EXPECT_EQ(form.Label3, kConvertedLabel);
    EXPECT_EQ(form.Timer1Interval, 0);
    EXPECT_FALSE(std::filesystem::exists(wav()));
    EXPECT_EQ(slurp(form.Text2), recorder.content);
    EXPECT_TRUE(command3Enabled(form));
}

TEST_F(RecordingWmaTest, ARefusedJobSaysEncodeFailedAndKeepsTheOldTarget) {
    std::ofstream(form.Text2) << "old take";
    wma.refuse = true;
    startAndPlay();
    const RecordingOutcome out = playToEnd();
    EXPECT_EQ(out.message, kEncodeFailedMessage);
    EXPECT_EQ(form.Label3, kConvertFailedLabel);
    EXPECT_EQ(wma.calls.back(), "debug");
    EXPECT_EQ(form.Timer1Interval, 0);
    EXPECT_EQ(slurp(form.Text2), "old take");
    EXPECT_TRUE(std::filesystem::exists(wav())); // until the window closes
    Form7_Unload(ctx);
    EXPECT_FALSE(std::filesystem::exists(wav()));
}

TEST_F(RecordingWmaTest, AJobThatFailsOnTheWayIsNotReportedAsDone) {
    std::ofstream(form.Text2) << "old take";
    startAndPlay();
    playToEnd();
    wma.finishJob(1);
    EXPECT_EQ(Timer1_Timer(ctx).message, kEncodeFailedMessage);
    EXPECT_EQ(form.Label3, kConvertFailedLabel);
    EXPECT_EQ(slurp(form.Text2), "old take");
}

TEST_F(RecordingWmaTest, ClosingDuringTheConversionAbandonsIt) {
    startAndPlay();
    playToEnd();
    Form7_Unload(ctx);
    EXPECT_EQ(wma.calls.back(), "free");
    EXPECT_FALSE(wma.running);
    EXPECT_FALSE(std::filesystem::exists(wav()));
}

} // namespace
} // namespace zelk
