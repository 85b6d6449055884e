#pragma once
// The real main window for widget tests: built offscreen with the application folder in a temporary
// folder, and with closing it no longer ending the test process.

#include "app/frmMain.h"

#include <QString>
#include <memory>

std::unique_ptr<frmMain> MakeOffscreenMainWindow(const QString& appPath);

// Writes a file of `size` bytes (sparse beyond a few bytes) below `folder`.
void WriteSizedFile(const QString& path, qint64 size);
