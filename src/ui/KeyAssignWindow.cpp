#include "ui/KeyAssignWindow.h"
#include "ui/WheelGuard.h"

#include "ui/Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>

namespace zelk::ui {
namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

// Frames in their designed places (twips): 音符, 臨時記号, 譜面切り替え, 小節移動, その他.
constexpr std::array<std::array<int, 4>, kKeyFrames> kFrames = {{
    {120, 120, 2535, 3015},
    {2760, 120, 2295, 1455},
    {2760, 1680, 2295, 1455},
    {120, 3240, 4935, 1815},
    {120, 5160, 4935, 1095},
}};

} // namespace

KeyAssignWindow::KeyAssignWindow(KeyAssignment& keys, QWidget* owner)
    : QDialog(owner), keys_(keys) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(text(kKeyAssignTitle));
    setModal(false);
    const QScreen* screen = owner ? owner->screen() : nullptr;
    const Twips tw(screen ? screen->logicalDotsPerInch() : 96.0);
    std::array<QGroupBox*, kKeyFrames> frames{};
    std::array<int, kKeyFrames> rowsUsed{};
    for (int f = 0; f < kKeyFrames; ++f) {
        const auto& r = kFrames[static_cast<size_t>(f)];
        frames[static_cast<size_t>(f)] = new QGroupBox(text(keyFrameCaption(f)), this);
        frames[static_cast<size_t>(f)]->setGeometry(tw.rect(r[0], r[1], r[2], r[3]));
    }
    for (int a = 0; a < kKeyActions; ++a) {
        const int f = keyActionFrame(a);
        QGroupBox* frame = frames[static_cast<size_t>(f)];
        const int row = rowsUsed[static_cast<size_t>(f)]++;
        auto* caption = new QLabel(text(keyActionCaption(a)), frame);
        caption->setGeometry(tw.rect(120, 300 + row * 420, 1215, 300));
        auto* list = new QComboBox(frame);
        list->setObjectName(QStringLiteral("Combo1_%1").arg(a));
        list->setGeometry(tw.rect(1335, 270 + row * 420, 1095, 315));
        for (int p = 0; p < 76; ++p)
            list->addItem(QString::fromStdString(keyCaption(p)));
        lists_[static_cast<size_t>(a)] = list;
        connect(list, &QComboBox::activated, this,
                [this, a](int position) { Form4_Select(keys_, a, position); });
    }
    auto* defaults = new QPushButton(QStringLiteral("デフォルト"), this);
    defaults->setObjectName(QStringLiteral("Command2"));
    defaults->setGeometry(tw.rect(120, 6480, 1215, 375));
    connect(defaults, &QPushButton::clicked, this, [this] {
        Form4_Command2_Click(keys_);
        selectAll();
    });
    auto* closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setObjectName(QStringLiteral("Command1"));
    closeButton->setGeometry(tw.rect(3840, 6480, 1215, 375));
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    setFixedSize(tw.px(5175), tw.px(6975));
    guardWheel(this);
}

void KeyAssignWindow::showEvent(QShowEvent* e) {
    Form4_Load(keys_);
    selectAll();
    QDialog::showEvent(e);
}

void KeyAssignWindow::selectAll() {
    for (int a = 0; a < kKeyActions; ++a) {
        const QSignalBlocker block(lists_[static_cast<size_t>(a)]);
        lists_[static_cast<size_t>(a)]->setCurrentIndex(keys_.ListIndex[static_cast<size_t>(a)]);
    }
}

void KeyAssignWindow::done(int result) {
    Form4_Unload(keys_);
    QDialog::done(result);
}

} // namespace zelk::ui
