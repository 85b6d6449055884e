#pragma once
// The real main window, shown offscreen and connected to a test FTP server, with a temporary local
// folder: what the transfer and layout tests drive. It also runs a callback inside every pump of
// the message loop, which is where a user's clicks land during a transfer.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

class frmMain;
class QTreeWidgetItem;

class TransferFixture {
public:
    TransferFixture();
    ~TransferFixture(); // closes the session and the window
    TransferFixture(const TransferFixture&) = delete;
    TransferFixture& operator=(const TransferFixture&) = delete;

    frmMain& form() { return *m_form; }
    // Opens the session on a loopback server as the connect dialog would; false when it fails.
    bool connect(int port, const char* user = "user", const char* password = "secret");

    QString localDir() const { return m_local.path() + QLatin1Char('/'); }
    void writeLocal(const QString& name, const QByteArray& content) const;
    QByteArray readLocal(const QString& name) const;
    bool localExists(const QString& name) const;
    QStringList localEntries() const; // every entry of the local folder, hidden ones included

    // A row of the remote list as the listing makes it: size text, exact size in sub-item 3.
    QTreeWidgetItem* addRemoteRow(const QString& name, qint64 size, int icon = 1, bool selected = true);
    // A row of the local list for a file of the local folder.
    QTreeWidgetItem* addLocalRow(const QString& name, bool selected = true);
    // The download and upload buttons as the user arms them by clicking a row.
    void armDownload(QTreeWidgetItem* current);
    void armUpload(QTreeWidgetItem* current);

    // Test content that no chunking fault can reproduce by accident.
    static QByteArray RandomBytes(qsizetype size);

    // Runs inside every pump of the message loop until cleared (an empty function clears it).
    void onPump(std::function<void()> callback);

private:
    QTemporaryDir m_local;
    std::unique_ptr<frmMain> m_form;
    QTimer m_pump;
    std::function<void()> m_callback;
};
