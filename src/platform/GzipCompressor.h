#pragma once

#include "ports/Compressor.h"

namespace zelk {

// A gzip stream (RFC 1952) through zlib, so that `zcat song.zelk` shows the project text.
class GzipCompressor : public Compressor {
public:
    // zlib level 1..9; the project is saved on the UI thread every minute, so speed first.
    explicit GzipCompressor(int level = 1) : level_(level) {}
    std::string compress(std::string_view text) const override;
    std::string expand(std::string_view data, size_t maxSize) const override;

private:
    std::string compressWhole(std::string_view text) const;
    int level_;
};

} // namespace zelk
