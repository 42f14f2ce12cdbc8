#include "ui/windows/RecordingWindow.h"

#include <QKeyEvent>

#include "editor/ViewState.h"
#include "editor/transport/RecordingFormat.h"
#include "midi/PartRouting.h"
#include "model/Song.h"
#include "ports/UserPrompts.h"
#include "ui/support/Twips.h"
#include "ui/support/VolumeMixer.h"
#include "ui/support/WheelGuard.h"
#include "ui/support/WidgetText.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstdio>

namespace zelk::ui {
namespace {

// Set only when it differs: setting a line edit puts its cursor at the end, under the
// fingers of someone typing while the timers tick.
void showText(QLineEdit* edit, const std::string& text) {
    if (edit->text() != qtText(text))
        edit->setText(qtText(text));
}

void runTimer(QTimer* timer, int interval) {
    if (interval <= 0)
        timer->stop();
    else if (!timer->isActive() || timer->interval() != interval)
        timer->start(interval);
}

constexpr std::array<const char*, 4> kTagCaptions{"タイトル", "製作者", "著作者", "説明"};

} // namespace

RecordingWindow::RecordingWindow(PlaybackContext playback, WaveRecorder& recorder,
                                 WmaEncoder& encoder, std::filesystem::path musicFolder,
                                 UserPrompts& prompts, std::function<void()> playbackChanged,
                                 QWidget* owner)
    : QDialog(owner), ctx_{form_, playback, recorder, encoder, std::move(musicFolder)},
      prompts_(prompts), playbackChanged_(std::move(playbackChanged)) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("録音"));
    setModal(true);
    const Twips tw = twipsOf(owner);
    buildFormatFrames(tw);
    buildTagFrame(tw);
    buildBottomRow(tw);
    setFixedSize(tw.px(6720), tw.px(4980));
    noDefaultButton(this);
    timer1_ = new QTimer(this);
    timer2_ = new QTimer(this);
    timer2_->setTimerType(Qt::PreciseTimer);
    timer3_ = new QTimer(this);
    timer3_->setTimerType(Qt::PreciseTimer);
    Form7_Load(ctx_);
    connectControls();
    showForm();
    guardWheel(this);
}

void RecordingWindow::buildFormatFrames(const Twips& tw) {
    auto* frame1 = placed(new QGroupBox(QStringLiteral("録音形式"), this), QStringLiteral("Frame1"),
                          tw.rect(120, 120, 2400, 1100));
    option1_[0] = placed(new QRadioButton(QStringLiteral("Wave"), frame1),
                         QStringLiteral("Option1_0"), tw.rect(180, 360, 1000, 330));
    option1_[1] = placed(new QRadioButton(QStringLiteral("WMA"), frame1),
                         QStringLiteral("Option1_1"), tw.rect(180, 690, 1000, 330));
    frame2_ = placed(new QGroupBox(QStringLiteral("Wave設定"), this), QStringLiteral("Frame2"),
                     tw.rect(2640, 120, 3960, 1100));
    label4_ = placed(new QLabel(QStringLiteral("音質"), frame2_), QStringLiteral("Label4"),
                     tw.rect(180, 390, 700, 300));
    combo1_ =
        placed(new QComboBox(frame2_), QStringLiteral("Combo1"), tw.rect(900, 330, 2100, 360));
    combo1_->addItems(
        {QStringLiteral("CD"), QStringLiteral("FMラジオ"), QStringLiteral("AMラジオ")});
    option2_[0] = placed(new QRadioButton(QStringLiteral("ステレオ"), frame2_),
                         QStringLiteral("Option2_0"), tw.rect(180, 720, 1600, 330));
    option2_[1] = placed(new QRadioButton(QStringLiteral("モノラル"), frame2_),
                         QStringLiteral("Option2_1"), tw.rect(1900, 720, 1600, 330));
}

void RecordingWindow::buildTagFrame(const Twips& tw) {
    frame3_ = placed(new QGroupBox(QStringLiteral("WMA設定"), this), QStringLiteral("Frame3"),
                     tw.rect(120, 1320, 6480, 1980));
    for (std::size_t i = 0; i < 4; ++i) {
        const int top = 330 + static_cast<int>(i) * 400;
        label1_[i] = placed(new QLabel(QString::fromUtf8(kTagCaptions[i]), frame3_),
                            QStringLiteral("Label1_%1").arg(i), tw.rect(180, top + 30, 1000, 300));
        text1_[i] = placed(new QLineEdit(frame3_), QStringLiteral("Text1_%1").arg(i),
                           tw.rect(1260, top, 5040, 345));
    }
}

bool RecordingWindow::tickedPartsOnPorts() const {
    const PlaybackContext& pc = ctx_.playback;
    if (pc.routing == nullptr)
        return false;
    for (int p = 0; p < kParts; ++p)
        if (pc.editor.palette.PlayPart[static_cast<size_t>(p)] == 1 &&
            pc.routing->destination(p) != nullptr)
            return true;
    return false;
}

