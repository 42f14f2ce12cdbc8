#include "ui/support/Resources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerZelkResources() {
    Q_INIT_RESOURCE(zelk);
}

namespace zelk::ui {

void initResources() {
    static const bool done = (registerZelkResources(), true);
    (void)done;
}

} // namespace zelk::ui
