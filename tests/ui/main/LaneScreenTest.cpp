#include "editor/session/SongReset.h"
#include "editor/view/Nearest.h"
#include "midi/SmfReader.h"
#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "platform/IconvShiftJis.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"
#include "ui/WindowFixture.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ScoreCanvas.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QtTest/QtTest>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>

using namespace zelk;

namespace {

struct Fixture : test::WindowFixture {
    ui::ScoreCanvas* canvas() { return window->findChild<ui::ScoreCanvas*>("Picture1"); }
    QPointF at(double colCentre, double yTwips) {
        const double tpp = canvas()->twipsPerPixel();
        return {colCentre * editor.view.ColWidth / tpp, yTwips / tpp};
    }
    void send(QEvent::Type type, QPointF p, Qt::MouseButton b, Qt::MouseButtons held) {
        QMouseEvent e(type, p, canvas()->mapToGlobal(p), b, held, Qt::NoModifier);
        QApplication::sendEvent(canvas(), &e);
    }
};

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

class LaneScreenTest : public QObject {
    Q_OBJECT
private slots:
    void velocityDragOverANoteReachesTheMidiFile() {
        Fixture f;
        test::putNote(*f.song, 28, 2, 8);
        QCOMPARE(int(f.song->part.VelLane[2]), 100);
        f.window->findChild<QRadioButton*>("Option3_1")->click();
        QCOMPARE(f.window->findChild<QLabel*>("Label4")->text(), QStringLiteral("Vel."));
        const double y = 40.0 * f.editor.view.LaneScale + 1; // value 87
        f.send(QEvent::MouseButtonPress, f.at(1.5, y), Qt::LeftButton, Qt::LeftButton);
        f.send(QEvent::MouseMove, f.at(2.5, y), Qt::NoButton, Qt::LeftButton);
        f.send(QEvent::MouseMove, f.at(3.5, y), Qt::NoButton, Qt::LeftButton);
        f.send(QEvent::MouseButtonRelease, f.at(3.5, y), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(int(f.song->part.VelLane[2]), 87);
        QCOMPARE(int(f.song->part.VelLane[3]), 0);
        QCOMPARE(f.window->findChild<QLabel*>("Label10")->text(), QStringLiteral("87"));
        QCOMPARE(int(f.song->Dirty), 1);
        QVERIFY(f.window->menus().Mundo->isEnabled());

        const std::string path = (f.tmp.path() / "vel.mid").string();
        QVERIFY(f.window->exportMidi(QString::fromStdString(path)));
        const test::SmfFile smf = test::SmfReader(readAll(path)).read();
        QCOMPARE(int(smf.tracks.size()), 2);
        int velocity = -1;
        for (const test::SmfEvent& e : smf.tracks[1])
            if ((e.status() & 0xF0) == 0x90 && e.bytes.at(2) != 0)
                velocity = e.bytes.at(2);
        QCOMPARE(velocity, 87);
    }

    void rightDragShowsTheLineUntilRelease() {
        Fixture f;
        f.window->findChild<QRadioButton*>("Option3_3")->click();
        const double y0 = 1000, y1 = 3000;
        f.send(QEvent::MouseButtonPress, f.at(0.5, y0), Qt::RightButton, Qt::RightButton);
        QCOMPARE(f.window->rubberBand().items.size(), size_t(1));
        f.send(QEvent::MouseMove, f.at(5.5, y1), Qt::NoButton, Qt::RightButton);
        QCOMPARE(f.window->rubberBand().items.at(0).y2,
                 float(f.at(5.5, y1).y() * f.canvas()->twipsPerPixel()));
        QCOMPARE(int(f.song->part.ModLane[0]), 0);
        f.send(QEvent::MouseButtonRelease, f.at(5.5, y1), Qt::RightButton, Qt::NoButton);
        QVERIFY(f.window->rubberBand().items.empty());
        QVERIFY(f.song->part.ModLane[0] > f.song->part.ModLane[5]);
        QVERIFY(f.song->part.ModLane[5] > 0);
        QCOMPARE(int(f.song->part.ModLane[6]), 0);
    }

    // LaneScale came from the height the layout asked for, then the canvas got a whole
    // number of pixels: the bars and the pointer mapping used different heights.
    void laneScaleComesFromTheCanvasAsLaidOut() {
        Fixture f;
        for (int height : {600, 613, 777, 901}) {
            f.window->resize(f.window->width(), height);
            QCoreApplication::processEvents();
            const double laidOut = f.canvas()->scaleHeight();
            QCOMPARE(f.editor.view.ScaleHeight, laidOut);
            QCOMPARE(int(f.editor.view.LaneScale), std::clamp(nearest(laidOut) / 127, 1, 255));
        }
    }

    // The written line follows the rubber band the user saw: its first column takes the
    // value at the band's start, its last the value at the band's end, at every zoom.
    void theLineWrittenEndsAtTheRubberBandsOwnEndPoints() {
        Fixture f;
        f.window->findChild<QRadioButton*>("Option3_4")->click(); // Exp.
        std::mt19937 rng(11);
        auto any = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        for (int shown = 1; shown <= 7; ++shown) {
            f.action(QStringLiteral("Mkakudai_%1").arg(shown).toLatin1().constData())->trigger();
            const ViewState& v = f.editor.view;
            QCOMPARE(int(v.ShownMeasures), shown);
            for (int i = 0; i < 20; ++i) {
                const int c0 = any(0, v.ShownCols - 1), c1 = any(0, v.ShownCols - 1);
                const double y0 = any(0, int(v.ScaleHeight)),
                             y1 = any(-300, int(v.ScaleHeight) + 300);
                f.song->part.ExpLane.fill(0);
                f.send(QEvent::MouseButtonPress, f.at(c0 + 0.5, y0), Qt::RightButton,
                       Qt::RightButton);
                f.send(QEvent::MouseMove, f.at(c1 + 0.5, y1), Qt::NoButton, Qt::RightButton);
                const DrawItem band = f.window->rubberBand().items.at(0);
                f.send(QEvent::MouseButtonRelease, f.at(c1 + 0.5, y1), Qt::RightButton,
                       Qt::NoButton);
                const auto valueAt = [&](double y) {
                    return std::clamp(127 - nearest(y) / int(v.LaneScale), 0, 127);
                };
                // A line within one column writes its release height.
                QCOMPARE(int(f.song->part.ExpLane[c0]), valueAt(c0 == c1 ? band.y2 : band.y1));
                QCOMPARE(int(f.song->part.ExpLane[c1]), valueAt(band.y2));
                for (int c = std::min(c0, c1); c <= std::max(c0, c1); ++c) {
                    const int lo = std::min(valueAt(band.y1), valueAt(band.y2));
                    const int hi = std::max(valueAt(band.y1), valueAt(band.y2));
                    QVERIFY(f.song->part.ExpLane[c] >= lo && f.song->part.ExpLane[c] <= hi);
                }
            }
        }
    }
};

QTEST_MAIN(LaneScreenTest)
#include "LaneScreenTest.moc"
