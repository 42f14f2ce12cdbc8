#include "editor/entry/PartChange.h"

#include "editor/lanes/LaneStroke.h"
#include "model/PartSwitch.h"

namespace zelk {

void changePart(EditContext& ctx, int part) {
    finishLaneStroke(ctx);
    ctx.editor.selection.clear();
    switchPart(ctx.song, ctx.folder, ctx.out, part, ctx.editor.entry.LastPreviewNote);
}

} // namespace zelk
