#pragma once

#include <initializer_list>
#include <string>

namespace zelk::test {

// The items as CR LF lines, as the program's text files hold them.
std::string crlf(std::initializer_list<std::string> items);
// block written n times.
std::string repeat(const std::string& block, int n);

} // namespace zelk::test
