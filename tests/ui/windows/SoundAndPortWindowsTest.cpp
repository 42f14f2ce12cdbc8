#include "editor/transport/MidiConnections.h"
#include "midi/PartRouting.h"
#include "support/FakeExternalMidiOut.h"
#include "support/FakeMidiOut.h"
#include "support/FakeMidiPortBackend.h"
#include "support/FakePrompts.h"
#include "support/SongBuilder.h"
#include "ui/windows/MidiPortsWindow.h"
#include "ui/windows/SoundSettingsWindow.h"

#include <QComboBox>
#include <QPushButton>
#include <QtTest/QtTest>

#include <atomic>
#include <thread>

using namespace zelk;

namespace {

// A synthesizer setup that reads "good.sf2" and refuses anything else, noting the thread
// each read ran on.
class FakeSoundSetup : public SoundSetup {
public:
    std::vector<std::string> soundFontsFound() const override {
        return {"/sf/good.sf2", "/sf/bad.sf2"};
    }
    std::vector<std::string> drivers() const override { return {"pulseaudio", "alsa", "jack"}; }
    SoundChoice current() const override { return now; }
    std::string outputDescription() const override { return "jack"; }
    double sampleRate() const override { return 44100; }
    std::string prepareSoundFont(const std::string& file) override {
        readOn = std::this_thread::get_id();
        ++reads;
        return file == "/sf/good.sf2" ? std::string() : "読めません";
    }
    std::string apply(const SoundChoice& choice) override {
        now = choice;
        ++applies;
        return {};
    }

    SoundChoice now{"/sf/old.sf2", "", 0};
    std::thread::id readOn;
    std::atomic<int> reads{0};
    int applies = 0;
};

void pick(QComboBox* box, const QString& data) {
    const int i = box->findData(data);
    QVERIFY2(i >= 0, qPrintable(data));
    box->setCurrentIndex(i);
}

} // namespace

class SoundAndPortWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void portChoicesRouteParts() {
        Song song = test::freshSong();
        test::FakeMidiOut builtIn;
        PartRouting routing(song, builtIn);
        test::FakeMidiPortBackend jack{{"synth:in"}};
        MidiConnections connections({&jack}, routing);
        test::FakePrompts prompts;
        std::vector<int> changed;
        ui::MidiPortsWindow w(
            connections, song, routing, prompts, [&](int p) { changed.push_back(p); }, nullptr);
        w.show();

        pick(w.destinationBox(2), QStringLiteral("JACK:synth:in"));
        QVERIFY(routing.destination(2) != nullptr);
        QCOMPARE(changed, std::vector<int>{2});
        // The test note sounds on the part's own port, on its channel, and ends.
        w.findChild<QPushButton*>(QStringLiteral("Command1_2"))->click();
        QCOMPARE(jack.opened.size(), size_t{1});
        QCOMPARE(jack.opened[0]->sent.front(), 0x643C92u);
        QTRY_COMPARE(jack.opened[0]->sent.size(), size_t{2});
        QVERIFY(builtIn.sent.empty());

        // A port that went away before it was chosen: refused, the part stays built in.
        jack.ports.clear();
        w.refill();
        QCOMPARE(w.destinationBox(4)->count(), 1);
        jack.ports = {"synth:in", "drums:in"};
        w.refill();
        jack.ports = {"synth:in"};
        pick(w.destinationBox(4), QStringLiteral("JACK:drums:in"));
        QCOMPARE(prompts.messages.size(), size_t{1});
        QVERIFY(prompts.messages[0].text.find("drums:in") != std::string::npos);
        QCOMPARE(w.destinationBox(4)->currentIndex(), 0);
        QVERIFY(routing.destination(4) == nullptr);

        // All parts at once.
        pick(w.allPartsBox(), QStringLiteral("JACK:synth:in"));
        w.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
        for (int p = 0; p < 16; ++p)
            QVERIFY2(routing.destination(p) == jack.opened[0], qPrintable(QString::number(p)));
        QCOMPARE(w.destinationBox(15)->currentData().toString(), QStringLiteral("JACK:synth:in"));
    }

    void aSoundFontIsReadOffTheWindowThreadAndABadOneChangesNothing() {
        FakeSoundSetup setup;
        test::FakePrompts prompts;
        bool busy = false;
        int applied = 0;
        ui::SoundSettingsWindow w(
            setup, prompts, [&] { return busy; }, [&] { ++applied; }, nullptr);
        w.show();
        QCOMPARE(w.soundFontBox()->currentData().toString(), QStringLiteral("/sf/old.sf2"));

        pick(w.soundFontBox(), QStringLiteral("/sf/bad.sf2"));
        w.applyButton()->click();
        QTRY_VERIFY(!w.loading());
        QCOMPARE(prompts.messages.size(), size_t{1});
        QCOMPARE(prompts.messages[0].detail, std::string("読めません"));
        QCOMPARE(setup.applies, 0);
        QCOMPARE(w.soundFontBox()->currentData().toString(), QStringLiteral("/sf/old.sf2"));

        pick(w.soundFontBox(), QStringLiteral("/sf/good.sf2"));
        pick(w.driverBox(), QStringLiteral("jack"));
        w.bufferBox()->setCurrentIndex(w.bufferBox()->findData(256));
        w.applyButton()->click();
        QVERIFY(!w.applyButton()->isEnabled()); // while the file is read
        QTRY_COMPARE(applied, 1);
        QVERIFY(setup.readOn != std::this_thread::get_id());
        QVERIFY(setup.now == (SoundChoice{"/sf/good.sf2", "jack", 256}));
        QVERIFY(w.applyButton()->isEnabled());

        // Playing: refused before anything is read.
        busy = true;
        pick(w.soundFontBox(), QStringLiteral("/sf/bad.sf2"));
        w.applyButton()->click();
        QCOMPARE(setup.reads.load(), 2);
        QCOMPARE(prompts.messages.size(), size_t{2});
    }
};

QTEST_MAIN(SoundAndPortWindowsTest)
#include "SoundAndPortWindowsTest.moc"
