#include "ui/windows/KeyAssignWindow.h"
#include "editor/KeyAssign.h"
#include "storage/StateFile.h"

#include <QComboBox>
#include <QPushButton>
#include <QtTest/QtTest>

using namespace zelk;

class KeyAssignWindowTest : public QObject {
    Q_OBJECT
private slots:
    void showsTwentyTwoListsOfSeventySixKeys() {
        KeyAssignment keys;
        ui::KeyAssignWindow w(keys, nullptr);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("キー割り当て"));
        const auto lists = w.findChildren<QComboBox*>();
        // zelk.ini's 18, the two play commands, step entry and its rest
        QCOMPARE(lists.size(), qsizetype(22));
        QCOMPARE(w.findChild<QComboBox*>(QStringLiteral("Combo1_18"))->currentText(),
                 QStringLiteral("L"));
        QCOMPARE(w.findChild<QComboBox*>(QStringLiteral("Combo1_19"))->currentText(),
                 QStringLiteral("P"));
        QCOMPARE(w.findChild<QComboBox*>(QStringLiteral("Combo1_20"))->currentText(),
                 QStringLiteral("I"));
        QCOMPARE(w.findChild<QComboBox*>(QStringLiteral("Combo1_21"))->currentText(),
                 QStringLiteral("K"));
        auto* play = w.findChild<QComboBox*>(QStringLiteral("Combo1_16"));
        QCOMPARE(play->count(), 76);
        QCOMPARE(play->currentText(), QStringLiteral("ESC"));
        QCOMPARE(play->itemText(48), QStringLiteral("ﾃﾝｷｰ0"));
    }

    void aChoiceActsBeforeTheWindowCloses() {
        KeyAssignment keys;
        ui::KeyAssignWindow w(keys, nullptr);
        w.show();
        auto* play = w.findChild<QComboBox*>(QStringLiteral("Combo1_16"));
        play->setCurrentIndex(67);
        emit play->activated(67); // F5 for play/stop
        QCOMPARE(assignedKeyCode(keys, 16), 116);
        QCOMPARE(int(keys.KeyAssign[16]), 2);                           // not committed yet
        w.findChild<QPushButton*>(QStringLiteral("Command1"))->click(); // 閉じる
        QCOMPARE(int(keys.KeyAssign[16]), 67);
    }

    void defaultsThenCloseBoxStoresTheDefaults() {
        KeyAssignment keys;
        keys.KeyAssign[0] = 5;
        ui::KeyAssignWindow w(keys, nullptr);
        w.show();
        w.findChild<QPushButton*>(QStringLiteral("Command2"))->click(); // デフォルト
        QCOMPARE(w.findChild<QComboBox*>(QStringLiteral("Combo1_0"))->currentText(),
                 QStringLiteral("Z"));
        w.close();
        QCOMPARE(int(keys.KeyAssign[0]), 47);
    }

    // The two play commands' keys live beyond zelk.ini's 77 lines, in the state file.
    void thePlayCommandsKeysAreKeptInTheStateFile() {
        KeyAssignment keys;
        {
            ui::KeyAssignWindow w(keys, nullptr);
            w.show();
            auto* seam = w.findChild<QComboBox*>(QStringLiteral("Combo1_19"));
            seam->setCurrentIndex(68);
            emit seam->activated(68);
            w.close();
        }
        QCOMPARE(int(keys.ExtraAssign[1]), 68);
        StateFile state;
        writeExtraKeys(state, keys);
        KeyAssignment restored;
        readExtraKeys(state, restored);
        QCOMPARE(assignedKeyCode(restored, 19), assignedKeyCode(keys, 19));
        QCOMPARE(int(restored.ExtraAssign[0]), 33);
    }
};

QTEST_MAIN(KeyAssignWindowTest)
#include "KeyAssignWindowTest.moc"
