#pragma once

#include <array>

class QAction;
class QMenu;
class QMenuBar;

namespace zelk::ui {

// Menu items of the main window by their window identifiers.
struct MainMenus {
    QMenu* Mfile = nullptr;
    QAction* Mnew = nullptr;
    QAction* Mopen = nullptr;
    QAction* Mmidiopen = nullptr; // a Standard MIDI File imported as a new song
    QAction* Msave = nullptr;
    QAction* Masave = nullptr;
    QAction* Mset = nullptr;
    QAction* Mmidi = nullptr;
    std::array<QAction*, 5> Mrireki{};
    QAction* Mexit = nullptr;
    QMenu* Mhen = nullptr;
    QAction* Mundo = nullptr;
    QAction* Mrido = nullptr;
    QAction* Msyo = nullptr;
    // The notes selected on the score.
    QAction* Mcut = nullptr;
    QAction* Mcopy = nullptr;
    QAction* Mpaste = nullptr;
    QAction* Mdelete = nullptr;
    QAction* MselectAll = nullptr;
    QAction* MselectNone = nullptr;
    QAction* Mtranspose = nullptr; // the transposition and velocity window
    QMenu* Mview = nullptr;
    std::array<QAction*, 8> Mkakudai{}; // indexes 1..7
    QAction* Mghost = nullptr;          // "他のパートを薄く表示", checkable
    QAction* MghostParts = nullptr;     // the parts shown so
    QAction* Moption = nullptr;
    QAction* Mhyou = nullptr;
    QAction* Medit = nullptr;
    QMenu* MplayMenu = nullptr;
    QAction* Mloop = nullptr;  // "ループ再生", checkable
    QAction* Mports = nullptr; // "MIDI出力の設定..."
    QAction* Msound = nullptr; // "音源の設定..."
    QAction* Mseam = nullptr;  // "つなぎ目を試聴"
    QMenu* MrecMenu = nullptr;
    QAction* Mrec = nullptr;    // the recording window
    QAction* Mrender = nullptr; // the offline render to a file
    QMenu* Mhelp = nullptr;
    QAction* Mversion = nullptr;
    QAction* Mreadme = nullptr;
};

// Builds the menu bar. Items whose commands do not exist yet are present but disabled.
MainMenus buildMainMenus(QMenuBar* bar);

} // namespace zelk::ui
