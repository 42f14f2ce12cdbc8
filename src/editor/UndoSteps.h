#pragma once

#include "editor/EditContext.h"
#include "model/UndoRing.h"

#include <utility>

namespace zelk {

// A record of `kind` for an edit of the current part as the view shows it now.
inline UndoRecord stepHere(const EditContext& ctx, int32_t kind) {
    UndoRecord r;
    r.kind = kind;
    r.viewCol = ctx.editor.view.ViewCol;
    r.firstMeasure = ctx.editor.view.FirstMeasure;
    r.part = ctx.song.CurPart;
    return r;
}

// One step more in the undo ring: undo offered, the redos after it gone.
inline void recordStep(EditContext& ctx, UndoRecord r) {
    ctx.song.undo.push(std::move(r));
    ctx.editor.menus.Mundo = true;
    ctx.editor.menus.Mrido = false;
}

} // namespace zelk
