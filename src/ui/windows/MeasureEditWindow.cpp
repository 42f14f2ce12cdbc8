#include "ui/windows/MeasureEditWindow.h"

#include "editor/ViewState.h"
#include "model/Song.h"
#include "ui/main/MainWindow.h"
#include "ui/support/Twips.h"
#include "ui/support/WheelGuard.h"
#include "ui/support/WidgetText.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>

namespace zelk::ui {
namespace {

QLabel* label(QWidget* parent, const char* id, const char* text, const QRect& r) {
    return placed(new QLabel(QString::fromUtf8(text), parent), id, r);
}

} // namespace

MeasureEditWindow::MeasureEditWindow(MainWindow& main, Song& song, EditorState& editor)
    : QDialog(&main), main_(main), song_(song), editor_(editor) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(qtText(kMeasureEditTitle));
    setModal(false);
    const Twips tw = twipsOf(&main);
    buildOctave(tw);
    buildLanes(tw);
    buildLoop(tw);
    auto* close = placed(new QPushButton(QStringLiteral("閉じる"), this), "Command3",
                         tw.rect(4320, 4800, 1455, 375));
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    setFixedSize(tw.px(5895), tw.px(5295));
    guardWheel(this);
    // Enter ran the octave shift, the first OK, with nothing shown.
    noDefaultButton(this);
    connect(&main_, &MainWindow::measureCountChanged, this, [this] {
        if (!isVisible())
            return;
        read(); // what the lists show now, then the lists the song has
        fillMeasureLists();
    });
}

void MeasureEditWindow::buildOctave(const Twips& tw) {
    auto* frame = new QGroupBox(QStringLiteral("現パートのオクターブの設定"), this);
    frame->setGeometry(tw.rect(120, 120, 5655, 975));
    label(frame, "Label4", "現在のパートを１オクターブ", tw.rect(120, 405, 2700, 300));
    octave_ = placed(new QComboBox(frame), "Combo1_3", tw.rect(2880, 360, 1215, 360));
    octave_->addItems({QStringLiteral("上げる"), QStringLiteral("下げる")});
    auto* ok = placed(new QPushButton(QStringLiteral("OK"), frame), "Command2",
                      tw.rect(4200, 360, 1335, 375));
    connect(ok, &QPushButton::clicked, this, [this] {
        read();
        main_.runEdit([this](EditContext& ec) { return MeasureEdit_Command2_Click(ec, form_); });
    });
}

void MeasureEditWindow::buildLanes(const Twips& tw) {
    auto* frame = new QGroupBox(QStringLiteral("現パートの効果の設定"), this);
    frame->setGeometry(tw.rect(120, 1320, 5655, 1695));
    range_[0] = placed(new QComboBox(frame), "Combo3_0", tw.rect(120, 360, 735, 360));
    label(frame, "Label1", "小節目～", tw.rect(870, 405, 750, 300));
    range_[1] = placed(new QComboBox(frame), "Combo3_1", tw.rect(1620, 360, 735, 360));
    label(frame, "Label3", "小節目の", tw.rect(2370, 405, 750, 300));
    lane_ = placed(new QComboBox(frame), "Combo2", tw.rect(3120, 360, 735, 360));
    for (int l = 0; l < kEditLanes; ++l)
        lane_->addItem(qtText(laneCaption(l)));
    label(frame, "Label2", "を", tw.rect(3870, 405, 200, 300));
    value_ = placed(new QComboBox(frame), "Combo1_1", tw.rect(4080, 360, 735, 360));
    opLabel_ = label(frame, "Label5", "にする", tw.rect(4830, 405, 800, 300));
    auto* ops = new QGroupBox(QStringLiteral("処理選択"), frame);
    ops->setGeometry(tw.rect(120, 840, 3900, 735));
    const char* captions[] = {"固定", "加算", "減算"};
    for (int i = 0; i < 3; ++i) {
        option1_[static_cast<size_t>(i)] =
            placed(new QRadioButton(QString::fromUtf8(captions[i]), ops), nullptr,
                   tw.rect(150 + i * 1250, 330, 1150, 300));
        option1_[static_cast<size_t>(i)]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        connect(option1_[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this, i] {
            read();
            MeasureEdit_Option1_Click(form_, static_cast<LaneOp>(i));
            showForm(form_);
        });
    }
    for (QComboBox* r : range_)
        connect(r, &QComboBox::activated, this, [this] {
            read();
            MeasureEdit_Combo3_Click(form_);
            showForm(form_);
        });
    connect(lane_, &QComboBox::activated, this, [this] {
        read();
        MeasureEdit_Combo2_Click(form_);
        showForm(form_);
    });
    auto* ok = placed(new QPushButton(QStringLiteral("OK"), frame), "Command1",
                      tw.rect(4200, 1080, 1335, 375));
    connect(ok, &QPushButton::clicked, this, [this] {
        read();
        main_.runEdit([this](EditContext& ec) {
            EditOutcome out;
            if (const auto refused = MeasureEdit_Command1_Click(ec, form_))
                QMessageBox::warning(this, qtText(kAppTitle), qtText(*refused));
            else
                out.redraw = true;
            return out;
        });
    });
}

