// The main window's edits of the notes selected on the score: the edit menu's items, the
// selection's overlay and the transposition window.
#include "editor/EditContext.h"
#include "editor/entry/SelectionEdits.h"
#include "editor/view/SelectionDraw.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ScoreCanvas.h"
#include "ui/windows/TransposeWindow.h"

#include <QAction>
#include <QApplication>
#include <QCursor>

namespace zelk::ui {

void MainWindow::connectSelection() {
    c_.Picture1->setGesture(&gesture_);
    const std::pair<QAction*, EditOutcome (*)(EditContext&)> commands[] = {
        {m_.Mcut, cutSelection},
        {m_.Mcopy, copySelection},
        {m_.Mdelete, deleteSelection},
        {m_.MselectAll, selectAllNotes},
        {m_.MselectNone, clearSelection}};
    for (const auto& [action, command] : commands)
        connect(action, &QAction::triggered, this, [this, command] { runEdit(command); });
    connect(m_.Mpaste, &QAction::triggered, this, [this] {
        const std::optional<double> x = pastePointer();
        runEdit([x](EditContext& ec) { return pasteNotes(ec, x); });
    });
    connect(m_.Mtranspose, &QAction::triggered, this, [this] {
        if (!transposeWindow_)
            transposeWindow_ = new TransposeWindow(*this);
        transposeWindow_->show();
        transposeWindow_->raise();
    });
    updateSelectionMenus();
}

void MainWindow::updateSelectionMenus() {
    // Without notes to work on the items are off, so that Del and Ctrl+C, X, V stay
    // whatever keys they were on the score and in the drop-downs.
    const NoteSelection& s = ctx_.editor.selection;
    const bool selected = s.part == ctx_.song.CurPart && !s.empty();
    for (QAction* a : {m_.Mcut, m_.Mcopy, m_.Mdelete, m_.MselectNone})
        a->setEnabled(selected);
    m_.Mpaste->setEnabled(!ctx_.editor.clipboard.empty());
}

void MainWindow::showSelectionGesture() {
    drawSelectionGesture(ctx_.editor.view, ctx_.editor.selection, gesture_);
    c_.Picture1->update();
}

std::optional<double> MainWindow::pastePointer() const {
    // A menu or a tool window over the score does not count: the item was chosen there
    // (the canvas hears the pointer leave for the menu and come back only after the
    // item has run).
    const ScoreCanvas* canvas = c_.Picture1;
    const QPoint global = QCursor::pos();
    if (ctx_.editor.palette.InputScreen != ScreenScore || !canvas->underMouse() ||
        QApplication::widgetAt(global) != canvas)
        return std::nullopt;
    const QPoint at = canvas->mapFromGlobal(global);
    return at.x() * canvas->twipsPerPixel();
}

} // namespace zelk::ui
