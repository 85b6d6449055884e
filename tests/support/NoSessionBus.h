#pragma once
// Cuts a test process off from every session bus before its first secret-store call, so that it
// never touches the user's own keyring: saving a password then meets "no secret store".

#include <QFile>
#include <QTemporaryDir>

// No bus address, no display to start a bus for, and a runtime folder without a bus socket.
inline void CutOffSessionBus() {
    for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY"})
        qunsetenv(name);
    static QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
}
