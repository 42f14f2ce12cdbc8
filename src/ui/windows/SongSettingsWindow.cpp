#include "ui/windows/SongSettingsWindow.h"

#include "editor/EditorState.h"
#include "editor/ViewState.h"
#include "editor/session/SongSettings.h"
#include "model/Song.h"
#include "ui/support/Twips.h"
#include "ui/support/WidgetText.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace zelk::ui {
SongSettingsWindow::SongSettingsWindow(Song& song, EditorState& editor, QWidget* owner)
    : QDialog(owner), song_(song), editor_(editor) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(qtText(kSongSettingsTitle));
    setModal(true);
    const Twips tw = twipsOf(owner);
    placed(new QLabel(QStringLiteral("曲名"), this), "Label1", tw.rect(120, 150, 900, 300));
    title_ =
        placed(new QLineEdit(qtText(song.SongTitle), this), "Text1", tw.rect(1080, 120, 4560, 345));
    placed(new QLabel(QStringLiteral("著作権"), this), "Label2", tw.rect(120, 600, 900, 300));
    copyright_ = placed(new QLineEdit(qtText(song.SongCopyright), this), "Text2",
                        tw.rect(1080, 570, 4560, 345));
    auto* frame = placed(new QGroupBox(QStringLiteral("Rパート設定"), this), "Frame1",
                         tw.rect(120, 1080, 5520, 1320));
    for (int i = 0; i < 16; ++i) {
        auto* box = new QCheckBox(QString::number(i + 1), frame);
        box->setObjectName(QStringLiteral("Check1_%1").arg(i));
        box->setGeometry(tw.rect(150 + (i % 8) * 660, 330 + (i / 8) * 450, 640, 330));
        box->setChecked(song.DrumPart[static_cast<size_t>(i)] == 1);
        connect(box, &QCheckBox::clicked, this,
                [this, i](bool ticked) { Form3_Check1_Click(song_, i, ticked); });
        rhythm_[static_cast<size_t>(i)] = box;
    }
    auto* close = placed(new QPushButton(QStringLiteral("閉じる"), this), "Command1",
                         tw.rect(4425, 2550, 1215, 375));
    connect(close, &QPushButton::clicked, this, &SongSettingsWindow::closeClicked);
    setFixedSize(tw.px(5790), tw.px(3090));
    noDefaultButton(this);
}

void SongSettingsWindow::closeClicked() {
    const auto refusal = Form3_Command1_Click(song_, editor_, title_->text().toStdString(),
                                              copyright_->text().toStdString());
    if (refusal) {
        QMessageBox::information(this, qtText(kAppTitle), qtText(*refusal));
        return;
    }
    accept();
}

} // namespace zelk::ui
