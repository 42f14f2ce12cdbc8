// The recording window and the help menu.
#include "ui/main/MainWindow.h"
#include "ui/main/ScoreCanvas.h"
#include "ui/windows/AboutWindow.h"
#include "ui/windows/RecordingWindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace zelk::ui {

bool MainWindow::recordingAvailable() const {
    return ctx_.live != nullptr && ctx_.player != nullptr && ctx_.recorder != nullptr &&
           ctx_.wma != nullptr;
}

void MainWindow::connectRecordingAndHelp() {
    m_.Mrec->setEnabled(recordingAvailable());
    connect(m_.Mrec, &QAction::triggered, this, &MainWindow::openRecordingWindow);
    m_.Mversion->setEnabled(true);
    connect(m_.Mversion, &QAction::triggered, this, [this] { AboutWindow(this).exec(); });
    m_.Mreadme->setEnabled(true);
    connect(m_.Mreadme, &QAction::triggered, this, [this] {
        if (!openHelpPage())
            prompts_.showMessage(kAppTitle, "readme.htmlを開けません", MessageIcon::Information,
                                 "no readme.html beside the program or in " ZELK_DATA_DIR);
    });
}

std::filesystem::path MainWindow::musicFolder() {
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty() || !QDir(music).exists())
        music = QDir::homePath();
    return std::filesystem::path(QFile::encodeName(music).toStdString());
}

void MainWindow::openRecordingWindow() {
    if (!recordingAvailable() || playback_.playing)
        return;
    RecordingWindow window(
        playbackContext(), *ctx_.recorder, *ctx_.wma, musicFolder(), prompts_,
        [this] {
            PlaybackOutcome changed;
            changed.controlsChanged = true;
            showPlayback(changed);
        },
        this);
    recordingOpen_ = true;
    window.exec();
    recordingOpen_ = false;
    c_.Picture1->setFocus();
    openPendingHandOver();
}

} // namespace zelk::ui
