#include "editor/KeyAssign.h"

#include "storage/StateFile.h"

#include <stdexcept>

namespace zelk {

namespace {

// Positions 0..11: the named keys, in list order.
struct NamedKey {
    std::string_view caption;
    uint8_t code;
};
constexpr NamedKey kNamedKeys[12] = {
    {"Back Space", 8}, {"Enter", 13},     {"ESC", 27}, {"変換", 28}, {"無変換", 29}, {"Space", 32},
    {"Page Up", 33},   {"Page Down", 34}, {"End", 35}, {"Home", 36}, {"Insert", 45}, {"Delete", 46},
};
// Positions 58..62: keypad operators.
constexpr NamedKey kKeypadOperators[5] = {
    {"*", 106}, {"+", 107}, {"-", 109}, {".", 110}, {"/", 111},
};
constexpr std::string_view kKeypad = "ﾃﾝｷｰ";

constexpr int kDigitsAt = 12, kLettersAt = 22, kKeypadDigitsAt = 48, kKeypadOpsAt = 58,
              kFunctionKeysAt = 63, kCapsLockAt = 75;

std::array<uint8_t, 256> buildKeyTable() {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 12; ++i)
        t[static_cast<size_t>(i)] = kNamedKeys[i].code;
    for (int i = 0; i < 10; ++i) {
        t[static_cast<size_t>(kDigitsAt + i)] = static_cast<uint8_t>('0' + i);
        t[static_cast<size_t>(kKeypadDigitsAt + i)] = static_cast<uint8_t>(96 + i);
    }
    for (int i = 0; i < 26; ++i)
        t[static_cast<size_t>(kLettersAt + i)] = static_cast<uint8_t>('A' + i);
    for (int i = 0; i < 5; ++i)
        t[static_cast<size_t>(kKeypadOpsAt + i)] = kKeypadOperators[i].code;
    for (int i = 0; i < 12; ++i)
        t[static_cast<size_t>(kFunctionKeysAt + i)] = static_cast<uint8_t>(112 + i);
    t[kCapsLockAt] = 240; // Caps Lock / 英数 on a Japanese keyboard
    return t;
}

struct Action {
    std::string_view caption;
    int frame;
};
constexpr Action kActions[kAllKeyActions] = {
    {"全音符", 0},
    {"２分音符", 0},
    {"４分音符", 0},
    {"８分音符", 0},
    {"１６分音符", 0},
    {"３２分音符", 0},
    {"シャープ", 1},
    {"フラット", 1},
    {"解除", 1},
    {"上段", 2},
    {"中段", 2},
    {"下段", 2},
    {"左に１小節移動", 3},
    {"右に１小節移動", 3},
    {"左に１０小節移動", 3},
    {"右に１０小節移動", 3},
    {"再生/停止", 4},
    {"連符画面切り替え", 4},
    {"ループ再生", 4},
    {"つなぎ目を試聴", 4},
    {"ステップ入力", 4},
    {"休符（ステップ入力）", 4},
};
// The state file's names of the actions 18.., in order.
constexpr std::string_view kExtraKeyNames[kExtraKeyActions] = {
    "keys.loopPlayback", "keys.seamAudition", "keys.stepEntry", "keys.stepRest"};
constexpr std::string_view kFrames[kKeyFrames] = {"音符", "臨時記号", "譜面切り替え", "小節移動",
                                                  "その他"};

void checkAction(int action) {
    if (action < 0 || action >= kAllKeyActions)
        throw std::out_of_range("key action outside the table");
}

} // namespace

const std::array<uint8_t, 256>& KeyTable() {
    static const std::array<uint8_t, 256> table = buildKeyTable();
    return table;
}

