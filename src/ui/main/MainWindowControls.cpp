#include "ui/main/MainWindowControls.h"

#include "ui/main/ScoreCanvas.h"
#include "ui/support/ProgramNames.h"
#include "ui/support/Twips.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace zelk::ui {
namespace {

template <typename W> W* place(W* w, const char* id, const Twips& tw, QRect twips) {
    w->setObjectName(QString::fromLatin1(id));
    w->setGeometry(tw.rect(twips.x(), twips.y(), twips.width(), twips.height()));
    return w;
}

QLabel* readout(QWidget* form, const char* id, const Twips& tw, QRect r, const QString& text) {
    auto* l = place(new QLabel(text, form), id, tw, r);
    l->setAutoFillBackground(true);
    l->setStyleSheet(QStringLiteral("color: white; background: black;"));
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QComboBox* dropDown(QWidget* form, const char* id, const Twips& tw, QRect r, bool dark) {
    auto* c = place(new QComboBox(form), id, tw, r);
    if (dark) {
        // The popup keeps readable colours of its own: the box's white on black must not
        // reach the list, which the style draws on a light background.
        c->setStyleSheet(QStringLiteral("QComboBox { color: white; background: black; }"));
        c->setItemDelegate(new QStyledItemDelegate(c));
        c->view()->setStyleSheet(
            QStringLiteral("color: black; background: white; selection-color: white;"
                           " selection-background-color: #3465a4;"));
    }
    return c;
}

QPushButton* button(QWidget* form, const char* id, const Twips& tw, QRect r, const QString& text,
                    const QString& tip = {}) {
    auto* b = place(new QPushButton(text, form), id, tw, r);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

void buildTopRow(QWidget* form, const Twips& tw, MainWindowControls& c) {
    c.HScroll1 = place(new QScrollBar(Qt::Horizontal, form), "HScroll1", tw, {120, 0, 11400, 255});
    c.HScroll1->setRange(1, 300);
    c.Picture1 = place(new ScoreCanvas(form), "Picture1", tw, {1200, 960, 10320, 7440});
    c.Command4 = button(form, "Command4", tw, {120, 330, 975, 540}, QStringLiteral("再生"),
                        QStringLiteral("表示されてる小節から再生"));
    c.Label1 = readout(form, "Label1", tw, {1200, 330, 2055, 255}, QStringLiteral("４"));
    c.Label3 = place(new QLabel(QStringLiteral("♪="), form), "Label3", tw, {3405, 315, 375, 300});
    c.Combo2 = dropDown(form, "Combo2", tw, {3780, 315, 735, 300}, false);
    for (int i = 1; i <= 300; ++i)
        c.Combo2->addItem(QString::number(i));
    c.Label4 = readout(form, "Label4", tw, {1200, 615, 495, 255}, QStringLiteral("中段"));
    c.Label10 = readout(form, "Label10", tw, {1695, 615, 525, 255}, QString());
    c.Combo5 = dropDown(form, "Combo5", tw, {2280, 615, 975, 300}, true);
    for (const auto& item : timeSignatureItems())
        c.Combo5->addItem(item);
    c.Combo6 = dropDown(form, "Combo6", tw, {3285, 615, 615, 300}, true);
    c.Combo6->addItems({QStringLiteral("♯"), QStringLiteral("♭")});
    c.Combo7 = dropDown(form, "Combo7", tw, {3900, 615, 615, 300}, true);
    for (int i = 0; i <= 7; ++i)
        c.Combo7->addItem(QString::number(i));
}

void buildPalette(QWidget* form, const Twips& tw, MainWindowControls& c) {
    static const char* const ids[7] = {"",           "Command1_1", "Command1_2", "Command1_3",
                                       "Command1_4", "Command1_5", "Command1_6"};
    static const char* const pictures[7] = {"",
                                            ":/notes/whole.svg",
                                            ":/notes/half.svg",
                                            ":/notes/quarter.svg",
                                            ":/notes/eighth.svg",
                                            ":/notes/sixteenth.svg",
                                            ":/notes/thirtysecond.svg"};
    for (int i = 1; i <= 6; ++i) {
        // The thirty-second note sits leftmost, the whole note rightmost.
        const int left = 4575 + (6 - i) * 360;
        auto* b = button(form, ids[i], tw, {left, 345, 375, 375}, QString(),
                         QStringLiteral("右クリックで足されていく"));
        b->setIcon(QIcon(QString::fromLatin1(pictures[i])));
        b->setIconSize(QSize(tw.px(300), tw.px(300)));
        c.Command1[static_cast<size_t>(i)] = b;
    }
    c.Command5 = button(form, "Command5", tw, {6795, 345, 375, 375}, QStringLiteral("連"));
    c.Command5->setCheckable(true); // shows the tuplet mode
    c.Label2 = readout(form, "Label2", tw, {7275, 345, 375, 375}, QString());
    c.Command2[0] = button(form, "Command2_0", tw, {7635, 345, 375, 375}, QStringLiteral("♯"));
    c.Command2[1] = button(form, "Command2_1", tw, {7995, 345, 375, 375}, QStringLiteral("♭"));
    // The fonts draw ♯ and ♭ with hairlines that read as a disabled caption; bolder and
    // larger they look like the buttons beside them.
    for (QPushButton* b : c.Command2) {
        QFont f = b->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.3);
        b->setFont(f);
    }
    c.Command3 = button(form, "Command3", tw, {8355, 345, 375, 375}, QStringLiteral("解"),
                        QStringLiteral("臨時記号を消す"));
    c.Label11 = place(new QLabel(QStringLiteral("▼左クリック：音符設置　右クリック：音試聴"), form),
                      "Label11", tw, {4575, 750, 3255, 165});
    QFont small = c.Label11->font();
    small.setPixelSize(tw.px(165) - 1);
    c.Label11->setFont(small);
    c.Combo1 = dropDown(form, "Combo1", tw, {8805, 600, 2745, 300}, false);
    for (const char* name : programNames())
        c.Combo1->addItem(QString::fromUtf8(name));
    c.Label6 = place(new QLabel(QStringLiteral("音響"), form), "Label6", tw, {8805, 285, 495, 255});
    c.Combo3 = dropDown(form, "Combo3", tw, {9315, 285, 900, 300}, false);
    c.Label7 =
        place(new QLabel(QStringLiteral("ｺｰﾗｽ"), form), "Label7", tw, {10275, 285, 540, 255});
    c.Combo4 = dropDown(form, "Combo4", tw, {10815, 285, 735, 300}, false);
}

void buildScreenAndStaffFrames(QWidget* form, const Twips& tw, MainWindowControls& c) {
    c.Frame3 =
        place(new QGroupBox(QStringLiteral("画面"), form), "Frame3", tw, {120, 900, 975, 2175});
    c.Frame3->setToolTip(QStringLiteral("入力画面切り替え"));
    static const char* const screens[8] = {"譜面", "Vel.", "Pit.", "Mod.",
                                           "Exp.", "Pan.", "Hol.", "Tem."};
    for (int i = 0; i < 8; ++i) {
        auto* o = new QRadioButton(QString::fromUtf8(screens[i]), c.Frame3);
        o->setObjectName(QStringLiteral("Option3_%1").arg(i));
        o->setGeometry(tw.rect(90, 210 + i * 240, 800, 240));
        o->setFocusPolicy(Qt::NoFocus);
        c.Option3[static_cast<size_t>(i)] = o;
    }
    c.Option3[0]->setChecked(true);
    c.Frame2 = place(new QGroupBox(form), "Frame2", tw, {120, 3000, 975, 1095});
    c.Frame2->setToolTip(QStringLiteral("譜面のオクターブ切り替え"));
    static const char* const bands[4] = {"上段", "中段", "下段", "全体"};
    for (int i = 0; i < 4; ++i) {
        auto* o = new QRadioButton(QString::fromUtf8(bands[i]), c.Frame2);
        o->setObjectName(QStringLiteral("Option2_%1").arg(i));
        o->setGeometry(tw.rect(90, 90 + i * 240, 800, 240));
        o->setFocusPolicy(Qt::NoFocus);
        c.Option2[static_cast<size_t>(i)] = o;
    }
    c.Option2[1]->setChecked(true);
}

void buildPartFrame(QWidget* form, const Twips& tw, MainWindowControls& c) {
    c.Frame1 =
        place(new QGroupBox(QStringLiteral("ﾊﾟｰﾄ"), form), "Frame1", tw, {120, 4125, 975, 4455});
    c.Frame1->setToolTip(QStringLiteral("左がパート選択　右が再生パート選択"));
    for (int p = 0; p < 16; ++p) {
        auto* o = new QRadioButton(QString::number(p + 1), c.Frame1);
        o->setObjectName(QStringLiteral("Option1_%1").arg(p));
        o->setGeometry(tw.rect(60, 210 + p * 240, 600, 240));
        o->setFocusPolicy(Qt::NoFocus);
        c.Option1[static_cast<size_t>(p)] = o;
        auto* box = new QCheckBox(c.Frame1);
        box->setObjectName(QStringLiteral("Check1_%1").arg(p));
        box->setGeometry(tw.rect(690, 210 + p * 240, 255, 240));
        box->setChecked(true);
        box->setFocusPolicy(Qt::NoFocus);
        c.Check1[static_cast<size_t>(p)] = box;
    }
    c.Option1[0]->setChecked(true);
    c.Command7 = button(c.Frame1, "Command7", tw, {60, 4080, 420, 300}, QStringLiteral("全"),
                        QStringLiteral("再生パート全部チェック"));
    c.Command8 = button(c.Frame1, "Command8", tw, {495, 4080, 420, 300}, QStringLiteral("解"),
                        QStringLiteral("再生パート全部解除"));
    for (int b = 0; b < 50; ++b) {
        auto* l = new QLabel(form);
        l->setObjectName(QStringLiteral("Label5_%1").arg(b));
        l->setGeometry(tw.rect(1140, 960, 1000, 240));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->hide();
        c.Label5[static_cast<size_t>(b)] = l;
    }
}

} // namespace

const std::array<QString, 10>& timeSignatureItems() {
    static const std::array<QString, 10> items = {QStringLiteral("１/４"), QStringLiteral("２/４"),
                                                  QStringLiteral("３/４"), QStringLiteral("４/４"),
                                                  QStringLiteral("５/４"), QStringLiteral("６/４"),
                                                  QStringLiteral("１/８"), QStringLiteral("３/８"),
                                                  QStringLiteral("５/８"), QStringLiteral("７/８")};
    return items;
}

MainWindowControls buildMainWindowControls(QWidget* form, const Twips& tw) {
    MainWindowControls c;
    buildTopRow(form, tw, c);
    buildPalette(form, tw, c);
    buildScreenAndStaffFrames(form, tw, c);
    buildPartFrame(form, tw, c);
    return c;
}

} // namespace zelk::ui
