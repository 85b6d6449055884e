#pragma once
// A loaded main window for GUI tests: temporary application folder, no process exit on close, the
// splash answered, short network time-outs, and helpers to connect and read the remote pane.

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class frmMain;
class FtpTestServer;
class MsgBoxRecorder;

class MainWindowHarness {
public:
    MainWindowHarness();
    ~MainWindowHarness(); // closes the session's handles and resets the shared state
    MainWindowHarness(const MainWindowHarness&) = delete;
    MainWindowHarness& operator=(const MainWindowHarness&) = delete;

    frmMain& form() { return *m_form; }
    QString appPath() const { return m_appDir.path(); }
    int splashCount() const { return m_splashes; }

    // Fills the session from the server and user, then runs ConnectToServer.
    void connectTo(const FtpTestServer& server, const QString& user, const QString& password);
    // The same, for a connection that must succeed: message boxes of the command line (which may
    // find no server on port 21 here) are answered and forgotten.
    void connectOk(const FtpTestServer& server, const QString& user, const QString& password,
                   MsgBoxRecorder& messages);

    QStringList remoteNames() const;          // texts of lstRemoteFiles, top to bottom
    int remoteRow(const QString& name) const; // 1-based, 0 when missing
    // Selects the row and double-clicks it, as the user would.
    void doubleClickRemote(const QString& name);

private:
    QTemporaryDir m_appDir;
    std::unique_ptr<frmMain> m_form;
    int m_splashes = 0;
};
