#include "toolkit/DirListBox.h"

#include "local/Drives.h"
#include "local/LocalFileSystem.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <algorithm>
#include <utility>

namespace {

constexpr int IndentPerLevel = 2;

std::string encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString shown(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + '/' + name;
}

// Made absolute and without "." or ".." steps, byte for byte: Latin-1 carries every byte through
// the path cleaning unchanged.
std::string cleanPath(std::string path) {
    if (!path.starts_with('/'))
        path = joined(encoded(QDir::currentPath()), path);
    return QDir::cleanPath(QString::fromLatin1(path.data(), static_cast<qsizetype>(path.size())))
        .toLatin1()
        .toStdString();
}

} // namespace

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemDoubleClicked, this, &DirListBox::open);
}

QString DirListBox::Path() const {
    return shown(m_path);
}

bool DirListBox::SetPath(const QString& path) {
    return SetPathBytes(encoded(path));
}

bool DirListBox::SetPathBytes(const std::string& path) {
    if (path.empty())
        return false;
    const std::string clean = cleanPath(path);
    if (CanEnterFolder(clean) != 0)
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
    m_root = root.isEmpty() ? std::string("/") : encoded(root);
}

void DirListBox::Refresh() {
    clear();
    m_entryPaths.clear();
    m_built = true;
    if (m_path.empty())
        return;
    const std::string root = PathIsWithin(m_path, m_root) ? m_root : std::string("/");

    // The open folders: the root, then each folder on the way down to the current one.
    std::vector<std::string> chain{root};
    std::string folder = root;
    const std::string below = m_path.substr(std::min(root.size(), m_path.size()));
    for (std::size_t start = 0; start < below.size();) {
        const std::size_t end = std::min(below.find('/', start), below.size());
        if (end > start) {
            folder = joined(folder, below.substr(start, end - start));
            chain.push_back(folder);
        }
        start = end + 1;
    }
    QStringList captions;
    int level = 0;
    for (const std::string& open : chain) {
        const QString caption = level == 0 ? shown(open) : shown(open.substr(open.rfind('/') + 1));
        captions.append(QString(level * IndentPerLevel, QLatin1Char(' ')) + caption);
        m_entryPaths.push_back(open);
        ++level;
    }
    const QString indent(level * IndentPerLevel, QLatin1Char(' '));
    for (const std::string& name : ListSubfolders(m_path)) {
        captions.append(indent + shown(name));
        m_entryPaths.push_back(joined(m_path, name));
    }
    // All rows in one insertion: added one by one, each new row is searched for in the whole list.
    addItems(captions);
    setCurrentRow(static_cast<int>(chain.size()) - 1);
}

std::string DirListBox::EntryPath(const QListWidgetItem* item) {
    const auto* list = item ? qobject_cast<const DirListBox*>(item->listWidget()) : nullptr;
    const int row = list ? list->row(item) : -1;
    return row >= 0 && static_cast<std::size_t>(row) < list->m_entryPaths.size() ? list->m_entryPaths[row]
                                                                                 : std::string();
}

void DirListBox::open(QListWidgetItem* item) {
    // A folder that has gone meanwhile is dropped from the list.
    if (item && !SetPathBytes(EntryPath(item)))
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

void DirListBox::SetDragDropHooks(DragDropHooks hooks) {
    m_dragDrop = std::move(hooks);
    m_dragDrop.Install(this);
}

void DirListBox::startDrag(Qt::DropActions) {
    m_dragDrop.StartDrag(this);
}

void DirListBox::dragEnterEvent(QDragEnterEvent* event) {
    m_dragDrop.Offer(event);
}

void DirListBox::dragMoveEvent(QDragMoveEvent* event) {
    m_dragDrop.Offer(event);
}

void DirListBox::dropEvent(QDropEvent* event) {
    m_dragDrop.Drop(event);
}
