#pragma once
// The real main window for GUI tests: loaded with its splash answered, the local pane on a temporary
// folder, connected through ConnectToServer, rows picked with the mouse as a user picks them.

#include "app/frmMain.h"
#include "tests/support/FtpTestServer.h"

#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class MsgBoxRecorder;
class QTimer;

class MainWindowHarness {
public:
    MainWindowHarness();
    ~MainWindowHarness(); // closes the session's handles and resets the shared state

    frmMain& form() { return *m_form; }
    QString appPath() const { return m_appDir.path(); }

    // Runs ConnectToServer on a loopback port; the command line logs in on the same port.
    void connectTo(int port, const QString& user = "user", const QString& password = "secret");
    void connectTo(const FtpTestServer& server, const QString& user, const QString& password) {
        connectTo(server.port(), user, password);
    }
    // The same for a connection that must succeed without any message box.
    void connectOk(const FtpTestServer& server, const QString& user, const QString& password,
                   MsgBoxRecorder& messages);

    // The local pane's folder (ending with "/"), its files (hidden ones included) and a new listing.
    QString localDir() const { return m_local.path() + '/'; }
    QStringList localEntries() const;
    void listLocal();

    QStringList remoteNames() const { return RowTexts(m_form->lstRemoteFiles); }              // top to bottom
    int remoteRow(const QString& name) const { return int(remoteNames().indexOf(name)) + 1; } // 0: missing
    // Clicks the rows of a pane (Ctrl held for the second and later), as a user picks files.
    void clickRemote(const QStringList& names) { clickRows(m_form->lstRemoteFiles, names); }
    void clickLocal(const QStringList& names) { clickRows(m_form->ListView1, names); }
    void doubleClickRemote(const QString& name) { clickRows(m_form->lstRemoteFiles, {name}, true); }

    // Runs inside every pump of the message loop until cleared (an empty function clears it).
    void onPump(std::function<void()> callback);

    // The texts of a list's rows in display order: column 0 the row text, 1-3 the sub-items.
    static QStringList RowTexts(const ListView* list, int column = 0);

private:
    void clickRows(ListView* list, const QStringList& names, bool doubleClick = false);

    QTemporaryDir m_appDir, m_local;
    std::unique_ptr<frmMain> m_form;
    std::function<void()> m_pumpCallback;
    QTimer* m_pump = nullptr;
};
