#include "platform/OggVorbisSink.h"

#include "files/ReplacingFile.h"
#include "render/VorbisComments.h"

#include <vorbis/vorbisenc.h>

#include <random>
#include <stdexcept>

namespace zelk {
namespace {

constexpr float kQuality = 0.6f; // quality 6 of 10

} // namespace

OggVorbisSink::OggVorbisSink(std::filesystem::path path, const AudioFileSpec& spec)
    : EncodedFileSink(std::move(path), spec) {
    vorbis_info_init(&info_);
    vorbis_comment_init(&comment_);
    if (vorbis_encode_init_vbr(&info_, spec.channels, spec.sampleRate, kQuality) != 0) {
        vorbis_comment_clear(&comment_);
        vorbis_info_clear(&info_);
        fail("the Vorbis encoder does not take this rate and channel count");
    }
    vorbis_analysis_init(&dsp_, &info_);
    vorbis_block_init(&dsp_, &block_);
    ogg_stream_init(&stream_, static_cast<int>(std::random_device{}() & 0x7FFFFFFF));
    started_ = true;
    writeHeaders(spec);
}

OggVorbisSink::~OggVorbisSink() {
    if (!started_)
        return;
    ogg_stream_clear(&stream_);
    vorbis_block_clear(&block_);
    vorbis_dsp_clear(&dsp_);
    vorbis_comment_clear(&comment_);
    vorbis_info_clear(&info_);
}

void OggVorbisSink::writeHeaders(const AudioFileSpec& spec) {
    for (const auto& [name, value] : vorbisComments(spec))
        vorbis_comment_add_tag(&comment_, name.c_str(), value.c_str());
    ogg_packet id, comments, codebooks;
    vorbis_analysis_headerout(&dsp_, &comment_, &id, &comments, &codebooks);
    ogg_stream_packetin(&stream_, &id);
    ogg_stream_packetin(&stream_, &comments);
    ogg_stream_packetin(&stream_, &codebooks);
    takePages(true); // the audio starts on a page of its own
}

void OggVorbisSink::write(std::span<const float> interleaved) {
    const auto frames = static_cast<int>(framesIn(interleaved));
    if (frames == 0)
        return;
    float** buffer = vorbis_analysis_buffer(&dsp_, frames);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels_; ++c)
            buffer[c][i] = interleaved[static_cast<size_t>(i * channels_ + c)];
    vorbis_analysis_wrote(&dsp_, frames);
    drainPackets();
}

void OggVorbisSink::drainPackets() {
    while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
        vorbis_analysis(&block_, nullptr);
        vorbis_bitrate_addblock(&block_);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&dsp_, &packet) == 1)
            ogg_stream_packetin(&stream_, &packet);
    }
    takePages(false);
}

void OggVorbisSink::takePages(bool flush) {
    ogg_page page;
    while ((flush ? ogg_stream_flush(&stream_, &page) : ogg_stream_pageout(&stream_, &page)) != 0) {
        bytes_.append(reinterpret_cast<const char*>(page.header),
                      static_cast<size_t>(page.header_len));
        bytes_.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
    }
}

void OggVorbisSink::commit() {
    vorbis_analysis_wrote(&dsp_, 0); // end of stream
    drainPackets();
    takePages(true);
    writeFileAtomically(path_, bytes_);
}

} // namespace zelk
