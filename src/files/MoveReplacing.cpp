#include "files/MoveReplacing.h"

#include "files/ReplacingFile.h"

#include <cerrno>
#include <fstream>
#include <system_error>
#include <vector>

namespace zelk {

void moveReplacing(const std::filesystem::path& source, const std::filesystem::path& target) {
    std::ifstream in(source, std::ios::binary);
    if (!in)
        throw std::system_error(errno ? errno : ENOENT, std::generic_category(),
                                "cannot read " + source.string());
    ReplacingFile out(target);
    std::vector<uint8_t> block(1 << 16);
    while (in) {
        in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got > 0)
            out.write(std::span(block.data(), got));
    }
    if (in.bad())
        throw std::system_error(EIO, std::generic_category(), "cannot read " + source.string());
    out.commit();
    std::filesystem::remove(source);
}

} // namespace zelk
