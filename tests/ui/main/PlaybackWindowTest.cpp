#include "editor/session/SongReset.h"
#include "midi/LiveMidiOut.h"
#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "platform/IconvShiftJis.h"
#include "platform/SchedulePlayer.h"
#include "platform/SynthOpening.h"
#include "storage/Project.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ScoreCanvas.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QtTest>

#include <fstream>
#include <memory>

using namespace zelk;

namespace {

// Generous: the silent clock plays in real time on a busy machine.
constexpr int kWaitMs = 20000;

// A window playing through the real player on the silent clock, on a two-measure song at
// 480 beats per minute (a measure lasts half a second).
struct Fixture {
    std::unique_ptr<Song> song = std::make_unique<Song>(test::freshSong());
    test::TempFolder tmp;
    SynthOpening synth =
        openSoundFontSynth({.soundFont = std::nullopt, .output = kSilentClockOutput});
    LiveMidiOut live{*synth.synth};
    SchedulePlayer player{*synth.synth};
    EditorState editor;
    ColorTable colors = defaultColorTable();
    GzipCompressor compressor;
    IconvShiftJis shiftJis;
    RecentFiles recent{};
    std::unique_ptr<ui::MainWindow> window;

    Fixture() {
        ResetSong(*song, editor);
        test::putNote(*song, 28, 0, 8);
        test::putNote(*song, 28, 40, 16); // measure 2, to its end
        song->TemLane.fill(480);
        window = std::make_unique<ui::MainWindow>(
            ui::MainWindowContext{*song, tmp.folder(), live, editor, colors, compressor, shiftJis,
                                  recent, &live, &player});
        window->show();
    }
    ~Fixture() { window->stopAndClose(); }

    QPushButton* playButton() { return window->findChild<QPushButton*>("Command4"); }
    QString caption() { return playButton()->text(); }
    // How many of the menus and drop-downs that playback locks are enabled.
    int unlocked() {
        int n = 0;
        for (QMenu* m : {window->menus().Mfile, window->menus().Mhen, window->menus().Mhelp})
            n += m->menuAction()->isEnabled();
        for (const char* name : {"Combo2", "Combo5", "Combo6", "Combo7"})
            n += window->findChild<QComboBox*>(name)->isEnabled();
        return n;
    }
    bool menusEnabled() { return unlocked() == 7; }
    bool programEnabled() { return window->findChild<QComboBox*>("Combo1")->isEnabled(); }
};

// Accepts the next message box, keeping its text.
void acceptNextMessage(QString* text) {
    QTimer::singleShot(0, [text] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                *text = box->text();
                box->accept();
            }
    });
}

} // namespace

