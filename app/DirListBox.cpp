#include "app/DirListBox.h"

#include <QDir>
#include <QFileInfo>

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {}

bool DirListBox::SetPath(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir() || !info.isExecutable())
        return false;
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    if (clean == m_path)
        return true;
    m_path = clean;
    Refresh();
    emit Change();
    return true;
}

void DirListBox::Refresh() {
    clear();
    const QDir dir(m_path);
    for (const QString& name :
         dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        addItem(name);
}

void DirListBox::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    emit GotFocus();
}
