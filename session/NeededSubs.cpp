#include "session/NeededSubs.h"

#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "commandline/SocketFTP.h"
#include "commandline/frmCommands.h"
#include "session/FtpSession.h"

// Placeholder until the session routines land.
void ConnectToServer(frmMain&) {}
std::string GetRemoteDirectory(HINTERNET) {
    return {};
}
HINTERNET OpenListingConnection() {
    return 0;
}
void ListRemoteFiles(frmMain&) {}
void FillRemoteList(frmMain&) {}
void OpenCommandChannel(frmMain& form) {
    frmCommands& commands = *form.Commands;
    commands.MainStatusBar = form.StatusBar1;
    const bool connected = FtpSession.hInternet != 0 && FtpSession.hConnect != 0;
    const int port = CommandLinePort(FtpSession.Port, static_cast<std::uint32_t>(FtpSession.Service));
    switch (RunCommandChannel(commands.SockCMD, commands, connected, FtpSession.Server, port, FtpSession.User,
                              FtpSession.Password, NetworkTimeoutMs())) {
    case CommandChannelResult::SessionNotConnected:
        MsgBox(QStringLiteral("Error Connecting!"), vbOKOnly | vbExclamation,
               QStringLiteral("Connection Error"));
        break;
    case CommandChannelResult::NoCommandLine:
        MsgBox(QStringLiteral("No Command Line Capabilities"), vbOKOnly);
        break;
    case CommandChannelResult::LoginFailed:
        MsgBox(
            QStringLiteral("An error initializing command line functionality has occured!  You will not have "
                           "access to advanced commands."),
            vbOKOnly | vbExclamation, QStringLiteral("Error Initializing Command Line"));
        break;
    case CommandChannelResult::LoggedIn:
        form.StatusBar1->SetPanelText(2, QStringLiteral("Command Line:  Yes"));
        break;
    }
}
