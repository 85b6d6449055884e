#include "app/DriveListBox.h"

#include <QDir>

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    Refresh();
    connect(this, &QComboBox::activated, this, [this](int) { emit Change(); });
}

QString DriveListBox::Drive() const {
    return currentData().toString();
}

void DriveListBox::Refresh() {
    if (count() == 0)
        addItem(QStringLiteral("/"), QDir::rootPath());
}
