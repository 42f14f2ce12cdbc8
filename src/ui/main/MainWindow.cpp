#include "ui/main/MainWindow.h"
#include "editor/view/ResizeOutline.h"
#include "ui/support/WheelGuard.h"
#include "ui/windows/ColorSettingsWindow.h"

#include "editor/Palette.h"
#include "editor/entry/PartHeaderControls.h"
#include "editor/tools/SignatureSteps.h"
#include "editor/view/DrawScore.h"
#include "editor/view/Signatures.h"
#include "editor/view/ViewPosition.h"
#include "editor/view/WindowLayout.h"
#include "model/Song.h"
#include "ui/main/ScoreCanvas.h"
#include "ui/support/Resources.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

namespace zelk::ui {
namespace {

double logicalDpi() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInch() : 96.0;
}

// The designed inner size of the window, in twips.
constexpr int kDesignedWidth = 11800;
constexpr int kDesignedHeight = 8760;

} // namespace

MainWindow::MainWindow(MainWindowContext ctx, QWidget* parent)
    : QMainWindow(parent), ctx_(ctx), tw_(logicalDpi()), form_(new QWidget(this)) {
    initResources();
    setObjectName(QStringLiteral("Form1"));
    setCentralWidget(form_);
    form_->setAutoFillBackground(true);
    c_ = buildMainWindowControls(form_, tw_);
    m_ = buildMainMenus(menuBar());
    for (int i = 0; i <= 127; ++i) {
        c_.Combo3->addItem(QString::number(i));
        c_.Combo4->addItem(QString::number(i));
    }
    c_.Picture1->setTwipsPerPixel(tw_.twipsPerPx());
    c_.Picture1->show(&drawList_, &ctx_.colors);
    connectTopRow();
    connectPalette();
    connectParts();
    connectMenus();
    connectCanvas();
    connectEditMenu();
    connectSelection();
    connectFileMenu();
    guardWheel(form_);
    connectPlayback();
    connectRecordingAndHelp();
    connectOfflineRender();
    connectViewOptions();
    connectPorts();
    resize(tw_.px(kDesignedWidth), tw_.px(kDesignedHeight) + menuBar()->sizeHint().height() +
                                       statusBar()->sizeHint().height());
    setMinimumSize(minimumReachableSize());
    ApplyColors();
    HScroll1_Change(ctx_.song, ctx_.editor.view, ctx_.editor.signatures);
    refreshControls();
    relayout();
    c_.Picture1->setFocus();
}

