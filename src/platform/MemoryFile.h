#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace zelk {

// A seekable file in memory, for encoders that go back to finish their header. The encoded
// bytes replace the target in one go when the file is complete.
class MemoryFile {
public:
    void write(const void* data, size_t n) {
        if (pos_ + n > bytes_.size())
            bytes_.resize(pos_ + n);
        std::memcpy(bytes_.data() + pos_, data, n);
        pos_ += n;
    }
    size_t read(void* data, size_t n) {
        n = std::min(n, bytes_.size() - std::min(pos_, bytes_.size()));
        std::memcpy(data, bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    void seek(size_t pos) { pos_ = pos; }
    size_t tell() const { return pos_; }
    size_t size() const { return bytes_.size(); }
    std::string_view view() const {
        return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
    }

private:
    std::vector<uint8_t> bytes_;
    size_t pos_ = 0;
};

} // namespace zelk
