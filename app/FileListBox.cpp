#include "app/FileListBox.h"

#include <QDir>

FileListBox::FileListBox(QWidget* parent) : QWidget(parent) {
    setVisible(false);
}

void FileListBox::SetPath(const QString& path) {
    m_path = path;
    Refresh();
}

void FileListBox::Refresh() {
    m_names = QDir(m_path).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}
