#include "editor/view/ColorTable.h"
#include "ui/WindowFixture.h"
#include "ui/main/ScoreCanvas.h"

#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QtTest/QtTest>

using namespace zelk;

namespace {

struct Fixture : test::WindowFixture {
    ui::ScoreCanvas* canvas() { return find<ui::ScoreCanvas>("Picture1"); }
    void selectPart(int p) {
        find<QRadioButton>(QStringLiteral("Option1_%1").arg(p).toLatin1().constData())->click();
    }
    // A melody in part 1, a bass in part 2 and a pad in part 3, part 1 current.
    void writeThreeParts() {
        test::putNote(*song, 28, 0, 8); // C4
        selectPart(1);
        test::putNote(*song, 35, 8, 8); // C3
        selectPart(2);
        test::putNote(*song, 24, 16, 16); // G4
        selectPart(0);
    }
    // The canvas pixel in the middle of a column, a little below its row's centre line (a
    // staff line may run there), as drawn now.
    QColor pixelAt(int col, int row) {
        const EditorState& e = editor;
        const double tpp = canvas()->twipsPerPixel();
        const QImage image = canvas()->grab().toImage();
        const double x = (col + 0.5) * e.view.ColWidth / tpp;
        const double y = ((row - e.view.TopRow) * e.view.RowHeight + e.view.RowHeight / 5) / tpp;
        return image.pixelColor(qRound(x * image.devicePixelRatio()),
                                qRound(y * image.devicePixelRatio()));
    }
    QColor ghostOf(int part) {
        const Rgb c = paletteColor(colors, static_cast<uint8_t>(kGhostColor + part));
        return {c.r, c.g, c.b};
    }
};

} // namespace

class GhostNotesWindowTest : public QObject {
    Q_OBJECT
private slots:
    void otherPartsShowFaintlyInTheirHueAtEveryZoomAndBackground() {
        Fixture f;
        f.writeThreeParts();
        QAction* ghosts = f.action("Mghost");
        QVERIFY(ghosts->isCheckable());
        const QColor canvasBackground(f.colors.ColorR[1], f.colors.ColorG[1], f.colors.ColorB[1]);
        QCOMPARE(f.pixelAt(12, 35), canvasBackground); // off until asked for
        ghosts->trigger();
        for (int zoom : {1, 4}) {
            f.action(zoom == 1 ? "Mkakudai_1" : "Mkakudai_4")->trigger();
            for (bool dark : {false, true}) {
                f.colors = defaultColorTable();
                if (dark) {
                    f.colors.ColorR[1] = f.colors.ColorG[1] = 24;
                    f.colors.ColorB[1] = 32;
                }
                QCOMPARE(f.pixelAt(12, 35), f.ghostOf(1));
                QCOMPARE(f.pixelAt(20, 24), f.ghostOf(2));
                QVERIFY(f.ghostOf(1) != f.ghostOf(2));
                const QColor bg = f.pixelAt(12, 31);
                QCOMPARE(bg, QColor(f.colors.ColorR[1], f.colors.ColorG[1], f.colors.ColorB[1]));
                QVERIFY(f.pixelAt(4, 28) != f.ghostOf(0)); // the part's own note, not a ghost
            }
        }
        ghosts->trigger();
        QVERIFY(f.pixelAt(12, 35) != f.ghostOf(1));
    }

    void pointerReadoutNamesThePitchOrTheDrum() {
        Fixture f;
        auto* readout = f.find<QLabel>("PointerReadout");
        QVERIFY(readout);
        auto moveTo = [&](int col, int row) {
            const double tpp = f.canvas()->twipsPerPixel();
            const QPointF p((col + 0.5) * f.editor.view.ColWidth / tpp,
                            (row - f.editor.view.TopRow) * f.editor.view.RowHeight / tpp);
            QMouseEvent e(QEvent::MouseMove, p, f.canvas()->mapToGlobal(p), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(f.canvas(), &e);
        };
        moveTo(8, 28);
        QCOMPARE(readout->text(), QStringLiteral("C4  1:2"));
        f.selectPart(9); // the rhythm part
        moveTo(0, 38);
        QCOMPARE(readout->text(), QStringLiteral("ﾊｲﾊｯﾄ1 46  1:1"));
    }
};

QTEST_MAIN(GhostNotesWindowTest)
#include "GhostNotesWindowTest.moc"
