// Showing the song and the editor state in the main window's controls.
#include "editor/Palette.h"
#include "editor/view/ViewPosition.h"
#include "editor/view/WindowLayout.h"
#include "model/Song.h"
#include "ui/main/MainWindow.h"

#include "editor/session/SessionLife.h"
#include "ui/main/ScoreCanvas.h"
#include "ui/support/WidgetText.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

namespace zelk::ui {
namespace {

void setIndex(QComboBox* box, int index) {
    const QSignalBlocker block(box);
    box->setCurrentIndex(index);
}

QRect pixels(const Twips& tw, const TwipRect& r) {
    return tw.rect(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.width),
                   static_cast<int>(r.height));
}

} // namespace

void MainWindow::refreshControls() {
    const Song& song = ctx_.song;
    const EditorState& ed = ctx_.editor;
    const Palette& p = ed.palette;
    {
        const QSignalBlocker block(c_.HScroll1);
        c_.HScroll1->setRange(1, scrollMax(song));
        c_.HScroll1->setValue(ed.view.FirstMeasure);
    }
    setIndex(c_.Combo5, ed.signatures.Combo5Index);
    setIndex(c_.Combo6, ed.signatures.Combo6Index);
    setIndex(c_.Combo7, ed.signatures.Combo7Index);
    setIndex(c_.Combo2, song.TempoIndex);
    setIndex(c_.Combo1, song.part.PartProgram);
    setIndex(c_.Combo3, song.part.PartReverb);
    setIndex(c_.Combo4, song.part.PartChorus);
    c_.Label1->setText(QString::fromStdString(p.NoteLenText));
    c_.Label2->setText(qtText(accidentalText(p)));
    c_.Label4->setText(qtText(screenText(p)));
    c_.Label10->setText(QString::fromStdString(p.PointerText));
    c_.Label11->setText(qtText(hintText(p)));
    for (int i = 1; i <= 6; ++i)
        c_.Command1[static_cast<size_t>(i)]->setEnabled(noteButtonEnabled(p, i));
    for (size_t i = 0; i < c_.Option2.size(); ++i) {
        c_.Option2[i]->setEnabled(staffBandsEnabled(p));
        c_.Option2[i]->setChecked(i == p.StaffBand);
    }
    c_.Option3[p.InputScreen]->setChecked(true);
    c_.Command5->setChecked(p.TupletMode == 1);
    c_.Check2->setChecked(ctx_.editor.step.on);
    for (size_t i = 0; i < c_.Check1.size(); ++i)
        c_.Check1[i]->setChecked(p.PlayPart[i] == 1);
    c_.Option1[song.CurPart]->setChecked(true);
    m_.Mkakudai[ed.view.ShownMeasures]->setChecked(true);
    {
        const QSignalBlocker block(m_.Mloop);
        m_.Mloop->setChecked(p.LoopPlayback);
    }
    showTitle();
    if (song.MeasureCount() != shownMeasureCount_) {
        shownMeasureCount_ = song.MeasureCount();
        emit measureCountChanged();
    }
}

// The designed size, or smaller where a name is wider than its label on this screen.
void MainWindow::fitFont(QLabel* l, int pointSize) {
    QFont f = l->font();
    f.setPointSize(pointSize);
    while (f.pointSize() > 5 && QFontMetrics(f).horizontalAdvance(l->text()) > l->width())
        f.setPointSize(f.pointSize() - 1);
    l->setFont(f);
}

void MainWindow::restoreState(const StateFile& state) {
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect();
    const auto width = state.number("window.width", minimumWidth(), 100000);
    const auto height = state.number("window.height", minimumHeight(), 100000);
    if (width && height) // never larger than the screen it opens on now
        resize(screen.isEmpty() ? *width : std::min(*width, screen.width()),
               screen.isEmpty() ? *height : std::min(*height, screen.height()));
    if (const auto zoom = state.number("view.shownMeasures", 1, 7)) {
        Mkakudai_Click(ctx_.song, ctx_.editor.view, ctx_.editor.signatures, *zoom);
        refreshControls();
        relayout();
    }
    if (state.number("window.maximized", 0, 1) == 1)
        setWindowState(windowState() | Qt::WindowMaximized);
    if (const auto normalize = state.number("render.normalize", 0, 1))
        renderNormalize_ = *normalize == 1;
    readExtraKeys(state, ctx_.editor.keys);
    if (const auto ghosts = state.number("view.ghosts", 0, 1))
        m_.Mghost->setChecked(*ghosts == 1); // redraws through its handler
    if (const auto parts = state.number("view.ghostParts", 0, 0xFFFF))
        ghostParts_ = static_cast<uint16_t>(*parts);
}

