#include "toolkit/DirListBox.h"

#include "local/Drives.h"
#include "local/LocalFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>

namespace {

constexpr int IndentPerLevel = 2;

std::string encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemDoubleClicked, this, &DirListBox::open);
}

bool DirListBox::SetPath(const QString& path) {
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (path.isEmpty() || CanEnterFolder(encoded(clean)) != 0)
        return false;
    if (clean == m_path)
        return true;
    m_path = clean;
    m_built = false;
    emit Change();
    if (!m_built)
        Refresh();
    return true;
}

void DirListBox::SetDriveRoot(const QString& root) {
    m_root = root.isEmpty() ? QStringLiteral("/") : root;
}

void DirListBox::Refresh() {
    clear();
    m_entryPaths.clear();
    m_built = true;
    if (m_path.isEmpty())
        return;
    const QString root = PathIsWithin(encoded(m_path), encoded(m_root)) ? m_root : QStringLiteral("/");

    // The open folders: the root, then each folder on the way down to the current one.
    QStringList chain{root};
    QString folder = root;
    for (const QString& name : m_path.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        folder = joined(folder, name);
        chain.append(folder);
    }
    QStringList captions;
    int level = 0;
    for (const QString& open : chain) {
        const QString caption = level == 0 ? open : QFileInfo(open).fileName();
        captions.append(QString(level * IndentPerLevel, QLatin1Char(' ')) + caption);
        m_entryPaths.append(open);
        ++level;
    }
    const QString indent(level * IndentPerLevel, QLatin1Char(' '));
    for (const std::string& name : ListSubfolders(encoded(m_path))) {
        const QString decoded = QFile::decodeName(QByteArray::fromStdString(name));
        captions.append(indent + decoded);
        m_entryPaths.append(joined(m_path, decoded));
    }
    // All rows in one insertion: added one by one, each new row is searched for in the whole list.
    addItems(captions);
    setCurrentRow(static_cast<int>(chain.size()) - 1);
}

QString DirListBox::EntryPath(const QListWidgetItem* item) {
    const auto* list = item ? qobject_cast<const DirListBox*>(item->listWidget()) : nullptr;
    return list ? list->m_entryPaths.value(list->row(item)) : QString();
}

void DirListBox::open(QListWidgetItem* item) {
    // A folder that has gone meanwhile is dropped from the list.
    if (item && !SetPath(EntryPath(item)))
        Refresh();
}

void DirListBox::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    emit GotFocus();
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        open(currentItem());
        return;
    }
    QListWidget::keyPressEvent(event);
}
