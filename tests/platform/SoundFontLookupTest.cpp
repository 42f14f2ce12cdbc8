#include "platform/SoundFontLookup.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace zelk {
namespace {

namespace fs = std::filesystem;

// Candidates a.sf2, b.sf2, c.sf2 in a temporary folder; each case creates some of them.
class SoundFontLookupTest : public ::testing::Test {
protected:
    fs::path candidate(const std::string& name) const { return tmp.path() / name; }
    std::vector<fs::path> candidates() const {
        return {candidate("a.sf2"), candidate("b.sf2"), candidate("c.sf2")};
    }
    void createFile(const std::string& name) const { std::ofstream(candidate(name)) << "sf2"; }

    test::TempFolder tmp;
};

TEST_F(SoundFontLookupTest, FirstExistingCandidateWinsInListOrder) {
    struct Case {
        std::vector<std::string> existing;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {{"a.sf2", "b.sf2", "c.sf2"}, "a.sf2"}, // all there: the best one
        {{"b.sf2", "c.sf2"}, "b.sf2"},          // first missing: the next
        {{"c.sf2"}, "c.sf2"},                   // only the last
        {{}, std::nullopt},                     // none: no sound
    };
    for (const auto& c : cases) {
        for (const auto& name : {"a.sf2", "b.sf2", "c.sf2"})
            fs::remove(candidate(name));
        for (const auto& name : c.existing)
            createFile(name);
        const auto list = candidates();
        const auto found = findSoundFont(nullptr, list);
        if (c.expected)
            EXPECT_EQ(found, candidate(*c.expected)) << c.existing.size() << " existing";
        else
            EXPECT_EQ(found, std::nullopt);
    }
}

TEST_F(SoundFontLookupTest, SkipsCandidatesThatAreNoRegularFile) {
    fs::create_directory(candidate("a.sf2"));                      // a folder of that name
    fs::create_symlink(candidate("gone.sf2"), candidate("b.sf2")); // dangling link
    createFile("target.sf2");
    fs::create_symlink(candidate("target.sf2"), candidate("c.sf2")); // link to a file: taken
    const auto list = candidates();
    EXPECT_EQ(findSoundFont(nullptr, list), candidate("c.sf2"));
}

TEST_F(SoundFontLookupTest, OverrideIsTheOnlyChoiceEvenWhenMissing) {
    createFile("a.sf2");
    const auto list = candidates();
    const std::string mine = (tmp.path() / "mine.sf2").string();
    // A mistyped path is reported by the opening, not replaced by another SoundFont.
    EXPECT_EQ(findSoundFont(mine.c_str(), list), fs::path(mine));
}

TEST_F(SoundFontLookupTest, EmptyOverrideCountsAsUnset) {
    createFile("b.sf2");
    const auto list = candidates();
    EXPECT_EQ(findSoundFont("", list), candidate("b.sf2"));
}

TEST(SoundFontLookup, DefaultCandidatesAreTheGeneralMidiFontsBestFirst) {
    const std::vector<fs::path> expected = {"/usr/share/sounds/sf2/default-GM.sf2",
                                            "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                                            "/usr/share/sounds/sf2/TimGM6mb.sf2"};
    EXPECT_EQ(defaultSoundFontCandidates(), expected);
}

// Sets an environment variable for one test and restores the previous state.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SoundFontLookup, EnvironmentVariableOverridesTheDefaults) {
    ScopedEnv env("ZELK_SOUNDFONT", "/nowhere/custom.sf2");
    EXPECT_EQ(findSoundFontFromEnvironment(), fs::path("/nowhere/custom.sf2"));
}

} // namespace
} // namespace zelk
