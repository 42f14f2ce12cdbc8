#include "editor/entry/KeyboardCommands.h"

#include "editor/KeyAssign.h"
#include "editor/entry/PartChange.h"
#include "editor/entry/SelectionEdits.h"
#include "editor/view/ViewPosition.h"

#include <optional>

namespace zelk {

namespace {

// Actions of the assignment window, by number.
enum KeyAction {
    ActWhole = 0, // .. ActThirtySecond = 5: Command1(1..6)
    ActSharp = 6,
    ActFlat = 7,
    ActClearAccidental = 8,
    ActUpperBand = 9, // .. 11: Option2(0..2)
    ActMeasureLeft = 12,
    ActMeasureRight = 13,
    ActTenLeft = 14,
    ActTenRight = 15,
    ActPlayStop = 16,
    ActTuplet = 17,
    ActLoopPlayback = 18,
    ActSeamAudition = 19,
    ActStepEntry = 20,
    ActStepRest = 21,
};

constexpr int kVkBack = 8;

bool isKeyOf(const EditContext& ctx, int action, int code) {
    return assignedKeyCode(ctx.editor.keys, action) == code;
}

// First action of first..last whose key this is; -1 if none.
int actionIn(const EditContext& ctx, int first, int last, int code) {
    for (int a = first; a <= last; ++a)
        if (isKeyOf(ctx, a, code))
            return a;
    return -1;
}

// Sets the scroll bar's value; an unchanged value raises no change event.
EditOutcome scrollTo(EditContext& ctx, int measure) {
    ViewState& v = ctx.editor.view;
    if (measure == v.FirstMeasure)
        return {};
    v.FirstMeasure = measure;
    HScroll1_Change(ctx.song, v, ctx.editor.signatures);
    EditOutcome out;
    out.positionChanged = true;
    out.redraw = true;
    return out;
}

// Steps 3..6 of the dispatch: measure moves; nothing when the key is none of them.
std::optional<EditOutcome> measureMove(EditContext& ctx, int code) {
    const int value = ctx.editor.view.FirstMeasure;
    const int max = scrollMax(ctx.song);
    if (isKeyOf(ctx, ActMeasureLeft, code) || code == kVkLeft)
        return value - 1 >= 1 ? scrollTo(ctx, value - 1) : EditOutcome{};
    if (isKeyOf(ctx, ActMeasureRight, code) || code == kVkRight)
        return value + 1 <= max ? scrollTo(ctx, value + 1) : EditOutcome{};
    if (isKeyOf(ctx, ActTenLeft, code))
        return scrollTo(ctx, value - 10 < 1 ? 1 : value - 10);
    if (isKeyOf(ctx, ActTenRight, code))
        return scrollTo(ctx, value + 10 > max ? max : value + 10);
    return std::nullopt;
}

EditOutcome selectPart(EditContext& ctx, int part) {
    changePart(ctx, part);
    EditOutcome out;
    out.partChanged = true;
    out.relayout = true;
    return out;
}

EditOutcome selectScreen(EditContext& ctx, int screen) {
    Option3_Click(ctx.editor.palette, screen);
    EditOutcome out;
    out.paletteChanged = true;
    out.redraw = true;
    return out;
}

// Steps 7..10: the up and down arrows step the part, with Shift the input screen.
std::optional<EditOutcome> arrowStep(EditContext& ctx, int code, int shift) {
    if (code != kVkUp && code != kVkDown)
        return std::nullopt;
    const int step = code == kVkUp ? -1 : 1;
    if (shift == 0) {
        const int part = ctx.song.CurPart + step;
        return part >= 0 && part < kParts ? selectPart(ctx, part) : EditOutcome{};
    }
    if (shift == 1) {
        const int screen = ctx.editor.palette.InputScreen + step;
        return screen >= ScreenScore && screen <= ScreenTem ? selectScreen(ctx, screen)
                                                            : EditOutcome{};
    }
    return std::nullopt;
}

// Steps 11..15: the palette's buttons.
EditOutcome paletteAction(EditContext& ctx, int code) {
    Palette& p = ctx.editor.palette;
    EditOutcome out;
    out.paletteChanged = true;
    if (const int a = actionIn(ctx, ActWhole, ActWhole + 5, code); a >= 0) {
        Command1_Click(p, a - ActWhole + 1); // runs even where the button is disabled
    } else if (const int b = actionIn(ctx, ActSharp, ActFlat, code); b >= 0) {
        Command2_Click(p, b - ActSharp);
    } else if (isKeyOf(ctx, ActClearAccidental, code)) {
        Command3_Click(p);
    } else if (const int c = actionIn(ctx, ActUpperBand, ActUpperBand + 2, code); c >= 0) {
        Option2_Click(p, ctx.editor.view, c - ActUpperBand);
        out.relayout = true;
    } else if (isKeyOf(ctx, ActTuplet, code)) {
        Command5_Click(p);
        out.redraw = true;
    } else {
        return {};
    }
    return out;
}

// Step entry's keys: its toggle always; while it is on, the rest key, BackSpace and the
// plain left and right arrows (which move the entry column instead of the view).
std::optional<EditOutcome> stepKey(const EditContext& ctx, int code, int shift) {
    EditOutcome out;
    if (isKeyOf(ctx, ActStepEntry, code))
        out.step = StepCommand::Toggle;
    else if (!ctx.editor.step.on)
        return std::nullopt;
    else if (isKeyOf(ctx, ActStepRest, code))
        out.step = StepCommand::Rest;
    else if (code == kVkBack)
        out.step = StepCommand::Back;
    else if (shift == 0 && code == kVkLeft)
        out.step = StepCommand::Left;
    else if (shift == 0 && code == kVkRight)
        out.step = StepCommand::Right;
    else
        return std::nullopt;
    return out;
}

} // namespace

EditOutcome Picture1_KeyDown(EditContext& ctx, int code, int shift) {
    // In step entry the plain arrows move the entry column, even over a selection.
    if (ctx.editor.step.on && shift == 0)
        if (auto step = stepKey(ctx, code, shift))
            return *step;
    if (auto moved = selectionKey(ctx, code, shift))
        return *moved;
    if (shift == 2)
        return {};
    if (isKeyOf(ctx, ActPlayStop, code)) {
        EditOutcome out;
        out.playStop = true;
        return out;
    }
    if (isKeyOf(ctx, ActLoopPlayback, code)) {
        ctx.editor.palette.LoopPlayback = !ctx.editor.palette.LoopPlayback;
        EditOutcome out;
        out.paletteChanged = true;
        return out;
    }
    if (isKeyOf(ctx, ActSeamAudition, code)) {
        EditOutcome out;
        out.seamAudition = true;
        return out;
    }
    if (auto step = stepKey(ctx, code, shift))
        return *step;
    if (auto moved = measureMove(ctx, code))
        return *moved;
    if (auto stepped = arrowStep(ctx, code, shift))
        return *stepped;
    return paletteAction(ctx, code);
}

EditOutcome Picture1_KeyUp(EditContext& ctx, int code) {
    if (code != kVkShift)
        return {};
    Command3_Click(ctx.editor.palette);
    EditOutcome out;
    out.paletteChanged = true;
    return out;
}

bool comboKeepsKey(int code) {
    return code >= kVkLeft && code <= kVkDown;
}

EditOutcome Combo_KeyDown(EditContext& ctx, int code, int shift) {
    if (comboKeepsKey(code))
        return {};
    return Picture1_KeyDown(ctx, code, shift);
}

} // namespace zelk
