#include "toolkit/DriveListBox.h"

#include "local/Drives.h"

#include <QDir>
#include <QFile>

namespace {

std::vector<std::string> toStd(const QStringList& list) {
    std::vector<std::string> result;
    for (const QString& text : list)
        result.push_back(QFile::encodeName(text).toStdString());
    return result;
}

} // namespace

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent), m_readMountTable(ReadMountTable) {
    Refresh();
    // At start the drive of the working folder is chosen, and the working folder is its current one.
    const QString working = QDir::currentPath();
    choose(QFile::decodeName(QByteArray::fromStdString(
        DriveOfPath(toStd(mountPoints()), QFile::encodeName(working).toStdString()))));
    FollowFolder(working);
    connect(this, &QComboBox::activated, this, [this](int) { emit Change(); });
}

QString DriveListBox::MountPoint() const {
    return currentData().toString();
}

QString DriveListBox::Drive() const {
    const QString mountPoint = MountPoint();
    return m_currentFolders.value(mountPoint, mountPoint);
}

void DriveListBox::Refresh() {
    const QString chosen = MountPoint();
    const std::vector<std::string> drives =
        DrivesFromMountTable(m_readMountTable(), QFile::encodeName(QDir::homePath()).toStdString());
    QStringList mounted;
    for (const std::string& drive : drives)
        mounted.append(QFile::decodeName(QByteArray::fromStdString(drive)));
    if (mounted == mountPoints())
        return;
    const QSignalBlocker quiet(this);
    clear();
    for (const QString& mountPoint : mounted)
        addItem(mountPoint, mountPoint);
    choose(chosen);
}

QString DriveListBox::FollowFolder(const QString& folder) {
    const QStringList mounted = mountPoints();
    const std::string path = QFile::encodeName(folder).toStdString();
    if (!PathIsWithin(path, QFile::encodeName(MountPoint()).toStdString())) {
        const std::string holder = DriveOfPath(toStd(mounted), path);
        choose(QFile::decodeName(QByteArray::fromStdString(holder)));
    }
    if (!folder.isEmpty())
        m_currentFolders.insert(MountPoint(), folder);
    return MountPoint();
}

void DriveListBox::SetMountTableReader(std::function<std::string()> reader) {
    m_readMountTable = std::move(reader);
    Refresh();
}

QStringList DriveListBox::mountPoints() const {
    QStringList list;
    for (int i = 0; i < count(); ++i)
        list.append(itemData(i).toString());
    return list;
}

void DriveListBox::choose(const QString& mountPoint) {
    const int index = findData(mountPoint);
    const QSignalBlocker quiet(this);
    setCurrentIndex(index >= 0 ? index : 0);
}