void MeasureEditWindow::buildLoop(const Twips& tw) {
    auto* frame = new QGroupBox(QStringLiteral("ループポイント設定（RPGツクール専用）"), this);
    frame->setGeometry(tw.rect(120, 3240, 5655, 1455));
    loop_ = placed(new QComboBox(frame), "Combo4", tw.rect(120, 360, 855, 360));
    label(frame, "Label9", "小節目にループポイント設定", tw.rect(1020, 405, 3000, 300));
    loopState_ = label(frame, "Label6", "設定なし", tw.rect(480, 885, 2300, 300));
    auto* set = placed(new QPushButton(QStringLiteral("設定"), frame), "Command4",
                       tw.rect(2880, 840, 1215, 375));
    auto* clear = placed(new QPushButton(QStringLiteral("解除"), frame), "Command5",
                         tw.rect(4200, 840, 1335, 375));
    connect(set, &QPushButton::clicked, this, [this] {
        read();
        if (const auto refused = MeasureEdit_Command4_Click(song_, form_))
            QMessageBox::warning(this, qtText(kAppTitle), qtText(*refused));
        loopState_->setText(QString::fromStdString(loopLabel(song_)));
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        MeasureEdit_Command5_Click(song_);
        loopState_->setText(QString::fromStdString(loopLabel(song_)));
    });
}

void MeasureEditWindow::showEvent(QShowEvent* e) {
    load();
    main_.holdTimeSignature(true);
    QDialog::showEvent(e);
}

void MeasureEditWindow::done(int result) {
    main_.holdTimeSignature(false);
    QDialog::done(result);
}

void MeasureEditWindow::load() {
    form_ = MeasureEdit_Load(song_, editor_.view);
    fillMeasureLists();
}

// The measure lists offer the song's measures as they are now; a choice past the end
// moves to the last measure.
void MeasureEditWindow::fillMeasureLists() {
    const int count = song_.MeasureCount();
    for (QComboBox* box : {range_[0], range_[1], loop_}) {
        const QSignalBlocker block(box);
        box->clear();
        for (int m = 1; m <= count; ++m)
            box->addItem(QString::number(m));
    }
    for (int* index : {&form_.rangeFirst, &form_.rangeLast, &form_.loopIndex})
        *index = std::clamp(*index, 0, std::max(0, count - 1));
    MeasureEdit_Combo3_Click(form_);
    loopState_->setText(QString::fromStdString(loopLabel(song_)));
    showForm(form_);
}

void MeasureEditWindow::showForm(const MeasureEditForm& f) {
    if (value_->count() != f.valueCount) {
        value_->clear();
        for (int v = 0; v < f.valueCount; ++v)
            value_->addItem(QString::number(v));
    }
    const std::pair<QComboBox*, int> picks[] = {{octave_, f.octaveDown ? 1 : 0},
                                                {range_[0], f.rangeFirst},
                                                {range_[1], f.rangeLast},
                                                {lane_, f.lane},
                                                {value_, f.value},
                                                {loop_, f.loopIndex}};
    for (auto [box, index] : picks) {
        const QSignalBlocker block(box);
        box->setCurrentIndex(index);
    }
    option1_[static_cast<size_t>(f.op)]->setChecked(true);
    opLabel_->setText(qtText(opLabel(f.op)));
}

void MeasureEditWindow::read() {
    form_.octaveDown = octave_->currentIndex() == 1;
    form_.rangeFirst = range_[0]->currentIndex();
    form_.rangeLast = range_[1]->currentIndex();
    form_.lane = lane_->currentIndex();
    form_.value = value_->currentIndex();
    form_.loopIndex = loop_->currentIndex();
}

} // namespace zelk::ui
