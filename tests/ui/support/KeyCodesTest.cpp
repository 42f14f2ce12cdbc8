#include "ui/support/KeyCodes.h"

#include <QtTest/QtTest>

using zelk::ui::windowsKeyCode;

class KeyCodesTest : public QObject {
    Q_OBJECT
private slots:
    void mapsKeysToWindowsNumbers_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<int>("code");
        // Digits of the main block and of the keypad are different keys.
        QTest::newRow("digit 0") << int(Qt::Key_0) << false << 48;
        QTest::newRow("keypad 0") << int(Qt::Key_0) << true << 96;
        QTest::newRow("keypad 9") << int(Qt::Key_9) << true << 105;
        QTest::newRow("keypad *") << int(Qt::Key_Asterisk) << true << 106;
        QTest::newRow("keypad +") << int(Qt::Key_Plus) << true << 107;
        QTest::newRow("keypad -") << int(Qt::Key_Minus) << true << 109;
        QTest::newRow("keypad .") << int(Qt::Key_Period) << true << 110;
        QTest::newRow("keypad /") << int(Qt::Key_Slash) << true << 111;
        QTest::newRow("main-block minus is no key") << int(Qt::Key_Minus) << false << 0;
        QTest::newRow("letter A") << int(Qt::Key_A) << false << 65;
        QTest::newRow("letter Z") << int(Qt::Key_Z) << false << 90;
        QTest::newRow("F1") << int(Qt::Key_F1) << false << 112;
        QTest::newRow("F12") << int(Qt::Key_F12) << false << 123;
        QTest::newRow("F13 is no key") << int(Qt::Key_F13) << false << 0;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false << 27;
        QTest::newRow("Return") << int(Qt::Key_Return) << false << 13;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << true << 13;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << false << 8;
        QTest::newRow("変換") << int(Qt::Key_Henkan) << false << 28;
        QTest::newRow("無変換") << int(Qt::Key_Muhenkan) << false << 29;
        QTest::newRow("Caps Lock") << int(Qt::Key_CapsLock) << false << 240;
        QTest::newRow("英数") << int(Qt::Key_Eisu_toggle) << false << 240;
        QTest::newRow("left arrow") << int(Qt::Key_Left) << false << 37;
        QTest::newRow("down arrow") << int(Qt::Key_Down) << false << 40;
        QTest::newRow("Shift") << int(Qt::Key_Shift) << false << 16;
        QTest::newRow("Page Down") << int(Qt::Key_PageDown) << false << 34;
        QTest::newRow("Delete") << int(Qt::Key_Delete) << false << 46;
    }
    void mapsKeysToWindowsNumbers() {
        QFETCH(int, key);
        QFETCH(bool, keypad);
        QFETCH(int, code);
        QCOMPARE(windowsKeyCode(key, keypad ? Qt::KeypadModifier : Qt::NoModifier), code);
    }

    // With Shift, Qt names the digit keys by their symbols; the physical key still says
    // which digit it is.
    void shiftedDigitsKeepTheirCodeByThePhysicalKey_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<int>("code");
        QTest::newRow("Shift+1 is !") << int(Qt::Key_Exclam) << 10u << 49;
        QTest::newRow("Shift+2 on a Japanese layout is \"") << int(Qt::Key_QuoteDbl) << 11u << 50;
        QTest::newRow("Shift+9 is (") << int(Qt::Key_ParenLeft) << 18u << 57;
        QTest::newRow("Shift+0") << int(Qt::Key_ParenRight) << 19u << 48;
        QTest::newRow("no scan code: the table") << int(Qt::Key_Exclam) << 0u << 0;
        QTest::newRow("other physical key: the table") << int(Qt::Key_F1) << 67u << 112;
    }
    void shiftedDigitsKeepTheirCodeByThePhysicalKey() {
        QFETCH(int, key);
        QFETCH(quint32, scanCode);
        QFETCH(int, code);
        QCOMPARE(windowsKeyCode(key, Qt::ShiftModifier, scanCode, 0), code);
    }

    void lettersFollowTheirKeysymWhateverTheModifiers() {
        QCOMPARE(windowsKeyCode(Qt::Key_A, Qt::ShiftModifier, 38, 'A'), 65);
        QCOMPARE(windowsKeyCode(Qt::Key_Q, Qt::ControlModifier, 24, 'q'), 81);
        QCOMPARE(windowsKeyCode(0, Qt::AltModifier, 52, 'z'), 90);
    }

    void keypadDigitsAreNotTakenForTheDigitRow() {
        QCOMPARE(windowsKeyCode(Qt::Key_1, Qt::KeypadModifier, 87, 0xffb1), 97);
    }
};

QTEST_APPLESS_MAIN(KeyCodesTest)
#include "KeyCodesTest.moc"
