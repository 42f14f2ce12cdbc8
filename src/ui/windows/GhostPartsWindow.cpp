#include "ui/windows/GhostPartsWindow.h"

#include "ui/support/Twips.h"
#include "ui/support/WidgetText.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

namespace zelk::ui {

GhostPartsWindow::GhostPartsWindow(uint16_t parts, QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("GhostParts"));
    setWindowTitle(QStringLiteral("薄く表示するパート"));
    setModal(true);
    const Twips tw = twipsOf(owner);
    auto* frame = placed(new QGroupBox(QStringLiteral("パート"), this), "Frame1",
                         tw.rect(120, 120, 5400, 1320));
    for (int p = 0; p < 16; ++p) {
        auto* box = new QCheckBox(QString::number(p + 1), frame);
        box->setObjectName(QStringLiteral("Check1_%1").arg(p));
        box->setGeometry(tw.rect(150 + (p % 8) * 660, 330 + (p / 8) * 450, 640, 330));
        box->setChecked((parts & (1u << p)) != 0);
        boxes_[static_cast<size_t>(p)] = box;
    }
    auto* all = placed(new QPushButton(QStringLiteral("全"), this), "Command2",
                       tw.rect(120, 1560, 900, 375));
    auto* none = placed(new QPushButton(QStringLiteral("解"), this), "Command3",
                        tw.rect(1140, 1560, 900, 375));
    auto* close = placed(new QPushButton(QStringLiteral("閉じる"), this), "Command1",
                         tw.rect(4305, 1560, 1215, 375));
    connect(all, &QPushButton::clicked, this, [this] {
        for (QCheckBox* b : boxes_)
            b->setChecked(true);
    });
    connect(none, &QPushButton::clicked, this, [this] {
        for (QCheckBox* b : boxes_)
            b->setChecked(false);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(tw.px(5640), tw.px(2100));
    noDefaultButton(this);
}

uint16_t GhostPartsWindow::parts() const {
    uint16_t parts = 0;
    for (int p = 0; p < 16; ++p)
        if (boxes_[static_cast<size_t>(p)]->isChecked())
            parts = static_cast<uint16_t>(parts | (1u << p));
    return parts;
}

} // namespace zelk::ui
