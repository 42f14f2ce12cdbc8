#include "files/TextLines.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <system_error>

namespace zelk {

bool LineCursor::next(std::string_view& line) {
    if (pos_ >= text_.size())
        return false;
    size_t end = text_.find('\n', pos_);
    size_t stop = end == std::string_view::npos ? text_.size() : end;
    line = text_.substr(pos_, stop - pos_);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    ++lineNo_;
    return true;
}

std::optional<int64_t> parseInteger(std::string_view line) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!line.empty() && blank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && blank(line.back()))
        line.remove_suffix(1);
    if (line.empty() || line.size() > 18)
        return std::nullopt;
    int64_t v = 0;
    auto res = std::from_chars(line.data(), line.data() + line.size(), v);
    if (res.ec != std::errc() || res.ptr != line.data() + line.size())
        return std::nullopt;
    return v;
}

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void fail(const char* what, const std::filesystem::path& path) {
    throw std::system_error(errno, std::generic_category(),
                            std::string(what) + " " + path.string());
}
} // namespace

std::string readWholeFile(const std::filesystem::path& path) {
    return readFileCapped(path, static_cast<size_t>(-1) / 2);
}

std::string readFileCapped(const std::filesystem::path& path, size_t cap) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f)
        fail("cannot open", path);
    std::string data;
    // One allocation for a regular file: growing a multi-megabyte string step by step
    // costs more than reading it. Devices and pipes report no useful size and grow.
    std::error_code ec;
    if (const auto size = std::filesystem::file_size(path, ec); !ec)
        data.reserve(static_cast<size_t>(std::min<uintmax_t>(size, cap)) + 1);
    char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) {
        if (n > cap - data.size())
            throw FileTooLarge(path.string() + " is larger than " + std::to_string(cap >> 20) +
                               " MiB");
        data.append(buf, n);
    }
    if (std::ferror(f.get()))
        fail("cannot read", path);
    return data;
}

void writeWholeFile(const std::filesystem::path& path, std::string_view data) {
    FilePtr f(std::fopen(path.c_str(), "wb"));
    if (!f)
        fail("cannot create", path);
    if (std::fwrite(data.data(), 1, data.size(), f.get()) != data.size())
        fail("cannot write", path);
    if (std::fflush(f.get()) != 0)
        fail("cannot write", path);
}

} // namespace zelk
