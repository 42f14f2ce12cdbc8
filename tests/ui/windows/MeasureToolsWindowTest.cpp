// The measure copy and measure edit windows in the real main window.
#include "editor/session/SongReset.h"
#include "model/Cell.h"
#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "platform/IconvShiftJis.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"
#include "ui/WindowFixture.h"
#include "ui/main/MainWindow.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QtTest>

#include <memory>

using namespace zelk;

namespace {

struct Fixture : test::WindowFixture {
    Fixture() : WindowFixture([](Song& s) { test::putNote(s, 28, 0, 8); }) {}
    explicit Fixture(const std::function<void(Song&)>& prepare) : WindowFixture(prepare) {}
    QDialog* open(const char* action, const char* form) {
        window->findChild<QAction*>(action)->trigger();
        return window->findChild<QDialog*>(form);
    }
    QComboBox* combo5() { return window->findChild<QComboBox*>("Combo5"); }
};

void choose(QDialog* d, const char* name, int index) {
    auto* box = d->findChild<QComboBox*>(name);
    QVERIFY(box);
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void click(QDialog* d, const char* name) {
    auto* b = d->findChild<QAbstractButton*>(name);
    QVERIFY(b);
    b->click();
}

} // namespace

class MeasureToolsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void copyWindowCopiesAMeasureAndHoldsTheTimeSignature() {
        Fixture f;
        QDialog* d = f.open("Msyo", "Form2");
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->windowTitle(), QStringLiteral("小節コピー・クリア"));
        QVERIFY(!f.combo5()->isEnabled());
        choose(d, "Combo1_2", 2); // to measure 3
        QCOMPARE(d->findChild<QLineEdit*>("Text1")->text(), QStringLiteral("3"));
        click(d, "Command1");
        QVERIFY(f.song->part.Grid(28, 64) & cell::Head);
        QVERIFY(f.window->windowTitle().contains(QStringLiteral("3小節目")));
        QVERIFY(f.window->menus().Mundo->isEnabled());
        click(d, "Command2");
        QVERIFY(!d->isVisible());
        QVERIFY(f.combo5()->isEnabled());
    }

    void clearModeHidesTheDestinationAndRenamesTheRange() {
        Fixture f;
        QDialog* d = f.open("Msyo", "Form2");
        click(d, "Option2_1");
        QCOMPARE(d->findChild<QGroupBox*>("Frame1")->title(), QStringLiteral("クリア範囲"));
        QCOMPARE(d->findChild<QLabel*>("Label8")->text(), QStringLiteral("クリア先"));
        QVERIFY(!d->findChild<QLineEdit*>("Text1")->isVisible());
        QVERIFY(!d->findChild<QComboBox*>("Combo1_4")->isVisible());
        click(d, "Command1");
        QCOMPARE(f.song->part.Grid(28, 0), 0);
        click(d, "Option2_0");
        QCOMPARE(d->findChild<QLabel*>("Label8")->text(), QStringLiteral("コピー元"));
        QVERIFY(d->findChild<QLineEdit*>("Text1")->isVisible());
    }

    void measureEditShiftsAnOctaveAndSetsTheLoop() {
        Fixture f;
        QDialog* d = f.open("Medit", "Form5");
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->windowTitle(), QStringLiteral("小節編集"));
        QVERIFY(!f.combo5()->isEnabled());
        QCOMPARE(d->findChild<QComboBox*>("Combo1_1")->currentText(), QStringLiteral("100"));
        choose(d, "Combo1_3", 1); // 下げる
        click(d, "Command2");
        QVERIFY(f.song->part.Grid(35, 0) & cell::Head);
        QCOMPARE(int(f.song->Dirty), 1);
        choose(d, "Combo4", 11);
        click(d, "Command4");
        QCOMPARE(d->findChild<QLabel*>("Label6")->text(), QStringLiteral("12小節に設定中"));
        click(d, "Command5");
        QCOMPARE(d->findChild<QLabel*>("Label6")->text(), QStringLiteral("設定なし"));
        choose(d, "Combo2", 6); // Tem.
        QCOMPARE(d->findChild<QComboBox*>("Combo1_1")->count(), 301);
        QCOMPARE(d->findChild<QComboBox*>("Combo1_1")->currentText(), QStringLiteral("120"));
        click(d, "Option1_1");
        QCOMPARE(d->findChild<QLabel*>("Label5")->text(), QStringLiteral("加算する"));
        click(d, "Command3");
        QVERIFY(f.combo5()->isEnabled());
    }

    // New, Open, a drop, a reset or undo lowered the measure count while the modeless windows
    // kept their lists; picking a measure past the end threw out of a Qt slot.
    void staleMeasureListsFollowTheSongsMeasureCount() {
        Fixture f([](Song& s) {
            s.MeasureLen.assign(2400, 4); // 1/8 everywhere
            s.resetKeySignatures();
            test::putNote(s, 28, 0, 4);
        });
        QDialog* copy = f.open("Msyo", "Form2");
        QDialog* edit = f.open("Medit", "Form5");
        QCOMPARE(copy->findChild<QComboBox*>("Combo1_0")->count(), 2400);
        choose(copy, "Combo1_0", 2000);
        choose(edit, "Combo4", 2300);
        f.action("Mnew")->trigger();
        QCOMPARE(f.song->MeasureCount(), 300);
        for (const char* name : {"Combo1_0", "Combo1_1", "Combo1_2"})
            QCOMPARE(copy->findChild<QComboBox*>(name)->count(), 300);
        for (const char* name : {"Combo3_0", "Combo3_1", "Combo4"})
            QCOMPARE(edit->findChild<QComboBox*>(name)->count(), 300);
        QCOMPARE(edit->findChild<QComboBox*>("Combo4")->currentIndex(), 299);
        click(edit, "Command4");
        QCOMPARE(f.song->LoopMeasure, 299);
        click(copy, "Command1"); // measure 300 onto itself: nothing to refuse, nothing thrown
        QVERIFY(copy->isVisible());
    }

    void enterInAToolWindowChangesNothing() {
        Fixture f;
        for (auto [action, form] : {std::pair{"Medit", "Form5"}, std::pair{"Msyo", "Form2"}}) {
            QDialog* d = f.open(action, form);
            for (QPushButton* b : d->findChildren<QPushButton*>())
                QVERIFY2(!b->autoDefault() && !b->isDefault(), qPrintable(b->objectName()));
            QTest::keyClick(d, Qt::Key_Return);
            QTest::keyClick(d, Qt::Key_Enter);
            QVERIFY(f.song->part.Grid(28, 0) & cell::Head);
            QCOMPARE(f.song->undo.SnapshotNo, 0);
            QCOMPARE(int(f.song->Dirty), 0);
        }
    }
};

QTEST_MAIN(MeasureToolsWindowTest)
#include "MeasureToolsWindowTest.moc"
