// Notes selected on the score with the mouse and edited with the keys, the edit menu and
// the transposition window.
#include "editor/view/ColorTable.h"
#include "model/Cell.h"
#include "model/Song.h"
#include "ui/WindowFixture.h"
#include "ui/main/ScoreCanvas.h"
#include "ui/windows/TransposeWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QtTest/QtTest>

using namespace zelk;

namespace {

struct Fixture : test::WindowFixture {
    Fixture() {
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCursor::setPos(window->mapToGlobal(QPoint(-50, -50))); // off the score
    }
    ui::ScoreCanvas* canvas() { return find<ui::ScoreCanvas>("Picture1"); }
    // The pixel of column `col`'s middle on the middle band's row offset `offset`.
    QPoint at(double col, int offset) {
        const double tpp = canvas()->twipsPerPixel();
        return {int((col + 0.5) * editor.view.ColWidth / tpp),
                int(offset * editor.view.RowHeight / tpp)};
    }
    // A quarter note (8 columns) by a plain click; offset 14 is row 28 (middle C).
    void place(int col, int offset) {
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, at(col, offset));
    }
    bool headAt(int row, int col) const { return (song->part.Grid(row, col) & cell::Head) != 0; }
    size_t items(DrawKind kind, uint8_t color, const DrawList& list) const {
        return size_t(std::count_if(list.items.begin(), list.items.end(), [&](const DrawItem& i) {
            return i.kind == kind && i.color == color;
        }));
    }
    void ctrlDrag(QPoint from, QPoint to) {
        QTest::mousePress(canvas(), Qt::LeftButton, Qt::ControlModifier, from);
        QTest::mouseMove(canvas(), to);
        QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::ControlModifier, to);
    }
};

} // namespace

class SelectionWindowTest : public QObject {
    Q_OBJECT
private slots:
    void ctrlDragSelectsAndDelDeletes() {
        Fixture f;
        f.place(0, 14);
        f.place(8, 12);
        f.place(24, 14);
        QVERIFY(!f.window->menus().Mdelete->isEnabled());
        // A band over the first two heads only.
        f.ctrlDrag(f.at(-0.4, 11), f.at(16, 15));
        QCOMPARE(f.editor.selection.notes.size(), size_t(2));
        QCOMPARE(f.items(DrawKind::Frame, kSelectionColor, f.window->drawList()), size_t(2));
        QVERIFY(f.window->selectionGesture().items.empty()); // the band went with the release
        QVERIFY(f.window->menus().Mdelete->isEnabled());
        QTest::keyClick(f.canvas(), Qt::Key_Delete);
        QVERIFY(!f.headAt(28, 0));
        QVERIFY(!f.headAt(26, 8));
        QVERIFY(f.headAt(28, 24));
        QCOMPARE(f.song->part.PartLen, 32);
        QCOMPARE(f.song->Dirty, uint8_t(1));
        QVERIFY(f.editor.selection.empty());
        QCOMPARE(f.items(DrawKind::Frame, kSelectionColor, f.window->drawList()), size_t(0));
        QTest::keyClick(f.canvas(), Qt::Key_Z, Qt::ControlModifier); // one step back
        QVERIFY(f.headAt(28, 0));
        QVERIFY(f.headAt(26, 8));
    }

    void bandIsDrawnWhileTheButtonIsHeld() {
        Fixture f;
        f.place(0, 14);
        QTest::mousePress(f.canvas(), Qt::LeftButton, Qt::ControlModifier, f.at(0, 10));
        QTest::mouseMove(f.canvas(), f.at(6, 16));
        QCOMPARE(f.items(DrawKind::Frame, kSelectionColor, f.window->selectionGesture()),
                 size_t(1));
        QTest::mouseRelease(f.canvas(), Qt::LeftButton, Qt::ControlModifier, f.at(6, 16));
        QVERIFY(f.window->selectionGesture().items.empty());
        QCOMPARE(f.editor.selection.notes.size(), size_t(1));
        // A plain click elsewhere clears the selection and places a note as always.
        f.place(16, 14);
        QVERIFY(f.editor.selection.empty());
        QVERIFY(f.headAt(28, 16));
    }

