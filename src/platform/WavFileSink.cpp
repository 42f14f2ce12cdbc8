#include "platform/WavFileSink.h"

#include "files/ReplacingFile.h"

#include <stdexcept>

namespace zelk {
namespace {

MemoryFile& fileOf(void* user) {
    return *static_cast<MemoryFile*>(user);
}

SF_VIRTUAL_IO memoryIo() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* u) { return static_cast<sf_count_t>(fileOf(u).size()); };
    io.seek = [](sf_count_t offset, int whence, void* u) {
        MemoryFile& f = fileOf(u);
        const sf_count_t base = whence == SEEK_CUR   ? static_cast<sf_count_t>(f.tell())
                                : whence == SEEK_END ? static_cast<sf_count_t>(f.size())
                                                     : 0;
        f.seek(static_cast<size_t>(std::max<sf_count_t>(base + offset, 0)));
        return static_cast<sf_count_t>(f.tell());
    };
    io.read = [](void* ptr, sf_count_t n, void* u) {
        return static_cast<sf_count_t>(fileOf(u).read(ptr, static_cast<size_t>(n)));
    };
    io.write = [](const void* ptr, sf_count_t n, void* u) {
        fileOf(u).write(ptr, static_cast<size_t>(n));
        return n;
    };
    io.tell = [](void* u) { return static_cast<sf_count_t>(fileOf(u).tell()); };
    return io;
}

} // namespace

WavFileSink::WavFileSink(std::filesystem::path path, const AudioFileSpec& spec)
    : EncodedFileSink(std::move(path), spec), io_(memoryIo()) {
    SF_INFO info{};
    info.samplerate = spec.sampleRate;
    info.channels = spec.channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    sf_ = sf_open_virtual(&io_, SFM_WRITE, &info, &file_);
    if (sf_ == nullptr)
        fail(sf_strerror(nullptr));
    try {
        describe(spec);
    } catch (...) { // no destructor runs for a constructor that throws
        sf_close(sf_);
        throw;
    }
}

void WavFileSink::describe(const AudioFileSpec& spec) {
    sf_command(sf_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    if (spec.loop) {
        SF_INSTRUMENT inst{};
        inst.basenote = 60;
        inst.velocity_hi = 127;
        inst.key_hi = 127;
        inst.loop_count = 1;
        inst.loops[0].mode = SF_LOOP_FORWARD;
        inst.loops[0].start = static_cast<unsigned>(spec.loop->start);
        // The chunk holds the loop's last frame; libsndfile writes end - 1.
        inst.loops[0].end = static_cast<unsigned>(spec.loop->start + spec.loop->length);
        inst.loops[0].count = 0; // for ever
        if (sf_command(sf_, SFC_SET_INSTRUMENT, &inst, sizeof inst) != SF_TRUE)
            fail("the loop cannot be stored");
    }
    if (!spec.title.empty())
        sf_set_string(sf_, SF_STR_TITLE, spec.title.c_str());
    if (!spec.copyright.empty())
        sf_set_string(sf_, SF_STR_COPYRIGHT, spec.copyright.c_str());
}

WavFileSink::~WavFileSink() {
    if (sf_ != nullptr)
        sf_close(sf_);
}

void WavFileSink::write(std::span<const float> interleaved) {
    const auto frames = static_cast<sf_count_t>(framesIn(interleaved));
    if (sf_writef_float(sf_, interleaved.data(), frames) != frames)
        fail(sf_strerror(sf_));
}

void WavFileSink::commit() {
    const int rc = sf_close(sf_);
    sf_ = nullptr;
    if (rc != 0)
        fail(sf_error_number(rc));
    writeFileAtomically(path_, file_.view());
}

} // namespace zelk
