#include "ui/main/MainWindow.h"
#include "editor/session/SongReset.h"
#include "editor/view/ColorTable.h"
#include "editor/view/DrawScore.h"
#include "model/Cell.h"
#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "platform/IconvShiftJis.h"
#include "storage/StateFile.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"
#include "ui/WindowFixture.h"
#include "ui/main/ScoreCanvas.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest/QtTest>

#include <memory>

using namespace zelk;

namespace {

// A window on a freshly reset song with a fake MIDI output.
struct Fixture : test::WindowFixture {
    size_t countBoxes() const {
        size_t n = 0;
        for (const DrawItem& it : window->drawList().items)
            n += it.kind == DrawKind::Box;
        return n;
    }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheResetSong() {
        Fixture f;
        QCOMPARE(f.window->windowTitle(),
                 QStringLiteral("ゼルク式ＭＩＤＩシーケンサ - 1小節目 - "));
        QCOMPARE(f.find<QLabel>("Label1")->text(), QStringLiteral("４"));
        QCOMPARE(f.find<QLabel>("Label4")->text(), QStringLiteral("中段"));
        QCOMPARE(f.find<QComboBox>("Combo5")->currentText(), QStringLiteral("４/４"));
        QCOMPARE(f.find<QComboBox>("Combo2")->currentText(), QStringLiteral("120"));
        QCOMPARE(f.find<QComboBox>("Combo3")->currentIndex(), 40);
        QCOMPARE(f.find<QComboBox>("Combo1")->count(), 128);
        QCOMPARE(f.find<QComboBox>("Combo1")->itemText(48), QStringLiteral("49 ストリングス "));
        QCOMPARE(f.find<QScrollBar>("HScroll1")->maximum(), 300);
        QVERIFY(f.find<QRadioButton>("Option1_0")->isChecked());
        QVERIFY(!f.window->drawList().items.empty());
    }

    void partSwitchSendsTheNewPartsSound() {
        Fixture f;
        f.find<QRadioButton>("Option1_4")->click();
        QCOMPARE(int(f.song->CurPart), 4);
        const std::vector<uint32_t> expected = {
            shortMessage(0x80, 0, 0),  shortMessage(0xC4, 0), shortMessage(0xB4, 91, 40),
            shortMessage(0xB4, 93, 0), shortMessage(0xC4, 0), shortMessage(0xB4, 91, 40),
            shortMessage(0xB4, 93, 0)};
        QCOMPARE(f.midi.sent, expected);
    }

    void rhythmPartMovesTheCanvasAndShowsDrumNames() {
        Fixture f;
        auto* canvas = f.find<ui::ScoreCanvas>("Picture1");
        const int normalLeft = canvas->x();
        f.find<QRadioButton>("Option1_9")->click();
        QVERIFY(canvas->x() > normalLeft);
        QVERIFY(!f.find<QComboBox>("Combo1")->isEnabled());
        QVERIFY(!f.find<QPushButton>("Command3")->isEnabled());
        // 中段 starts at row 14; row 44 (offset 30) is beyond the band, row 40 is offset 26.
        QCOMPARE(f.find<QLabel>("Label5_26")->text(), QStringLiteral("ﾊｲﾊｯﾄ2"));
        QVERIFY(f.find<QLabel>("Label5_26")->isVisibleTo(f.window.get()));
    }

    // The top drum label of a rhythm part was cut off by the readout above it.
    void noDrumLabelIsCoveredByAnotherControl() {
        Fixture f;
        f.window->findChild<QRadioButton*>("Option1_9")->click();
        int shown = 0;
        for (QLabel* l : f.window->findChildren<QLabel*>()) {
            if (!l->objectName().startsWith(QStringLiteral("Label5_")) || !l->isVisible())
                continue;
            ++shown;
            QCOMPARE(l->visibleRegion(), QRegion(l->rect()));
        }
        QVERIFY(shown > 20);
    }

