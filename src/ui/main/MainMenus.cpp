#include "ui/main/MainMenus.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace zelk::ui {
namespace {

QAction* item(QMenu* menu, const char* id, const char* caption, const char* shortcut = nullptr) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromLatin1(id));
    if (shortcut)
        a->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    return a;
}

QAction* topLevelItem(QMenuBar* bar, const char* id, const char* caption) {
    QAction* a = bar->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromLatin1(id));
    return a;
}

void buildFileMenu(QMenuBar* bar, MainMenus& m) {
    m.Mfile = bar->addMenu(QStringLiteral("ファイル(&F)"));
    m.Mfile->setObjectName(QStringLiteral("Mfile"));
    m.Mnew = item(m.Mfile, "Mnew", "新規(&N)", "Ctrl+N");
    m.Mopen = item(m.Mfile, "Mopen", "開く(&O)", "Ctrl+O");
    m.Mmidiopen = item(m.Mfile, "Mmidiopen", "MIDIファイルを開く...");
    m.Msave = item(m.Mfile, "Msave", "上書き保存(&S)", "Ctrl+S");
    m.Masave = item(m.Mfile, "Masave", "名前をつけて保存(&A)", "Ctrl+A");
    m.Mfile->addSeparator();
    m.Mset = item(m.Mfile, "Mset", "曲の設定(&K)", "Ctrl+K");
    m.Mfile->addSeparator();
    m.Mmidi = item(m.Mfile, "Mmidi", "ＭＩＤＩファイル出力(&M)", "Ctrl+M");
    m.Mfile->addSeparator();
    for (size_t i = 0; i < m.Mrireki.size(); ++i) {
        m.Mrireki[i] = m.Mfile->addAction(QString());
        m.Mrireki[i]->setObjectName(QStringLiteral("Mrireki_%1").arg(i));
    }
    m.Mfile->addSeparator();
    m.Mexit = item(m.Mfile, "Mexit", "ゼルク式ＭＩＤＩシーケンサ終了(&X)");
}

// Edits of the notes selected on the score. Ctrl+A stays "名前をつけて保存".
void buildSelectionItems(MainMenus& m) {
    m.Mhen->addSeparator();
    m.Mcut = item(m.Mhen, "Mcut", "切り取り", "Ctrl+X");
    m.Mcopy = item(m.Mhen, "Mcopy", "コピー", "Ctrl+C");
    m.Mpaste = item(m.Mhen, "Mpaste", "貼り付け", "Ctrl+V");
    m.Mdelete = item(m.Mhen, "Mdelete", "削除", "Del");
    m.Mhen->addSeparator();
    m.MselectAll = item(m.Mhen, "MselectAll", "すべて選択", "Ctrl+Shift+A");
    m.MselectNone = item(m.Mhen, "MselectNone", "選択解除");
    m.Mtranspose = item(m.Mhen, "Mtranspose", "移調...");
}

void buildEditMenu(QMenuBar* bar, MainMenus& m) {
    m.Mhen = bar->addMenu(QStringLiteral("編集(&E)"));
    m.Mhen->setObjectName(QStringLiteral("Mhen"));
    m.Mundo = item(m.Mhen, "Mundo", "元に戻す(&Z)", "Ctrl+Z");
    m.Mrido = item(m.Mhen, "Mrido", "やり直し(&Y)", "Ctrl+Y");
    m.Msyo = item(m.Mhen, "Msyo", "小節コピー・クリア(&C)");
    buildSelectionItems(m);
    m.Mundo->setEnabled(false);
    m.Mrido->setEnabled(false);
}

void buildViewMenu(QMenuBar* bar, MainMenus& m) {
    m.Mview = bar->addMenu(QStringLiteral("凝縮表示(&V)"));
    m.Mview->setObjectName(QStringLiteral("Mview"));
    auto* group = new QActionGroup(m.Mview);
    for (int i = 1; i <= 7; ++i) {
        QAction* a = m.Mview->addAction(QStringLiteral("%1倍").arg(i));
        a->setObjectName(QStringLiteral("Mkakudai_%1").arg(i));
        a->setCheckable(true);
        a->setChecked(i == 1);
        group->addAction(a);
        m.Mkakudai[static_cast<size_t>(i)] = a;
    }
    m.Mview->addSeparator();
    m.Mghost = item(m.Mview, "Mghost", "他のパートを薄く表示(&G)");
    m.Mghost->setCheckable(true);
    m.MghostParts = item(m.Mview, "MghostParts", "薄く表示するパート(&P)...");
}

} // namespace

MainMenus buildMainMenus(QMenuBar* bar) {
    MainMenus m;
    buildFileMenu(bar, m);
    buildEditMenu(bar, m);
    buildViewMenu(bar, m);
    m.Moption = topLevelItem(bar, "Moption", "色設定");
    m.Mhyou = topLevelItem(bar, "Mhyou", "キー割り当て");
    m.Medit = topLevelItem(bar, "Medit", "小節編集(&H)");
    m.MplayMenu = bar->addMenu(QStringLiteral("再生(&P)"));
    m.MplayMenu->setObjectName(QStringLiteral("MplayMenu"));
    m.Mloop = item(m.MplayMenu, "Mloop", "ループ再生(&L)");
    m.Mloop->setCheckable(true);
    m.Mseam = item(m.MplayMenu, "Mseam", "つなぎ目を試聴(&S)");
    m.MplayMenu->addSeparator();
    m.Mports = item(m.MplayMenu, "Mports", "MIDI出力の設定(&M)...");
    m.Msound = item(m.MplayMenu, "Msound", "音源の設定(&O)...");
    m.MrecMenu = bar->addMenu(QStringLiteral("録音(&R)"));
    m.MrecMenu->setObjectName(QStringLiteral("MrecMenu"));
    m.Mrec = item(m.MrecMenu, "Mrec", "録音(&R)...");
    m.Mrender = item(m.MrecMenu, "Mrender", "オフライン書き出し(&O)...");
    m.Mhelp = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    m.Mhelp->setObjectName(QStringLiteral("Mhelp"));
    m.Mversion = item(m.Mhelp, "Mversion", "バージョン情報(&A)");
    m.Mreadme = item(m.Mhelp, "Mreadme", "ヘルプ(&H)");
    // Commands still to come are shown but cannot be chosen yet.
    for (QAction* a :
         {m.Mnew, m.Mopen, m.Mmidiopen, m.Msave, m.Masave, m.Mset, m.Mmidi, m.Msyo, m.Moption,
          m.Mhyou, m.Medit, m.Mrec, m.Mrender, m.Mversion, m.Mreadme, m.Mports, m.Msound})
        a->setEnabled(false);
    for (QAction* a : m.Mrireki)
        a->setVisible(false);
    return m;
}

} // namespace zelk::ui
