#pragma once
// The command window: owns the command line's socket and its transcript. It lives hidden for the
// whole run; closing it only hides it, so the connection and the transcript survive.

#include "commandline/CommandLineView.h"
#include "commandline/CommandSocket.h"

#include <QMainWindow>

class QAction;
class QCloseEvent;
class QFrame;
class QMenu;
class QSocketNotifier;
class QTextEdit;
class QTimer;
class StatusBar;

class frmCommands : public QMainWindow, public CommandLineView {
    Q_OBJECT
public:
    explicit frmCommands(QWidget* parent = nullptr);

    QWidget* Client = nullptr;
    QTextEdit* UnixInfo = nullptr;
    StatusBar* CHMODStatus = nullptr;
    QFrame* Line1 = nullptr;
    CommandSocket SockCMD;
    CommandSocket sockData;

    QMenu* mnuClose = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuContents = nullptr;
    QAction* mnuAbout = nullptr;

    // The main window's status bar, whose panel 2 tells whether the command line is available.
    StatusBar* MainStatusBar = nullptr;

    // Makes the window visible and brings it to the front (the main window's "Command Line").
    void ShowCommandLine();

    void Form_Load();
    void mnuExit_Click();
    void mnuContents_Click();
    void mnuAbout_Click();
    // sockData's disconnect event; nothing opens sockData, so in practice it never fires.
    void sockData_Disconnect();

    // CommandLineView
    void AppendTranscript(const std::string& text, std::uint32_t rgb, bool bold) override;
    void ShowMessage(const std::string& text) override;
    void WatchConnection(int descriptor) override;
    // Panel 2 of the main window's status bar says the command line is gone.
    void ConnectionClosed() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void SockCMD_DataArrival();

    QSocketNotifier* m_connectionWatch = nullptr;
    // Runs while a logged-in connection is watched.
    QTimer* m_keepAlive = nullptr;
};
