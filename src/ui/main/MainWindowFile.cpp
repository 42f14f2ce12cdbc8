// The main window's File menu commands, drops, the backup timer and the close request.
#include "editor/session/MidiImportCommands.h"
#include "editor/session/SessionLife.h"
#include "editor/transport/RecordingTarget.h"
#include "midi/WriteMidiFile.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ScoreCanvas.h"
#include "ui/windows/SongSettingsWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace zelk::ui {
namespace {

constexpr int kBackupIntervalMs = 60'000;

int backupInterval() {
    const char* env = std::getenv("ZELK_BACKUP_MS");
    if (!env)
        return kBackupIntervalMs;
    const int ms = std::atoi(env);
    return ms > 0 ? ms : kBackupIntervalMs;
}

} // namespace

FileContext MainWindow::fileContext() {
    prompts_.setCurrentName(ctx_.song.FileName);
    return FileContext{ctx_.song,       ctx_.editor,   ctx_.folder, ctx_.midi,
                       ctx_.compressor, *filePrompts_, ctx_.recent, ctx_.decoder};
}

template <typename Command> void MainWindow::fileCommand(Command&& command) {
    FileContext fc = fileContext();
    showFileOutcome(command(fc));
    c_.Picture1->setFocus();
}

void MainWindow::showFileOutcome(const FileOutcome& o) {
    if (o.recentChanged)
        updateRecentMenu();
    if (o.songReplaced) {
        showSongReplaced();
        return;
    }
    if (o.titleChanged)
        showTitle();
}

void MainWindow::showSongReplaced() {
    updateRecentMenu();
    m_.Mundo->setEnabled(ctx_.editor.menus.Mundo);
    m_.Mrido->setEnabled(ctx_.editor.menus.Mrido);
    updateSelectionMenus();
    refreshControls();
    relayout();
}

