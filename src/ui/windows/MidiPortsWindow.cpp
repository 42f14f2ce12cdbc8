#include "ui/windows/MidiPortsWindow.h"

#include "editor/ViewState.h"
#include "editor/transport/MidiConnections.h"
#include "midi/PartRouting.h"
#include "model/Song.h"
#include "ports/UserPrompts.h"
#include "ui/support/Twips.h"
#include "ui/support/WidgetText.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace zelk::ui {
namespace {

std::string idOf(const QComboBox* box) {
    return box->currentData().toString().toStdString();
}

void select(QComboBox* box, const std::string& id) {
    const int i = box->findData(qtText(id));
    box->setCurrentIndex(i >= 0 ? i : 0);
}

} // namespace

MidiPortsWindow::MidiPortsWindow(MidiConnections& connections, const Song& song,
                                 PartRouting& routing, UserPrompts& prompts,
                                 std::function<void(int)> changed, QWidget* owner)
    : QDialog(owner), connections_(connections), song_(song), routing_(routing), prompts_(prompts),
      changed_(std::move(changed)) {
    setObjectName(QStringLiteral("MidiPorts"));
    setWindowTitle(QStringLiteral("MIDI出力の設定"));
    build();
    refill();
    noDefaultButton(this);
}

void MidiPortsWindow::build() {
    const Twips tw = twipsOf(parentWidget());
    auto* out = placed(new QGroupBox(QStringLiteral("出力先"), this), "Frame1",
                       tw.rect(120, 120, 6240, 6900));
    for (int p = 0; p < 16; ++p) {
        const int y = 300 + p * 375;
        placed(new QLabel(QStringLiteral("パート%1").arg(p + 1), out), "Label1",
               tw.rect(120, y + 30, 1020, 270));
        auto* box = placed(new QComboBox(out), "Combo1", tw.rect(1140, y, 3900, 330));
        box->setObjectName(QStringLiteral("Combo1_%1").arg(p));
        rows_[static_cast<size_t>(p)] = box;
        connect(box, &QComboBox::currentIndexChanged, this, [this, p, box] {
            if (!filling_)
                choose(p, idOf(box));
        });
        auto* test = placed(new QPushButton(QStringLiteral("試聴"), out), "Command1",
                            tw.rect(5130, y, 960, 330));
        test->setObjectName(QStringLiteral("Command1_%1").arg(p));
        connect(test, &QPushButton::clicked, this, [this, p] { testNote(p); });
    }
    placed(new QLabel(QStringLiteral("全パート"), out), "Label2", tw.rect(120, 6420, 1020, 270));
    all_ = placed(new QComboBox(out), "Combo2", tw.rect(1140, 6390, 3900, 330));
    auto* apply = placed(new QPushButton(QStringLiteral("設定"), out), "Command2",
                         tw.rect(5130, 6390, 960, 330));
    connect(apply, &QPushButton::clicked, this, &MidiPortsWindow::chooseAll);

    auto* in = placed(new QGroupBox(QStringLiteral("入力（MIDIキーボード）"), this), "Frame2",
                      tw.rect(120, 7140, 6240, 720));
    placed(new QLabel(QStringLiteral("入力元"), in), "Label4", tw.rect(120, 300, 1020, 270));
    input_ = placed(new QComboBox(in), "Combo3", tw.rect(1140, 270, 4950, 330));
    connect(input_, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_)
            chooseInput();
    });
    placed(new QLabel(QStringLiteral("録音とオフライン書き出しは内蔵音源で鳴らします。"), this),
           "Label3", tw.rect(120, 7980, 6240, 270));
    auto* rescan = placed(new QPushButton(QStringLiteral("ポートを探し直す"), this), "Command3",
                          tw.rect(120, 8340, 2100, 375));
    connect(rescan, &QPushButton::clicked, this, [this] {
        if (connections_.reconnect() > 0 && changed_)
            changed_(-1); // the input may be back too
        refill();
    });
    auto* close = placed(new QPushButton(QStringLiteral("閉じる"), this), "Command4",
                         tw.rect(5145, 8340, 1215, 375));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(tw.px(6480), tw.px(8880));
}

void MidiPortsWindow::showEvent(QShowEvent* e) {
    refill();
    QDialog::showEvent(e);
}

void MidiPortsWindow::fillDestinations(QComboBox* box, const std::string& chosen) {
    box->clear();
    box->addItem(qtText(kBuiltInSynth), QString());
    for (const MidiPortOffer& o : connections_.destinations())
        box->addItem(qtText(o.caption), qtText(o.id));
    select(box, chosen);
}

void MidiPortsWindow::refill() {
    filling_ = true;
    for (int p = 0; p < 16; ++p)
        fillDestinations(rows_[static_cast<size_t>(p)], connections_.chosen(p));
    fillDestinations(all_, {});
    input_->clear();
    input_->addItem(QStringLiteral("なし"), QString());
    input_->addItem(QStringLiteral("すべての入力"), qtText(kAllSources));
    for (const MidiPortOffer& o : connections_.sources())
        input_->addItem(qtText(o.caption), qtText(o.id));
    select(input_, connections_.chosenInput());
    filling_ = false;
}

void MidiPortsWindow::choose(int part, const std::string& id) {
    if (!connections_.choose(part, id)) {
        prompts_.showMessage(kAppTitle,
                             "MIDI出力「" + portNameOf(id) +
                                 "」を開けません。このパートは内蔵音源で鳴らします。",
                             MessageIcon::Exclamation);
        filling_ = true;
        select(rows_[static_cast<size_t>(part)], {});
        filling_ = false;
    }
    if (changed_)
        changed_(part);
}

void MidiPortsWindow::chooseAll() {
    const std::string id = idOf(all_);
    for (int p = 0; p < 16; ++p) {
        filling_ = true;
        select(rows_[static_cast<size_t>(p)], id);
        filling_ = false;
        choose(p, id);
        if (!id.empty() && connections_.chosen(p).empty())
            break; // refused once: the others would be refused the same way
    }
}

void MidiPortsWindow::chooseInput() {
    const std::string id = idOf(input_);
    if (connections_.chooseInput(id)) {
        if (changed_)
            changed_(-1);
        return;
    }
    prompts_.showMessage(kAppTitle, "MIDI入力「" + portNameOf(id) + "」を開けません。",
                         MessageIcon::Exclamation);
    filling_ = true;
    select(input_, connections_.chosenInput());
    filling_ = false;
}

void MidiPortsWindow::testNote(int part) {
    const int channel = channelOf(song_, part);
    const uint32_t key = channel == kRhythmChannel ? 38 : 60; // a snare drum, middle C
    routing_.sendTo(part, 0x90u | static_cast<uint32_t>(channel) | key << 8 | 100u << 16);
    QTimer::singleShot(400, this, [this, part, channel, key] {
        routing_.sendTo(part, 0x80u | static_cast<uint32_t>(channel) | key << 8);
    });
}

} // namespace zelk::ui
