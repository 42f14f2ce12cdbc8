// The offline render: the song to an audio file on a thread of its own, with a progress
// dialog that leaves the editor free.
#include "editor/ViewState.h"
#include "editor/transport/RecordingTarget.h"
#include "ports/SoundSetup.h"
#include "render/RenderPlan.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ScoreCanvas.h"
#include "ui/support/WidgetText.h"

#include <QAction>
#include <QFile>
#include <QProgressDialog>
#include <QTimer>

#include <cstdio>

namespace zelk::ui {
namespace {

constexpr int kProgressSteps = 1000;
constexpr std::string_view kNoNotesMessage = "音符がありません";
constexpr std::string_view kNoPlayedNotesMessage = "再生するパートに音符がありません";

} // namespace

bool MainWindow::renderAvailable() const {
    // Without a SoundFont a render would be silence.
    const bool sound = ctx_.sound == nullptr || !ctx_.sound->current().soundFont.empty();
    return ctx_.makeRenderer && ctx_.audioFiles != nullptr && render_ == nullptr && sound;
}

void MainWindow::connectOfflineRender() {
    m_.Mrender->setEnabled(renderAvailable());
    connect(m_.Mrender, &QAction::triggered, this, &MainWindow::chooseRenderTarget);
    renderTimer_ = new QTimer(this);
    renderTimer_->setInterval(100);
    connect(renderTimer_, &QTimer::timeout, this, &MainWindow::watchRender);
}

bool MainWindow::songHasNotes() const {
    if (ctx_.song.part.PartLen > 0)
        return true;
    for (int p = 0; p < kParts; ++p)
        if (std::filesystem::exists(ctx_.folder.workFile(p)))
            return true;
    return false;
}

void MainWindow::chooseRenderTarget() {
    if (!renderAvailable())
        return;
    if (!songHasNotes()) { // said before the file dialog, not after it
        filePrompts_->showMessage(kAppTitle, kNoNotesMessage, MessageIcon::Information);
        return;
    }
    const auto suggested = defaultRecordingTarget(ctx_.song, musicFolder(), ".ogg");
    if (const auto target = prompts_.chooseAudioToSave(suggested.string(), renderNormalize_)) {
        renderNormalize_ = target->normalize;
        startOfflineRender(QFile::decodeName(QByteArray::fromStdString(target->path)));
    }
    c_.Picture1->setFocus();
}

bool MainWindow::startOfflineRender(const QString& path) {
    if (!renderAvailable())
        return false;
    const std::filesystem::path target(QFile::encodeName(path).toStdString());
    const auto format = audioFormatOfPath(target);
    if (!format) {
        filePrompts_->showMessage(kAppTitle, "書き出せるのはWAV、Ogg Vorbis、FLACです",
                                  MessageIcon::Exclamation);
        return false;
    }
    // The parts ticked to play are the parts rendered, as playback hears them; the loop
    // and the length stay the whole song's.
    RenderOptions options;
    options.normalize = renderNormalize_;
    for (size_t p = 0; p < options.parts.size(); ++p)
        options.parts[p] = ctx_.editor.palette.PlayPart[p] == 1;
    RenderPlan plan;
    try { // the song is read here, on its own thread; the render gets a copy
        plan = prepareRender(ctx_.song, ctx_.folder, ctx_.midi, ctx_.encoder,
                             ctx_.folder.file("render.mid"), options);
    } catch (const NothingToRender&) {
        filePrompts_->showMessage(kAppTitle,
                                  songHasNotes() ? kNoPlayedNotesMessage : kNoNotesMessage,
                                  MessageIcon::Information);
        return false;
    } catch (const std::exception& e) {
        filePrompts_->showMessage(kAppTitle, "書き出しできません", MessageIcon::Exclamation,
                                  e.what());
        return false;
    }
    render_ = std::make_unique<BackgroundRender>(std::move(plan), *format, target,
                                                 ctx_.makeRenderer, *ctx_.audioFiles);
    m_.Mrender->setEnabled(false);
    renderDialog_ = new QProgressDialog(QStringLiteral("オフライン書き出し中…\n") + path,
                                        QStringLiteral("キャンセル"), 0, kProgressSteps, this);
    renderDialog_->setWindowTitle(qtText(kAppTitle));
    renderDialog_->setWindowModality(Qt::NonModal);
    renderDialog_->setMinimumDuration(0);
    renderDialog_->setAutoClose(false);
    renderDialog_->setAutoReset(false);
    connect(renderDialog_, &QProgressDialog::canceled, this, [this] {
        if (render_)
            render_->cancel();
    });
    renderDialog_->show();
    renderTimer_->start();
    return true;
}

void MainWindow::watchRender() {
    if (!render_)
        return;
    renderDialog_->setValue(static_cast<int>(render_->fraction() * kProgressSteps));
    if (render_->state() != BackgroundRender::State::Running)
        renderEnded();
}

bool MainWindow::confirmRenderStop() {
    return !render_ ||
           filePrompts_->askYesNoCancel(
               kAppTitle, "書き出し中です。書き出しをやめて終了しますか？") == Answer::Yes;
}

void MainWindow::renderEnded() {
    renderTimer_->stop();
    renderDialog_->deleteLater();
    renderDialog_ = nullptr;
    const auto done = std::move(render_); // joins the finished thread when it goes
    m_.Mrender->setEnabled(renderAvailable());
    const std::string where = done->target().string();
    switch (done->state()) {
    case BackgroundRender::State::Finished:
        filePrompts_->showMessage(kAppTitle, "書き出しが完了しました", MessageIcon::Information,
                                  where);
        break;
    case BackgroundRender::State::Failed:
        std::fprintf(stderr, "zelk: render failed: %s\n", done->error().c_str());
        filePrompts_->showMessage(kAppTitle, "書き出しできません", MessageIcon::Exclamation,
                                  done->error());
        break;
    default: // cancelled: nothing was written
        break;
    }
}

} // namespace zelk::ui
