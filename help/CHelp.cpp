#include "help/CHelp.h"

#include "app/WindowLayer.h"

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
    QString target = newFile;
    if (!windowPane.isEmpty())
        target = newFile.trimmed() + QLatin1Char('>') + windowPane.trimmed();
    if (!QFileInfo::exists(target.section(QLatin1Char('>'), 0, 0)))
        return;
    if (g_opener)
        g_opener(target, contextId);
    else
        openInDesktopViewer(target, contextId);
}
