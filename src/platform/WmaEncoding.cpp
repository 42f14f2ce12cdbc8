#include "platform/WmaEncoding.h"

#include "platform/AsfDescription.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}
#include <sndfile.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace zelk {
namespace {

constexpr int kReadFrames = 4096;

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

void check(int code, const char* what) {
    if (code < 0)
        throw std::runtime_error(std::string(what) + ": " + avError(code));
}

// Everything one encoding holds, released in the right order whatever happens.
struct Encoding {
    SNDFILE* in = nullptr;
    SF_INFO info{};
    AVFormatContext* out = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVAudioFifo* fifo = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    bool headerWritten = false;
    int64_t pts = 0;

    ~Encoding() {
        if (headerWritten)
            av_write_trailer(out); // the file is a readable ASF file even when cut short
        if (out != nullptr && out->pb != nullptr)
            avio_closep(&out->pb);
        avformat_free_context(out);
        avcodec_free_context(&codec);
        if (fifo != nullptr)
            av_audio_fifo_free(fifo);
        av_frame_free(&frame);
        av_packet_free(&packet);
        if (in != nullptr)
            sf_close(in);
    }
};

void openSource(Encoding& e, const std::filesystem::path& source) {
    e.in = sf_open(source.c_str(), SFM_READ, &e.info);
    if (e.in == nullptr)
        throw std::runtime_error("cannot read " + source.string() + ": " + sf_strerror(nullptr));
    if (e.info.channels < 1 || e.info.channels > 2)
        throw std::runtime_error("only mono and stereo can be encoded");
}

void openCodec(Encoding& e) {
    const AVCodec* wma = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (wma == nullptr)
        throw std::runtime_error("this libavcodec has no wmav2 encoder");
    e.codec = avcodec_alloc_context3(wma);
    e.codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    e.codec->sample_rate = e.info.samplerate;
    av_channel_layout_default(&e.codec->ch_layout, e.info.channels);
    e.codec->bit_rate = kWmaBitRate;
    e.codec->time_base = AVRational{1, e.info.samplerate};
    if (e.out->oformat->flags & AVFMT_GLOBALHEADER)
        e.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    check(avcodec_open2(e.codec, wma, nullptr), "cannot open the wmav2 encoder");
    e.stream = avformat_new_stream(e.out, nullptr);
    check(avcodec_parameters_from_context(e.stream->codecpar, e.codec), "codec parameters");
    e.stream->time_base = e.codec->time_base;
    e.fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, e.info.channels, e.codec->frame_size);
    e.frame = av_frame_alloc();
    e.packet = av_packet_alloc();
}

void setTags(Encoding& e, const WmaTags& tags) {
    // Generic keys: the ASF muxer turns artist into the content description's author itself.
    av_dict_set(&e.out->metadata, "title", tags.title.c_str(), 0);
    av_dict_set(&e.out->metadata, "artist", tags.author.c_str(), 0);
    av_dict_set(&e.out->metadata, "copyright", tags.copyright.c_str(), 0);
    av_dict_set(&e.out->metadata, "comment", tags.description.c_str(), 0);
}

void openTarget(Encoding& e, const std::filesystem::path& file, const WmaTags& tags) {
    check(avformat_alloc_output_context2(&e.out, nullptr, "asf", file.c_str()), "ASF muxer");
    openCodec(e);
    setTags(e, tags);
    check(avio_open(&e.out->pb, file.c_str(), AVIO_FLAG_WRITE), "cannot create the file");
    check(avformat_write_header(e.out, nullptr), "cannot write the header");
    e.headerWritten = true;
}

void drainPackets(Encoding& e) {
    for (;;) {
        const int got = avcodec_receive_packet(e.codec, e.packet);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            return;
        check(got, "encoding");
        av_packet_rescale_ts(e.packet, e.codec->time_base, e.stream->time_base);
        e.packet->stream_index = e.stream->index;
        check(av_interleaved_write_frame(e.out, e.packet), "cannot write");
    }
}

// One frame of the encoder's size from the FIFO, padded with silence at the very end.
void encodeFrame(Encoding& e) {
    const int size = e.codec->frame_size;
    av_frame_unref(e.frame);
    e.frame->nb_samples = size;
    e.frame->format = e.codec->sample_fmt;
    e.frame->sample_rate = e.codec->sample_rate;
    check(av_channel_layout_copy(&e.frame->ch_layout, &e.codec->ch_layout), "layout");
    check(av_frame_get_buffer(e.frame, 0), "frame");
    const int got = av_audio_fifo_read(e.fifo, reinterpret_cast<void**>(e.frame->data), size);
    if (got < size)
        av_samples_set_silence(e.frame->data, got, size - got, e.info.channels,
                               e.codec->sample_fmt);
    e.frame->pts = e.pts;
    e.pts += size;
    check(avcodec_send_frame(e.codec, e.frame), "encoding");
    drainPackets(e);
}

void encodeAll(Encoding& e, const std::atomic<bool>& cancel) {
    const int channels = e.info.channels;
    std::vector<float> interleaved(static_cast<std::size_t>(kReadFrames * channels));
    std::vector<std::vector<float>> planes(static_cast<std::size_t>(channels),
                                           std::vector<float>(kReadFrames));
    std::vector<void*> planePointers;
    for (auto& p : planes)
        planePointers.push_back(p.data());
    for (;;) {
        if (cancel.load())
            throw std::runtime_error("abandoned");
        const auto n = static_cast<int>(sf_readf_float(e.in, interleaved.data(), kReadFrames));
        if (n <= 0)
            break;
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c)
                planes[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] =
                    interleaved[static_cast<std::size_t>(i * channels + c)];
        if (av_audio_fifo_write(e.fifo, planePointers.data(), n) < n)
            throw std::runtime_error("audio FIFO");
        while (av_audio_fifo_size(e.fifo) >= e.codec->frame_size)
            encodeFrame(e);
    }
    if (av_audio_fifo_size(e.fifo) > 0)
        encodeFrame(e);
    check(avcodec_send_frame(e.codec, nullptr), "flush");
    drainPackets(e);
}

// The description into the content description object, where the muxer leaves it empty.
void fillDescription(const std::filesystem::path& file, const std::string& description) {
    if (description.empty())
        return;
    std::vector<uint8_t> bytes;
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (!setAsfDescription(bytes, description))
        throw std::runtime_error("no content description in the written file");
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
    std::string name = ".";
    name += target.filename().string();
    name += '.';
    name += std::to_string(::getpid());
    name += ".tmp";
    return target.parent_path() / name;
}

} // namespace

std::string encodeWavToWma(const std::filesystem::path& source, const std::filesystem::path& target,
                           const WmaTags& tags, const std::atomic<bool>& cancel) {
    const std::filesystem::path temp = temporaryBeside(target);
    std::string failure;
    try {
        Encoding e;
        openSource(e, source);
        openTarget(e, temp, tags);
        encodeAll(e, cancel);
        check(av_write_trailer(e.out), "cannot finish the file");
        e.headerWritten = false;
        check(avio_closep(&e.out->pb), "cannot close the file");
        fillDescription(temp, tags.description);
    } catch (const std::exception& ex) {
        failure = ex.what();
    }
    std::error_code error;
    if (failure.empty()) {
        std::filesystem::rename(temp, target, error);
        if (!error)
            return {};
        failure = "cannot rename to " + target.string() + ": " + error.message();
    }
    std::filesystem::remove(temp, error);
    return failure;
}

} // namespace zelk
