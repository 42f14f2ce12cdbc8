#pragma once

#include <stdexcept>
#include <string>

namespace zelk {

// A file that does not hold what the program writes; what() is one line for the user.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace zelk