void MainWindow::saveState(StateFile& state) const {
    const QSize size = isMaximized() ? normalGeometry().size() : this->size();
    state.set("window.width", size.width());
    state.set("window.height", size.height());
    state.set("window.maximized", isMaximized() ? 1 : 0);
    state.set("view.shownMeasures", ctx_.editor.view.ShownMeasures);
    state.set("render.normalize", renderNormalize_ ? 1 : 0);
    writeExtraKeys(state, ctx_.editor.keys);
    state.set("view.ghosts", ghostsShown_ ? 1 : 0);
    state.set("view.ghostParts", ghostParts_);
}

void MainWindow::showTitle() {
    QString title = QString::fromStdString(ctx_.editor.view.Title);
    if (backupFailed_)
        title += QStringLiteral(" (%1)").arg(
            QString::fromUtf8(kBackupFailedNote.data(), kBackupFailedNote.size()));
    setWindowTitle(title);
}

void MainWindow::relayout() {
    const auto layout = Form_Resize(ctx_.song, ctx_.editor.view, tw_.fromPx(form_->width()),
                                    tw_.fromPx(form_->height()), m_.Mfile->isEnabled());
    if (!layout)
        return;
    c_.Picture1->setGeometry(pixels(tw_, layout->canvas));
    c_.HScroll1->setGeometry(pixels(tw_, layout->scrollBar));
    // The core sized the canvas in twips; give it the size the pixels really have.
    setCanvasExtent(ctx_.editor.view, c_.Picture1->scaleWidth(), c_.Picture1->scaleHeight());
    ctx_.editor.view.TwipsPerPixel = c_.Picture1->twipsPerPixel();
    for (size_t p = 0; p < c_.Option1.size(); ++p)
        c_.Option1[p]->setStyleSheet(layout->partCaptionRed[p] ? QStringLiteral("color: red;")
                                                               : QString());
    c_.Combo1->setEnabled(layout->programEnabled);
    for (QPushButton* b : {c_.Command2[0], c_.Command2[1], c_.Command3})
        b->setEnabled(layout->accidentalsEnabled);
    for (size_t b = 0; b < c_.Label5.size(); ++b) {
        const DrumLabel& d = layout->drumLabels[b];
        QLabel* l = c_.Label5[b];
        l->setVisible(d.visible);
        if (!d.visible)
            continue;
        l->setText(qtText(d.caption));
        QRect r = tw_.rect(kDrumLabelLeft, d.top, kDrumLabelWidth, 240);
        r.moveBottom(std::min(r.bottom(), form_->height() - 1)); // the lowest one stays inside
        l->setGeometry(r);
        // The top one reaches up beside the readouts; drawn over them (only its text is
        // painted), it is not cut off.
        l->raise();
        fitFont(l, d.fontSize);
    }
    redraw();
}

void MainWindow::ApplyColors() {
    const ColorTable& t = ctx_.colors;
    const QColor back(t.ColorR[0], t.ColorG[0], t.ColorB[0]);
    QPalette pal = form_->palette();
    pal.setColor(QPalette::Window, back);
    form_->setPalette(pal);
    for (QWidget* w : std::initializer_list<QWidget*>{c_.Frame1, c_.Frame2, c_.Frame3, c_.Label3,
                                                      c_.Label6, c_.Label7, c_.Label11}) {
        w->setAutoFillBackground(true);
        w->setPalette(pal);
    }
    c_.Picture1->update(); // the draw list names colour entries; only the paint changes
}

} // namespace zelk::ui
