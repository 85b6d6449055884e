#pragma once
// The folder list: the folder tree of the chosen drive; its Path is the current local folder.

#include <QListWidget>

class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);
    QString Path() const { return m_path; }
    // Moves to a folder and raises Change; false (nothing changed) when it cannot be entered.
    bool SetPath(const QString& path);
    void Refresh();

signals:
    void Change();
    void GotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    QString m_path;
};
