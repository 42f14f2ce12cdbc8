#include "platform/FluidLog.h"

#include <gtest/gtest.h>

#include <fluidsynth.h>
#include <string>
#include <vector>

namespace zelk {
namespace {

std::vector<std::string> captured;

void capture(const char* message) {
    captured.emplace_back(message);
}

// Routes FluidSynth's log into `captured` for one test, then back to stderr.
class FluidLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        captured.clear();
        routeFluidLog(capture);
    }
    void TearDown() override { routeFluidLog(writeFluidErrorToStderr); }
};

TEST_F(FluidLogTest, ErrorsAndPanicsReachTheSink) {
    fluid_log(FLUID_ERR, "cannot open %s", "x.sf2");
    fluid_log(FLUID_PANIC, "out of memory");
    EXPECT_EQ(captured, (std::vector<std::string>{"cannot open x.sf2", "out of memory"}));
}

TEST_F(FluidLogTest, WarningsInformationAndDebugLinesAreDropped) {
    fluid_log(FLUID_WARN, "Instrument not found");
    fluid_log(FLUID_INFO, "loading");
    fluid_log(FLUID_DBG, "detail");
    EXPECT_TRUE(captured.empty());
}

TEST_F(FluidLogTest, SynthesizerKeepsARoutingMadeBeforeIt) {
    routeFluidLogByDefault();
    fluid_log(FLUID_ERR, "still here");
    EXPECT_EQ(captured, (std::vector<std::string>{"still here"}));
}

} // namespace
} // namespace zelk
