#include "editor/transport/TagRecordBuilder.h"
#include "platform/FfmpegWmaEncoder.h"
#include "platform/IconvShiftJis.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include <chrono>
#include <cmath>
#include <fstream>
#include <map>
#include <thread>
#include <vector>

namespace zelk {
namespace {

void writeSineWav(const std::filesystem::path& file, double seconds, int rate, int channels) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(file.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> data(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            data[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                0.3f *
                static_cast<float>(std::sin(2 * 3.14159265358979 * (440.0 + 110 * c) * i / rate));
    sf_writef_float(f, data.data(), static_cast<sf_count_t>(frames));
    sf_close(f);
}

struct WmaFile {
    bool opened = false;
    std::string codec;
    double seconds = 0;
    int channels = 0;
    int rate = 0;
    int64_t bitRate = 0;
    std::map<std::string, std::string> tags;
};

WmaFile readWma(const std::filesystem::path& file) {
    WmaFile w;
    AVFormatContext* in = nullptr;
    if (avformat_open_input(&in, file.c_str(), nullptr, nullptr) < 0)
        return w;
    avformat_find_stream_info(in, nullptr);
    w.opened = true;
    w.seconds = static_cast<double>(in->duration) / AV_TIME_BASE;
    const AVCodecParameters* p = in->streams[0]->codecpar;
    w.codec = avcodec_get_name(p->codec_id);
    w.channels = p->ch_layout.nb_channels;
    w.rate = p->sample_rate;
    w.bitRate = p->bit_rate;
    const AVDictionaryEntry* e = nullptr;
    while ((e = av_dict_get(in->metadata, "", e, AV_DICT_IGNORE_SUFFIX)) != nullptr)
        w.tags[e->key] = e->value;
    avformat_close_input(&in);
    return w;
}

// The five texts of the ASF content description object (title, author, copyright,
// description, rating), read straight from the file's bytes.
std::vector<std::u16string> contentDescription(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string guid("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
    std::size_t at = bytes.find(guid);
    if (at == std::string::npos || at + 34 > bytes.size())
        return {};
    auto u8 = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    std::size_t lengths[5];
    for (std::size_t i = 0; i < 5; ++i)
        lengths[i] = u8(at + 24 + 2 * i) | (u8(at + 25 + 2 * i) << 8);
    std::vector<std::u16string> texts;
    at += 34;
    for (const std::size_t length : lengths) {
        std::u16string text;
        for (std::size_t i = 0; i + 1 < length && at + i + 1 < bytes.size(); i += 2)
            text += static_cast<char16_t>(u8(at + i) | (u8(at + i + 1) << 8));
        while (!text.empty() && text.back() == u'\0')
            text.pop_back();
        texts.push_back(text);
        at += length;
    }
    return texts;
}

class WmaEncoderTest : public ::testing::Test {
protected:
    test::TempFolder tmp;
    IconvShiftJis sjis;
    FfmpegWmaEncoder encoder;
    std::filesystem::path wav() { return tmp.path() / "wav"; }
    std::filesystem::path target() { return tmp.path() / "曲.wma"; }
    TagRecord tags = buildTagRecord({"  春の歌", "ゼルク", "©2026 ｾﾞﾙｸ", "説明：テスト"}, sjis);

    // Runs one job to its end the way the window polls it; the result code.
    int32_t runJob(const std::filesystem::path& source) {
        encoder.init();
        int32_t option = 0;
        if (encoder.encodeOpen(source, target(), option, tags) == 0)
            return -1;
        encoder.encodeStart();
        int32_t result = 0;
        while (encoder.getEncodeState(result) != 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return result;
    }
    bool leftovers() {
        for (const auto& e : std::filesystem::directory_iterator(tmp.path()))
            if (e.path().extension() == ".tmp")
                return true;
        return false;
    }
};

TEST_F(WmaEncoderTest, EncodesATaggedStereoFile) {
    writeSineWav(wav(), 3.0, 44100, 2);
    ASSERT_EQ(runJob(wav()), 0);
    WmaFile w = readWma(target());
    ASSERT_TRUE(w.opened);
    EXPECT_EQ(w.codec, "wmav2");
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.rate, 44100);
    EXPECT_GE(w.bitRate, 128000);
    EXPECT_NEAR(w.seconds, 3.0, 0.1);
    EXPECT_EQ(w.tags["title"], "春の歌");
    EXPECT_EQ(w.tags["artist"], "ゼルク");        // the reader's name for the ASF author
    EXPECT_EQ(w.tags["copyright"], "?2026 ｾﾞﾙｸ"); // © is not in Shift-JIS
    EXPECT_EQ(w.tags["comment"], "説明：テスト");
    EXPECT_FALSE(leftovers());
    const std::vector<std::u16string> description = contentDescription(target());
    ASSERT_EQ(description.size(), 5u);
    EXPECT_EQ(description[0], u"春の歌");
    EXPECT_EQ(description[1], u"ゼルク");
    EXPECT_EQ(description[2], u"?2026 ｾﾞﾙｸ");
    EXPECT_EQ(description[3], u"説明：テスト");
}

TEST_F(WmaEncoderTest, MonoAndLowerRatesEncodeToo) {
    writeSineWav(wav(), 1.0, 22050, 1);
    ASSERT_EQ(runJob(wav()), 0);
    const WmaFile w = readWma(target());
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.rate, 22050);
    EXPECT_NEAR(w.seconds, 1.0, 0.1);
}

TEST_F(WmaEncoderTest, AMissingSourceIsRefusedAndTheTargetStays) {
    std::ofstream(target()) << "old take";
    EXPECT_EQ(runJob(tmp.path() / "missing"), -1);
    std::ifstream in(target());
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "old take");
}

TEST_F(WmaEncoderTest, ASourceThatIsNoWavIsRefused) {
    std::ofstream(wav()) << "not a wave file at all";
    EXPECT_EQ(runJob(wav()), -1);
    EXPECT_FALSE(std::filesystem::exists(target()));
}

TEST_F(WmaEncoderTest, AMissingTargetFolderIsRefused) {
    writeSineWav(wav(), 0.2, 44100, 2);
    int32_t option = 0;
    EXPECT_EQ(encoder.encodeOpen(wav(), tmp.path() / "no" / "x.wma", option, tags), 0);
}

TEST_F(WmaEncoderTest, FreeAbandonsARunningJobAndKeepsTheOldTarget) {
    writeSineWav(wav(), 30.0, 44100, 2);
    std::ofstream(target()) << "old take";
    int32_t option = 0;
    ASSERT_NE(encoder.encodeOpen(wav(), target(), option, tags), 0);
    encoder.encodeStart();
    encoder.free();
    std::ifstream in(target());
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "old take");
    EXPECT_FALSE(leftovers());
}

} // namespace
} // namespace zelk
