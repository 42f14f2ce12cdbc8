#include "platform/WavRecorder.h"
#include "SynthTestSupport.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <thread>
#include <vector>

namespace zelk {
namespace {

struct ReadBack {
    SF_INFO info{};
    std::vector<short> samples;
};

ReadBack readWav(const std::filesystem::path& file) {
    ReadBack r;
    SNDFILE* f = sf_open(file.c_str(), SFM_READ, &r.info);
    if (f == nullptr)
        return r;
    r.samples.resize(static_cast<std::size_t>(r.info.frames * r.info.channels));
    sf_readf_short(f, r.samples.data(), r.info.frames);
    sf_close(f);
    return r;
}

// A pattern whose every sample is an exact 16-bit value: left and right differ and never
// repeat within 65535 frames.
short leftAt(std::size_t i) {
    return static_cast<short>(static_cast<int>((i * 7) % 65535) - 32767);
}
short rightAt(std::size_t i) {
    return static_cast<short>(32767 - static_cast<int>((i * 13) % 65535));
}
float asFloat(short s) {
    return static_cast<float>(s) / 32768.0f; // libsndfile's full scale
}

class WavRecorderTest : public ::testing::Test {
protected:
    test::TempFolder tmp;
    AudioTap* attached = nullptr;
    int attachCalls = 0;
    WavRecorder recorder{44100.0, tmp.path() / ".wav.part", [this](AudioTap* t) {
                             attached = t;
                             ++attachCalls;
                         }};
    std::filesystem::path out() { return tmp.path() / "wav"; }

