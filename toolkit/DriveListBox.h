#pragma once
// The drive list: the mounted file systems a user would pick, each standing for a drive that
// remembers the folder the local pane last showed on it.

#include <QComboBox>
#include <QHash>
#include <functional>
#include <string>

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // The chosen drive as the folder list opens it: the drive's current folder (its mount point
    // until the pane has shown another folder on it).
    QString Drive() const;
    // The chosen drive's mount point.
    QString MountPoint() const;
    // Re-reads the mount table; the chosen drive stays chosen while it is mounted.
    void Refresh();
    // Records `folder` as the current folder of the drive that holds it; when the chosen drive does
    // not hold it, the drive that does becomes the chosen one (without raising Change). Returns the
    // chosen drive's mount point.
    QString FollowFolder(const QString& folder);

    // Tests supply their own mount table text (the format of /proc/self/mounts).
    void SetMountTableReader(std::function<std::string()> reader);

signals:
    void Change();

private:
    QStringList mountPoints() const;
    void choose(const QString& mountPoint);

    std::function<std::string()> m_readMountTable;
    QHash<QString, QString> m_currentFolders; // mount point -> folder
};
