#include "ui/windows/MeasureCopyWindow.h"

#include "editor/ViewState.h"
#include "model/Limits.h"
#include "model/Song.h"
#include "ui/main/MainWindow.h"
#include "ui/support/Twips.h"
#include "ui/support/WheelGuard.h"
#include "ui/support/WidgetText.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>

namespace zelk::ui {
MeasureCopyWindow::MeasureCopyWindow(MainWindow& main, Song& song, EditorState& editor)
    : QDialog(&main), main_(main), song_(song), editor_(editor) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(qtText(kMeasureCopyTitle));
    setModal(false);
    buildControls();
    guardWheel(this);
    noDefaultButton(this);
    connect(&main_, &MainWindow::measureCountChanged, this, [this] {
        if (!isVisible())
            return;
        read(); // what the lists show now, then the lists the song has
        fillMeasureLists();
    });
}

void MeasureCopyWindow::buildControls() {
    const Twips tw = twipsOf(&main_);
    auto* frame2 = placed(new QGroupBox(QStringLiteral("処理選択"), this), "Frame2",
                          tw.rect(120, 120, 2760, 735));
    frame1_ = placed(new QGroupBox(QStringLiteral("コピー範囲"), this), "Frame1",
                     tw.rect(3375, 120, 2760, 735));
    const char* ops[] = {"コピー", "クリア"};
    const char* scopes[] = {"１パート", "全パート"};
    for (int i = 0; i < 2; ++i) {
        option2_[i] =
            placed(new QRadioButton(QString::fromUtf8(ops[i]), frame2),
                   QStringLiteral("Option2_%1").arg(i), tw.rect(150 + i * 1300, 330, 1200, 300));
        option1_[i] =
            placed(new QRadioButton(QString::fromUtf8(scopes[i]), frame1_),
                   QStringLiteral("Option1_%1").arg(i), tw.rect(150 + i * 1300, 330, 1250, 300));
        connect(option2_[i], &QRadioButton::clicked, this, [this] {
            read();
            showForm(form_);
        });
        connect(option1_[i], &QRadioButton::clicked, this, [this] {
            read();
            showForm(form_);
        });
    }
    // A row: caption, part, "パートの", first measure, "小節目～", last measure, "小節目".
    struct RowIds {
        const char* caption;
        const char* captionId;
        const char* labelIds[3];
        int partCombo;
        int firstCombo;
    };
    const auto row = [&](int top, const RowIds& ids) {
        std::array<QWidget*, 7> w{};
        w[0] = placed(new QLabel(QString::fromUtf8(ids.caption), this),
                      QString::fromLatin1(ids.captionId), tw.rect(120, top + 45, 900, 300));
        w[1] = combo1_[ids.partCombo] =
            placed(new QComboBox(this), QStringLiteral("Combo1_%1").arg(ids.partCombo),
                   tw.rect(1020, top, 735, 360));
        w[2] = placed(new QLabel(QStringLiteral("パートの"), this),
                      QString::fromLatin1(ids.labelIds[0]), tw.rect(1800, top + 45, 840, 300));
        w[3] = combo1_[ids.firstCombo] =
            placed(new QComboBox(this), QStringLiteral("Combo1_%1").arg(ids.firstCombo),
                   tw.rect(2640, top, 855, 360));
        w[4] = placed(new QLabel(QStringLiteral("小節目～"), this),
                      QString::fromLatin1(ids.labelIds[1]), tw.rect(3540, top + 45, 960, 300));
        w[6] = placed(new QLabel(QStringLiteral("小節目"), this),
                      QString::fromLatin1(ids.labelIds[2]), tw.rect(5400, top + 45, 720, 300));
        return w;
    };
    const auto source = row(1005, {"コピー元", "Label8", {"Label5", "Label1", "Label2"}, 3, 0});
    label8_ = static_cast<QLabel*>(source[0]);
    combo1_[1] =
        placed(new QComboBox(this), QStringLiteral("Combo1_1"), tw.rect(4500, 1005, 855, 360));
    destinationRow_ = row(1485, {"コピー先", "Label9", {"Label6", "Label3", "Label4"}, 4, 2});
    text1_ = placed(new QLineEdit(this), QStringLiteral("Text1"), tw.rect(4500, 1485, 855, 360));
    text1_->setReadOnly(true);
    destinationRow_[5] = text1_;
    for (int i = 0; i < 5; ++i)
        connect(combo1_[i], &QComboBox::activated, this, [this] {
            read();
            Form2_Combo1_Click(form_);
            showForm(form_);
        });
    auto* ok = placed(new QPushButton(QStringLiteral("OK"), this), "Command1",
                      tw.rect(3600, 2040, 1215, 375));
    auto* close = placed(new QPushButton(QStringLiteral("閉じる"), this), "Command2",
                         tw.rect(4920, 2040, 1215, 375));
    connect(ok, &QPushButton::clicked, this, &MeasureCopyWindow::okClicked);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    setFixedSize(tw.px(6300), tw.px(2580));
}