    // Size and zoom came back to their defaults at every start.
    void sizeAndZoomAreRememberedInTheStateFile() {
        StateFile state;
        {
            Fixture f;
            f.window->resize(f.window->minimumWidth() + 111, f.window->minimumHeight() + 77);
            f.action("Mkakudai_3")->trigger();
            f.window->saveState(state);
            state.write(f.tmp.folder());
            QVERIFY(test::slurp(f.tmp.folder().settings()).empty());
            state = StateFile::read(f.tmp.folder());
            QCOMPARE(state.number("window.width", 0, 99999), f.window->minimumWidth() + 111);
            QCOMPARE(state.number("window.height", 0, 99999), f.window->minimumHeight() + 77);
        }
        Fixture again;
        const QSize defaultSize = again.window->size();
        again.window->restoreState(state);
        // As saved, but never larger than the screen (the offscreen one is small).
        const QRect screen = again.window->screen()->availableGeometry();
        QCOMPARE(again.window->width(),
                 std::max(again.window->minimumWidth(),
                          std::min(again.window->minimumWidth() + 111, screen.width())));
        QCOMPARE(again.window->height(),
                 std::max(again.window->minimumHeight(),
                          std::min(again.window->minimumHeight() + 77, screen.height())));
        QCOMPARE(int(again.editor.view.ShownMeasures), 3);
        QVERIFY(again.action("Mkakudai_3")->isChecked());
        StateFile odd;
        odd.set("window.width", 100); // smaller than the controls
        odd.set("window.height", 99999);
        odd.set("view.shownMeasures", 12);
        Fixture third;
        third.window->restoreState(odd);
        QCOMPARE(third.window->size(), defaultSize);
        QCOMPARE(int(third.editor.view.ShownMeasures), 1);
    }

    void staffBandAndZoomChangeTheDrawing() {
        Fixture f;
        test::putNote(*f.song, 2, 0, 8); // above the middle band
        f.window->redraw();
        QCOMPARE(f.countBoxes(), size_t(0));
        f.find<QRadioButton>("Option2_0")->click(); // 上段 shows rows 0..28
        QCOMPARE(f.find<QLabel>("Label4")->text(), QStringLiteral("上段"));
        QCOMPARE(f.countBoxes(), size_t(8));
        const auto before = f.window->drawList().items;
        f.find<QRadioButton>("Option2_3")->click(); // 全体: same notes, half the row height
        QCOMPARE(f.editor.view.StaffZoom, uint8_t(2));
        QCOMPARE(f.countBoxes(), size_t(8));
        QVERIFY(f.window->drawList().items != before);
    }

    void resizingRelaysOutTheCanvas() {
        Fixture f;
        auto* canvas = f.find<ui::ScoreCanvas>("Picture1");
        const QSize before = canvas->size();
        const int scrollBefore = f.find<QScrollBar>("HScroll1")->width();
        f.window->resize(f.window->width() + 200, f.window->height() + 100);
        QCoreApplication::processEvents();
        QTRY_VERIFY(std::abs(canvas->width() - (before.width() + 200)) <= 1);
        QVERIFY(std::abs(canvas->height() - (before.height() + 100)) <= 1);
        QVERIFY(std::abs(f.find<QScrollBar>("HScroll1")->width() - (scrollBefore + 200)) <= 1);
    }

    void paletteButtonsUpdateTheReadouts() {
        Fixture f;
        f.find<QPushButton>("Command1_4")->click();
        QCOMPARE(f.find<QLabel>("Label1")->text(), QStringLiteral("８"));
        QCOMPARE(f.editor.palette.NoteLen, 4);
        f.find<QPushButton>("Command5")->click(); // tuplet mode selects the quarter
        QCOMPARE(f.editor.palette.NoteLen, 2);
        QVERIFY(!f.find<QPushButton>("Command1_5")->isEnabled());
        f.find<QPushButton>("Command2_0")->click();
        QCOMPARE(f.find<QLabel>("Label2")->text(), QStringLiteral("♯"));
        f.find<QPushButton>("Command8")->click();
        QVERIFY(!f.find<QCheckBox>("Check1_7")->isChecked());
    }

