#include "ui/windows/KeyAssignWindow.h"
#include "ui/support/WheelGuard.h"

#include "ui/support/Twips.h"
#include "ui/support/WidgetText.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace zelk::ui {
namespace {

// The designed frames were made for a narrower font: here every frame is wide enough for
// the longest caption ("連符画面切り替え") and the widest key name with its arrow, and high
// enough for its rows. Two columns: 音符 and 小節移動 left, the other three right.
constexpr int kCaptionWidth = 1800;
constexpr int kListLeft = 1980;
constexpr int kListWidth = 1440;
constexpr int kFrameWidth = kListLeft + kListWidth + 120;
constexpr int kRowStep = 420;
constexpr int kFirstRow = 300;
constexpr int kColumnGap = 120;
constexpr std::array<int, kKeyFrames> kFrameColumn = {0, 1, 1, 0, 1};

int frameHeight(int rows) {
    return kFirstRow + rows * kRowStep + 60;
}

} // namespace

KeyAssignWindow::KeyAssignWindow(KeyAssignment& keys, QWidget* owner)
    : QDialog(owner), keys_(keys) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(qtText(kKeyAssignTitle));
    setModal(false);
    const Twips tw = twipsOf(owner);
    std::array<QGroupBox*, kKeyFrames> frames{};
    std::array<int, kKeyFrames> rowsUsed{};
    std::array<int, kKeyFrames> rows{};
    for (int a = 0; a < kAllKeyActions; ++a)
        ++rows[static_cast<size_t>(keyActionFrame(a))];
    std::array<int, 2> columnTop = {120, 120};
    for (int f = 0; f < kKeyFrames; ++f) {
        const int column = kFrameColumn[static_cast<size_t>(f)];
        const int height = frameHeight(rows[static_cast<size_t>(f)]);
        auto* frame = new QGroupBox(qtText(keyFrameCaption(f)), this);
        frame->setObjectName(QStringLiteral("Frame%1").arg(f + 1));
        frame->setGeometry(tw.rect(120 + column * (kFrameWidth + kColumnGap),
                                   columnTop[static_cast<size_t>(column)], kFrameWidth, height));
        columnTop[static_cast<size_t>(column)] += height + 105;
        frames[static_cast<size_t>(f)] = frame;
    }
    const int bottom = std::max(columnTop[0], columnTop[1]);
    const int width = 120 + 2 * kFrameWidth + kColumnGap + 120;
    for (int a = 0; a < kAllKeyActions; ++a) {
        const int f = keyActionFrame(a);
        QGroupBox* frame = frames[static_cast<size_t>(f)];
        const int row = rowsUsed[static_cast<size_t>(f)]++;
        auto* caption = new QLabel(qtText(keyActionCaption(a)), frame);
        caption->setObjectName(QStringLiteral("Label1_%1").arg(a));
        caption->setGeometry(tw.rect(120, kFirstRow + row * kRowStep, kCaptionWidth, 300));
        auto* list = new QComboBox(frame);
        list->setObjectName(QStringLiteral("Combo1_%1").arg(a));
        list->setGeometry(tw.rect(kListLeft, kFirstRow - 30 + row * kRowStep, kListWidth, 330));
        for (int p = 0; p < 76; ++p)
            list->addItem(QString::fromStdString(keyCaption(p)));
        lists_[static_cast<size_t>(a)] = list;
        connect(list, &QComboBox::activated, this,
                [this, a](int position) { Form4_Select(keys_, a, position); });
    }
    auto* defaults = new QPushButton(QStringLiteral("デフォルト"), this);
    defaults->setObjectName(QStringLiteral("Command2"));
    defaults->setGeometry(tw.rect(120, bottom + 60, 1215, 375));
    connect(defaults, &QPushButton::clicked, this, [this] {
        Form4_Command2_Click(keys_);
        selectAll();
    });
    auto* closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setObjectName(QStringLiteral("Command1"));
    closeButton->setGeometry(tw.rect(width - 120 - 1215, bottom + 60, 1215, 375));
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    setFixedSize(tw.px(width), tw.px(bottom + 60 + 375 + 120));
    guardWheel(this);
}

void KeyAssignWindow::showEvent(QShowEvent* e) {
    Form4_Load(keys_);
    selectAll();
    QDialog::showEvent(e);
}

void KeyAssignWindow::selectAll() {
    for (int a = 0; a < kAllKeyActions; ++a) {
        const QSignalBlocker block(lists_[static_cast<size_t>(a)]);
        lists_[static_cast<size_t>(a)]->setCurrentIndex(keys_.ListIndex[static_cast<size_t>(a)]);
    }
}

void KeyAssignWindow::done(int result) {
    Form4_Unload(keys_);
    QDialog::done(result);
}

} // namespace zelk::ui