void MainWindow::updateRecentMenu() {
    for (size_t i = 0; i < m_.Mrireki.size(); ++i) {
        const std::string& path = ctx_.recent[i];
        // Undecodable bytes show as the replacement character; the entry opens the bytes.
        m_.Mrireki[i]->setText(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
        m_.Mrireki[i]->setVisible(!path.empty());
    }
}

void MainWindow::connectFileMenu() {
    for (QAction* a : {m_.Mnew, m_.Mopen, m_.Mmidiopen, m_.Msave, m_.Masave, m_.Mset, m_.Mmidi})
        a->setEnabled(true);
    connect(m_.Mnew, &QAction::triggered, this,
            [this] { fileCommand([](FileContext& fc) { return Mnew_Click(fc); }); });
    connect(m_.Mopen, &QAction::triggered, this,
            [this] { fileCommand([](FileContext& fc) { return Mopen_Click(fc); }); });
    connect(m_.Mmidiopen, &QAction::triggered, this,
            [this] { fileCommand([](FileContext& fc) { return Mmidiopen_Click(fc); }); });
    connect(m_.Msave, &QAction::triggered, this, [this] {
        fileCommand([](FileContext& fc) {
            FileOutcome o;
            Msave_Click(fc, o);
            return o;
        });
    });
    connect(m_.Masave, &QAction::triggered, this, [this] {
        fileCommand([](FileContext& fc) {
            FileOutcome o;
            Masave_Click(fc, o);
            return o;
        });
    });
    for (int i = 0; i < static_cast<int>(m_.Mrireki.size()); ++i)
        connect(m_.Mrireki[static_cast<size_t>(i)], &QAction::triggered, this,
                [this, i] { fileCommand([i](FileContext& fc) { return Mrireki_Click(fc, i); }); });
    connect(m_.Mexit, &QAction::triggered, this, &QWidget::close);
    connect(m_.Mset, &QAction::triggered, this, [this] {
        SongSettingsWindow form(ctx_.song, ctx_.editor, this);
        form.exec();
        // Rhythm-part changes show at once; a new title scrolled back to measure 1.
        refreshControls();
        relayout();
        c_.Picture1->setFocus();
    });
    connect(m_.Mmidi, &QAction::triggered, this, [this] {
        QFileDialog dialog(this, QStringLiteral("ファイルを保存"), QString(),
                           QStringLiteral("MIDIファイル(*.mid)"));
        // Beside the project, named after the song, as recordings and renders are.
        const QFileInfo offered(QFile::decodeName(QByteArray::fromStdString(
            defaultRecordingTarget(ctx_.song, musicFolder(), ".mid").string())));
        dialog.setDirectory(offered.absolutePath());
        dialog.selectFile(offered.fileName());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("mid"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            exportMidi(dialog.selectedFiles().front());
    });
    updateRecentMenu();
    connectDrops();
    startBackupTimer();
}

void MainWindow::connectDrops() {
    c_.Picture1->setAcceptDrops(true);
    connect(c_.Picture1, &ScoreCanvas::filesDropped, this, [this](const QStringList& files) {
        std::vector<std::string> paths;
        for (const QString& f : files)
            paths.push_back(QFile::encodeName(f).toStdString());
        fileCommand([&paths](FileContext& fc) { return dropFiles(fc, paths); });
    });
}

void MainWindow::openHandedOver(const std::string& path) {
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    if (path.empty())
        return;
    // A song replaced under a playback or a recording would leave the controls locked
    // and the take cut: the newest file handed over waits for their end.
    if (playback_.playing || recordingOpen_) {
        pendingHandOver_ = path;
        return;
    }
    fileCommand([&path](FileContext& fc) { return zelk::openHandedOver(fc, path); });
}

void MainWindow::openPendingHandOver() {
    if (!pendingHandOver_ || playback_.playing || recordingOpen_)
        return;
    const std::string path = *std::exchange(pendingHandOver_, std::nullopt);
    // After the handler that ended the playback, not inside it.
    QTimer::singleShot(0, this, [this, path] { openHandedOver(path); });
}

void MainWindow::startBackupTimer() {
    auto* timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("Timer2"));
    timer->setInterval(backupInterval());
    connect(timer, &QTimer::timeout, this, &MainWindow::backupNow);
    timer->start();
}

void MainWindow::backupNow() {
    // A tick while the last backup still writes waits for the next one.
    backup_.start(ctx_.song, ctx_.folder);
    auto* watch = new QTimer(this);
    watch->setInterval(20);
    connect(watch, &QTimer::timeout, this, [this, watch] {
        const auto ok = backup_.result();
        if (!ok && backup_.busy())
            return;
        watch->deleteLater();
        // Reported once, in the title, and tried again at the next tick.
        if (ok && *ok == backupFailed_) {
            backupFailed_ = !*ok;
            showTitle();
        }
    });
    watch->start();
}

void MainWindow::closeEvent(QCloseEvent* e) {
    // A modal dialog of ours first goes away; the close then comes again from the event
    // loop, with the same question.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this) {
        modal->close();
        e->ignore();
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    FileContext fc = fileContext();
    if (!confirmRenderStop() || !confirmQuit(fc)) {
        e->ignore();
        return;
    }
    render_.reset(); // stops at the next block; its file is not written
    e->accept();
}

bool MainWindow::exportMidi(const QString& path) {
    // The export always starts at measure 1; the score scrolls there first.
    ctx_.editor.view.FirstMeasure = 1;
    scrolled();
    try {
        WriteMidiFile(ctx_.song, ctx_.folder, ctx_.midi, ctx_.encoder,
                      std::filesystem::path(path.toStdString()), MidiExportOptions::forExport());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelk: MIDI export failed: %s\n", e.what());
        prompts_.showMessage(kAppTitle, "Midi@保存できません", MessageIcon::Stop,
                             path.toStdString() + ": " + e.what());
        return false;
    }
    return true;
}

} // namespace zelk::ui
