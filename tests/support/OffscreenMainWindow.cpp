#include "tests/support/OffscreenMainWindow.h"

#include "app/ListView.h"
#include "app/WindowLayer.h"

#include <QFile>

std::unique_ptr<frmMain> MakeOffscreenMainWindow(const QString& appPath) {
    SetAppPath(appPath);
    frmMain::SetEndProcess([] {});
    return std::make_unique<frmMain>();
}

void WriteSizedFile(const QString& path, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        qFatal("cannot write test file %s", qPrintable(path));
}

QStringList RowTexts(const ListView* list, int column) {
    QStringList texts;
    for (int i = 1; i <= list->Count(); ++i)
        texts.append(column == 0 ? ListView::Text(list->Item(i)) : ListView::SubItem(list->Item(i), column));
    return texts;
}