    void scrollingUpdatesTheTitle() {
        Fixture f;
        f.find<QScrollBar>("HScroll1")->setValue(5);
        QCOMPARE(f.window->windowTitle(),
                 QStringLiteral("ゼルク式ＭＩＤＩシーケンサ - 5小節目 - "));
        QCOMPARE(f.editor.view.ViewCol, 128);
    }

    void clickPlacesANoteAndUndoRemovesIt() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        auto* canvas = f.find<ui::ScoreCanvas>("Picture1");
        const double tpp = canvas->twipsPerPixel();
        // Row offset 14 of the middle band is row 28 (middle C); column 2 of the measure.
        const QPoint at(int((2.5 * f.editor.view.ColWidth) / tpp),
                        int((14 * f.editor.view.RowHeight) / tpp));
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(f.song->part.Grid(28, 2) & cell::Head, cell::Head);
        QCOMPARE(f.song->part.PartLen, 10);
        QCOMPARE(f.countBoxes(), size_t(8)); // the canvas shows the new quarter note
        QVERIFY(f.window->menus().Mundo->isEnabled());
        QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.song->part.Grid(28, 2), 0);
        QCOMPARE(f.song->part.PartLen, 0);
        QCOMPARE(f.countBoxes(), size_t(0));
        QVERIFY(f.window->menus().Mrido->isEnabled());
    }

    // One wheel notch over the time signature, with the score focused, rewrote the song.
    void stepEntryShowsItsColumnAndAClickMovesItInsteadOfPlacing() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        auto* canvas = f.find<ui::ScoreCanvas>("Picture1");
        auto entryBands = [&] {
            size_t n = 0;
            for (const DrawItem& it : f.window->drawList().items)
                n += it.kind == DrawKind::Box && it.color == kEntryColumnColor;
            return n;
        };
        QCOMPARE(entryBands(), size_t(0));
        f.find<QCheckBox>("Check2")->click();
        QVERIFY(f.editor.step.on);
        QCOMPARE(entryBands(), size_t(1));
        const double tpp = canvas->twipsPerPixel();
        const QPoint at(int((5.5 * f.editor.view.ColWidth) / tpp),
                        int((14 * f.editor.view.RowHeight) / tpp));
        f.editor.selection.toggle({0, 28}); // a plain click clears a selection here too
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(f.editor.step.column, 5);
        QVERIFY(f.editor.selection.empty());
        QCOMPARE(f.song->part.PartLen, 0); // no note
        QTest::keyClick(canvas, Qt::Key_Right);
        QCOMPARE(f.editor.step.column, 5 + f.editor.palette.NoteLen);
        QTest::keyClick(canvas, Qt::Key_I); // the toggle's key
        QVERIFY(!f.editor.step.on);
        QVERIFY(!f.find<QCheckBox>("Check2")->isChecked());
        QCOMPARE(entryBands(), size_t(0));
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(f.song->part.Grid(28, 5) & cell::Head, cell::Head); // clicks place again
    }

    void wheelOverAnUnfocusedDropDownChangesNothing() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.find<ui::ScoreCanvas>("Picture1")->setFocus();
        for (const char* name : {"Combo5", "Combo2", "Combo1", "Combo3", "Combo6", "Combo7"}) {
            auto* box = f.find<QComboBox>(name);
            const int before = box->currentIndex();
            for (int delta : {-120, -120, 120}) {
                QWheelEvent wheel(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), QPoint(),
                                  QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                                  false);
                QApplication::sendEvent(box, &wheel);
            }
            QCOMPARE(box->currentIndex(), before);
            QVERIFY(!box->hasFocus());
        }
        QCOMPARE(f.song->MeasureLen.len(1), 32);
        QCOMPARE(int(f.song->Dirty), 0);
    }

    void wheelOverTheScoreScrollsByMeasures() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        auto* canvas = f.find<ui::ScoreCanvas>("Picture1");
        auto* scroll = f.find<QScrollBar>("HScroll1");
        const auto turn = [&](int delta) {
            QWheelEvent wheel(QPointF(20, 20), canvas->mapToGlobal(QPointF(20, 20)), QPoint(),
                              QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(canvas, &wheel);
        };
        turn(-240); // two notches towards the user: two measures on
        QCOMPARE(scroll->value(), 3);
        turn(60); // half a notch back does nothing yet
        QCOMPARE(scroll->value(), 3);
        turn(60);
        QCOMPARE(scroll->value(), 2);
        QCOMPARE(f.window->windowTitle(),
                 QStringLiteral("ゼルク式ＭＩＤＩシーケンサ - 2小節目 - "));
        QCOMPARE(int(f.song->Dirty), 0);
    }

    // Only Shift was passed on, so Ctrl+Shift+right click placed a note.
    void rightClickWithCtrlAndShiftAuditionsInsteadOfPlacing() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        auto* canvas = f.find<ui::ScoreCanvas>("Picture1");
        const double tpp = canvas->twipsPerPixel();
        const QPoint at(int((2.5 * f.editor.view.ColWidth) / tpp),
                        int((14 * f.editor.view.RowHeight) / tpp));
        QTest::mouseClick(canvas, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, at);
        QCOMPARE(f.song->part.Grid(28, 2), 0);
        QCOMPARE(f.song->part.PartLen, 0);
        QTest::mouseClick(canvas, Qt::RightButton, Qt::ShiftModifier, at);
        QCOMPARE(f.song->part.Grid(28, 2) & cell::Head, cell::Head);
    }

    void defaultKeysSelectNoteLengths() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        auto* canvas = f.find<ui::ScoreCanvas>("Picture1");
        QTest::keyClick(canvas, Qt::Key_Z); // whole note
        QCOMPARE(f.editor.palette.NoteLen, 32);
        QCOMPARE(f.find<QLabel>("Label1")->text(), QStringLiteral("全"));
        QTest::keyClick(canvas, Qt::Key_C); // quarter note
        QCOMPARE(f.editor.palette.NoteLen, 8);
        QCOMPARE(f.find<QLabel>("Label1")->text(), QStringLiteral("４"));
    }

    // A list closed with Esc, without a choice, must leave the keyboard on its drop-down:
    // the next arrow key changes the instrument, tempo or time signature, not the part.
    void aListClosedWithEscapeKeepsTheFocusOnItsDropDown() {
        Fixture f;
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        for (const char* name : {"Combo1", "Combo2", "Combo5"}) {
            auto* box = f.find<QComboBox>(name);
            box->setFocus();
            const int before = box->currentIndex();
            box->showPopup();
            QTRY_VERIFY(box->view()->isVisible());
            QTest::keyClick(box->view(), Qt::Key_Escape);
            QTRY_VERIFY(!box->view()->isVisible());
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            QCOMPARE(int(f.song->CurPart), 0);
            QVERIFY2(box->currentIndex() != before, name);
        }
    }

    void dropDownsPassLettersToTheKeyboardCommands() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        auto* program = f.find<QComboBox>("Combo1");
        program->setFocus();
        QTest::keyClick(program, Qt::Key_V); // eighth note, not a jump in the program list
        QCOMPARE(f.editor.palette.NoteLen, 4);
        QCOMPARE(program->currentIndex(), 0);
    }

    void exportWritesTheWholeSongFromMeasureOne() {
        Fixture f;
        test::putNote(*f.song, 28, 0, 8);
        f.find<QScrollBar>("HScroll1")->setValue(7);
        const QString path = QString::fromStdString((f.tmp.path() / "out.mid").string());
        QVERIFY(f.window->exportMidi(path));
        QCOMPARE(f.editor.view.FirstMeasure, 1);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("MThd"));
        QCOMPARE(int(bytes[11]), 2);                                 // conductor and part 1
        QCOMPARE(f.song->part.Grid(28, 0) & cell::Head, cell::Head); // part reloaded
    }

    void failedExportReportsAndKeepsTheSong() {
        Fixture f;
        test::putNote(*f.song, 28, 0, 8);
        QTimer::singleShot(0, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w)) {
                    QCOMPARE(box->text(), QStringLiteral("Midi@保存できません"));
                    box->accept();
                }
        });
        QVERIFY(!f.window->exportMidi(QStringLiteral("/nonexistent-folder/out.mid")));
        QCOMPARE(f.song->part.PartLen, 8);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
