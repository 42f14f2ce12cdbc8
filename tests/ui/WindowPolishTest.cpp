// What a user sees: readable lists, texts that fit, Japanese dialogs, the tuplet mode,
// a window that cannot shrink below its controls.
#include "WindowFixture.h"
#include "editor/session/SongReset.h"
#include "midi/LiveMidiOut.h"
#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "platform/IconvShiftJis.h"
#include "support/FakeMidiFilePlayer.h"
#include "support/FakeMidiOut.h"
#include "support/FakePrompts.h"
#include "support/FakeWaveRecorder.h"
#include "support/FakeWmaEncoder.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"
#include "ui/main/MainWindow.h"
#include "ui/support/Translations.h"
#include "ui/windows/KeyAssignWindow.h"
#include "ui/windows/RecordingWindow.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest/QtTest>

#include <memory>

using namespace zelk;

namespace {

struct Fixture : test::WindowFixture {};

// Texts of labels and buttons under root that are wider than the room their widget gives.
QStringList cutTexts(QWidget* root) {
    QStringList cut;
    for (QLabel* l : root->findChildren<QLabel*>()) {
        if (!l->isVisibleTo(root) || l->text().isEmpty() || l->wordWrap())
            continue;
        const int room = l->contentsRect().width() - 2 * l->margin() - l->indent();
        if (l->fontMetrics().horizontalAdvance(l->text()) > room)
            cut << l->objectName() + ": " + l->text();
    }
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(root) || b->text().isEmpty())
            continue;
        // The style's frame and a little room on each side of the caption.
        const int indicator = qobject_cast<QPushButton*>(b) ? 6 : 22;
        if (b->fontMetrics().horizontalAdvance(b->text()) + indicator > b->width())
            cut << b->objectName() + ": " + b->text();
    }
    for (QComboBox* c : root->findChildren<QComboBox*>()) {
        if (!c->isVisibleTo(root) || c->count() == 0)
            continue;
        // The longest item must show in the closed box, arrow included.
        int widest = 0;
        for (int i = 0; i < c->count(); ++i)
            widest = std::max(widest, c->fontMetrics().horizontalAdvance(c->itemText(i)));
        if (widest + 20 > c->width())
            cut << c->objectName() + ": " + QString::number(widest) + " > " +
                       QString::number(c->width());
    }
    // Children that stick out of their parent (a frame or the window).
    for (QWidget* w : root->findChildren<QWidget*>()) {
        QWidget* parent = w->parentWidget();
        if (!w->isVisibleTo(root) || !parent || w->isWindow() || qobject_cast<QMenu*>(w))
            continue;
        if (!parent->rect().contains(w->geometry()) && !w->objectName().isEmpty() &&
            !w->objectName().startsWith(QStringLiteral("qt_")))
            cut << w->objectName() + " sticks out of " + parent->objectName();
    }
    return cut;
}

} // namespace

class WindowPolishTest : public QObject {
    Q_OBJECT
private slots:
    void darkDropDownsOpenReadableLists() {
        Fixture f;
        for (const char* name : {"Combo5", "Combo6", "Combo7"}) {
            auto* box = f.find<QComboBox>(name);
            QVERIFY(box);
            box->showPopup();
            QAbstractItemView* view = box->view();
            QTRY_VERIFY(view->isVisible());
            const QImage shot = view->viewport()->grab().toImage();
            // Every item that is not the current one shows dark text on a light row.
            int seen = 0;
            for (int i = 0; i < box->count(); ++i) {
                if (i == box->currentIndex())
                    continue;
                const QRect r = view->visualRect(view->model()->index(i, 0)) & shot.rect();
                if (r.height() < 8)
                    continue;
                ++seen;
                int darkest = 255, lightest = 0;
                for (int x = r.left(); x <= r.right(); ++x)
                    for (int y = r.top(); y <= r.bottom(); ++y) {
                        const int l = shot.pixelColor(x, y).lightness();
                        darkest = std::min(darkest, l);
                        lightest = std::max(lightest, l);
                    }
                QVERIFY2(lightest > 180 && darkest < 100,
                         qPrintable(QStringLiteral("%1 item %2: %3..%4")
                                        .arg(name)
                                        .arg(i)
                                        .arg(darkest)
                                        .arg(lightest)));
            }
            box->hidePopup();
        }
    }

    void mainWindowTextsFit() {
        Fixture f;
        QStringList cut = cutTexts(f.window.get());
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
        f.find<QRadioButton>("Option1_9")->click(); // the rhythm part's drum labels
        cut = cutTexts(f.window.get());
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
    }

    void toolWindowTextsFit() {
        Fixture f;
        for (const char* action : {"Msyo", "Medit", "Mhyou", "Mtranspose"}) {
            f.window->findChild<QAction*>(action)->trigger();
        }
        for (QDialog* d : f.window->findChildren<QDialog*>()) {
            if (!d->isVisible())
                continue;
            const QStringList cut = cutTexts(d);
            QVERIFY2(cut.isEmpty(), qPrintable(d->objectName() + ": " + cut.join("; ")));
        }
    }

    void recordingWindowTextsFit() {
        Fixture f;
        LiveMidiOut live{f.midi};
        test::FakeMidiFilePlayer player;
        PlaybackState state;
        test::FakeWaveRecorder recorder;
        test::FakeWmaEncoder wma;
        test::FakePrompts prompts;
        ui::RecordingWindow window(
            {*f.song, f.editor, state, f.tmp.folder(), live, f.shiftJis, player}, recorder, wma,
            f.tmp.path(), prompts, {}, f.window.get());
        window.show();
        for (int format = 0; format < 2; ++format) {
            window.findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(format))->click();
            const QStringList cut = cutTexts(&window);
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
        }
    }

    void japaneseStandardButtons() {
        QVERIFY(ui::loadJapaneseTranslations(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("はい(&Y)"));
    }

    void exportFailureSaysWhichFileAndWhy() {
        Fixture f;
        QString text, detail;
        QTimer::singleShot(50, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            text = box->text();
            detail = box->informativeText();
            box->accept();
        });
        QVERIFY(!f.window->exportMidi(QStringLiteral("/nonexistent-folder/out.mid")));
        QCOMPARE(text, QStringLiteral("Midi@保存できません"));
        QVERIFY2(detail.startsWith(QStringLiteral("/nonexistent-folder/out.mid: ")),
                 qPrintable(detail));
    }

    void tupletButtonShowsTheModeThroughUndo() {
        Fixture f;
        auto* tuplet = f.find<QPushButton>("Command5");
        QVERIFY(tuplet->isCheckable());
        QVERIFY(!tuplet->isChecked());
        tuplet->click();
        QVERIFY(tuplet->isChecked());
        QCOMPARE(int(f.editor.palette.TupletMode), 1);
        tuplet->click();
        QVERIFY(!tuplet->isChecked());
    }

    void windowCannotShrinkBelowItsControls() {
        Fixture f;
        f.window->resize(300, 200);
        QTRY_VERIFY(f.window->width() >= f.window->minimumWidth());
        const QRect form = f.window->centralWidget()->rect();
        for (const char* name : {"Command7", "Command8", "Option1_15", "Combo1", "Combo4"}) {
            auto* w = f.window->findChild<QWidget*>(name);
            QVERIFY(w);
            QVERIFY2(form.contains(w->geometry()), name);
        }
    }
};

QTEST_MAIN(WindowPolishTest)
#include "WindowPolishTest.moc"
