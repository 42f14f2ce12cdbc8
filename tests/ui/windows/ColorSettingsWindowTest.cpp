#include "ui/windows/ColorSettingsWindow.h"
#include "editor/session/SongReset.h"
#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "platform/IconvShiftJis.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"
#include "ui/WindowFixture.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ScoreCanvas.h"

#include <QComboBox>
#include <QPushButton>
#include <QtTest/QtTest>

#include <memory>

using namespace zelk;

namespace {

struct Fixture : test::WindowFixture {
    ui::ColorSettingsWindow* open() {
        window->menus().Moption->trigger();
        return window->colorWindow();
    }
    // A canvas pixel away from every grid line.
    QColor canvasPixel() {
        auto* canvas = window->findChild<ui::ScoreCanvas*>("Picture1");
        return canvas->grab().toImage().pixelColor(3, 3);
    }
};

} // namespace

class ColorSettingsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void aChoiceRecoloursTheCanvasAtOnceAndDefaultRestoresIt() {
        Fixture f;
        QCOMPARE(f.canvasPixel(), QColor(255, 255, 255));
        ui::ColorSettingsWindow* w = f.open();
        QVERIFY(w && w->isVisible() && !w->isModal());
        QCOMPARE(w->windowTitle(), QStringLiteral("色設定"));
        w->list(ColorRed, 1)->setCurrentIndex(10);
        w->list(ColorBlue, 1)->setCurrentIndex(0);
        QCOMPARE(f.colors.ColorR[1], uint8_t(10));
        QCOMPARE(f.canvasPixel(), QColor(10, 255, 0));
        w->list(ColorGreen, 0)->setCurrentIndex(3);
        QCOMPARE(f.window->findChild<QWidget*>("Frame1")->palette().color(QPalette::Window).green(),
                 3);

        w->findChild<QPushButton*>("Command2")->click();
        QCOMPARE(f.colors, defaultColorTable());
        QCOMPARE(f.canvasPixel(), QColor(255, 255, 255));
        QCOMPARE(w->list(ColorRed, 16)->currentIndex(), 150);
        QCOMPARE(w->list(ColorRed, 17)->currentIndex(), 100);
    }

    void barColoursNeverTakeRedZero() {
        Fixture f;
        ui::ColorSettingsWindow* w = f.open();
        w->list(ColorRed, 16)->setCurrentIndex(0);
        QCOMPARE(f.colors.ColorR[16], uint8_t(1));
        QCOMPARE(w->list(ColorRed, 16)->currentIndex(), 0);
        w->list(ColorRed, 0)->setCurrentIndex(0);
        QCOMPARE(f.colors.ColorR[0], uint8_t(0));
        w->list(ColorGreen, 17)->setCurrentIndex(0);
        QCOMPARE(f.colors.ColorG[17], uint8_t(0));
    }

    void reopeningShowsTheTableAndPresettingChangesNothing() {
        Fixture f;
        ui::ColorSettingsWindow* w = f.open();
        w->list(ColorRed, 16)->setCurrentIndex(0); // stored as 1
        w->close();
        f.colors.ColorB[5] = 77; // as read from the settings file
        const ColorTable before = f.colors;
        f.open();
        QCOMPARE(f.colors, before);
        QCOMPARE(w->list(ColorBlue, 5)->currentIndex(), 77);
        QCOMPARE(w->list(ColorRed, 16)->currentIndex(), 1);
    }

    void editingGoesOnWhileTheWindowIsOpen() {
        Fixture f;
        ui::ColorSettingsWindow* w = f.open();
        QVERIFY(w->isVisible());
        auto* canvas = f.window->findChild<ui::ScoreCanvas*>("Picture1");
        const double tpp = canvas->twipsPerPixel();
        const QPoint at(int((2.5 * f.editor.view.ColWidth) / tpp),
                        int((14 * f.editor.view.RowHeight) / tpp));
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, at);
        QVERIFY(f.song->part.Grid(28, 2) != 0);
        QVERIFY(w->isVisible());
    }
};

QTEST_MAIN(ColorSettingsWindowTest)
#include "ColorSettingsWindowTest.moc"
