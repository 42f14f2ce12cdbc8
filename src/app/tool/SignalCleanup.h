#pragma once

#include <filesystem>

namespace zelk::tool {

// Removes one flat folder (files only) when SIGINT, SIGTERM or SIGHUP ends the tool, then
// lets the signal end the process as it would have. Only one folder is watched at a time;
// watch an empty path to stop watching.
void removeFolderOnSignal(const std::filesystem::path& folder);

} // namespace zelk::tool
