#include "ui/windows/ColorSettingsWindow.h"

#include "ui/support/Twips.h"
#include "ui/support/WheelGuard.h"
#include "ui/support/WidgetText.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace zelk::ui {
namespace {

constexpr std::array<const char*, 3> kComboNames = {"Combo1", "Combo2", "Combo3"};
constexpr std::array<Qt::GlobalColor, 3> kHeaderColors = {Qt::red, Qt::darkGreen, Qt::blue};

// Row geometry inside a frame (twips). The lists are wider than the original design so
// that "255" shows whole beside the drop-down arrow; the frames grow with them.
constexpr int kCaptionLeft = 120, kCaptionWidth = 1380, kListLeft = 1500, kListWidth = 900;
constexpr int kFrameWidth = kListLeft + 3 * kListWidth + 120;
constexpr int kWindowWidth = 2 * kFrameWidth + 720;
constexpr int kHeaderTop = 180, kFirstRowTop = 420, kRowStep = 360;

} // namespace

ColorSettingsWindow::ColorSettingsWindow(ColorTable& table, std::function<void()> changed,
                                         QWidget* owner)
    : QDialog(owner), table_(table), changed_(std::move(changed)), tw_(twipsOf(owner)) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("色設定"));
    setModal(false);
    buildFrames();
    const Twips& tw = tw_;
    auto* defaults = new QPushButton(QStringLiteral("デフォルト"), this);
    defaults->setObjectName(QStringLiteral("Command2"));
    defaults->setGeometry(tw.rect(120, 5280, 1215, 375));
    connect(defaults, &QPushButton::clicked, this, [this] { restoreDefaults(); });
    auto* closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setObjectName(QStringLiteral("Command1"));
    closeButton->setGeometry(tw.rect(kWindowWidth - 1455, 5280, 1335, 375));
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    setFixedSize(tw.px(kWindowWidth), tw.px(5775));
    guardWheel(this);
}

void ColorSettingsWindow::buildFrames() {
    const Twips& tw = tw_;
    auto* window = new QGroupBox(this);
    window->setGeometry(tw.rect(240, 720, kFrameWidth, 1695));
    auto* score = new QGroupBox(QStringLiteral("譜面"), this);
    score->setGeometry(tw.rect(kFrameWidth + 360, 120, kFrameWidth, 2295));
    auto* notes = new QGroupBox(QStringLiteral("音符"), this);
    notes->setGeometry(tw.rect(120, 2520, 2 * kFrameWidth + 360, 2655));
    auto* plain = new QGroupBox(QStringLiteral("普通譜面"), notes);
    plain->setGeometry(tw.rect(120, 240, kFrameWidth, 2295));
    auto* tuplets = new QGroupBox(QStringLiteral("連符譜面"), notes);
    tuplets->setGeometry(tw.rect(kFrameWidth + 240, 240, kFrameWidth, 2295));
    const std::array<QWidget*, 4> frames = {window, score, plain, tuplets};
    std::array<int, 4> rows{};
    for (QWidget* f : frames)
        for (int c = 0; c < 3; ++c) {
            auto* header = new QLabel(QStringLiteral("■"), f);
            QPalette pal = header->palette();
            pal.setColor(QPalette::WindowText, kHeaderColors[static_cast<size_t>(c)]);
            header->setPalette(pal);
            header->setAlignment(Qt::AlignCenter);
            header->setGeometry(tw.rect(kListLeft + c * kListWidth, kHeaderTop, kListWidth, 240));
        }
    for (const ColorRow& r : kColorRows) {
        const auto g = static_cast<size_t>(r.group);
        addRow(frames[g], rows[g]++, r);
    }
}

void ColorSettingsWindow::addRow(QWidget* frame, int row, const ColorRow& r) {
    const Twips& tw = tw_;
    const int top = kFirstRowTop + row * kRowStep;
    auto* caption = new QLabel(qtText(r.caption), frame);
    caption->setGeometry(tw.rect(kCaptionLeft, top + 30, kCaptionWidth, 255));
    QStringList values;
    for (int v = 0; v <= 255; ++v)
        values.push_back(QString::number(v));
    for (int c = 0; c < 3; ++c) {
        auto* list = new QComboBox(frame);
        list->setObjectName(QStringLiteral("%1_%2")
                                .arg(QLatin1String(kComboNames[static_cast<size_t>(c)]))
                                .arg(r.entry));
        list->addItems(values);
        list->setGeometry(tw.rect(kListLeft + c * kListWidth, top, kListWidth, 315));
        const auto component = static_cast<ColorComponent>(c);
        connect(list, &QComboBox::currentIndexChanged, this, [this, component, e = r.entry](int i) {
            if (colorComboClick(table_, state_, component, e, i))
                changed_();
        });
        lists_[static_cast<size_t>(c)][static_cast<size_t>(r.entry)] = list;
    }
}

QComboBox* ColorSettingsWindow::list(ColorComponent c, int entry) const {
    return lists_.at(static_cast<size_t>(c)).at(static_cast<size_t>(entry));
}

void ColorSettingsWindow::showEvent(QShowEvent* e) {
    state_.ColorsLoaded = 0;
    for (int i = 0; i < ColorTable::kEntries; ++i)
        for (int c = 0; c < 3; ++c) {
            const auto component = static_cast<ColorComponent>(c);
            list(component, i)->setCurrentIndex(colorComponent(table_, component, i));
        }
    state_.ColorsLoaded = 1;
    QDialog::showEvent(e);
}

void ColorSettingsWindow::select(ColorComponent c, int entry, int listIndex) {
    QComboBox* box = list(c, entry);
    if (box->currentIndex() != listIndex)
        box->setCurrentIndex(listIndex);
    else if (colorComboClick(table_, state_, c, entry, listIndex))
        changed_(); // selecting the shown entry again still runs the handler
}

void ColorSettingsWindow::restoreDefaults() {
    for (const ColorSelection& s : defaultColorSelections())
        select(s.component, s.entry, s.listIndex);
}

} // namespace zelk::ui
