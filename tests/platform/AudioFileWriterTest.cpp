#include "files/TextLines.h"
#include "platform/EncodedAudioFileWriter.h"
#include "platform/PcmSample.h"
#include "support/TempFolder.h"

#include <FLAC/metadata.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <string>
#include <vector>

namespace zelk {
namespace {

using test::TempFolder;

AudioFileSpec loopedSpec(AudioFileFormat format, int channels = 2) {
    AudioFileSpec s;
    s.format = format;
    s.sampleRate = 44100;
    s.channels = channels;
    s.loop = AudioLoop{11025, 33075};
    s.title = "森のテーマ";
    s.copyright = "(C) 2026 作曲者";
    return s;
}

// A second of a 440 Hz tone on the left and 660 Hz on the right.
std::vector<float> tone(int channels, int frames = 44100) {
    std::vector<float> s;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            s.push_back(0.5f *
                        static_cast<float>(std::sin(2 * M_PI * (440 + 220 * c) * i / 44100)));
    return s;
}

void writeFile(const std::filesystem::path& path, const AudioFileSpec& spec,
               const std::vector<float>& samples) {
    EncodedAudioFileWriter writer;
    auto sink = writer.open(path, spec);
    // In uneven pieces, as a render hands them over.
    size_t at = 0;
    for (size_t piece = 1000; at < samples.size(); piece += 2 * 777) {
        const size_t n =
            std::min(piece - piece % static_cast<size_t>(spec.channels), samples.size() - at);
        sink->write(std::span(samples).subspan(at, n));
        at += n;
    }
    sink->commit();
}

std::vector<short> readPcm(const std::filesystem::path& path, SF_INFO& info) {
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
    if (f == nullptr)
        return {};
    std::vector<short> pcm(static_cast<size_t>(info.frames * info.channels));
    sf_readf_short(f, pcm.data(), info.frames);
    sf_close(f);
    return pcm;
}

// The smpl chunk's first loop as stored: start and end, the end being the last frame in it.
std::pair<uint32_t, uint32_t> rawSmplLoop(const std::string& wav) {
    const size_t at = wav.find("smpl");
    EXPECT_NE(at, std::string::npos);
    const auto u32 = [&](size_t o) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<uint8_t>(wav[at + 8 + o + static_cast<size_t>(i)]);
        return v;
    };
    EXPECT_EQ(u32(28), 1u) << "one loop";
    // After the 36-byte head: cue id, type, start, end, fraction, play count.
    EXPECT_EQ(u32(36 + 4), 0u) << "forward loop";
    return {u32(36 + 8), u32(36 + 12)};
}

TEST(AudioFileWriterTest, WavHoldsThePcmAndTheSamplerLoop) {
    TempFolder tmp;
    const auto path = tmp.path() / "bgm.wav";
    const auto samples = tone(2);
    writeFile(path, loopedSpec(AudioFileFormat::Wav), samples);
    SF_INFO info{};
    const auto pcm = readPcm(path, info);
    EXPECT_EQ(info.frames, 44100);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    for (size_t i = 0; i < samples.size(); i += 997)
        ASSERT_NEAR(pcm[i], pcm16(samples[i]), 1) << "sample " << i;
    const auto [start, lastFrame] = rawSmplLoop(readWholeFile(path));
    EXPECT_EQ(start, 11025u);
    EXPECT_EQ(lastFrame, 11025u + 33075u - 1u);
}

TEST(AudioFileWriterTest, FlacIsLosslessWithTheLoopCommentsFirst) {
    TempFolder tmp;
    const auto path = tmp.path() / "bgm.flac";
    const auto samples = tone(1);
    writeFile(path, loopedSpec(AudioFileFormat::Flac, 1), samples);
    SF_INFO info{};
    const auto pcm = readPcm(path, info);
    ASSERT_EQ(info.frames, 44100);
    EXPECT_EQ(info.channels, 1);
    for (size_t i = 0; i < samples.size(); ++i)
        ASSERT_EQ(pcm[i], pcm16(samples[i])) << "sample " << i;
    FLAC__StreamMetadata* tags = nullptr;
    ASSERT_TRUE(FLAC__metadata_get_tags(path.c_str(), &tags));
    std::vector<std::string> c;
    for (uint32_t i = 0; i < tags->data.vorbis_comment.num_comments; ++i) {
        const auto& e = tags->data.vorbis_comment.comments[i];
        c.emplace_back(reinterpret_cast<const char*>(e.entry), e.length);
    }
    FLAC__metadata_object_delete(tags);
    EXPECT_EQ(c, (std::vector<std::string>{"LOOPSTART=11025", "LOOPLENGTH=33075",
                                           "TITLE=森のテーマ", "COPYRIGHT=(C) 2026 作曲者"}));
}

TEST(AudioFileWriterTest, OggCarriesTheLoopAtTheStartOfTheFile) {
    TempFolder tmp;
    const auto path = tmp.path() / "bgm.ogg";
    writeFile(path, loopedSpec(AudioFileFormat::Ogg), tone(2));
    OggVorbis_File vf;
    ASSERT_EQ(ov_fopen(path.c_str(), &vf), 0);
    EXPECT_EQ(ov_pcm_total(&vf, -1), 44100) << "Vorbis keeps the exact length";
    EXPECT_EQ(ov_info(&vf, -1)->channels, 2);
    EXPECT_EQ(ov_info(&vf, -1)->rate, 44100);
    vorbis_comment* vc = ov_comment(&vf, -1);
    ASSERT_GE(vc->comments, 4);
    EXPECT_STREQ(vc->user_comments[0], "LOOPSTART=11025");
    EXPECT_STREQ(vc->user_comments[1], "LOOPLENGTH=33075");
    EXPECT_STREQ(vorbis_comment_query(vc, "TITLE", 0), "森のテーマ");
    EXPECT_STREQ(vorbis_comment_query(vc, "COPYRIGHT", 0), "(C) 2026 作曲者");
    ov_clear(&vf);
    // A reader that scans only the beginning still finds it.
    EXPECT_LT(readWholeFile(path).find("LOOPSTART="), 200u);
}

TEST(AudioFileWriterTest, NoLoopMeansNoLoopMetadata) {
    TempFolder tmp;
    auto spec = loopedSpec(AudioFileFormat::Ogg);
    spec.loop.reset();
    writeFile(tmp.path() / "a.ogg", spec, tone(2, 4410));
    spec.format = AudioFileFormat::Wav;
    writeFile(tmp.path() / "a.wav", spec, tone(2, 4410));
    EXPECT_EQ(readWholeFile(tmp.path() / "a.ogg").find("LOOP"), std::string::npos);
    EXPECT_EQ(readWholeFile(tmp.path() / "a.wav").find("smpl"), std::string::npos);
}

TEST(AudioFileWriterTest, UnfinishedFileLeavesTheOldOneAndFailureNamesTheFile) {
    TempFolder tmp;
    const auto path = tmp.path() / "keep.flac";
    writeFile(path, loopedSpec(AudioFileFormat::Flac), tone(2, 4410));
    const std::string before = readWholeFile(path);
    for (const auto format : {AudioFileFormat::Wav, AudioFileFormat::Flac, AudioFileFormat::Ogg}) {
        EncodedAudioFileWriter writer;
        auto sink = writer.open(path, loopedSpec(format));
        sink->write(tone(2, 100));
    } // destroyed without commit
    EXPECT_EQ(readWholeFile(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 1);
    EncodedAudioFileWriter writer;
    try { // found at the start, not after the render
        writer.open(tmp.path() / "missing" / "x.wav", loopedSpec(AudioFileFormat::Wav));
        FAIL() << "a file in a missing folder cannot be written";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("x.wav"), std::string::npos) << e.what();
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 1)
        << "the probe leaves nothing behind";
}

} // namespace
} // namespace zelk
