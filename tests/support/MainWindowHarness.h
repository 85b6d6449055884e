#pragma once
// The real main window for GUI tests: loaded with its splash answered, the local pane on a temporary
// folder, connected through ConnectToServer, rows picked with the mouse as a user picks them.

#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class frmMain;
class FtpTestServer;
class ListView;
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

    // Runs ConnectToServer on a loopback port; the command line logs in on the same port.
    void connectTo(int port, const QString& user = QStringLiteral("user"),
                   const QString& password = QStringLiteral("secret"));
    void connectTo(const FtpTestServer& server, const QString& user, const QString& password);
    // The same for a connection that must succeed without any message box.
    void connectOk(const FtpTestServer& server, const QString& user, const QString& password,
                   MsgBoxRecorder& messages);

    // The local pane's folder (ending with "/"), its files (hidden ones included) and a new listing.
    QString localDir() const { return m_local.path() + QLatin1Char('/'); }
    QStringList localEntries() const;
    void listLocal();

    QStringList remoteNames() const;          // texts of lstRemoteFiles, top to bottom
    int remoteRow(const QString& name) const; // 1-based, 0 when missing
    // Clicks the rows of a pane (Ctrl held for the second and later), as a user picks files.
    void clickRemote(const QStringList& names);
    void clickLocal(const QStringList& names);
    void doubleClickRemote(const QString& name);

    // Runs inside every pump of the message loop until cleared (an empty function clears it).
    void onPump(std::function<void()> callback);

    // The texts of a list's rows in display order: column 0 the row text, 1-3 the sub-items.
    static QStringList RowTexts(const ListView* list, int column = 0);

private:
    void clickRows(ListView* list, const QStringList& names, bool doubleClick = false);

    QTemporaryDir m_appDir;
    QTemporaryDir m_local;
    std::unique_ptr<frmMain> m_form;
    std::function<void()> m_pumpCallback;
    int m_splashes = 0;
};
