#include "ui/windows/TransposeWindow.h"

#include "ui/main/MainWindow.h"
#include "ui/support/Twips.h"
#include "ui/support/WheelGuard.h"
#include "ui/support/WidgetText.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace zelk::ui {
namespace {

QLabel* label(QWidget* parent, const char* id, const char* text, const QRect& r) {
    return placed(new QLabel(QString::fromUtf8(text), parent), id, r);
}

// Item i of the amount list is +12 - i: up first, as the score reads.
int amountOfItem(int index) {
    return kMaxTranspose - index;
}

} // namespace

TransposeWindow::TransposeWindow(MainWindow& main) : QDialog(&main), main_(main) {
    setObjectName(QStringLiteral("FormTranspose"));
    setWindowTitle(qtText(kTransposeTitle));
    setModal(false);
    const Twips tw = twipsOf(&main);
    buildPitch(tw);
    buildVelocity(tw);
    auto* close = placed(new QPushButton(QStringLiteral("閉じる"), this), "Command3",
                         tw.rect(4320, 2760, 1455, 375));
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    setFixedSize(tw.px(5895), tw.px(3255));
    guardWheel(this);
    noDefaultButton(this);
}

void TransposeWindow::buildPitch(const Twips& tw) {
    auto* frame = new QGroupBox(QStringLiteral("選択した音符の移調"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(tw.rect(120, 120, 5655, 1215));
    const char* units[] = {"半音", "音階"};
    for (size_t i = 0; i < unit_.size(); ++i) {
        unit_[i] = placed(new QRadioButton(QString::fromUtf8(units[i]), frame), nullptr,
                          tw.rect(150 + static_cast<int>(i) * 1250, 330, 1150, 300));
        unit_[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
    }
    unit_[0]->setChecked(true);
    amount_ = placed(new QComboBox(frame), "Combo1", tw.rect(120, 720, 1095, 360));
    for (int i = 0; i <= 2 * kMaxTranspose; ++i)
        amount_->addItem(i == kMaxTranspose ? QStringLiteral("0")
                                            : QString::asprintf("%+d", amountOfItem(i)));
    amount_->setCurrentIndex(kMaxTranspose - 1); // one up
    label(frame, "Label1", "（＋は上へ、－は下へ）", tw.rect(1260, 765, 2700, 300));
    auto* ok = placed(new QPushButton(QStringLiteral("OK"), frame), "Command1",
                      tw.rect(4200, 720, 1335, 375));
    connect(ok, &QPushButton::clicked, this, [this] {
        const TransposeForm f = form();
        main_.runEdit([f](EditContext& ec) { return transposeWithForm(ec, f); });
    });
}

void TransposeWindow::buildVelocity(const Twips& tw) {
    auto* frame = new QGroupBox(QStringLiteral("選択した音符のベロシティ"), this);
    frame->setObjectName(QStringLiteral("Frame2"));
    frame->setGeometry(tw.rect(120, 1440, 5655, 1215));
    op_ = placed(new QComboBox(frame), "Combo2", tw.rect(120, 360, 1095, 360));
    op_->addItems({QStringLiteral("固定"), QStringLiteral("倍率"), QStringLiteral("加算")});
    label(frame, "Label2", "で", tw.rect(1260, 405, 300, 300));
    value_ = placed(new QSpinBox(frame), "Text1", tw.rect(1560, 360, 1095, 360));
    suffix_ = label(frame, "Label3", "", tw.rect(2700, 405, 1400, 300));
    showVelocityOp();
    connect(op_, &QComboBox::activated, this, [this] { showVelocityOp(); });
    auto* ok = placed(new QPushButton(QStringLiteral("OK"), frame), "Command2",
                      tw.rect(4200, 720, 1335, 375));
    connect(ok, &QPushButton::clicked, this, [this] {
        const TransposeForm f = form();
        main_.runEdit(
            [f](EditContext& ec) { return changeSelectionVelocity(ec, f.velocityOp, f.velocity); });
    });
}

void TransposeWindow::showVelocityOp() {
    const auto op = static_cast<VelocityChange>(op_->currentIndex());
    const ValueRange range = velocityRange(op);
    value_->setRange(range.min, range.max);
    value_->setValue(range.initial);
    suffix_->setText(qtText(velocitySuffix(op)));
}

TransposeForm TransposeWindow::form() const {
    TransposeForm f;
    f.diatonic = unit_[1]->isChecked();
    f.amount = amountOfItem(amount_->currentIndex());
    f.velocityOp = static_cast<VelocityChange>(op_->currentIndex());
    f.velocity = value_->value();
    return f;
}

} // namespace zelk::ui