// Every palette, part and header control stays reachable, with a little of the score.
QSize MainWindow::minimumReachableSize() const {
    QRect fixed;
    for (QWidget* w : form_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (w != c_.Picture1 && w != c_.HScroll1 && !w->isHidden())
            fixed |= w->geometry();
    constexpr int kScoreRoom = 120;
    return {fixed.right() + kScoreRoom, fixed.bottom() + tw_.px(240) +
                                            menuBar()->sizeHint().height() +
                                            statusBar()->sizeHint().height()};
}

void MainWindow::connectTopRow() {
    connect(c_.HScroll1, &QScrollBar::valueChanged, this, [this](int v) {
        ctx_.editor.view.FirstMeasure = v;
        scrolled();
    });
    // Each change of the signatures or the tempo offset is one undo step.
    connect(c_.Combo5, &QComboBox::activated, this, [this](int i) {
        runEdit([i](EditContext& ec) { return changeTimeSignature(ec, i); });
    });
    connect(c_.Combo6, &QComboBox::activated, this,
            [this](int i) { runEdit([i](EditContext& ec) { return changeKeyKind(ec, i); }); });
    connect(c_.Combo7, &QComboBox::activated, this,
            [this](int i) { runEdit([i](EditContext& ec) { return changeKeyCount(ec, i); }); });
    connect(c_.Combo2, &QComboBox::activated, this,
            [this](int i) { runEdit([i](EditContext& ec) { return changeTempoOffset(ec, i); }); });
    connect(c_.Combo1, &QComboBox::activated, this,
            [this](int i) { Combo1_Click(ctx_.song, ctx_.midi, i); });
    connect(c_.Combo3, &QComboBox::activated, this,
            [this](int i) { Combo3_Click(ctx_.song, ctx_.midi, i); });
    connect(c_.Combo4, &QComboBox::activated, this,
            [this](int i) { Combo4_Click(ctx_.song, ctx_.midi, i); });
}

void MainWindow::connectPalette() {
    Palette& p = ctx_.editor.palette;
    for (int i = 1; i <= 6; ++i) {
        QPushButton* b = c_.Command1[static_cast<size_t>(i)];
        b->installEventFilter(this);
        connect(b, &QPushButton::clicked, this, [this, &p, i] {
            Command1_Click(p, i);
            afterPaletteAction(false);
        });
    }
    for (int i = 0; i < 2; ++i)
        connect(c_.Command2[static_cast<size_t>(i)], &QPushButton::clicked, this, [this, &p, i] {
            Command2_Click(p, i);
            afterPaletteAction(false);
        });
    connect(c_.Command3, &QPushButton::clicked, this, [this, &p] {
        Command3_Click(p);
        afterPaletteAction(false);
    });
    connect(c_.Command5, &QPushButton::clicked, this, [this, &p] {
        Command5_Click(p);
        afterPaletteAction(false);
    });
    for (int i = 0; i < 4; ++i)
        connect(c_.Option2[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this, &p, i] {
            Option2_Click(p, ctx_.editor.view, i);
            afterPaletteAction(true);
        });
    for (int i = 0; i < 8; ++i)
        connect(c_.Option3[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this, &p, i] {
            Option3_Click(p, i);
            afterPaletteAction(false);
        });
}

void MainWindow::connectParts() {
    Palette& p = ctx_.editor.palette;
    for (int i = 0; i < 16; ++i) {
        connect(c_.Option1[static_cast<size_t>(i)], &QRadioButton::clicked, this,
                [this, i] { selectPart(i); });
        connect(c_.Check1[static_cast<size_t>(i)], &QCheckBox::clicked, this,
                [this, &p, i](bool on) {
                    Check1_Click(p, i, on);
                    afterPaletteAction(false);
                });
    }
    connect(c_.Command7, &QPushButton::clicked, this, [this, &p] {
        Command7_Click(p);
        afterPaletteAction(false);
    });
    connect(c_.Command8, &QPushButton::clicked, this, [this, &p] {
        Command8_Click(p);
        afterPaletteAction(false);
    });
}

void MainWindow::connectMenus() {
    m_.Moption->setEnabled(true);
    connect(m_.Moption, &QAction::triggered, this, [this] {
        if (!colorWindow_)
            colorWindow_ = new ColorSettingsWindow(
                ctx_.colors,
                [this] {
                    ApplyColors();
                    redraw();
                },
                this);
        colorWindow_->show();
        colorWindow_->raise();
    });
    for (int i = 1; i <= 7; ++i)
        connect(m_.Mkakudai[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] {
            Mkakudai_Click(ctx_.song, ctx_.editor.view, ctx_.editor.signatures, i);
            refreshControls();
            redraw();
        });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (filterComboKey(watched, e))
        return true;
    if (e->type() == QEvent::Hide)
        for (const auto& [view, box] : popupOwners_)
            if (watched == view && box->isEnabled())
                QTimer::singleShot(0, box, [box] { box->setFocus(Qt::PopupFocusReason); });
    // A right-button release over a length button adds that length to the sum.
    if (e->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(e);
        for (int i = 1; i <= 6; ++i) {
            if (watched != c_.Command1[static_cast<size_t>(i)])
                continue;
            if (me->button() == Qt::RightButton) {
                Command1_MouseUp(ctx_.editor.palette, i, 2);
                afterPaletteAction(false);
            }
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void MainWindow::afterPaletteAction(bool relayoutNeeded) {
    refreshControls();
    if (relayoutNeeded)
        relayout();
    else
        redraw();
    c_.Picture1->setFocus();
}

void MainWindow::showRefusal(const std::string& message) {
    QMessageBox::information(this, QString::fromUtf8(kAppTitle.data(), kAppTitle.size()),
                             QString::fromStdString(message));
}

void MainWindow::scrolled() {
    HScroll1_Change(ctx_.song, ctx_.editor.view, ctx_.editor.signatures);
    refreshControls();
    redraw();
}

void MainWindow::redraw() {
    DrawScore(ctx_.song, ctx_.editor.palette, ctx_.editor.view, drawList_, scoreExtras());
    appendResizeOutline(ctx_.editor.view, ctx_.editor.entry, drawList_);
    c_.Picture1->scoreChanged();
    c_.Picture1->update();
}

void MainWindow::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    relayout();
}

} // namespace zelk::ui
