#pragma once
// The hidden file list: the plain files of a folder in name order, hidden (dot) files left out,
// each with the size and date read when the folder was enumerated.

#include "local/LocalFileSystem.h"

#include <QString>
#include <QWidget>
#include <vector>

class FileListBox : public QWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);
    QString Path() const { return m_path; }
    // Enumerates the folder's files.
    void SetPath(const QString& path);
    void Refresh();
    int ListCount() const { return static_cast<int>(m_files.size()); }
    QString List(int index) const;
    // The entry at a 0-based index, as enumerated.
    const LocalFileEntry& Entry(int index) const { return m_files.at(static_cast<std::size_t>(index)); }

private:
    QString m_path;
    std::vector<LocalFileEntry> m_files;
};
