#include "ui/support/QtPrompts.h"
#include "ui/support/WidgetText.h"

#include "editor/session/ReasonText.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <QTreeView>

#include <algorithm>
#include <cstdio>

namespace zelk::ui {
namespace {

// Paths are bytes on Linux; Qt's file-name codec turns them into text and back losslessly.
QString pathText(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string pathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The folder a dialog opens in: the current file's, else the documents folder where it
// exists (a missing one would show up as a file name), else the home folder.
QString startFolder(const std::string& folder) {
    if (!folder.empty())
        return pathText(folder);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

// Wide enough for the file list's name, size, type and date columns, each shown whole:
// the name takes what the others leave.
void sizeDialog(QFileDialog& dialog) {
    dialog.resize(dialog.fontMetrics().averageCharWidth() * 150,
                  dialog.fontMetrics().height() * 30);
    for (auto* list : dialog.findChildren<QTreeView*>()) {
        QHeaderView* header = list->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

const QString kFilter = QStringLiteral("編集ファイル(*.zelk)");

// A detail of several lines (an import's report, one line per change) is shown one line to
// a line: the box grows to the longest, up to most of the screen's width.
void fitDetail(QMessageBox& box, const QString& detail) {
    if (!detail.contains(QLatin1Char('\n')))
        return;
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    if (label == nullptr)
        return;
    int widest = 0;
    for (const QString& line : detail.split(QLatin1Char('\n')))
        widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
    const QScreen* screen = box.screen();
    const int most = screen ? screen->availableGeometry().width() * 4 / 5 : widest;
    label->setMinimumWidth(std::min(widest + label->fontMetrics().averageCharWidth(), most));
}

} // namespace

Answer QtPrompts::askYesNoCancel(std::string_view title, std::string_view text) {
    QMessageBox box(QMessageBox::Warning, qtText(title), qtText(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner_);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void QtPrompts::showMessage(std::string_view title, std::string_view text, MessageIcon icon,
                            std::string_view englishDetail) {
    std::fprintf(stderr, "zelk: %.*s\n", static_cast<int>(text.size()), text.data());
    const std::string detail = reasonInJapanese(englishDetail);
    const auto qtIcon = icon == MessageIcon::Stop          ? QMessageBox::Critical
                        : icon == MessageIcon::Exclamation ? QMessageBox::Warning
                                                           : QMessageBox::Information;
    if (messagesWait_) {
        QMessageBox box(qtIcon, qtText(title), qtText(text), QMessageBox::Ok, owner_);
        box.setInformativeText(qtText(detail));
        fitDetail(box, qtText(detail));
        box.exec();
        return;
    }
    auto* box = new QMessageBox(qtIcon, qtText(title), qtText(text), QMessageBox::Ok, owner_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(qtText(detail));
    fitDetail(*box, qtText(detail));
    box->open();
}

std::optional<std::string> QtPrompts::chooseProjectToOpen(const std::string& folder) {
    QFileDialog dialog(owner_, QStringLiteral("ファイルを開く"), QString(), kFilter);
    dialog.setDirectory(startFolder(folder));
    sizeDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return pathBytes(dialog.selectedFiles().front());
}

std::optional<std::string> QtPrompts::chooseMidiToOpen(const std::string& folder) {
    QFileDialog dialog(owner_, QStringLiteral("MIDIファイルを開く"), QString(),
                       QStringLiteral("MIDIファイル(*.mid;*.midi)"));
    dialog.setDirectory(startFolder(folder));
    sizeDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The filter reads as Windows writes it; Qt takes patterns apart at blanks, not at ";",
    // so the file list is given the patterns itself (in both cases, as files come from
    // Windows too).
    for (auto* model : dialog.findChildren<QFileSystemModel*>())
        model->setNameFilters({QStringLiteral("*.mid"), QStringLiteral("*.midi"),
                               QStringLiteral("*.MID"), QStringLiteral("*.MIDI")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return pathBytes(dialog.selectedFiles().front());
}

std::optional<std::string> QtPrompts::chooseProjectToSave(const std::string& folder) {
    QFileDialog dialog(owner_, QStringLiteral("ファイルを保存"), QString(), kFilter);
    dialog.setDirectory(startFolder(folder));
    if (!currentName_.empty()) // the song's own name, ready to overwrite
        dialog.selectFile(pathText(currentName_));
    sizeDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("zelk")); // only for names without an extension
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return pathBytes(dialog.selectedFiles().front());
}

std::optional<QtPrompts::AudioTarget> QtPrompts::chooseAudioToSave(const std::string& suggested,
                                                                   bool normalize) {
    static const QStringList filters{QStringLiteral("Ogg Vorbisファイル(*.ogg)"),
                                     QStringLiteral("WAVファイル(*.wav)"),
                                     QStringLiteral("FLACファイル(*.flac)")};
    static const QStringList suffixes{QStringLiteral("ogg"), QStringLiteral("wav"),
                                      QStringLiteral("flac")};
    QFileDialog dialog(owner_, QStringLiteral("書き出し先"));
    dialog.setNameFilters(filters);
    const QString offered = pathText(suggested);
    const auto type = suffixes.indexOf(QFileInfo(offered).suffix().toLower());
    dialog.selectNameFilter(filters[std::max<qsizetype>(type, 0)]);
    dialog.setDefaultSuffix(suffixes[std::max<qsizetype>(type, 0)]);
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            dialog.setDefaultSuffix(suffixes[std::max<qsizetype>(filters.indexOf(filter), 0)]);
        });
    dialog.setDirectory(QFileInfo(offered).absolutePath());
    dialog.selectFile(QFileInfo(offered).fileName());
    sizeDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    // Qt's own dialog lays its parts out in a grid: the choice goes below them.
    auto* loudness = new QCheckBox(QStringLiteral("音量を揃える（最大音量を-1dBに）"), &dialog);
    loudness->setObjectName(QStringLiteral("Normalize"));
    loudness->setChecked(normalize);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(loudness, grid->rowCount(), 0, 1, grid->columnCount());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return AudioTarget{pathBytes(dialog.selectedFiles().front()), loudness->isChecked()};
}

} // namespace zelk::ui
