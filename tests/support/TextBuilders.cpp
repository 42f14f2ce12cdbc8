#include "support/TextBuilders.h"

namespace zelk::test {

std::string crlf(std::initializer_list<std::string> items) {
    std::string s;
    for (const auto& i : items)
        s += i + "\r\n";
    return s;
}

std::string repeat(const std::string& block, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += block;
    return s;
}

} // namespace zelk::test
