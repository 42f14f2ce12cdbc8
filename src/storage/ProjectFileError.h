#pragma once

#include <stdexcept>
#include <string>

namespace zelk {

// A project file that could not be loaded or saved. what() is one line naming the reason,
// without the path: callers add the file name they showed the user.
class ProjectFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace zelk
