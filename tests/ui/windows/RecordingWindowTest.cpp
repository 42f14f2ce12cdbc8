#include "ui/windows/RecordingWindow.h"
#include "editor/session/SongReset.h"
#include "editor/transport/Playback.h"
#include "editor/transport/Recording.h"
#include "midi/LiveMidiOut.h"
#include "model/Song.h"
#include "platform/FfmpegWmaEncoder.h"
#include "platform/IconvShiftJis.h"
#include "platform/SchedulePlayer.h"
#include "platform/SilentClockOutput.h"
#include "platform/SoundFontLookup.h"
#include "platform/SynthOpening.h"
#include "platform/WavRecorder.h"
#include "support/FakePrompts.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"
#include "ui/windows/AboutWindow.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest/QtTest>

#include <sndfile.h>

#include <cmath>
#include <memory>

using namespace zelk;

namespace {

// Generous: the silent clock plays in real time on a busy machine.
constexpr int kWaitMs = 30000;

// The recording window on the real recorder and encoder, the synthesizer on the silent clock
// with a SoundFont, and a one-second song (two measures at 480 beats per minute). The main
// window's playback watch is played by a timer of the fixture.
struct Fixture {
    std::unique_ptr<Song> song = std::make_unique<Song>(test::freshSong());
    test::TempFolder tmp;
    SynthOpening synth = openSoundFontSynth(
        {.soundFont = findSoundFontFromEnvironment(), .output = kSilentClockOutput});
    LiveMidiOut live{*synth.synth};
    SchedulePlayer player{*synth.synth};
    WavRecorder recorder{synth.synth->sampleRate(), tmp.folder().recordingScratch(),
                         [this](AudioTap* t) { synth.synth->setTap(t); }};
    FfmpegWmaEncoder wma;
    EditorState editor;
    IconvShiftJis shiftJis;
    PlaybackState playback;
    test::FakePrompts prompts;
    QTimer watch;
    std::unique_ptr<ui::RecordingWindow> window;

    PlaybackContext pc() { return {*song, editor, playback, tmp.folder(), live, shiftJis, player}; }

    Fixture() {
        ResetSong(*song, editor);
        song->SongTitle = "テスト曲";
        test::putNote(*song, 28, 0, 32);
        test::putNote(*song, 28, 32, 32);
        song->TemLane.fill(480);
        watch.setInterval(kTimer1Interval);
        QObject::connect(&watch, &QTimer::timeout, [this] {
            PlaybackContext c = pc();
            Timer1_Timer(c);
            if (!playback.playing)
                watch.stop();
        });
        window = std::make_unique<ui::RecordingWindow>(
            pc(), recorder, wma, tmp.path(), prompts,
            [this] {
                if (playback.playing)
                    watch.start();
            },
            nullptr);
        window->show();
    }
    ~Fixture() {
        window->close();
        PlaybackContext c = pc();
        stopAndClose(c);
    }

    template <typename W> W* child(const char* name) { return window->findChild<W*>(name); }
    QString label3() { return child<QLabel>("Label3")->text(); }
    QString target() { return child<QLineEdit>("Text2")->text(); }
};

struct WavInfo {
    SF_INFO info{};
    double rms = 0;
};

WavInfo readWav(const QString& file) {
    WavInfo w;
    SNDFILE* f = sf_open(file.toStdString().c_str(), SFM_READ, &w.info);
    if (f == nullptr)
        return w;
    std::vector<float> data(static_cast<std::size_t>(w.info.frames * w.info.channels));
    sf_readf_float(f, data.data(), w.info.frames);
    sf_close(f);
    double sum = 0;
    for (const float s : data)
        sum += static_cast<double>(s) * s;
    w.rms = data.empty() ? 0 : std::sqrt(sum / static_cast<double>(data.size()));
    return w;
}

} // namespace

class RecordingWindowTest : public QObject {
    Q_OBJECT
private slots:
    void showsItsControlsInJapanese() {
        Fixture f;
        QCOMPARE(f.window->windowTitle(), QStringLiteral("録音"));
        QCOMPARE(f.child<QGroupBox>("Frame1")->title(), QStringLiteral("録音形式"));
        QCOMPARE(f.child<QGroupBox>("Frame2")->title(), QStringLiteral("Wave設定"));
        QCOMPARE(f.child<QGroupBox>("Frame3")->title(), QStringLiteral("WMA設定"));
        QCOMPARE(f.child<QPushButton>("Command2")->text(), QStringLiteral("ﾎﾞﾘｭｰﾑｺﾝﾄﾛｰﾙ"));
        QCOMPARE(f.child<QPushButton>("Command3")->text(), QStringLiteral("録音開始"));
        QCOMPARE(f.child<QPushButton>("Command4")->text(), QStringLiteral("キャンセル"));
        QCOMPARE(f.child<QComboBox>("Combo1")->count(), 3);
        QCOMPARE(f.child<QLineEdit>("Text1_0")->text(), QStringLiteral("テスト曲"));
        QVERIFY(f.target().endsWith(QStringLiteral("/テスト曲.wav")));
        QVERIFY(!f.child<QGroupBox>("Frame3")->isEnabled());
    }

    void choosingWmaForcesCdStereoAndRenamesTheTarget() {
        Fixture f;
        f.child<QComboBox>("Combo1")->setCurrentIndex(2);
        f.child<QRadioButton>("Option2_1")->setChecked(true);
        f.child<QRadioButton>("Option1_1")->click();
        QCOMPARE(f.child<QComboBox>("Combo1")->currentIndex(), 0);
        QVERIFY(f.child<QRadioButton>("Option2_0")->isChecked());
        QVERIFY(!f.child<QComboBox>("Combo1")->isEnabled());
        QVERIFY(f.child<QLineEdit>("Text1_3")->isEnabled());
        QVERIFY(f.target().endsWith(QStringLiteral("/テスト曲.wma")));
    }

