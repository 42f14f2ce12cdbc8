#include "editor/session/SongReset.h"
#include "model/Song.h"
#include "platform/EncodedAudioFileWriter.h"
#include "platform/GzipCompressor.h"
#include "platform/IconvShiftJis.h"
#include "support/FakeMidiOut.h"
#include "support/FakePrompts.h"
#include "support/FakeSynthRenderer.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"
#include "ui/main/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QtTest>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <sndfile.h>
#include <thread>
#include <vector>

using namespace zelk;

namespace {

constexpr int kWaitMs = 30000; // only a guard against a hang

// Renders slowly enough for a test to press cancel while it runs.
class SlowSynth : public test::FakeSynthRenderer {
public:
    using FakeSynthRenderer::FakeSynthRenderer;
    void render(std::span<float> left, std::span<float> right) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        FakeSynthRenderer::render(left, right);
    }
};

struct Fixture {
    std::unique_ptr<Song> song = std::make_unique<Song>(test::freshSong());
    test::TempFolder tmp;
    test::FakeMidiOut midi;
    EditorState editor;
    ColorTable colors = defaultColorTable();
    GzipCompressor compressor;
    IconvShiftJis shiftJis;
    RecentFiles recent{};
    EncodedAudioFileWriter audioFiles;
    test::FakePrompts prompts;
    std::unique_ptr<ui::MainWindow> window;

    explicit Fixture(bool slow = false, bool notes = true) {
        ResetSong(*song, editor);
        if (notes) {
            test::putNote(*song, 28, 0, 8);
            test::putNote(*song, 28, 40, 24);
            song->LoopOn = 1;
            song->LoopMeasure = 1;
        }
        BackgroundRender::SynthFactory factory = [slow](int rate) {
            return slow ? std::make_unique<SlowSynth>(rate)
                        : std::make_unique<test::FakeSynthRenderer>(rate);
        };
        ui::MainWindowContext ctx{*song,  tmp.folder(), midi,     editor,
                                  colors, compressor,   shiftJis, recent};
        ctx.makeRenderer = factory;
        ctx.audioFiles = &audioFiles;
        window = std::make_unique<ui::MainWindow>(ctx);
        window->show();
        window->usePrompts(prompts);
    }
    QString target(const char* name) {
        return QString::fromStdString((tmp.path() / name).string());
    }
    QAction* renderItem() { return window->findChild<QAction*>("Mrender"); }
    QStringList messages() {
        QStringList texts;
        for (const auto& m : prompts.messages)
            texts << QString::fromStdString(m.text);
        return texts;
    }
};

} // namespace

class OfflineRenderWindowTest : public QObject {
    Q_OBJECT
private slots:
    void recordingMenuHoldsBothEntries() {
        Fixture f;
        auto* menu = f.window->findChild<QMenu*>("MrecMenu");
        QVERIFY(menu);
        QCOMPARE(menu->title(), QStringLiteral("録音(&R)"));
        QCOMPARE(menu->actions().size(), 2);
        QCOMPARE(menu->actions()[1]->text(), QStringLiteral("オフライン書き出し(&O)..."));
        QVERIFY(f.renderItem()->isEnabled());
    }

