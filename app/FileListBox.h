#pragma once
// The hidden file list that enumerates the plain files of a folder in name order.

#include <QStringList>
#include <QWidget>

class FileListBox : public QWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);
    QString Path() const { return m_path; }
    void SetPath(const QString& path);
    void Refresh();
    int ListCount() const { return static_cast<int>(m_names.size()); }
    QString List(int index) const { return m_names.value(index); }

private:
    QString m_path;
    QStringList m_names;
};
