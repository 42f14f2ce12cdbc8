#include "model/PartFileRules.h"

#include "model/FormatError.h"

namespace zelk::partfile {

void fail(const std::string& why) {
    throw FormatError(why);
}

void checkHeader(int64_t partLen, int64_t program, int64_t reverb, int64_t chorus,
                 std::string_view context) {
    if (partLen < 1 || partLen > kMaxSongCols)
        fail(std::string(context) + "part length " + std::to_string(partLen) + " outside 1..9600");
    for (int64_t v : {program, reverb, chorus})
        if (v < 0 || v > 127)
            fail(std::string(context) + "part program, reverb or chorus outside 0..127");
}

} // namespace zelk::partfile