void MeasureCopyWindow::showEvent(QShowEvent* e) {
    load();
    main_.holdTimeSignature(true);
    QDialog::showEvent(e);
}

void MeasureCopyWindow::done(int result) {
    main_.holdTimeSignature(false);
    QDialog::done(result);
}

void MeasureCopyWindow::load() {
    for (int i : {3, 4}) {
        combo1_[i]->clear();
        for (int p = 1; p <= kParts; ++p)
            combo1_[i]->addItem(QString::number(p));
    }
    form_ = Form2_Load(song_, editor_.view);
    fillMeasureLists();
}

// The measure lists offer the song's measures as they are now; a choice past the end
// moves to the last measure.
void MeasureCopyWindow::fillMeasureLists() {
    const int count = song_.MeasureCount();
    for (int i : {0, 1, 2}) {
        const QSignalBlocker block(combo1_[i]);
        combo1_[i]->clear();
        for (int m = 1; m <= count; ++m)
            combo1_[i]->addItem(QString::number(m));
    }
    for (int* index : {&form_.sourceFirst, &form_.sourceLast, &form_.destFirst})
        *index = std::clamp(*index, 0, std::max(0, count - 1));
    Form2_Combo1_Click(form_);
    showForm(form_);
}

void MeasureCopyWindow::showForm(const MeasureCopyForm& f) {
    option2_[f.clearMode ? 1 : 0]->setChecked(true);
    option1_[f.allParts ? 1 : 0]->setChecked(true);
    const int values[5] = {f.sourceFirst, f.sourceLast, f.destFirst, f.sourcePart, f.destPart};
    for (int i = 0; i < 5; ++i) {
        const QSignalBlocker block(combo1_[i]);
        combo1_[i]->setCurrentIndex(values[i]);
    }
    combo1_[3]->setEnabled(!f.allParts);
    combo1_[4]->setEnabled(!f.allParts);
    text1_->setText(QString::number(f.destLastMeasure()));
    frame1_->setTitle(qtText(rangeFrameCaption(f)));
    label8_->setText(qtText(sourceCaption(f)));
    for (QWidget* w : destinationRow_)
        if (w)
            w->setVisible(!f.clearMode);
}

void MeasureCopyWindow::read() {
    form_.clearMode = option2_[1]->isChecked();
    form_.allParts = option1_[1]->isChecked();
    form_.sourceFirst = combo1_[0]->currentIndex();
    form_.sourceLast = combo1_[1]->currentIndex();
    form_.destFirst = combo1_[2]->currentIndex();
    form_.sourcePart = combo1_[3]->currentIndex();
    form_.destPart = combo1_[4]->currentIndex();
}

void MeasureCopyWindow::okClicked() {
    read();
    main_.runEdit([this](EditContext& ec) {
        MeasureCopyResult r = Form2_Command1_Click(ec, form_);
        for (size_t i = 0; i < r.messages.size(); ++i) {
            QMessageBox box(QMessageBox::Warning, qtText(kAppTitle), qtText(r.messages[i]),
                            QMessageBox::Ok, this);
            if (i < r.details.size())
                box.setInformativeText(qtText(r.details[i]));
            box.exec();
        }
        return r.outcome;
    });
    showForm(form_);
}

} // namespace zelk::ui
