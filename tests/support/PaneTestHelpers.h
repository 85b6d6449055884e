#pragma once
// Small helpers of the pane tests: reading a list's rows and writing files of a given size.

#include <QString>
#include <QStringList>

class ListView;

// Writes a file of `size` bytes at `path` (sparse, so large sizes cost nothing).
void WriteSizedFile(const QString& path, qint64 size);

// The texts of a list's rows in display order: column 0 the row text, 1-3 the sub-items.
QStringList RowTexts(const ListView* list, int column = 0);
