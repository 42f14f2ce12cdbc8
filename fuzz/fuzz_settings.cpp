// "zelk.ini" on any bytes: whatever is read writes back as a file that reads the same.
#include "FuzzSupport.h"

#include "storage/SettingsFile.h"

using namespace zelk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Settings first = parseSettings(fuzz::asText(data, size));
    const std::string written = formatSettings(first);
    const Settings second = parseSettings(written);
    fuzz::check(second == first, "parse, format, parse is not stable");
    fuzz::check(formatSettings(second) == written, "format is not stable");
    return 0;
}