void RecordingWindow::buildBottomRow(const Twips& tw) {
    placed(new QLabel(QStringLiteral("保存先"), this), QStringLiteral("Label2"),
           tw.rect(120, 3480, 900, 300));
    text2_ = placed(new QLineEdit(this), QStringLiteral("Text2"), tw.rect(1080, 3450, 4800, 345));
    command1_ = placed(new QPushButton(QStringLiteral("..."), this), QStringLiteral("Command1"),
                       tw.rect(5940, 3435, 660, 375));
    auto* mixer = placed(new QPushButton(QStringLiteral("ﾎﾞﾘｭｰﾑｺﾝﾄﾛｰﾙ"), this),
                         QStringLiteral("Command2"), tw.rect(120, 4290, 2040, 420));
    connect(mixer, &QPushButton::clicked, this, &RecordingWindow::openMixer);
    label3_ = placed(new QLabel(this), QStringLiteral("Label3"), tw.rect(2280, 4350, 1300, 300));
    command3_ =
        placed(new QPushButton(this), QStringLiteral("Command3"), tw.rect(3720, 4290, 1380, 420));
    auto* cancelButton = placed(new QPushButton(QStringLiteral("キャンセル"), this),
                                QStringLiteral("Command4"), tw.rect(5220, 4290, 1380, 420));
    // Where the take starts, as the play button would play.
    startLabel_ = placed(
        new QLabel(qtText(recordingStartText(ctx_.playback.editor.view, tickedPartsOnPorts())),
                   this),
        QStringLiteral("Label5"), tw.rect(120, 3900, 6480, 300));
    connect(cancelButton, &QPushButton::clicked, this, &RecordingWindow::cancel);
}

void RecordingWindow::connectControls() {
    for (int i = 0; i < 2; ++i)
        connect(option1_[static_cast<std::size_t>(i)], &QRadioButton::clicked, this, [this, i] {
            takeControls();
            Option1_Click(ctx_, i);
            showForm();
        });
    connect(command1_, &QPushButton::clicked, this, &RecordingWindow::browse);
    connect(command3_, &QPushButton::clicked, this, [this] {
        takeControls();
        const bool starting = !isRecording(form_);
        present(Command3_Click(ctx_));
        if (starting && isRecording(form_))
            std::fprintf(
                stderr, "zelk: recording: %s\n",
                waveSetCommand(waveFormatFor(form_.Combo1, form_.Option2 == 0 ? 2 : 1)).c_str());
    });
    // What the user types while a take runs is what the take is saved with.
    connect(timer1_, &QTimer::timeout, this, [this] {
        takeControls();
        present(Timer1_Timer(ctx_));
    });
    connect(timer2_, &QTimer::timeout, this, [this] {
        takeControls();
        present(Timer2_Timer(ctx_));
    });
    connect(timer3_, &QTimer::timeout, this, [this] {
        takeControls();
        present(Timer3_Timer(ctx_));
    });
}

// The user's entries into the form (the handlers read them there).
void RecordingWindow::takeControls() {
    form_.Combo1 = combo1_->currentIndex();
    form_.Option2 = option2_[1]->isChecked() ? 1 : 0;
    for (std::size_t i = 0; i < 4; ++i)
        form_.Text1[i] = text1_[i]->text().toStdString();
    form_.Text2 = text2_->text().toStdString();
}

void RecordingWindow::showForm() {
    option1_[static_cast<std::size_t>(form_.Option1)]->setChecked(true);
    option2_[static_cast<std::size_t>(form_.Option2)]->setChecked(true);
    combo1_->setCurrentIndex(form_.Combo1);
    const bool wave = waveSettingsEnabled(form_);
    for (QWidget* w :
         std::initializer_list<QWidget*>{frame2_, label4_, combo1_, option2_[0], option2_[1]})
        w->setEnabled(wave);
    frame3_->setEnabled(tagSettingsEnabled(form_));
    for (std::size_t i = 0; i < 4; ++i) {
        showText(text1_[i], form_.Text1[i]);
        label1_[i]->setEnabled(tagSettingsEnabled(form_));
        text1_[i]->setEnabled(tagSettingsEnabled(form_));
    }
    showText(text2_, form_.Text2);
    label3_->setText(qtText(form_.Label3));
    command3_->setText(qtText(form_.Command3Caption));
    command3_->setEnabled(command3Enabled(form_));
    runTimer(timer1_, form_.Timer1Interval);
    runTimer(timer2_, form_.Timer2Interval);
    runTimer(timer3_, form_.Timer3Interval);
}

void RecordingWindow::present(const RecordingOutcome& outcome) {
    showForm();
    if (outcome.playbackChanged && playbackChanged_)
        playbackChanged_();
    if (!outcome.message.empty()) {
        std::fprintf(stderr, "zelk: recording: %s\n", outcome.detail.c_str());
        prompts_.showMessage(kAppTitle, outcome.message, MessageIcon::Exclamation, outcome.detail);
    }
}

void RecordingWindow::browse() {
    takeControls();
    const bool wave = form_.Option1 == 0;
    QFileDialog dialog(this, QStringLiteral("ファイルを保存"), text2_->text());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(wave ? QStringLiteral("Waveファイル(*.wav)")
                              : QStringLiteral("WMAファイル(*.wma)"));
    dialog.setDefaultSuffix(wave ? QStringLiteral("wav") : QStringLiteral("wma"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    form_.Text2 = dialog.selectedFiles().front().toStdString();
    showForm();
}

void RecordingWindow::openMixer() {
    if (!startVolumeMixer().isEmpty())
        return;
    QStringList names;
    for (const MixerProgram& m : volumeMixers())
        names << QString::fromLatin1(m.program);
    prompts_.showMessage(kAppTitle, "音量ミキサーが見つかりません", MessageIcon::Information,
                         "None of these is installed: " +
                             names.join(QStringLiteral(", ")).toStdString());
}

void RecordingWindow::cancel() {
    takeControls();
    present(Command4_Click(ctx_));
    unload();
    QDialog::reject();
}

void RecordingWindow::unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    present(Form7_Unload(ctx_));
}

void RecordingWindow::reject() {
    cancel();
}

void RecordingWindow::keyPressEvent(QKeyEvent* e) {
    // Esc plays and stops in the main window; here it must not throw a recording away.
    if (e->key() == Qt::Key_Escape && isRecording(form_)) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void RecordingWindow::closeEvent(QCloseEvent* e) {
    unload();
    QDialog::closeEvent(e);
}

} // namespace zelk::ui
