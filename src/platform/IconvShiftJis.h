#pragma once

#include "ports/TextDecoder.h"
#include "ports/TextEncoder.h"

namespace zelk {

// UTF-8 to Shift-JIS as Windows writes it (code page 932, with the NEC and IBM
// extensions) through iconv, and back. Half-width katakana are one byte, kanji two.
class IconvShiftJis : public TextEncoder, public TextDecoder {
public:
    // Throws std::runtime_error when the C library has no CP932 converter.
    IconvShiftJis();
    ~IconvShiftJis() override;
    IconvShiftJis(const IconvShiftJis&) = delete;
    IconvShiftJis& operator=(const IconvShiftJis&) = delete;

    std::string encode(std::string_view utf8) const override;
    std::optional<std::string> decodeShiftJis(std::string_view bytes) const override;

private:
    void* cd_;     // iconv_t to CP932; iconv keeps shift state in it, reset at every call
    void* decode_; // iconv_t from CP932
};

} // namespace zelk
