#include "editor/lanes/LaneLine.h"
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

    // The line's step is taken from the segment's geometry; it must be what scanning the
    // painted segment for its first black twip in the probe column finds.
    void lineStepMatchesThePaintedSegment() {
        const ColorTable colors = defaultColorTable();
        std::mt19937 rng(11);
        auto any = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        for (double tpp : {15.0, 12.0, 7.5}) {
            ViewState v;
            v.TwipsPerPixel = tpp;
            QImage image(640, 400, QImage::Format_RGB32);
            v.ScaleWidth = image.width() * tpp;
            v.ScaleHeight = image.height() * tpp;
            int mismatches = 0;
            for (int i = 0; i < 300; ++i) {
                const int x0 = any(0, int(v.ScaleWidth)), y0 = any(-7, int(v.ScaleHeight));
                const double x1 = any(0, int(v.ScaleWidth)), y1 = any(0, int(v.ScaleHeight));
                const int xp = x0 + (x1 > x0 ? 1 : -1) * any(30, 600);
                DrawList segment;
                segment.line(float(x0), float(y0), float(x1), float(y1), kBlack, 1);
                image.fill(Qt::white);
                QPainter p(&image);
                ui::ScoreCanvas::paintList(p, segment, colors, 1.0 / tpp);
                p.end();
                int first = nearest(v.ScaleHeight);
                const int col = pixelOf(xp, tpp);
                for (int y = 0; y < v.ScaleHeight && col >= 0 && col < image.width(); ++y) {
                    const int row = pixelOf(y, tpp);
                    if (row < image.height() && image.pixelColor(col, row) == Qt::black) {
                        first = y;
                        break;
                    }
                }
                if (lineStep(v, x0, y0, x1, y1, xp) != first - y0) {
                    ++mismatches;
                    qInfo() << "tpp" << tpp << "segment" << x0 << y0 << x1 << y1 << "probe" << xp
                            << "core" << lineStep(v, x0, y0, x1, y1, xp) << "painted" << first - y0;
                }
            }
            QCOMPARE(mismatches, 0);
        }
    }
};

QTEST_MAIN(LaneScreenTest)
#include "LaneScreenTest.moc"
