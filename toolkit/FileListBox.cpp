#include "toolkit/FileListBox.h"

#include <QFile>

FileListBox::FileListBox(QWidget* parent) : QWidget(parent) {
    setVisible(false);
}

void FileListBox::SetPath(const QString& path) {
    m_path = path;
    Refresh();
}

void FileListBox::Refresh() {
    m_files = m_path.isEmpty() ? std::vector<LocalFileEntry>{}
                               : ListPlainFiles(QFile::encodeName(m_path).toStdString());
}

QString FileListBox::List(int index) const {
    if (index < 0 || index >= ListCount())
        return {};
    return QFile::decodeName(QByteArray::fromStdString(m_files[static_cast<std::size_t>(index)].name));
}
