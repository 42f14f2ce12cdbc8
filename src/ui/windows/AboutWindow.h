#pragma once

#include <QDialog>
#include <QString>

namespace zelk::ui {

// The program's version as CMake's project version: major.minor.patch.
QString programVersion();

// The version window: the program's title followed by "のﾊﾞｰｼﾞｮﾝ情報", the version line and
// the links of the project and of the libraries it stands on.
class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* owner);
};

// Where the help page is: beside the program in the build folder, else where it was installed.
// Empty when neither exists.
QString findHelpPage();
// Opens the help page in the desktop's viewer; false when there is none or no viewer took it.
bool openHelpPage();

} // namespace zelk::ui
