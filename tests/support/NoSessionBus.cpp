#include "tests/support/NoSessionBus.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

void CutOffSessionBus() {
    // No bus address, no display to start a bus for, and a runtime folder without a bus socket.
    for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY"})
        qunsetenv(name);
    static QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
}
