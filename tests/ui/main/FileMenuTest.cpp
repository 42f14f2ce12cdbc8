// The File menu and the song settings in the real window, with the real dialogs.
#include "editor/session/SongReset.h"
#include "files/TextLines.h"
#include "model/Cell.h"
#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "platform/IconvShiftJis.h"
#include "storage/Project.h"
#include "support/FakeMidiOut.h"
#include "support/FakePrompts.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"
#include "ui/WindowFixture.h"
#include "ui/main/MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QtTest>

#include <functional>
#include <memory>

using namespace zelk;

namespace {

struct Fixture : test::WindowFixture {
    test::TempFolder files;
};

// Runs `answer` on the next modal window of type W that becomes the active one (a
// dialog or a message box).
template <typename W = QWidget>
void whenModal(std::function<void(QWidget*)> answer, QString* seenText = nullptr) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, seenText] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!qobject_cast<W*>(modal))
            return;
        timer->stop();
        timer->deleteLater();
        if (auto* box = qobject_cast<QMessageBox*>(modal); box && seenText)
            *seenText = box->text();
        answer(modal);
    });
    timer->start();
}

void pressButton(QWidget* modal, QMessageBox::StandardButton which) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    QVERIFY(box);
    box->button(which)->click();
}

} // namespace

class FileMenuTest : public QObject {
    Q_OBJECT
private slots:
    void saveDialogIsTheProjectDialog() {
        Fixture f;
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("ファイルを保存"));
            QVERIFY(dialog->nameFilters().contains(QStringLiteral("編集ファイル(*.zelk)")));
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
            QCOMPARE(dialog->defaultSuffix(), QStringLiteral("zelk"));
            QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
            dialog->reject();
        });
        f.action("Masave")->trigger();
        QVERIFY(f.song->FilePath.empty());
        QVERIFY(f.recent[0].empty());
    }

    void saveAsWritesAProjectThatZcatShows() {
        Fixture f;
        test::FakePrompts scripted;
        f.window->usePrompts(scripted);
        test::putNote(*f.song, 28, 0, 8);
        f.song->Dirty = 1;
        const std::string saved = (f.files.path() / "new.zelk").string();
        scripted.savePaths = {saved};
        f.action("Masave")->trigger();
        QCOMPARE(f.song->FilePath, saved);
        QCOMPARE(int(f.song->Dirty), 0);
        QCOMPARE(f.action("Mrireki_0")->text(), QString::fromStdString(saved));
        QVERIFY(f.window->windowTitle().endsWith(QStringLiteral(" - new.zelk")));
        QProcess zcat;
        zcat.start(QStringLiteral("zcat"), {QString::fromStdString(saved)});
        QVERIFY(zcat.waitForFinished());
        QVERIFY(zcat.readAllStandardOutput().startsWith("title\r\n-4\r\n"));
    }

    void newAskedAndCancelledKeepsTheSong() {
        Fixture f;
        test::putNote(*f.song, 28, 0, 8);
        f.song->Dirty = 1;
        QString asked;
        whenModal([](QWidget* m) { pressButton(m, QMessageBox::Cancel); }, &asked);
        f.action("Mnew")->trigger();
        QVERIFY(asked.contains(QStringLiteral("の内容は変更されてます。")));
        QVERIFY(f.song->part.Grid(28, 0) & cell::Head);
        QCOMPARE(int(f.song->Dirty), 1);
    }

    // The export dialog opened on the program's current folder with no name.
    void midiExportDialogStartsBesideTheProjectWithTheSongsName() {
        Fixture f;
        f.song->SongTitle = "森の歌";
        f.song->FilePath = (f.files.path() / "forest.zelk").string();
        QString folder, name;
        whenModal<QFileDialog>([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            folder = dialog->directory().absolutePath();
            name = QFileInfo(dialog->selectedFiles().value(0)).fileName();
            dialog->reject();
        });
        f.action("Mmidi")->trigger();
        QCOMPARE(folder, QString::fromStdString(f.files.path().string()));
        QCOMPARE(name, QStringLiteral("森の歌.mid"));
    }

    void openDialogIsTheProjectDialog() {
        Fixture f;
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("ファイルを開く"));
            QVERIFY(dialog->nameFilters().contains(QStringLiteral("編集ファイル(*.zelk)")));
            QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
            dialog->reject();
        });
        f.action("Mopen")->trigger();
        QCOMPARE(f.song->FilePath, std::string());
    }

    // "MIDIファイルを開く...": the MIDI dialog, then the import and its report.
    void midiFileIsImportedFromItsDialog() {
        Fixture f;
        // Format 0, a title, a C4 quarter and a program change after it.
        const std::string bytes("MThd\0\0\0\6\0\0\0\1\x01\xE0MTrk\0\0\0\x16"
                                "\0\xFF\x03\x03Mid\0\x90\x3C\x64\x83\x60\x3C\0"
                                "\x60\xC0\x05\0\xFF\x2F\0",
                                44);
        const auto path = f.files.path() / "tune.mid";
        writeWholeFile(path, bytes);
        QString filter, report;
        whenModal<QFileDialog>([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("MIDIファイルを開く"));
            filter = dialog->nameFilters().join(QStringLiteral(";;"));
            whenModal<QMessageBox>([](QWidget* m) { pressButton(m, QMessageBox::Ok); }, &report);
            // Typed into the name box, as a user does: selectFile of a file in another
            // folder races the folder's listing, which may clear the name again.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(QString::fromStdString(path.string()));
            static_cast<QDialog*>(dialog)->accept();
        });
        f.action("Mmidiopen")->trigger();
        QTRY_VERIFY(!report.isEmpty());
        QCOMPARE(filter, QStringLiteral("MIDIファイル(*.mid;*.midi)"));
        QCOMPARE(f.action("Mmidiopen")->text(), QStringLiteral("MIDIファイルを開く..."));
        QCOMPARE(report, QStringLiteral(
                             "MIDIファイルを読み込みました。楽譜に合わせて次の点を変えました。"));
        QCOMPARE(f.song->SongTitle, std::string("Mid"));
        QVERIFY(f.song->part.Grid(28, 0) & cell::Head);
        QVERIFY(f.song->FilePath.empty());
        QCOMPARE(int(f.song->Dirty), 1);
    }

    // The recent entry reads the file the way open does, without a dialog's timing.
    void openOfACorruptFileShowsTheMessageAndKeepsTheSong() {
        Fixture f;
        test::putNote(*f.song, 28, 0, 8);
        f.song->SongTitle = "mine";
        writeWholeFile(f.files.path() / "bad.zelk", "corrupt");
        f.recent[0] = (f.files.path() / "bad.zelk").string();
        f.window->showSongReplaced();
        QVERIFY(f.action("Mrireki_0")->isVisible());
        QString shown;
        whenModal<QMessageBox>([](QWidget* m) { pressButton(m, QMessageBox::Ok); }, &shown);
        f.action("Mrireki_0")->trigger();
        QCOMPARE(shown, QStringLiteral("Mrireki@オープンできません"));
        QCOMPARE(f.song->SongTitle, std::string("mine"));
        QVERIFY(f.song->part.Grid(28, 0) & cell::Head);
        QVERIFY(f.song->FilePath.empty());
    }

    void songSettingsShowTheFreshSong() {
        Fixture f;
        bool checked = false;
        whenModal([&](QWidget* modal) {
            QCOMPARE(modal->windowTitle(), QStringLiteral("曲の設定"));
            QCOMPARE(modal->findChild<QLineEdit*>("Text1")->text(), QStringLiteral("title"));
            QCOMPARE(modal->findChild<QLineEdit*>("Text2")->text(),
                     QStringLiteral("Copyright(C) by ?"));
            for (int i = 0; i < 16; ++i) {
                auto* box = modal->findChild<QCheckBox*>(QStringLiteral("Check1_%1").arg(i));
                QCOMPARE(box->text(), QString::number(i + 1));
                QCOMPARE(box->isChecked(), i == 9);
            }
            checked = true;
            modal->findChild<QLineEdit*>("Text1")->setText(QStringLiteral("新しい曲"));
            modal->findChild<QPushButton*>("Command1")->click();
        });
        f.action("Mset")->trigger();
        QVERIFY(checked);
        QCOMPARE(f.song->SongTitle, std::string("新しい曲"));
        QCOMPARE(int(f.song->Dirty), 1);
    }

    void markerTitleIsRefusedInTheWindow() {
        Fixture f;
        QString refused;
        whenModal([&](QWidget* modal) {
            modal->findChild<QLineEdit*>("Text1")->setText(QStringLiteral("-4"));
            whenModal<QMessageBox>(
                [modal](QWidget* box) {
                    pressButton(box, QMessageBox::Ok);
                    modal->close(); // from the title bar: the old texts stay
                },
                &refused);
            modal->findChild<QPushButton*>("Command1")->click();
        });
        f.action("Mset")->trigger();
        QVERIFY(refused.contains(QStringLiteral("-1")));
        QCOMPARE(f.song->SongTitle, std::string("title"));
    }

    void closingAsksAndCancelKeepsTheWindow() {
        Fixture f;
        f.song->Dirty = 1;
        whenModal([](QWidget* m) { pressButton(m, QMessageBox::Cancel); });
        QVERIFY(!f.window->close());
        QVERIFY(f.window->isVisible());
        whenModal([](QWidget* m) { pressButton(m, QMessageBox::No); });
        QVERIFY(f.window->close());
    }
};

QTEST_MAIN(FileMenuTest)
#include "FileMenuTest.moc"
