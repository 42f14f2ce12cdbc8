#include "platform/SoundSwitch.h"

#include "SynthTestSupport.h"
#include "platform/SoundFontLookup.h"
#include "platform/SoundFontSynth.h"
#include "platform/SynthOpening.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zelk {
namespace {

namespace fs = std::filesystem;

void touch(const fs::path& p) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "x";
}

TEST(SoundFontsIn, TheUsualFoldersTheDefaultFirstEachFileOnce) {
    test::TempFolder tmp;
    const fs::path root = tmp.path() / "root", home = tmp.path() / "home";
    const fs::path sf2 = root / "usr/share/sounds/sf2";
    touch(sf2 / "b.sf2");
    touch(sf2 / "a.SF2");      // the extension in capitals still counts
    touch(sf2 / "readme.txt"); // not a SoundFont
    fs::create_symlink(sf2 / "b.sf2", sf2 / "default-GM.sf2"); // the distribution's choice
    touch(root / "usr/share/soundfonts/Piano.sf3");
    touch(home / ".local/share/soundfonts/mine.sf2");
    fs::create_directories(home / ".local/share/sounds/sf2/folder.sf2"); // a folder, skipped
    const std::vector<fs::path> want = {sf2 / "default-GM.sf2", sf2 / "a.SF2",
                                        root / "usr/share/soundfonts/Piano.sf3",
                                        home / ".local/share/soundfonts/mine.sf2"};
    EXPECT_EQ(soundFontsIn(root, home), want);
    EXPECT_TRUE(soundFontsIn(tmp.path() / "nothing", home / "none").empty());
}

TEST(SoundSwitch, AnUnreadableSoundFontLeavesTheSynthesizerAsItWas) {
    const auto soundFont = test::installedSoundFont();
    if (!soundFont)
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    SynthOpening opened =
        openSoundFontSynth({.soundFont = std::nullopt, .output = kSilentClockOutput});
    SoundSwitch sound(*opened.synth, "", "/nonexistent-home");
    test::TempFolder tmp;
    touch(tmp.path() / "broken.sf2");
    EXPECT_NE(sound.prepareSoundFont((tmp.path() / "broken.sf2").string()), "");
    EXPECT_EQ(sound.apply({"", "", 0}), "");
    EXPECT_FALSE(opened.synth->hasSoundFont());
    EXPECT_EQ(sound.current().soundFont, "") << "a refused file is not taken at the next apply";

    ASSERT_EQ(sound.prepareSoundFont(soundFont->string()), "");
    EXPECT_FALSE(opened.synth->hasSoundFont()) << "read aside, not yet in use";
    // Without a sound card the buffer cannot be had: refused with a reason, the old one kept;
    // the SoundFont is taken either way.
    const std::string why = sound.apply({soundFont->string(), "", 256});
    EXPECT_TRUE(opened.synth->hasSoundFont());
    EXPECT_EQ(sound.current(), (SoundChoice{soundFont->string(), "", why.empty() ? 256 : 0}));
    ASSERT_NE(opened.synth->output(), nullptr) << "an output runs again";
}

} // namespace
} // namespace zelk
