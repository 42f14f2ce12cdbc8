// The main window's File menu commands.
#include "midi/WriteMidiFile.h"
#include "ui/MainWindow.h"

#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

#include <cstdio>

namespace zelk::ui {

void MainWindow::connectFileMenu() {
    m_.Mmidi->setEnabled(true);
    connect(m_.Mmidi, &QAction::triggered, this, [this] {
        QFileDialog dialog(this, QStringLiteral("ファイルを保存"), QString(),
                           QStringLiteral("MIDIファイル(*.mid)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("mid"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            exportMidi(dialog.selectedFiles().front());
    });
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
        QMessageBox::information(this, windowTitle(), QStringLiteral("Midi@保存できません"));
        return false;
    }
    return true;
}

} // namespace zelk::ui