    void copyAndPasteIntoAnotherPart() {
        Fixture f;
        f.place(0, 14);
        f.place(8, 13);
        QTest::keyClick(f.canvas(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.editor.selection.notes.size(), size_t(2));
        QTest::keyClick(f.canvas(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(f.window->menus().Mpaste->isEnabled());
        f.find<QRadioButton>("Option1_1")->click();
        QCOMPARE(int(f.song->CurPart), 1);
        QVERIFY(f.editor.selection.empty());         // the selection was the first part's
        f.find<QScrollBar>("HScroll1")->setValue(3); // the paste goes to the first shown column
        const int32_t first = f.editor.view.ViewCol;
        QTest::keyClick(f.canvas(), Qt::Key_V, Qt::ControlModifier);
        QVERIFY(f.headAt(28, first));
        QVERIFY(f.headAt(27, first + 8));
        QCOMPARE(f.song->part.PartLen, first + 16);
        QCOMPARE(f.editor.selection.notes.size(), size_t(2)); // the pasted notes
        f.find<QRadioButton>("Option1_0")->click(); // the copied notes stayed where they were
        QVERIFY(f.headAt(28, 0));
        QVERIFY(f.headAt(27, 8));
    }

    void pasteGoesUnderThePointer() {
        Fixture f;
        f.place(0, 14);
        QTest::mouseClick(f.canvas(), Qt::LeftButton, Qt::ControlModifier, f.at(0, 14));
        QTest::keyClick(f.canvas(), Qt::Key_X, Qt::ControlModifier);
        QVERIFY(!f.headAt(28, 0));
        QTest::mouseMove(f.canvas(), f.at(20, 5));
        QTest::keyClick(f.canvas(), Qt::Key_V, Qt::ControlModifier);
        QVERIFY(f.headAt(28, 20));
    }

    void dragMovesTheSelection() {
        Fixture f;
        f.place(0, 14);
        QTest::mouseClick(f.canvas(), Qt::LeftButton, Qt::ControlModifier, f.at(0, 14));
        QCOMPARE(f.editor.selection.notes.size(), size_t(1));
        // Right by a little more than a quarter note and two rows up: one quarter, two steps.
        QTest::mousePress(f.canvas(), Qt::LeftButton, Qt::NoModifier, f.at(0, 14));
        QTest::mouseMove(f.canvas(), f.at(9, 12));
        QCOMPARE(f.items(DrawKind::Frame, kSelectionColor, f.window->selectionGesture()),
                 size_t(1));
        QVERIFY(f.headAt(28, 0)); // nothing moves before the release
        QTest::mouseRelease(f.canvas(), Qt::LeftButton, Qt::NoModifier, f.at(9, 12));
        QVERIFY(!f.headAt(28, 0));
        QVERIFY(f.headAt(26, 8));
        QVERIFY(f.window->selectionGesture().items.empty());
        QCOMPARE(f.editor.selection.notes.size(), size_t(1)); // it stays selected
        // Ctrl+Up is one step higher, the arrow keys a quarter note.
        QTest::keyClick(f.canvas(), Qt::Key_Up, Qt::ControlModifier);
        QTest::keyClick(f.canvas(), Qt::Key_Right);
        QVERIFY(f.headAt(25, 16));
        QCOMPARE(int(f.song->CurPart), 0); // not a part switch
    }

    void transposeWindowRespellsAndSetsTheVelocity() {
        Fixture f;
        f.place(0, 14);
        QTest::keyClick(f.canvas(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        f.window->menus().Mtranspose->trigger();
        auto* window = f.window->findChild<ui::TransposeWindow*>();
        QVERIFY(window && window->isVisible());
        auto* amount = window->findChild<QComboBox*>(QStringLiteral("Combo1"));
        amount->setCurrentIndex(amount->findText(QStringLiteral("+2")));
        window->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        QVERIFY(f.headAt(27, 0)); // C up a whole tone is D
        auto* op = window->findChild<QComboBox*>(QStringLiteral("Combo2"));
        op->setCurrentIndex(1);
        emit op->activated(1);
        auto* value = window->findChild<QSpinBox*>(QStringLiteral("Text1"));
        QCOMPARE(value->maximum(), 400);
        value->setValue(50);
        window->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
        QCOMPARE(int(f.song->part.VelLane[0]), 50);
        f.window->menus().Mundo->trigger(); // the velocity alone goes back
        QCOMPARE(int(f.song->part.VelLane[0]), 100);
        QVERIFY(f.headAt(27, 0));
    }
};

QTEST_MAIN(SelectionWindowTest)
#include "SelectionWindowTest.moc"
