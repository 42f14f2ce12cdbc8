#include "model/RowTables.h"

#include "model/Limits.h"

#include <array>
#include <stdexcept>

namespace zelk {
namespace {

constexpr std::array<int, kRows> buildRowNotes() {
    constexpr int steps[7] = {0, 2, 4, 5, 7, 9, 11}; // C D E F G A B
    std::array<int, kRows> notes{};
    for (int r = 0; r < kRows; ++r) {
        const int fromBottom = 56 - r;
        notes[r] = 12 + 12 * (fromBottom / 7) + steps[fromBottom % 7];
    }
    return notes;
}

constexpr std::array<int, kRows> kRowNotes = buildRowNotes();
static_assert(kRowNotes[0] == 108 && kRowNotes[28] == 60 && kRowNotes[56] == 12);

constexpr int kFirstDrumRow = 3;
constexpr std::array<std::string_view, 47> kDrumNames = {
    "ﾄﾗｲｱﾝｸﾞﾙ1", "ﾄﾗｲｱﾝｸﾞﾙ2",  "ｸｲｰｶ1",      "ｸｲｰｶ2",      "Lowｳｯﾄﾞﾛｯｸ", "Hiｳｯﾄﾞﾛｯｸ", "ｸﾗﾍﾞｽ",
    "Longｷﾞﾛ",   "Shortｷﾞﾛ",   "Longﾎｲｯｽﾙ",  "Shortﾎｲｯｽﾙ", "ﾏﾗｶｽ",       "ｶﾊﾞｻ",      "Lowｱｺﾞｺﾞ",
    "Hiｱｺﾞｺﾞ",   "Lowﾃｨﾝﾊﾞﾚｽ", "Hiﾃｨﾝﾊﾞﾚｽ",  "Lowｺﾝｶﾞ",    "Hiｺﾝｶﾞ1",    "Hiｺﾝｶﾞ2",   "Lowﾎﾞﾝｺﾞ",
    "Hiﾎﾞﾝｺﾞ",   "ｼﾝﾊﾞﾙ1",     "ﾋﾞﾌﾞﾗｽﾗｯﾌﾟ", "ｼﾝﾊﾞﾙ2",     "ｶｳﾍﾞﾙ",      "ｽﾌﾟﾗｯｼｭC",  "ﾀﾝﾊﾞﾘﾝ",
    "ﾗｲﾄﾞﾍﾞﾙ",   "ﾁｬｲﾆｰｽﾞC",   "ﾗｲﾄﾞC",      "ﾀﾑ1",        "ｸﾗｯｼｭC",     "ﾀﾑ2",       "ﾀﾑ3",
    "ﾊｲﾊｯﾄ1",    "ﾀﾑ4",        "ﾊｲﾊｯﾄ2",     "ﾌﾛｱﾀﾑ1",     "ﾊｲﾊｯﾄ3",     "ﾌﾛｱﾀﾑ2",    "ｽﾈｱﾄﾞﾗﾑ1",
    "ﾊﾝﾄﾞｸﾗｯﾌﾟ", "ｽﾈｱﾄﾞﾗﾑ2",   "ｻｲﾄﾞｽﾃｨｯｸ",  "ﾊﾞｽﾄﾞﾗﾑ1",   "ﾊﾞｽﾄﾞﾗﾑ2",
};

void checkRow(int row) {
    if (row < 0 || row >= kRows)
        throw std::out_of_range("row outside 0..56");
}

} // namespace

int RowNote(int row) {
    checkRow(row);
    return kRowNotes[static_cast<size_t>(row)];
}

std::string_view DrumName(int row) {
    checkRow(row);
    const int i = row - kFirstDrumRow;
    if (i < 0 || i >= static_cast<int>(kDrumNames.size()))
        return {};
    return kDrumNames[static_cast<size_t>(i)];
}

} // namespace zelk
