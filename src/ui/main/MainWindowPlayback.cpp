// The play button, Timer1's watch and the play-position line.
#include "editor/transport/Playback.h"
#include "ports/MidiFilePlayer.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ScoreCanvas.h"
#include "ui/support/WidgetText.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace zelk::ui {
namespace {

// About the display's refresh rate: the line moves smoothly, the UI thread stays mostly idle.
constexpr int kLineInterval = 16;

} // namespace

void MainWindow::connectPlayback() {
    const bool available = ctx_.live != nullptr && ctx_.player != nullptr;
    c_.Command4->setEnabled(available);
    if (!available)
        return;
    timer1_ = new QTimer(this);
    timer1_->setTimerType(Qt::PreciseTimer);
    lineTimer_ = new QTimer(this);
    lineTimer_->setInterval(kLineInterval);
    c_.Picture1->setOverlay(&playLine_);
    connect(c_.Command4, &QPushButton::clicked, this, &MainWindow::playStop);
    m_.Mloop->setEnabled(true);
    m_.Mseam->setEnabled(true);
    connect(m_.Mloop, &QAction::toggled, this,
            [this](bool on) { ctx_.editor.palette.LoopPlayback = on; });
    connect(m_.Mseam, &QAction::triggered, this, &MainWindow::seamAudition);
    connect(timer1_, &QTimer::timeout, this, &MainWindow::onTimer1);
    connect(lineTimer_, &QTimer::timeout, this, &MainWindow::movePlayLine);
}

PlaybackContext MainWindow::playbackContext() {
    return PlaybackContext{ctx_.song,  ctx_.editor,  playback_,    ctx_.folder,
                           *ctx_.live, ctx_.encoder, *ctx_.player, ctx_.routing};
}

void MainWindow::playStop() {
    if (ctx_.player == nullptr)
        return;
    PlaybackContext pc = playbackContext();
    showPlayback(Command4_Click(pc));
    c_.Picture1->setFocus();
}

void MainWindow::seamAudition() {
    if (ctx_.player == nullptr || playback_.playing)
        return;
    PlaybackContext pc = playbackContext();
    const PlaybackOutcome o = Maudition_Click(pc);
    if (o.positionChanged) {
        refreshControls();
        redraw();
    }
    showPlayback(o);
    c_.Picture1->setFocus();
}

void MainWindow::stopAndClose() {
    if (ctx_.player == nullptr)
        return;
    PlaybackContext pc = playbackContext();
    zelk::stopAndClose(pc);
    PlaybackOutcome ended;
    ended.controlsChanged = true;
    showPlayback(ended);
}

void MainWindow::onTimer1() {
    PlaybackContext pc = playbackContext();
    const PlaybackOutcome o = Timer1_Timer(pc);
    if (o.positionChanged) {
        refreshControls();
        redraw();
        movePlayLine();
    }
    if (o.controlsChanged)
        showPlayback(o);
}

void MainWindow::showPlayback(const PlaybackOutcome& o) {
    if (!o.message.empty()) {
        std::fprintf(stderr, "zelk: playback not started: %s\n", o.detail.c_str());
        prompts_.showMessage(kAppTitle, o.message, MessageIcon::Stop, o.detail);
    }
    const PlaybackControls on = playbackControls(ctx_.song, playback_);
    for (QMenu* menu : {m_.Mfile, m_.Mhen, m_.Mhelp}) {
        menu->setEnabled(on.menusEnabled);
        menu->menuAction()->setEnabled(on.menusEnabled);
    }
    m_.Mrec->setEnabled(on.menusEnabled && recordingAvailable());
    m_.Mseam->setEnabled(on.menusEnabled);
    for (QComboBox* box : {c_.Combo2, c_.Combo6, c_.Combo7})
        box->setEnabled(on.menusEnabled);
    c_.Combo5->setEnabled(on.menusEnabled && timeSignatureHolds_ == 0);
    c_.Combo1->setEnabled(on.programEnabled);
    c_.Command4->setText(qtText(playback_.Command4Caption));
    if (playback_.Timer1Interval > 0) {
        timer1_->start(playback_.Timer1Interval);
        lineTimer_->start();
    } else {
        timer1_->stop();
        lineTimer_->stop();
    }
    movePlayLine();
    if (!playback_.playing)
        openPendingHandOver();
}

void MainWindow::movePlayLine() {
    const QRect before = c_.Picture1->pixelBounds(playLine_);
    if (playback_.playing)
        DrawPlayPosition(ctx_.editor.view, heardColumn(playback_, ctx_.player->tick()), playLine_);
    else
        playLine_.clear();
    const QRect after = c_.Picture1->pixelBounds(playLine_);
    if (before != after) {
        c_.Picture1->update(before);
        c_.Picture1->update(after);
    }
}

} // namespace zelk::ui
