#include "render/VorbisComments.h"

namespace zelk {

std::vector<std::pair<std::string, std::string>> vorbisComments(const AudioFileSpec& spec) {
    std::vector<std::pair<std::string, std::string>> c;
    if (spec.loop && spec.loop->length > 0) {
        c.emplace_back("LOOPSTART", std::to_string(spec.loop->start));
        c.emplace_back("LOOPLENGTH", std::to_string(spec.loop->length));
    }
    if (!spec.title.empty())
        c.emplace_back("TITLE", spec.title);
    if (!spec.copyright.empty())
        c.emplace_back("COPYRIGHT", spec.copyright);
    return c;
}

} // namespace zelk
