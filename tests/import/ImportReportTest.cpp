#include "import/ImportReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace zelk {
namespace {

using Change = std::tuple<ImportChange, ImportPlace, int>;

ImportReport reportOf(const std::vector<Change>& changes, size_t from, size_t to) {
    ImportReport r;
    for (size_t i = from; i < to; ++i)
        r.add(std::get<0>(changes[i]), std::get<1>(changes[i]), std::get<2>(changes[i]));
    return r;
}

// Parts finished apart and merged in part order read as if done one after the other:
// counts add up, places keep their order, repeat no place and stop at the kept number.
TEST(ImportReportTest, MergingInOrderReadsAsAddingInOrder) {
    const std::vector<Change> changes = {
        {ImportChange::NoFreeRow, {0, 3}, 1},     {ImportChange::ChordVelocity, {0, 1}, 1},
        {ImportChange::NoFreeRow, {0, 3}, 2},     {ImportChange::NoFreeRow, {-1, 2}, 1},
        {ImportChange::NoFreeRow, {4, 1}, 1},     {ImportChange::NoFreeRow, {4, 9}, 1},
        {ImportChange::NoFreeRow, {5, 1}, 1},     {ImportChange::ChordVelocity, {5, 7}, 3},
        {ImportChange::OtherMessages, {9, 2}, 1}, {ImportChange::NoFreeRow, {-1, 2}, 1},
    };
    const ImportReport whole = reportOf(changes, 0, changes.size());
    for (size_t split = 0; split <= changes.size(); ++split) {
        ImportReport merged = reportOf(changes, 0, split);
        merged.merge(reportOf(changes, split, changes.size()));
        for (int k = 0; k < kImportChangeKinds; ++k) {
            const auto kind = static_cast<ImportChange>(k);
            EXPECT_EQ(merged.count(kind), whole.count(kind)) << "split " << split;
            EXPECT_EQ(merged.places(kind), whole.places(kind)) << "split " << split;
        }
        EXPECT_EQ(merged.japaneseLines(), whole.japaneseLines()) << "split " << split;
    }
    EXPECT_EQ(whole.count(ImportChange::NoFreeRow), 8);
    EXPECT_EQ(whole.places(ImportChange::NoFreeRow).size(), ImportReport::kPlacesKept);
    const auto lines = whole.japaneseLines();
    EXPECT_NE(
        std::find(lines.begin(), lines.end(),
                  "段が空いていない和音の音符を省きました: 8件 (パート1 3小節、2小節、パート5 "
                  "1小節 ほか)"),
        lines.end());
}

} // namespace
} // namespace zelk