std::string keyCaption(int position) {
    std::string caption;
    if (position < 0 || position >= kKeyTableEntries)
        return caption;
    if (position < kDigitsAt) {
        caption.append(kNamedKeys[position].caption);
    } else if (position < kKeypadDigitsAt) { // digits and letters: the key code's character
        caption.push_back(static_cast<char>(KeyTable()[static_cast<size_t>(position)]));
    } else if (position < kKeypadOpsAt) {
        caption.append(kKeypad);
        caption.push_back(static_cast<char>('0' + position - kKeypadDigitsAt));
    } else if (position < kFunctionKeysAt) {
        caption.append(kKeypad);
        caption.append(kKeypadOperators[position - kKeypadOpsAt].caption);
    } else if (position < kCapsLockAt) {
        caption.push_back('F');
        caption.append(std::to_string(position - kFunctionKeysAt + 1));
    } else {
        caption.append("Caps Lock");
    }
    return caption;
}

int keyPosition(int keyCode) {
    for (int p = 0; p < kKeyTableEntries; ++p)
        if (KeyTable()[static_cast<size_t>(p)] == keyCode)
            return p;
    return -1;
}

std::string_view keyActionCaption(int action) {
    checkAction(action);
    return kActions[action].caption;
}

int keyActionFrame(int action) {
    checkAction(action);
    return kActions[action].frame;
}

std::string_view keyFrameCaption(int frame) {
    if (frame < 0 || frame >= kKeyFrames)
        throw std::out_of_range("key frame outside 0..4");
    return kFrames[frame];
}

int assignedKeyCode(const KeyAssignment& keys, int action) {
    checkAction(action);
    const auto a = static_cast<size_t>(action);
    const int position = keys.windowLoaded ? keys.ListIndex[a]
                         : a < kKeyActions ? keys.KeyAssign[a]
                                           : keys.ExtraAssign[a - kKeyActions];
    if (position < 0 || position >= kKeyTableEntries)
        return 0;
    return KeyTable()[static_cast<size_t>(position)];
}

void Form4_Load(KeyAssignment& keys) {
    for (size_t a = 0; a < keys.ListIndex.size(); ++a)
        keys.ListIndex[a] = a < kKeyActions ? keys.KeyAssign[a] : keys.ExtraAssign[a - kKeyActions];
    keys.windowLoaded = true;
}

void Form4_Select(KeyAssignment& keys, int action, int position) {
    checkAction(action);
    if (position < 0 || position >= kKeyTableEntries)
        throw std::out_of_range("key list position outside 0..75");
    if (!keys.windowLoaded)
        Form4_Load(keys);
    keys.ListIndex[static_cast<size_t>(action)] = position;
}

void Form4_Command2_Click(KeyAssignment& keys) {
    if (!keys.windowLoaded)
        Form4_Load(keys);
    for (size_t a = 0; a < keys.ListIndex.size(); ++a)
        keys.ListIndex[a] =
            a < kKeyActions ? kDefaultKeyAssign[a] : kDefaultExtraKeyAssign[a - kKeyActions];
}

void Form4_Unload(KeyAssignment& keys) {
    if (!keys.windowLoaded)
        return;
    for (size_t a = 0; a < keys.ListIndex.size(); ++a) {
        const auto position = static_cast<int16_t>(keys.ListIndex[a]);
        if (a < kKeyActions)
            keys.KeyAssign[a] = position;
        else
            keys.ExtraAssign[a - kKeyActions] = position;
    }
    keys.windowLoaded = false;
}

void readExtraKeys(const StateFile& state, KeyAssignment& keys) {
    for (size_t i = 0; i < kExtraKeyActions; ++i)
        if (const auto position = state.number(kExtraKeyNames[i], 0, kKeyTableEntries - 1))
            keys.ExtraAssign[i] = static_cast<int16_t>(*position);
}

void writeExtraKeys(StateFile& state, const KeyAssignment& keys) {
    for (size_t i = 0; i < kExtraKeyActions; ++i)
        state.set(kExtraKeyNames[i], keys.ExtraAssign[i]);
}

} // namespace zelk
