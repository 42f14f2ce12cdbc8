#include "storage/StateFile.h"

#include "files/TextLines.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

TEST(StateFileTest, WhatIsSetIsReadBackAndOtherKeysSurvive) {
    test::TempFolder tmp;
    writeWholeFile(tmp.folder().state(), "future.key=kept as is\r\nwindow.width=900\r\n");
    StateFile state = StateFile::read(tmp.folder());
    state.set("window.width", 1280);
    state.set("sound.font", "/usr/share/sounds/sf2/Fluid R3.sf2");
    state.write(tmp.folder());
    const StateFile again = StateFile::read(tmp.folder());
    EXPECT_EQ(again.number("window.width", 0, 10000), 1280);
    EXPECT_EQ(again.text("sound.font"), "/usr/share/sounds/sf2/Fluid R3.sf2");
    EXPECT_EQ(again.text("future.key"), "kept as is");
    EXPECT_EQ(test::slurp(tmp.folder().settings()), "") << "zelk.ini is not touched";
}

TEST(StateFileTest, DamagedOrMissingValuesReadAsNothing) {
    test::TempFolder tmp;
    EXPECT_EQ(StateFile::read(tmp.folder()).text("anything"), std::nullopt) << "no file";
    writeWholeFile(tmp.folder().state(),
                   std::string("a=12x\nb=99999\nno equals sign\n=value\nc=7\n\0\xff=1", 40));
    const StateFile state = StateFile::read(tmp.folder());
    // key -> what number() makes of it (range 0..100)
    EXPECT_EQ(state.number("a", 0, 100), std::nullopt); // trailing letters
    EXPECT_EQ(state.number("b", 0, 100), std::nullopt); // out of range
    EXPECT_EQ(state.number("c", 0, 100), 7);            // LF line ends read too
    EXPECT_EQ(state.number("missing", 0, 100), std::nullopt);
    StateFile s;
    s.set("two\nlines", "x");
    s.set("k", "value\r\nwith a break");
    EXPECT_EQ(s.text("two\nlines"), std::nullopt) << "a key that cannot be read back is not set";
    EXPECT_EQ(s.text("k"), std::nullopt);
}

} // namespace
} // namespace zelk
