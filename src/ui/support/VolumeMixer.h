#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace zelk::ui {

// The desktop's volume mixers, in the order they are looked for on PATH.
struct MixerProgram {
    const char* program;
    QStringList arguments;
};
const std::vector<MixerProgram>& volumeMixers();

// Starts the first mixer found; the program's name, or empty when none is installed.
QString startVolumeMixer();

} // namespace zelk::ui
