// What the score shows besides the part being edited: other parts as ghost notes, the
// measure numbers and pitch ruler, and the pointer read-out in the status bar.
#include "editor/view/ScoreLabels.h"
#include "model/Song.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ScoreCanvas.h"
#include "ui/windows/GhostPartsWindow.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

namespace zelk::ui {

void MainWindow::connectViewOptions() {
    readout_ = new QLabel(statusBar());
    readout_->setObjectName(QStringLiteral("PointerReadout"));
    statusBar()->addWidget(readout_, 1);
    statusBar()->setSizeGripEnabled(false);
    m_.Mghost->setChecked(ghostsShown_);
    connect(m_.Mghost, &QAction::toggled, this, [this](bool on) {
        ghostsShown_ = on;
        redraw();
    });
    connect(m_.MghostParts, &QAction::triggered, this, [this] {
        GhostPartsWindow window(ghostParts_, this);
        window.exec();
        ghostParts_ = window.parts();
        redraw();
        c_.Picture1->setFocus();
    });
    connect(c_.Picture1, &ScoreCanvas::moved, this,
            [this](double x, double y, Qt::MouseButtons, Qt::KeyboardModifiers) {
                showPointerReadout(x, y);
            });
}

ScoreExtras MainWindow::scoreExtras() {
    ScoreExtras extras;
    extras.labels = true;
    extras.selection = &ctx_.editor.selection;
    if (ctx_.editor.step.on)
        extras.entryColumn = ctx_.editor.step.column;
    if (ghostsShown_) {
        ghosts_.refresh(ctx_.folder, ctx_.song.CurPart);
        ghostLayer_.emplace(ghosts_, ghostParts_);
        extras.ghosts = &*ghostLayer_;
    }
    return extras;
}

void MainWindow::showPointerReadout(double x, double y) {
    const bool score = ctx_.editor.palette.InputScreen == ScreenScore;
    const auto text = score ? pointerReadout(ctx_.song, ctx_.editor.palette, ctx_.editor.view, x, y)
                            : std::nullopt;
    readout_->setText(text ? QString::fromStdString(*text) : QString());
}

} // namespace zelk::ui
