#include "ui/support/VolumeMixer.h"

#include <QProcess>
#include <QStandardPaths>

#include <vector>

namespace zelk::ui {

const std::vector<MixerProgram>& volumeMixers() {
    static const std::vector<MixerProgram> table{
        {"pavucontrol", {}},
        {"pwvucontrol", {}},
        {"pavucontrol-qt", {}},
        {"gnome-control-center", {QStringLiteral("sound")}},
        {"kmix", {}},
        {"mate-volume-control", {}},
        {"cinnamon-settings", {QStringLiteral("sound")}},
        {"xfce4-mixer", {}},
    };
    return table;
}

QString startVolumeMixer() {
    for (const MixerProgram& m : volumeMixers()) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(m.program));
        if (!path.isEmpty() && QProcess::startDetached(path, m.arguments))
            return QString::fromLatin1(m.program);
    }
    return {};
}

} // namespace zelk::ui