    // The recording holds 700 ms before the music and 700 ms after it, counted in samples:
    // the file (two measures and the trailing beat at 480 beats per minute: 1.125 s) plus
    // 1.4 s, to within one block of the synthesizer, however late the window's timers are.
    void recordsTheSongWithLeadInAndTail() {
        Fixture f;
        if (!f.synth.synth->hasSoundFont())
            QSKIP("no General MIDI SoundFont installed");
        f.child<QComboBox>("Combo1")->setCurrentIndex(1);
        f.child<QPushButton>("Command3")->click();
        QCOMPARE(f.child<QPushButton>("Command3")->text(), QStringLiteral("録音停止"));
        QCOMPARE(f.label3(), QStringLiteral("録音中"));
        QTRY_COMPARE_WITH_TIMEOUT(f.label3(), QStringLiteral("録音終了"), kWaitMs);
        QCOMPARE(f.child<QPushButton>("Command3")->text(), QStringLiteral("録音開始"));
        const WavInfo w = readWav(f.target());
        QCOMPARE(w.info.samplerate, 22050);
        QCOMPARE(w.info.channels, 2);
        QCOMPARE(w.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        const double seconds = static_cast<double>(w.info.frames) / 22050.0;
        qInfo("recorded %.4f s for a 1.125 s file", seconds);
        const double block = static_cast<double>(SilentClockOutput::kBlockFrames) / 44100;
        QVERIFY2(std::fabs(seconds - 2.525) <= block + 1.0 / 22050,
                 qPrintable(QString::number(seconds)));
        QVERIFY(w.rms > 1e-3);
        QVERIFY(!QFile::exists(QString::fromStdString(f.tmp.folder().recording().string())));
        QVERIFY(f.live.isOpen());
    }

    void convertsToTaggedWma() {
        Fixture f;
        f.child<QRadioButton>("Option1_1")->click();
        f.child<QLineEdit>("Text1_3")->setText(QStringLiteral("説明"));
        f.child<QPushButton>("Command3")->click();
        QTRY_COMPARE_WITH_TIMEOUT(f.label3(), QStringLiteral("変換完了"), kWaitMs);
        QVERIFY(QFileInfo(f.target()).size() > 1000);
        QVERIFY(!QFile::exists(QString::fromStdString(f.tmp.folder().recording().string())));
        QVERIFY(f.prompts.messages.empty());
    }

    // The form was shown again from the values of the press of 録音開始 at every timer tick,
    // undoing what the user typed meanwhile.
    void whatIsTypedDuringATakeIsKeptAndUsed() {
        Fixture f;
        f.child<QRadioButton>("Option1_1")->click();
        QCOMPARE(f.child<QLabel>("Label5")->text(), QStringLiteral("1小節目から録音"));
        f.child<QPushButton>("Command3")->click();
        QTRY_VERIFY_WITH_TIMEOUT(f.playback.playing, kWaitMs);
        auto* description = f.child<QLineEdit>("Text1_3");
        description->setFocus();
        QTest::keyClicks(description, QStringLiteral("during"));
        const QString renamed = f.target().replace(QStringLiteral(".wma"), QStringLiteral("2.wma"));
        f.child<QLineEdit>("Text2")->setText(renamed);
        QTest::qWait(50); // several ticks of every running timer
        QCOMPARE(description->text(), QStringLiteral("during"));
        QCOMPARE(description->cursorPosition(), 6);
        QTRY_COMPARE_WITH_TIMEOUT(f.label3(), QStringLiteral("変換完了"), kWaitMs);
        QVERIFY(QFileInfo(renamed).size() > 1000);
    }

    void cancelWhileRecordingLeavesNothing() {
        Fixture f;
        f.child<QPushButton>("Command3")->click();
        QTRY_VERIFY_WITH_TIMEOUT(f.playback.playing, kWaitMs);
        f.child<QPushButton>("Command4")->click();
        QVERIFY(!f.window->isVisible());
        QVERIFY(!f.playback.playing);
        QVERIFY(!QFile::exists(f.target()));
        QVERIFY(!QFile::exists(QString::fromStdString(f.tmp.folder().recording().string())));
        QVERIFY(f.live.isOpen());
    }

    void escapeDoesNotThrowARecordingAway() {
        Fixture f;
        f.child<QPushButton>("Command3")->click();
        QTRY_VERIFY_WITH_TIMEOUT(f.playback.playing, kWaitMs);
        QTest::keyClick(f.window.get(), Qt::Key_Escape);
        QVERIFY(f.window->isVisible());
        QCOMPARE(f.child<QPushButton>("Command3")->text(), QStringLiteral("録音停止"));
        f.child<QPushButton>("Command4")->click(); // the cancel button still cancels
        QVERIFY(!f.window->isVisible());
    }

    void versionWindowNamesTheProgramAndItsVersion() {
        ui::AboutWindow about(nullptr);
        QCOMPARE(about.windowTitle(), QStringLiteral("ゼルク式ＭＩＤＩシーケンサのﾊﾞｰｼﾞｮﾝ情報"));
        const QString version = about.findChild<QLabel*>("lblVersion")->text();
        QVERIFY2(QRegularExpression(QStringLiteral("^ﾊﾞｰｼﾞｮﾝ \\d+\\.\\d+\\.\\d+$"))
                     .match(version)
                     .hasMatch(),
                 qPrintable(version));
    }
};

QTEST_MAIN(RecordingWindowTest)
#include "RecordingWindowTest.moc"
