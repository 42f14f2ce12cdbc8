// The main window's editing: canvas mouse and keys, the edit menu and the key assignment.
#include "editor/EditContext.h"
#include "editor/entry/CanvasMouse.h"
#include "editor/entry/KeyboardCommands.h"
#include "editor/entry/PartChange.h"
#include "editor/session/ReasonText.h"
#include "editor/tools/StepEntry.h"
#include "editor/tools/UndoRedo.h"
#include "editor/view/DrawScore.h"
#include "model/FormatError.h"
#include "storage/ProjectFileError.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ScoreCanvas.h"
#include "ui/support/GuardedApplication.h"
#include "ui/support/KeyCodes.h"
#include "ui/windows/KeyAssignWindow.h"
#include "ui/windows/MeasureCopyWindow.h"
#include "ui/windows/MeasureEditWindow.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

namespace zelk::ui {
namespace {

int buttonCode(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int buttonsCode(Qt::MouseButtons b) {
    return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
           (b & Qt::MiddleButton ? 4 : 0);
}

int shiftCode(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}

} // namespace

EditContext MainWindow::context() {
    return EditContext{ctx_.song, ctx_.editor, ctx_.folder, ctx_.midi, ctx_.compressor};
}

template <typename Action> void MainWindow::edit(Action&& action) {
    EditContext ec = context();
    try {
        apply(action(ec));
    } catch (const std::exception& e) {
        // A damaged file met on the way is a refusal with its reason; anything else the
        // core throws is reported the same way, and the song stays open.
        const bool fileReason = dynamic_cast<const FormatError*>(&e) != nullptr ||
                                dynamic_cast<const ProjectFileError*>(&e) != nullptr;
        showRefusal(fileReason ? reasonInJapanese(e.what())
                               : std::string(kUnfinishedAction) + "\n" + e.what());
        refreshControls();
        relayout();
    }
}

void MainWindow::runEdit(const std::function<EditOutcome(EditContext&)>& action) {
    edit(action);
}

void MainWindow::holdTimeSignature(bool hold) {
    timeSignatureHolds_ = std::max(0, timeSignatureHolds_ + (hold ? 1 : -1));
    c_.Combo5->setEnabled(timeSignatureHolds_ == 0 && m_.Mfile->isEnabled());
}

void MainWindow::apply(const EditOutcome& o) {
    // Pointer moves change at most the picture and the pointer shape; the controls are
    // copied again only when the action says they may have changed.
    if (o.paletteChanged || o.partChanged || o.positionChanged || o.songReplaced || o.relayout)
        refreshControls();
    m_.Mundo->setEnabled(ctx_.editor.menus.Mundo);
    m_.Mrido->setEnabled(ctx_.editor.menus.Mrido);
    c_.Command5->setChecked(ctx_.editor.palette.TupletMode == 1); // undo may switch it
    c_.Picture1->setCursor(ctx_.editor.entry.MousePointer == PointerSizeWE ? Qt::SizeHorCursor
                                                                           : Qt::ArrowCursor);
    c_.Label10->setText(QString::fromStdString(ctx_.editor.palette.PointerText));
    if (o.lineMoved)
        moveRubberBand();
    if (o.overlayChanged)
        showSelectionGesture();
    updateSelectionMenus();
    if (o.relayout || o.partChanged || o.songReplaced)
        relayout();
    else if (o.redraw || o.positionChanged || o.paletteChanged)
        redraw();
    else if (o.laneFirst >= 0)
        repaintLaneColumns(o.laneFirst, o.laneLast);
    if (o.refused())
        showRefusal(o.message);
    if (o.playStop && c_.Command4->isEnabled())
        playStop();
    if (o.seamAudition)
        seamAudition();
    if (o.step != StepCommand::None)
        runStep(o.step);
}

void MainWindow::repaintLaneColumns(int first, int last) {
    DrawScore(ctx_.song, ctx_.editor.palette, ctx_.editor.view, drawList_);
    c_.Picture1->scoreChanged();
    const ViewState& v = ctx_.editor.view;
    const double tpp = c_.Picture1->twipsPerPixel();
    // The bars are five pixels wide around each column's centre.
    const int left = static_cast<int>(first * v.ColWidth / tpp) - 4;
    const int right = static_cast<int>((last + 1) * v.ColWidth / tpp) + 4;
    c_.Picture1->update(QRect(left, 0, right - left + 1, c_.Picture1->height()));
}

void MainWindow::moveRubberBand() {
    ScoreCanvas* canvas = c_.Picture1;
    const QRect before = canvas->pixelBounds(line1_);
    line1_.clear();
    const RubberLine& l = ctx_.editor.lanes.Line1;
    if (l.visible)
        line1_.line(static_cast<float>(l.x1), static_cast<float>(l.y1), static_cast<float>(l.x2),
                    static_cast<float>(l.y2), kBlack, 1);
    canvas->update(before | canvas->pixelBounds(line1_));
}

void MainWindow::selectPart(int part) {
    edit([&](EditContext& ec) {
        changePart(ec, part);
        EditOutcome o;
        o.partChanged = true;
        return o;
    });
    c_.Picture1->setFocus();
}

void MainWindow::connectCanvas() {
    ScoreCanvas* canvas = c_.Picture1;
    canvas->setRubberBand(&line1_);
    connect(canvas, &ScoreCanvas::pressed, this,
            [this](double x, double y, Qt::MouseButton b, Qt::KeyboardModifiers mods) {
                edit([&](EditContext& ec) {
                    if (auto set = clickEntryColumn(ec, buttonCode(b), shiftCode(mods), x, y))
                        return *set;
                    return Picture1_MouseDown(ec, buttonCode(b), shiftCode(mods), x, y);
                });
            });
    connect(canvas, &ScoreCanvas::moved, this,
            [this](double x, double y, Qt::MouseButtons b, Qt::KeyboardModifiers mods) {
                edit([&](EditContext& ec) {
                    return Picture1_MouseMove(ec, buttonsCode(b), shiftCode(mods), x, y);
                });
            });
    connect(canvas, &ScoreCanvas::released, this,
            [this](double x, double y, Qt::MouseButton b, Qt::KeyboardModifiers mods) {
                edit([&](EditContext& ec) {
                    return Picture1_MouseUp(ec, buttonCode(b), shiftCode(mods), x, y);
                });
            });
    connect(canvas, &ScoreCanvas::doubleClicked, this, [this](double, double) {
        edit([](EditContext& ec) { return Picture1_DblClick(ec); });
    });
    connect(canvas, &ScoreCanvas::keyPressed, this, [this](int code, Qt::KeyboardModifiers mods) {
        if (code != 0)
            edit([&](EditContext& ec) { return Picture1_KeyDown(ec, code, shiftCode(mods)); });
    });
    connect(canvas, &ScoreCanvas::keyReleased, this, [this](int code, Qt::KeyboardModifiers) {
        if (code != 0)
            edit([&](EditContext& ec) { return Picture1_KeyUp(ec, code); });
    });
    // The wheel scrolls the score by measures, as the scroll bar's arrows do.
    connect(canvas, &ScoreCanvas::wheelTurned, this, [this](int notches) {
        if (c_.HScroll1->isEnabled())
            c_.HScroll1->setValue(c_.HScroll1->value() - notches);
    });
    for (QComboBox* box : {c_.Combo1, c_.Combo2, c_.Combo3, c_.Combo4, c_.Combo6, c_.Combo7})
        box->installEventFilter(this);
    // A list closed without a choice (Esc, a click elsewhere) leaves the keyboard on its
    // drop-down, whatever the window manager does with the popup's focus: the next arrow key
    // changes the drop-down, not the part.
    for (QComboBox* box :
         {c_.Combo1, c_.Combo2, c_.Combo3, c_.Combo4, c_.Combo5, c_.Combo6, c_.Combo7}) {
        box->view()->installEventFilter(this);
        popupOwners_.push_back({box->view(), box});
    }
}

bool MainWindow::filterComboKey(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress)
        return false;
    bool isDropDown = false;
    for (QComboBox* box : {c_.Combo1, c_.Combo2, c_.Combo3, c_.Combo4, c_.Combo6, c_.Combo7})
        isDropDown |= watched == box;
    if (!isDropDown)
        return false;
    auto* ke = static_cast<QKeyEvent*>(e);
    const int code =
        windowsKeyCode(ke->key(), ke->modifiers(), ke->nativeScanCode(), ke->nativeVirtualKey());
    if (code == 0 || comboKeepsKey(code))
        return false;
    edit([&](EditContext& ec) { return Combo_KeyDown(ec, code, shiftCode(ke->modifiers())); });
    return true;
}

void MainWindow::connectEditMenu() {
    connect(m_.Mundo, &QAction::triggered, this,
            [this] { edit([](EditContext& ec) { return undoInStepEntry(ec); }); });
    connect(m_.Mrido, &QAction::triggered, this,
            [this] { edit([](EditContext& ec) { return Mrido_Click(ec); }); });
    m_.Mhyou->setEnabled(true);
    connect(m_.Mhyou, &QAction::triggered, this, [this] {
        if (!keyWindow_)
            keyWindow_ = new KeyAssignWindow(ctx_.editor.keys, this);
        keyWindow_->show();
        keyWindow_->raise();
    });
    m_.Msyo->setEnabled(true);
    connect(m_.Msyo, &QAction::triggered, this, [this] {
        if (!copyWindow_)
            copyWindow_ = new MeasureCopyWindow(*this, ctx_.song, ctx_.editor);
        copyWindow_->show();
        copyWindow_->raise();
    });
    m_.Medit->setEnabled(true);
    connect(m_.Medit, &QAction::triggered, this, [this] {
        if (!measureEditWindow_)
            measureEditWindow_ = new MeasureEditWindow(*this, ctx_.song, ctx_.editor);
        measureEditWindow_->show();
        measureEditWindow_->raise();
    });
    m_.Mundo->setEnabled(ctx_.editor.menus.Mundo);
    m_.Mrido->setEnabled(ctx_.editor.menus.Mrido);
}

} // namespace zelk::ui