class PlaybackWindowTest : public QObject {
    Q_OBJECT
private slots:
    void playsToTheEndFollowingTheMeasures() {
        Fixture f;
        QVERIFY(f.playButton()->isEnabled());
        QCOMPARE(f.caption(), QStringLiteral("再生"));
        QCOMPARE(f.playButton()->toolTip(), QStringLiteral("表示されてる小節から再生"));
        QTest::mouseClick(f.playButton(), Qt::LeftButton);
        QCOMPARE(f.caption(), QStringLiteral("停止"));
        QCOMPARE(f.unlocked(), 0);
        QVERIFY(!f.programEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(f.player.tick() > 0, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(f.window->playLine().items.size(), size_t(1), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(f.editor.view.FirstMeasure, 2, kWaitMs);
        QCOMPARE(f.window->windowTitle().contains(QStringLiteral("2小節目")), true);
        QTRY_COMPARE_WITH_TIMEOUT(f.caption(), QStringLiteral("再生"), kWaitMs);
        QVERIFY(f.menusEnabled());
        QVERIFY(f.programEnabled());
        QVERIFY(f.window->playback().PlaybackEnded);
        QVERIFY(f.window->playLine().items.empty());
    }

    void secondPressStopsAndTheNextTickEnds() {
        Fixture f;
        f.song->TemLane.fill(30); // long enough to be stopped in the middle
        QTest::mouseClick(f.playButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f.player.tick() > 0, kWaitMs);
        QTest::mouseClick(f.playButton(), Qt::LeftButton);
        QCOMPARE(f.caption(), QStringLiteral("再生"));
        QTRY_VERIFY_WITH_TIMEOUT(f.menusEnabled(), kWaitMs);
        QCOMPARE(f.editor.view.FirstMeasure, 1);
        QVERIFY(f.live.isOpen());
    }

    void playStopKeyStartsAndStops() {
        Fixture f;
        f.song->TemLane.fill(30);
        ui::ScoreCanvas* canvas = f.window->findChild<ui::ScoreCanvas*>("Picture1");
        canvas->setFocus();
        QTest::keyClick(canvas, Qt::Key_Escape);
        QCOMPARE(f.caption(), QStringLiteral("停止"));
        QTest::keyClick(canvas, Qt::Key_Escape);
        QCOMPARE(f.caption(), QStringLiteral("再生"));
        QTRY_VERIFY_WITH_TIMEOUT(f.menusEnabled(), kWaitMs);
    }

    // The running window replaced its song in the middle of a playback: the button still
    // read "停止" and the menus stayed disabled.
    void aFileHandedOverDuringPlaybackOpensAfterIt() {
        Fixture f;
        f.song->TemLane.fill(30);
        const auto other = f.tmp.path() / "other.zelk";
        {
            Song s = test::freshSong();
            s.SongTitle = "handed over";
            s.FilePath = other.string();
            test::TempFolder scratch;
            SaveProject(s, scratch.folder(), f.compressor);
        }
        QTest::mouseClick(f.playButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f.player.tick() > 0, kWaitMs);
        f.window->openHandedOver(other.string());
        QCoreApplication::processEvents();
        QCOMPARE(f.song->SongTitle, std::string("title"));
        QCOMPARE(f.caption(), QStringLiteral("停止"));
        // Menu shortcuts stay blocked while playing (Ctrl+K, Ctrl+N were tried).
        QCOMPARE(f.unlocked(), 0);
        QTest::keyClick(f.window.get(), Qt::Key_N, Qt::ControlModifier);
        QTest::keyClick(f.window.get(), Qt::Key_K, Qt::ControlModifier);
        QVERIFY(f.window->playback().playing);
        QVERIFY(f.song->part.Grid(28, 0) != 0);
        QTest::mouseClick(f.playButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(f.song->SongTitle, std::string("handed over"), kWaitMs);
        QVERIFY(f.menusEnabled());
        QCOMPARE(f.song->FilePath, other.string());
    }

    // ループ再生 and つなぎ目を試聴 from the play menu, on the real player and the silent clock.
    void theLoopPlaysUntilStoppedAndTheSeamAuditionEndsByItself() {
        Fixture f;
        f.song->LoopOn = 1;
        f.song->LoopMeasure = 1; // measure 2 loops: half a second
        auto* loop = f.window->findChild<QAction*>("Mloop");
        auto* seam = f.window->findChild<QAction*>("Mseam");
        QVERIFY(loop && seam && loop->isCheckable());
        QCOMPARE(loop->text(), QStringLiteral("ループ再生(&L)"));
        loop->trigger();
        QVERIFY(f.editor.palette.LoopPlayback);
        QTest::mouseClick(f.playButton(), Qt::LeftButton);
        QVERIFY2(!seam->isEnabled(), "nothing to audition while playing");
        QTRY_VERIFY_WITH_TIMEOUT(f.player.wraps() >= 2, kWaitMs);
        QCOMPARE(f.caption(), QStringLiteral("停止"));
        QTRY_COMPARE_WITH_TIMEOUT(f.editor.view.FirstMeasure, 2, kWaitMs);
        QTest::mouseClick(f.playButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f.menusEnabled(), kWaitMs);
        loop->trigger();
        QVERIFY(!f.editor.palette.LoopPlayback);
        seam->trigger();
        QCOMPARE(f.caption(), QStringLiteral("停止"));
        QTRY_VERIFY_WITH_TIMEOUT(f.player.wraps() == 1, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(f.caption(), QStringLiteral("再生"), kWaitMs);
        QVERIFY(f.menusEnabled());
    }

    void unwritableFileLeavesTheWindowIdle() {
        Fixture f;
        std::ofstream(f.tmp.folder().workFile(5), std::ios::binary) << "damaged\r\n";
        QString message;
        acceptNextMessage(&message);
        QTest::mouseClick(f.playButton(), Qt::LeftButton);
        QCOMPARE(message, QStringLiteral("Midi@保存できません"));
        QCOMPARE(f.caption(), QStringLiteral("再生"));
        QVERIFY(f.menusEnabled());
        QVERIFY(!f.window->playback().playing);
    }
};

QTEST_MAIN(PlaybackWindowTest)
#include "PlaybackWindowTest.moc"
