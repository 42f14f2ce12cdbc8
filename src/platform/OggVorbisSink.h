#pragma once

#include "platform/EncodedFileSink.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <string>

namespace zelk {

// Ogg Vorbis at quality 6 through libvorbisenc, the loop and the texts as the first
// comments of the comment header.
class OggVorbisSink : public EncodedFileSink {
public:
    OggVorbisSink(std::filesystem::path path, const AudioFileSpec& spec);
    ~OggVorbisSink() override;

    void write(std::span<const float> interleaved) override;
    void commit() override;

private:
    void writeHeaders(const AudioFileSpec& spec);
    void drainPackets();
    void takePages(bool flush);

    std::string bytes_;
    vorbis_info info_{};
    vorbis_comment comment_{};
    vorbis_dsp_state dsp_{};
    vorbis_block block_{};
    ogg_stream_state stream_{};
    bool started_ = false;
};

} // namespace zelk
