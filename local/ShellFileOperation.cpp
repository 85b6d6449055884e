#include "local/ShellFileOperation.h"

#include "local/LocalFileSystem.h"
#include "local/LocalFormat.h"
#include "toolkit/WindowLayer.h"

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

int renameInFolder(const std::string& folder, const std::string& oldName, const std::string& newName) {
    if (folder.empty())
        return ENOENT;
    // Only plain names are accepted: "../x" or "sub/x" would move the entry out of the folder.
    if (!IsValidEntryName(oldName) || !IsValidEntryName(newName))
        return EINVAL;
    return RenameNoReplace(FolderWithSlash(folder) + oldName, FolderWithSlash(folder) + newName);
}

} // namespace

bool ShellFileOperation::Rename(const std::string& folder, const std::string& oldName,
                                const QString& newName) {
    const int error = renameInFolder(folder, oldName, encoded(newName));
    if (error == 0)
        return true;
    MsgBox(refusalText(error, QFile::decodeName(QByteArray::fromStdString(oldName)), newName),
           vbOKOnly | vbCritical, QStringLiteral("Error Renaming File"));
    return false;
}
