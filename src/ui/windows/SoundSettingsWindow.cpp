#include "ui/windows/SoundSettingsWindow.h"

#include "editor/ViewState.h"
#include "ports/UserPrompts.h"
#include "ui/support/Twips.h"
#include "ui/support/WidgetText.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace zelk::ui {
namespace {

constexpr int kPeriods = 4; // the buffer's periods, as the sound card output asks for
constexpr int kPeriodChoices[] = {64, 128, 256, 512, 1024, 2048};

} // namespace

SoundSettingsWindow::SoundSettingsWindow(SoundSetup& setup, UserPrompts& prompts,
                                         std::function<bool()> busy, std::function<void()> applied,
                                         QWidget* owner)
    : QDialog(owner), setup_(setup), prompts_(prompts), busy_(std::move(busy)),
      applied_(std::move(applied)) {
    setObjectName(QStringLiteral("SoundSettings"));
    setWindowTitle(QStringLiteral("音源の設定"));
    build();
    refill();
    noDefaultButton(this);
}

SoundSettingsWindow::~SoundSettingsWindow() {
    if (loading_.valid())
        loading_.wait(); // the worker reads into the setup: it must end first
}

void SoundSettingsWindow::build() {
    const Twips tw = twipsOf(parentWidget());
    auto* font = placed(new QGroupBox(QStringLiteral("SoundFont（音色データ）"), this), "Frame1",
                        tw.rect(120, 120, 7200, 780));
    fonts_ = placed(new QComboBox(font), "Combo1", tw.rect(120, 330, 5760, 330));
    auto* browse = placed(new QPushButton(QStringLiteral("参照..."), font), "Command1",
                          tw.rect(6000, 315, 1080, 360));
    connect(browse, &QPushButton::clicked, this, &SoundSettingsWindow::browse);

    auto* out = placed(new QGroupBox(QStringLiteral("音の出力"), this), "Frame2",
                       tw.rect(120, 1020, 7200, 1500));
    placed(new QLabel(QStringLiteral("ドライバ"), out), "Label1", tw.rect(120, 360, 1200, 270));
    driver_ = placed(new QComboBox(out), "Combo2", tw.rect(1380, 330, 2400, 330));
    placed(new QLabel(QStringLiteral("バッファ"), out), "Label2", tw.rect(120, 780, 1200, 270));
    buffer_ = placed(new QComboBox(out), "Combo3", tw.rect(1380, 750, 3600, 330));
    now_ = placed(new QLabel(out), "Label3", tw.rect(120, 1140, 6960, 270));

    apply_ = placed(new QPushButton(QStringLiteral("適用"), this), "Command2",
                    tw.rect(4740, 2640, 1215, 375));
    connect(apply_, &QPushButton::clicked, this, &SoundSettingsWindow::applyChoice);
    auto* close = placed(new QPushButton(QStringLiteral("閉じる"), this), "Command3",
                         tw.rect(6105, 2640, 1215, 375));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    poll_ = new QTimer(this);
    poll_->setInterval(30);
    connect(poll_, &QTimer::timeout, this, &SoundSettingsWindow::finishLoading);
    setFixedSize(tw.px(7440), tw.px(3150));
}

void SoundSettingsWindow::showEvent(QShowEvent* e) {
    if (!loading())
        refill();
    QDialog::showEvent(e);
}

void SoundSettingsWindow::refill() {
    const SoundChoice now = setup_.current();
    fonts_->clear();
    for (const std::string& f : setup_.soundFontsFound())
        fonts_->addItem(QFileInfo(qtText(f)).fileName() + QStringLiteral("（") + qtText(f) +
                            QStringLiteral("）"),
                        qtText(f));
    if (!now.soundFont.empty() && fonts_->findData(qtText(now.soundFont)) < 0)
        fonts_->insertItem(0, qtText(now.soundFont), qtText(now.soundFont));
    if (fonts_->count() == 0)
        fonts_->addItem(QStringLiteral("（見つかりません。参照で選んでください）"), QString());
    fonts_->setCurrentIndex(std::max(0, fonts_->findData(qtText(now.soundFont))));
    driver_->clear();
    driver_->addItem(QStringLiteral("自動"), QString());
    for (const std::string& d : setup_.drivers())
        driver_->addItem(qtText(d), qtText(d));
    driver_->setCurrentIndex(std::max(0, driver_->findData(qtText(now.driver))));
    buffer_->clear();
    buffer_->addItem(QStringLiteral("標準（128フレーム）"), 0);
    for (const int frames : kPeriodChoices) {
        const double ms = 1000.0 * frames * kPeriods / setup_.sampleRate();
        buffer_->addItem(
            QStringLiteral("%1フレーム × %2（%3 ms）").arg(frames).arg(kPeriods).arg(ms, 0, 'f', 1),
            frames);
    }
    buffer_->setCurrentIndex(std::max(0, buffer_->findData(now.periodFrames)));
    now_->setText(QStringLiteral("いまの出力：") + qtText(setup_.outputDescription()));
}

void SoundSettingsWindow::browse() {
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("SoundFontを開く"), QString(),
                                     QStringLiteral("SoundFont(*.sf2 *.sf3);;すべてのファイル(*)"));
    if (file.isEmpty())
        return;
    const int i = fonts_->findData(file);
    if (i < 0)
        fonts_->insertItem(0, file, file);
    fonts_->setCurrentIndex(std::max(0, fonts_->findData(file)));
}

bool SoundSettingsWindow::refusedWhileBusy() {
    if (!busy_ || !busy_())
        return false;
    prompts_.showMessage(kAppTitle, "再生中と録音中は音源を変えられません。",
                         MessageIcon::Exclamation);
    return true;
}

SoundChoice SoundSettingsWindow::shownChoice() const {
    return {fonts_->currentData().toString().toStdString(),
            driver_->currentData().toString().toStdString(), buffer_->currentData().toInt()};
}

void SoundSettingsWindow::applyChoice() {
    if (loading())
        return;
    if (refusedWhileBusy())
        return;
    pending_ = shownChoice();
    if (pending_.soundFont.empty() || pending_.soundFont == setup_.current().soundFont) {
        pending_.soundFont = setup_.current().soundFont;
        switchTo(pending_);
        return;
    }
    // The file is read off the window's thread: a large SoundFont takes seconds.
    apply_->setEnabled(false);
    apply_->setText(QStringLiteral("読み込み中..."));
    loading_ = std::async(std::launch::async, [this, file = pending_.soundFont] {
        return setup_.prepareSoundFont(file);
    });
    poll_->start();
}

void SoundSettingsWindow::finishLoading() {
    if (!loading() || loading_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    poll_->stop();
    const std::string why = loading_.get();
    apply_->setEnabled(true);
    apply_->setText(QStringLiteral("適用"));
    if (!why.empty()) {
        prompts_.showMessage(kAppTitle, "このSoundFontは読み込めません。いままでの音源のままです。",
                             MessageIcon::Exclamation, why);
        fonts_->setCurrentIndex(std::max(0, fonts_->findData(qtText(setup_.current().soundFont))));
        return;
    }
    if (refusedWhileBusy()) // playback began while the file was read: the switch waits
        return;
    switchTo(pending_);
}

void SoundSettingsWindow::switchTo(const SoundChoice& choice) {
    const std::string why = setup_.apply(choice);
    if (!why.empty())
        prompts_.showMessage(
            kAppTitle, "選んだドライバかバッファでは音が出せません。いままでの出力に戻しました。",
            MessageIcon::Exclamation, why);
    if (applied_)
        applied_();
    refill();
}

} // namespace zelk::ui
