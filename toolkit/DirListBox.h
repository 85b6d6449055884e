#pragma once
// The folder list: the path from the drive's root down to the current folder, then the current
// folder's subfolders. Opening an entry (double-click or Enter) makes it the current folder.

#include "toolkit/DragDropHooks.h"

#include <QListWidget>
#include <string>
#include <vector>

class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The current folder; no trailing "/" except for the root "/". Shown as text, kept as the
    // disk's bytes: a folder name that is not UTF-8 does not survive a trip through text.
    QString Path() const;
    const std::string& PathBytes() const { return m_path; }
    // Moves to a folder and raises Change (not when it is already the current one); the tree is built
    // once, by the Change handler's Refresh or else here. Returns false, changing nothing, when the
    // folder cannot be entered (missing, not a folder, no permission).
    bool SetPath(const QString& path);
    bool SetPathBytes(const std::string& path);
    // The root the tree starts from (the chosen drive's mount point); "/" when the current folder
    // does not lie below it.
    void SetDriveRoot(const QString& root);
    // Re-reads the subfolders of the current folder.
    void Refresh();
    // The full path of a listed entry, as the disk's bytes.
    static std::string EntryPath(const QListWidgetItem* item);
    // The full path of the entry at a point of the viewport; "" between and below the entries.
    std::string EntryPathAt(const QPoint& point) const { return EntryPath(itemAt(point)); }
    // Drags from the current entry and drops onto the tree, as the hooks say.
    void SetDragDropHooks(DragDropHooks hooks);
    const DragDropHooks& DragDrop() const { return m_dragDrop; }

signals:
    void Change();
    void GotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void open(QListWidgetItem* item);

    std::string m_path;
    std::string m_root = "/";
    std::vector<std::string> m_entryPaths; // the full path of each row, by row
    bool m_built = false;                  // the rows show m_path
    DragDropHooks m_dragDrop;
};
