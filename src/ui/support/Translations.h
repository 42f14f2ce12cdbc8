#pragma once

class QCoreApplication;

namespace zelk::ui {

// Qt's own Japanese texts (file dialogs, はい/いいえ/キャンセル), from Debian's
// qt6-translations-l10n. False when they are not installed; the program then goes on
// with Qt's English texts in its standard dialogs.
bool loadJapaneseTranslations(QCoreApplication& app);

} // namespace zelk::ui
