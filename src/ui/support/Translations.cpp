#include "ui/support/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zelk::ui {

bool loadJapaneseTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"), dir)) {
        delete translator;
        return false;
    }
    return app.installTranslator(translator);
}

} // namespace zelk::ui
