#include "midi/TrackBuffer.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zelk {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(VariableLengthQuantity, SevenBitGroupsMostSignificantFirst) {
    struct Case {
        uint32_t value;
        Bytes bytes;
    };
    const Case cases[] = {
        {0, {0x00}},
        {127, {0x7F}},         // largest one-byte delta
        {128, {0x81, 0x00}},   // smallest two-byte delta
        {480, {0x83, 0x60}},   // one beat
        {16383, {0xFF, 0x7F}}, // largest two-byte delta
        {16384, {0x81, 0x80, 0x00}},
        {576480, {0xA3, 0x97, 0x60}},        // set-up beat + 9600 columns: the largest delta
        {2097152, {0x81, 0x80, 0x80, 0x00}}, // a long text's length needs four
    };
    for (const auto& c : cases) {
        Bytes out;
        appendVlq(out, c.value);
        EXPECT_EQ(out, c.bytes) << c.value;
    }
}

TEST(TrackBuffer, DeltasCountFromTheLastEvent) {
    TrackBuffer t;
    t.reset(600);
    t.at(600);
    t.put({0x90, 60, 100});
    t.at(1080);
    t.put({0x90, 60, 0});
    t.rawDelta(480); // moves the file's time only
    t.put({0xC0, 0});
    EXPECT_EQ(t.LastTick, 1080);
    EXPECT_EQ(t.bytes(),
              (Bytes{0x00, 0x90, 60, 100, 0x83, 0x60, 0x90, 60, 0, 0x83, 0x60, 0xC0, 0}));
}

TEST(TrackBuffer, EventBeforeThePreviousOneIsRefused) {
    TrackBuffer t;
    t.reset(0);
    t.at(100);
    EXPECT_THROW(t.at(99), std::logic_error);
}

TEST(TrackBuffer, ResetStartsAnEmptyTrackAtTheGivenTick) {
    TrackBuffer t;
    t.reset(0);
    t.at(50);
    t.reset(17280);
    EXPECT_TRUE(t.bytes().empty());
    t.at(17280);
    EXPECT_EQ(t.bytes(), Bytes{0x00});
}

TEST(DataByte, ClampedToSevenBits) {
    EXPECT_EQ(dataByte(0), 0);
    EXPECT_EQ(dataByte(127), 127);
    EXPECT_EQ(dataByte(128), 127);
    EXPECT_EQ(dataByte(255), 127);
    EXPECT_EQ(dataByte(-3), 0);
}

} // namespace
} // namespace zelk
