#pragma once

#include <array>
#include <cstdint>
#include <filesystem>

namespace zelk {

// The tag record handed with an encoding job: 788 bytes of Shift-JIS text fields.
inline constexpr std::size_t kTagRecordSize = 788;
using TagRecord = std::array<unsigned char, kTagRecordSize>;
// Field places of the encoder's tag record: 20 zero bytes, then title, author, copyright,
// description and a fifth text that stays empty.
struct TagField {
    std::size_t offset;
    std::size_t size;
};
inline constexpr std::array<TagField, 5> kTagFields{
    {{20, 128}, {148, 128}, {276, 128}, {404, 256}, {660, 128}}};

// Converts a WAV file to WMA in the background. All calls come from the UI thread, in the
// order init, then per job encodeOpen, encodeStart and getEncodeState until it reports the
// end, and free when the window closes.
class WmaEncoder {
public:
    virtual ~WmaEncoder() = default;
    virtual void init() = 0;
    // Accepts a job (nonzero) or refuses it (0: the source cannot be read, the target's folder
    // does not exist...). `option` is reserved and holds 0. The target is replaced only when the
    // encoding completes.
    virtual int16_t encodeOpen(const std::filesystem::path& source,
                               const std::filesystem::path& target, int32_t& option,
                               const TagRecord& tags) = 0;
    // Starts the accepted job on a worker thread and returns at once.
    virtual void encodeStart() = 0;
    // 0 once the job has ended, anything else while it runs. At the end `result` is 0 when the
    // target was written, nonzero when the encoding failed (the old target is then intact).
    virtual int32_t getEncodeState(int32_t& result) = 0;
    // Reports on stderr why the last job was refused.
    virtual void debug() = 0;
    // Abandons a running job (its partial output is removed) and releases everything.
    virtual void free() = 0;
};

} // namespace zelk
