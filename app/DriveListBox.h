#pragma once
// The drive list: the mounted file systems a user would pick, each standing for a drive.

#include <QComboBox>

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);
    // The chosen drive's mount point.
    QString Drive() const;
    void Refresh();

signals:
    void Change();
};
