// The ALSA sequencer's ports where the machine has one: a note sent to the kernel's
// "Midi Through" port comes back on its other side, named as patchbays name it.
#include "platform/AlsaSeqMidi.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

namespace zelk {
namespace {

TEST(AlsaSeqMidi, ANoteThroughTheMidiThroughPortComesBack) {
    auto backend = AlsaSeqBackend::open("zelk-test");
    if (!backend)
        GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq): only JACK ports are offered";
    std::string through;
    for (const std::string& d : backend->destinations())
        if (d.rfind("Midi Through:", 0) == 0)
            through = d;
    if (through.empty())
        GTEST_SKIP() << "the sequencer has no Midi Through port (snd-seq-dummy not loaded)";
    auto in = backend->openInput(through);
    auto out = backend->openOutput(through);
    ASSERT_TRUE(in && out);
    EXPECT_EQ(out->name(), through);
    out->send(0x643C90);
    std::array<uint32_t, 8> got{};
    size_t n = 0;
    for (int i = 0; i < 1000 && n == 0; ++i) {
        n = in->take(got);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_EQ(n, 1u);
    EXPECT_EQ(got[0], 0x643C90u);
}

} // namespace
} // namespace zelk
