#pragma once
// The real main window for widget tests: built offscreen with the application folder in a temporary
// folder, and with closing it no longer ending the test process.

#include "app/frmMain.h"

#include <QString>
#include <QStringList>
#include <memory>

class ListView;

std::unique_ptr<frmMain> MakeOffscreenMainWindow(const QString& appPath);

// Writes a file of `size` bytes at `path` (sparse, so large sizes cost nothing).
void WriteSizedFile(const QString& path, qint64 size);

// The texts of a list's rows in display order: column 0 the row text, 1-3 the sub-items.
QStringList RowTexts(const ListView* list, int column = 0);
