#include "platform/FlacFileSink.h"

#include "files/ReplacingFile.h"
#include "platform/PcmSample.h"
#include "render/VorbisComments.h"

#include <stdexcept>

namespace zelk {
namespace {

MemoryFile& fileOf(void* user) {
    return *static_cast<MemoryFile*>(user);
}

FLAC__StreamEncoderWriteStatus writeBytes(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                          size_t bytes, uint32_t, uint32_t, void* user) {
    fileOf(user).write(buffer, bytes);
    return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
}

FLAC__StreamEncoderSeekStatus seekTo(const FLAC__StreamEncoder*, FLAC__uint64 offset, void* user) {
    fileOf(user).seek(static_cast<size_t>(offset));
    return FLAC__STREAM_ENCODER_SEEK_STATUS_OK;
}

FLAC__StreamEncoderTellStatus tellAt(const FLAC__StreamEncoder*, FLAC__uint64* offset, void* user) {
    *offset = fileOf(user).tell();
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
}

} // namespace

FlacFileSink::FlacFileSink(std::filesystem::path path, const AudioFileSpec& spec)
    : EncodedFileSink(std::move(path), spec) {
    encoder_ = FLAC__stream_encoder_new();
    comments_ = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    try {
        start(spec);
    } catch (...) { // no destructor runs for a constructor that throws
        release();
        throw;
    }
}

void FlacFileSink::start(const AudioFileSpec& spec) {
    if (encoder_ == nullptr || comments_ == nullptr)
        fail("out of memory");
    for (const auto& [name, value] : vorbisComments(spec)) {
        FLAC__StreamMetadata_VorbisComment_Entry entry;
        if (!FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, name.c_str(),
                                                                            value.c_str()) ||
            !FLAC__metadata_object_vorbiscomment_append_comment(comments_, entry, false))
            fail("the comment " + name + " cannot be stored");
    }
    FLAC__stream_encoder_set_channels(encoder_, static_cast<uint32_t>(spec.channels));
    FLAC__stream_encoder_set_bits_per_sample(encoder_, 16);
    FLAC__stream_encoder_set_sample_rate(encoder_, static_cast<uint32_t>(spec.sampleRate));
    FLAC__stream_encoder_set_compression_level(encoder_, 5);
    FLAC__stream_encoder_set_metadata(encoder_, &comments_, 1);
    if (FLAC__stream_encoder_init_stream(encoder_, &writeBytes, &seekTo, &tellAt, nullptr,
                                         &file_) != FLAC__STREAM_ENCODER_INIT_STATUS_OK)
        fail("the FLAC encoder does not start");
}

FlacFileSink::~FlacFileSink() {
    release();
}

void FlacFileSink::release() {
    if (encoder_ != nullptr)
        FLAC__stream_encoder_delete(encoder_);
    if (comments_ != nullptr)
        FLAC__metadata_object_delete(comments_);
    encoder_ = nullptr;
    comments_ = nullptr;
}

void FlacFileSink::write(std::span<const float> interleaved) {
    samples_.resize(interleaved.size());
    for (size_t i = 0; i < interleaved.size(); ++i)
        samples_[i] = pcm16(interleaved[i]);
    const auto frames = static_cast<uint32_t>(framesIn(interleaved));
    if (!FLAC__stream_encoder_process_interleaved(encoder_, samples_.data(), frames))
        fail(FLAC__stream_encoder_get_resolved_state_string(encoder_));
}

void FlacFileSink::commit() {
    if (!FLAC__stream_encoder_finish(encoder_))
        fail(FLAC__stream_encoder_get_resolved_state_string(encoder_));
    writeFileAtomically(path_, file_.view());
}

} // namespace zelk
