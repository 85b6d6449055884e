#include "help/CHelp.h"

#include "help/HelpTarget.h"
#include "toolkit/WindowLayer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

// The desktop viewer knows neither window types nor context numbers: it opens the file itself.
void openInDesktopViewer(const QString& target, std::optional<int>) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(target.section(QLatin1Char('>'), 0, 0)));
}

CHelp::Opener g_opener;

} // namespace

CHelp::Opener CHelp::SetOpener(Opener opener) {
    std::swap(g_opener, opener);
    return opener;
}

QString CHelp::HelpFilePath() {
    return AppPath() + QStringLiteral("/TovoHelp.chm");
}

void CHelp::Show(const QString& newFile, const QString& windowPane, std::optional<int> contextId) const {
    const QString file = windowPane.isEmpty() ? newFile : newFile.trimmed();
    // Without a viewer for compiled help the same pages open as HTML from the help folder beside it.
    const QString htmlIndex = QFileInfo(file).path() + QStringLiteral("/help/index.html");
    const HelpTarget chosen = ChooseHelpTarget(file.toStdString(), htmlIndex.toStdString());
    if (chosen.Viewer == HelpViewer::None)
        return;
    QString target = QString::fromStdString(chosen.Path);
    if (chosen.Viewer == HelpViewer::Chm && !windowPane.isEmpty())
        target += QLatin1Char('>') + windowPane.trimmed();
    if (g_opener)
        g_opener(target, contextId);
    else
        openInDesktopViewer(target, contextId);
}
