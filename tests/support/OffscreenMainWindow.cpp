#include "tests/support/OffscreenMainWindow.h"

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
