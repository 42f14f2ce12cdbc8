#include "ui/windows/AboutWindow.h"

#include "editor/ViewState.h"
#include "ui/support/WheelGuard.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

#ifndef ZELK_VERSION
#error "the build defines ZELK_VERSION"
#endif
#ifndef ZELK_DATA_DIR
#error "the build defines ZELK_DATA_DIR"
#endif

namespace zelk::ui {
namespace {

QString appTitle() {
    return QString::fromUtf8(kAppTitle.data(), static_cast<qsizetype>(kAppTitle.size()));
}

QString link(const QString& url, const QString& text) {
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(url, text.toHtmlEscaped());
}

QString linksHtml() {
    QString html = QStringLiteral("<p>");
    const QString help = findHelpPage();
    if (!help.isEmpty())
        html += link(QUrl::fromLocalFile(help).toString(), QStringLiteral("使い方 (readme.html)")) +
                QStringLiteral("<br>");
    html += QStringLiteral("使用しているライブラリ:<br>");
    html +=
        link(QStringLiteral("https://www.qt.io/"), QStringLiteral("Qt")) + QStringLiteral(" / ");
    html += link(QStringLiteral("https://www.fluidsynth.org/"), QStringLiteral("FluidSynth")) +
            QStringLiteral(" / ");
    html += link(QStringLiteral("https://libsndfile.github.io/libsndfile/"),
                 QStringLiteral("libsndfile")) +
            QStringLiteral(" / ");
    html +=
        link(QStringLiteral("https://sourceforge.net/projects/soxr/"), QStringLiteral("libsoxr")) +
        QStringLiteral(" / ");
    html += link(QStringLiteral("https://ffmpeg.org/"), QStringLiteral("FFmpeg")) +
            QStringLiteral("</p>");
    return html;
}

} // namespace

QString programVersion() {
    return QStringLiteral(ZELK_VERSION);
}

AboutWindow::AboutWindow(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(appTitle() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("<b>%1</b>").arg(appTitle().toHtmlEscaped()), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    layout->addWidget(title);
    auto* version = new QLabel(QStringLiteral("ﾊﾞｰｼﾞｮﾝ ") + programVersion(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    layout->addWidget(version);
    auto* links = new QLabel(linksHtml(), this);
    links->setObjectName(QStringLiteral("lblLinks"));
    links->setOpenExternalLinks(true);
    links->setTextInteractionFlags(Qt::TextBrowserInteraction);
    layout->addWidget(links);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    guardWheel(this);
}

QString findHelpPage() {
    const QString candidates[] = {
        QCoreApplication::applicationDirPath() + QStringLiteral("/readme.html"),
        QStringLiteral(ZELK_DATA_DIR "/readme.html"),
    };
    for (const QString& c : candidates)
        if (QFileInfo(c).isFile())
            return c;
    return {};
}

bool openHelpPage() {
    const QString page = findHelpPage();
    return !page.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

} // namespace zelk::ui
