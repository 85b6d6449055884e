#include "local/ShellFileOperation.h"

#include "app/WindowLayer.h"
#include "local/LocalFileSystem.h"
#include "local/LocalFormat.h"

#include <QFile>
#include <cerrno>
#include <cstring>

namespace {

std::string encoded(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

QString refusalText(int error, const QString& oldName, const QString& newName) {
    const QString start = QStringLiteral("Cannot rename %1: ").arg(oldName);
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return start + QStringLiteral("an entry named %1 already exists.").arg(newName);
    case EINVAL:
        return start + QStringLiteral("%1 is not a valid name.").arg(newName);
    default:
        return start + QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char('.');
    }
}

} // namespace

bool ShellFileOperation::Rename(const QString& folder, const QString& oldName, const QString& newName) {
    const std::string target = encoded(newName);
    // Only a plain name is accepted: "../x" or "sub/x" would move the entry elsewhere.
    const int error = IsValidEntryName(target) && IsValidEntryName(encoded(oldName))
                          ? RenameNoReplace(FolderWithSlash(encoded(folder)) + encoded(oldName),
                                            FolderWithSlash(encoded(folder)) + target)
                          : EINVAL;
    if (error == 0)
        return true;
    MsgBox(refusalText(error, oldName, newName), vbOKOnly | vbCritical,
           QStringLiteral("Error Renaming File"));
    return false;
}