    void renderRunsBesideTheEditorAndReportsTheFile() {
        Fixture f(true);
        QVERIFY(f.window->startOfflineRender(f.target("bgm.ogg")));
        auto* dialog = f.window->findChild<QProgressDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr); // the editor stays usable
        QVERIFY(!f.renderItem()->isEnabled());
        QVERIFY(!f.window->startOfflineRender(f.target("again.ogg")));
        QTRY_VERIFY_WITH_TIMEOUT(f.window->offlineRender() == nullptr, kWaitMs);
        QVERIFY(QFile::exists(f.target("bgm.ogg")));
        QVERIFY(f.messages().contains(QStringLiteral("書き出しが完了しました")));
        QVERIFY(f.renderItem()->isEnabled());
    }

    void cancelWritesNothing() {
        Fixture f(true);
        QVERIFY(f.window->startOfflineRender(f.target("bgm.wav")));
        auto* dialog = f.window->findChild<QProgressDialog*>();
        QVERIFY(dialog);
        auto* button = dialog->findChild<QPushButton*>();
        QVERIFY(button);
        QCOMPARE(button->text(), QStringLiteral("キャンセル"));
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f.window->offlineRender() == nullptr, kWaitMs);
        QVERIFY(!QFile::exists(f.target("bgm.wav")));
        QVERIFY(f.messages().isEmpty());
    }

    void closingTheWindowAsksAndStopsTheRender() {
        Fixture f(true);
        f.song->Dirty = 0;
        QVERIFY(f.window->startOfflineRender(f.target("bgm.flac")));
        f.prompts.answers = {Answer::No};
        QVERIFY(!f.window->close());
        QVERIFY2(f.window->offlineRender() != nullptr, "No: the render goes on");
        QCOMPARE(f.prompts.questions.back().text,
                 std::string("書き出し中です。書き出しをやめて終了しますか？"));
        f.song->Dirty = 1; // Yes to giving the render up, then Cancel at the save question
        f.prompts.answers = {Answer::Yes, Answer::Cancel};
        QVERIFY(!f.window->close());
        QVERIFY2(f.window->offlineRender() != nullptr, "the window stays, and so does the render");
        f.song->Dirty = 0;
        f.prompts.answers = {Answer::Yes};
        QVERIFY(f.window->close());
        QVERIFY(f.window->offlineRender() == nullptr);
        QVERIFY(!QFile::exists(f.target("bgm.flac")));
    }

    void onlyTheTickedPartsAreRendered() {
        Fixture f;
        auto* untick = f.window->findChild<QPushButton*>("Command8");
        if (!untick)
            QSKIP("no untick-all button");
        untick->click(); // every part unticked
        QVERIFY(!f.window->startOfflineRender(f.target("none.wav")));
        QVERIFY(f.messages().contains(QStringLiteral("再生するパートに音符がありません")));
    }

    // Renders peaked at -15 dBFS; the render dialog offers one gain to -1 dBFS, on at first,
    // and remembers the choice.
    void theRenderDialogNormalizesUnlessTold() {
        Fixture f;
        auto renderThroughDialog = [&](const char* name, bool tick) -> bool {
            bool offered = false;
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                auto* box = dialog->findChild<QCheckBox*>("Normalize");
                QVERIFY(box && box->isVisible());
                offered = box->isChecked();
                box->setChecked(tick);
                dialog->selectFile(f.target(name));
                static_cast<QDialog*>(dialog)->accept();
            });
            f.renderItem()->trigger();
            QElapsedTimer waited;
            waited.start();
            while (f.window->offlineRender() != nullptr && waited.elapsed() < kWaitMs)
                QTest::qWait(10);
            return offered;
        };
        auto peak = [&](const char* name) {
            SF_INFO info{};
            SNDFILE* file = sf_open(f.target(name).toLocal8Bit().constData(), SFM_READ, &info);
            std::vector<short> s(static_cast<size_t>(info.frames * info.channels));
            sf_read_short(file, s.data(), static_cast<sf_count_t>(s.size()));
            sf_close(file);
            int most = 0;
            for (short x : s)
                most = std::max(most, std::abs(int(x)));
            return most;
        };
        QVERIFY(renderThroughDialog("loud.wav", true));
        QVERIFY(std::abs(peak("loud.wav") - 29204) <= 2);
        QVERIFY(renderThroughDialog("plain.wav", false));
        QVERIFY(std::abs(peak("plain.wav") - 29204) > 100);
        QVERIFY2(!renderThroughDialog("again.wav", false), "the last choice is offered again");
    }

    void refusalsSayWhy() {
        Fixture f;
        QVERIFY(!f.window->startOfflineRender(f.target("bgm.mp3")));
        QVERIFY(f.messages().contains(QStringLiteral("書き出せるのはWAV、Ogg Vorbis、FLACです")));
        Fixture empty(false, false);
        QVERIFY(!empty.window->startOfflineRender(empty.target("bgm.wav")));
        QVERIFY(empty.messages().contains(QStringLiteral("音符がありません")));
        QVERIFY(empty.window->offlineRender() == nullptr);
    }
};

QTEST_MAIN(OfflineRenderWindowTest)
#include "OfflineRenderWindowTest.moc"