    // A rendering thread handing over `frames` frames in blocks of uneven sizes.
    void renderPattern(std::size_t frames) {
        std::thread audio([&] {
            std::vector<float> l, r;
            const std::size_t sizes[] = {64, 1, 512, 4097, 333, 128};
            for (std::size_t done = 0, k = 0; done < frames; ++k) {
                const std::size_t n = std::min(sizes[k % std::size(sizes)], frames - done);
                l.resize(n);
                r.resize(n);
                for (std::size_t i = 0; i < n; ++i) {
                    l[i] = asFloat(leftAt(done + i));
                    r[i] = asFloat(rightAt(done + i));
                }
                attached->takeOnAudioThread(l, r);
                done += n;
            }
        });
        audio.join();
    }
};

TEST_F(WavRecorderTest, EverySampleArrivesOnceAndInOrder) {
    recorder.open({2, 44100, 176400, 4, 16});
    recorder.record();
    ASSERT_EQ(attached, &recorder);
    const std::size_t frames = 3 * 44100 + 17;
    renderPattern(frames);
    recorder.stop();
    EXPECT_EQ(attached, nullptr);
    ASSERT_TRUE(recorder.save(out()));
    recorder.close();

    const ReadBack r = readWav(out());
    EXPECT_EQ(r.info.samplerate, 44100);
    EXPECT_EQ(r.info.channels, 2);
    EXPECT_EQ(r.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(r.info.frames, static_cast<sf_count_t>(frames));
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < frames; ++i)
        wrong += (r.samples[2 * i] != leftAt(i)) + (r.samples[2 * i + 1] != rightAt(i));
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(recorder.droppedFrames(), 0u);
}

// What is kept is counted in the frames heard: a part of the middle, silence where the
// range reaches before the first frame or after the last.
TEST_F(WavRecorderTest, KeptFramesAreCutExactlyAndPaddedWithSilence) {
    recorder.open({2, 44100, 176400, 4, 16});
    recorder.record();
    renderPattern(10000);
    EXPECT_EQ(recorder.framesHeard(), 10000);
    recorder.keepFrames(2500, 7500);
    ASSERT_TRUE(recorder.save(out()));
    ReadBack r = readWav(out());
    ASSERT_EQ(r.info.frames, 5000);
    EXPECT_EQ(r.samples[0], leftAt(2500));
    EXPECT_EQ(r.samples[2 * 4999 + 1], rightAt(7499));

    recorder.open({2, 44100, 176400, 4, 16});
    EXPECT_EQ(recorder.framesHeard(), 0) << "a new recording counts from 0";
    recorder.record();
    renderPattern(1000);
    recorder.keepFrames(-300, 1200);
    ASSERT_TRUE(recorder.save(out()));
    r = readWav(out());
    ASSERT_EQ(r.info.frames, 1500);
    EXPECT_EQ(r.samples[2 * 299], 0);
    EXPECT_EQ(r.samples[2 * 300], leftAt(0));
    EXPECT_EQ(r.samples[2 * 1299 + 1], rightAt(999));
    EXPECT_EQ(r.samples[2 * 1300], 0);
    EXPECT_EQ(r.samples[2 * 1499 + 1], 0);
}

TEST_F(WavRecorderTest, KeptFramesFollowTheFilesOwnRate) {
    recorder.open({2, 22050, 88200, 4, 16});
    recorder.record();
    renderPattern(44100);
    recorder.keepFrames(-4410, 44100 + 4410); // 0.1 s of silence on each side
    ASSERT_TRUE(recorder.save(out()));
    EXPECT_EQ(readWav(out()).info.frames, 22050 + 2 * 2205);
}

TEST_F(WavRecorderTest, MonoAveragesTheTwoSides) {
    recorder.open({1, 44100, 88200, 2, 16});
    recorder.record();
    std::vector<float> l(1000, asFloat(1000)), r(1000, asFloat(-3000));
    attached->takeOnAudioThread(l, r);
    ASSERT_TRUE(recorder.save(out()));
    const ReadBack back = readWav(out());
    EXPECT_EQ(back.info.channels, 1);
    ASSERT_EQ(back.samples.size(), 1000u);
    for (const short s : back.samples)
        ASSERT_EQ(s, -1000);
}

TEST_F(WavRecorderTest, OtherRatesAreResampledKeepingTheSound) {
    recorder.open({2, 14700, 58800, 4, 16});
    recorder.record();
    const std::size_t frames = 2 * 44100;
    std::vector<float> l(frames), r(frames, 0.0f);
    for (std::size_t i = 0; i < frames; ++i)
        l[i] = 0.5f * static_cast<float>(std::sin(2 * 3.14159265358979 * 440.0 * i / 44100.0));
    for (std::size_t i = 0; i < frames; i += 256) {
        const std::size_t n = std::min<std::size_t>(256, frames - i);
        attached->takeOnAudioThread(std::span(l).subspan(i, n), std::span(r).subspan(i, n));
    }
    ASSERT_TRUE(recorder.save(out()));
    const ReadBack back = readWav(out());
    EXPECT_EQ(back.info.samplerate, 14700);
    EXPECT_NEAR(static_cast<double>(back.info.frames), 2 * 14700, 2);
    std::vector<float> left, right;
    for (std::size_t i = 2000; i + 2000 < back.samples.size() / 2; ++i) {
        left.push_back(back.samples[2 * i] / 32768.0f);
        right.push_back(back.samples[2 * i + 1] / 32768.0f);
    }
    EXPECT_NEAR(test::rms(left), 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_LT(test::rms(right), test::kSilentRms * 10);
}

TEST_F(WavRecorderTest, CloseWithoutSaveLeavesNothingBehind) {
    recorder.open({2, 44100, 176400, 4, 16});
    recorder.record();
    renderPattern(4410);
    recorder.close();
    EXPECT_EQ(attached, nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}

TEST_F(WavRecorderTest, ANewRecordingStartsEmpty) {
    recorder.open({2, 44100, 176400, 4, 16});
    recorder.record();
    renderPattern(1000);
    recorder.stop();
    recorder.open({2, 44100, 176400, 4, 16}); // the first is discarded
    recorder.record();
    renderPattern(10);
    ASSERT_TRUE(recorder.save(out()));
    const ReadBack r = readWav(out());
    ASSERT_EQ(r.info.frames, 10);
    EXPECT_EQ(r.samples[0], leftAt(0));
}

TEST_F(WavRecorderTest, SavingIntoAMissingFolderFails) {
    recorder.open({2, 44100, 176400, 4, 16});
    recorder.record();
    renderPattern(100);
    EXPECT_FALSE(recorder.save(tmp.path() / "no" / "wav"));
    recorder.close();
    EXPECT_FALSE(std::filesystem::exists(tmp.path() / "no"));
}

TEST_F(WavRecorderTest, SaveWithoutOpenFails) {
    EXPECT_FALSE(recorder.save(out()));
    EXPECT_FALSE(std::filesystem::exists(out()));
    EXPECT_EQ(attachCalls, 0);
}

} // namespace
} // namespace zelk
