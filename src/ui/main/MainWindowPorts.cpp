// The main window's MIDI ports: the port window, the keyboard's input with step entry, and
// ports that went away.
#include "editor/tools/StepEntry.h"
#include "editor/transport/MidiConnections.h"
#include "midi/PartRouting.h"
#include "model/PartSwitch.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ScoreCanvas.h"
#include "ui/windows/MidiPortsWindow.h"
#include "ui/windows/SoundSettingsWindow.h"

#include <QCheckBox>
#include <QStatusBar>
#include <QTimer>

#include <array>
#include <chrono>

namespace zelk::ui {
namespace {

double steadyMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

QString quoted(const std::string& name) {
    return QStringLiteral("「%1」").arg(QString::fromStdString(name));
}

QString portNotice(const std::vector<std::string>& names) {
    QString list;
    for (const std::string& n : names)
        list += (list.isEmpty() ? QString() : QStringLiteral("、")) + quoted(n);
    return QStringLiteral("MIDI出力%1が見つからないため、そのパートは内蔵音源で鳴らします")
        .arg(list);
}

QString missingNotice(const MissingPorts& missing) {
    QStringList parts;
    for (const MissingPorts::Output& o : missing.outputs) {
        QStringList numbers;
        for (const int p : o.parts)
            numbers << QString::number(p);
        parts << QStringLiteral("パート%1の出力先%2")
                     .arg(numbers.join(QStringLiteral("、")), quoted(portCaption(o.id)));
    }
    QString text;
    if (!parts.isEmpty())
        text = parts.join(QStringLiteral("、")) +
               QStringLiteral("が見つからないため、内蔵音源で鳴らします。");
    if (!missing.input.empty())
        text +=
            QStringLiteral("MIDI入力%1が見つかりません。").arg(quoted(portCaption(missing.input)));
    return text; // a port that appears later is used again; the help page says so
}

} // namespace

void MainWindow::connectPorts() {
    // The palette row is full; the status bar keeps the toggle in sight beside the read-out.
    c_.Check2 = new QCheckBox(QStringLiteral("ステップ入力"), statusBar());
    c_.Check2->setObjectName(QStringLiteral("Check2"));
    c_.Check2->setFocusPolicy(Qt::NoFocus);
    c_.Check2->setToolTip(QStringLiteral("MIDIキーボードで弾いた音を入力位置に置いていく"));
    statusBar()->addPermanentWidget(c_.Check2);
    if (ctx_.sound != nullptr) {
        m_.Msound->setEnabled(true);
        connect(m_.Msound, &QAction::triggered, this, &MainWindow::openSoundWindow);
    }
    connect(c_.Check2, &QCheckBox::clicked, this, [this] {
        runStep(StepCommand::Toggle);
        c_.Picture1->setFocus();
    });
    if (ctx_.connections == nullptr || ctx_.routing == nullptr)
        return;
    m_.Mports->setEnabled(true);
    connect(m_.Mports, &QAction::triggered, this, &MainWindow::openPortsWindow);
    midiTimer_ = new QTimer(this);
    midiTimer_->setInterval(2); // keys sound within a few milliseconds of the keyboard's
    connect(midiTimer_, &QTimer::timeout, this, &MainWindow::pollMidiInput);
    portsTimer_ = new QTimer(this);
    portsTimer_->setInterval(1000);
    connect(portsTimer_, &QTimer::timeout, this, [this] {
        const std::vector<std::string> lost = ctx_.connections->dropLost();
        if (!lost.empty())
            statusBar()->showMessage(portNotice(lost), 15000);
        // A wanted port that appears again (a synthesizer program started later) is used.
        const bool back = ctx_.connections->reconnect() > 0;
        if (back)
            followInput();
        if ((back || !lost.empty()) && portsWindow_)
            portsWindow_->refill();
    });
    portsTimer_->start();
    followInput();
}

void MainWindow::openPortsWindow() {
    if (!portsWindow_) {
        portsWindow_ = new MidiPortsWindow(
            *ctx_.connections, ctx_.song, *ctx_.routing, *filePrompts_,
            [this](int part) {
                // The part's sound at its new destination, as a part switch sends it.
                if (part == ctx_.song.CurPart)
                    sendPartHeader(ctx_.song, ctx_.midi);
                followInput();
            },
            this);
    }
    portsWindow_->show();
    portsWindow_->raise();
}

void MainWindow::openSoundWindow() {
    if (!soundWindow_) {
        soundWindow_ = new SoundSettingsWindow(
            *ctx_.sound, *filePrompts_, [this] { return playback_.playing || recordingOpen_; },
            [this] {
                sendPartHeader(ctx_.song, ctx_.midi);
                m_.Mrender->setEnabled(renderAvailable());
            },
            this);
    }
    soundWindow_->show();
    soundWindow_->raise();
}

void MainWindow::followInput() {
    if (midiTimer_ == nullptr)
        return;
    if (ctx_.connections->input() != nullptr)
        midiTimer_->start();
    else
        midiTimer_->stop();
}

void MainWindow::noticeMissingPorts(const MissingPorts& missing) {
    if (!missing.empty())
        statusBar()->showMessage(missingNotice(missing), 20000);
}

void MainWindow::pollMidiInput() {
    MidiInput* in = ctx_.connections->input();
    std::array<uint32_t, 256> taken{};
    const size_t n = in ? in->take(taken) : 0;
    const double now = steadyMs();
    if (n > 0)
        runEdit([&](EditContext& ec) {
            return takeMidiInput(ec, std::span<const uint32_t>(taken.data(), n), now);
        });
    if (!ctx_.editor.step.chord.empty())
        runEdit([&](EditContext& ec) { return stepEntryTick(ec, now); });
}

void MainWindow::runStep(StepCommand command) {
    runEdit([&](EditContext& ec) -> EditOutcome {
        switch (command) {
        case StepCommand::Toggle: {
            setStepEntry(ec, !ec.editor.step.on);
            EditOutcome o;
            o.redraw = true;
            return o;
        }
        case StepCommand::Rest:
            return stepRest(ec);
        case StepCommand::Back:
            return stepBack(ec);
        case StepCommand::Left:
            return moveEntryColumn(ec, -1);
        case StepCommand::Right:
            return moveEntryColumn(ec, 1);
        case StepCommand::None:
            break;
        }
        return {};
    });
    c_.Check2->setChecked(ctx_.editor.step.on);
}

} // namespace zelk::ui
