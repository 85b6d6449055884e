#include "session/NeededSubs.h"

#include "app/frmMain.h"
#include "commandline/SocketFTP.h"
#include "commandline/frmCommands.h"
#include "session/FileIcons.h"
#include "session/FtpSession.h"
#include "session/RemoteFormat.h"
#include "toolkit/ListView.h"
#include "toolkit/SizeText.h"
#include "toolkit/StatusBar.h"
#include "toolkit/WindowLayer.h"

#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QToolBar>
#include <cstring>

namespace {

constexpr std::uint32_t ConnectFlags = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_PASSIVE;
constexpr std::uint32_t FindFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
const QString ParentRowText = QStringLiteral(".^.");

HINTERNET connectSession(std::uint32_t service) {
    const std::uint32_t flags = ConnectFlags | (FtpSession.Secure ? INTERNET_FLAG_SECURE : 0);
    return InternetConnectA(FtpSession.hInternet, FtpSession.Server.c_str(), FtpSession.Port,
                            FtpSession.User.c_str(), FtpSession.Password.c_str(), service, flags, 0);
}

// A file time as one number, so the date column sorts by time rather than by its text.
std::int64_t fileTimeValue(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

const QString ListingCutPrefix = QStringLiteral("Status:  Connected, listing cut");

QString connectFailureText(const ConnectFailureInfo& failure) {
    const QString reply = QString::fromStdString(failure.reply);
    switch (failure.cause) {
    case ConnectFailure::None:
        break;
    case ConnectFailure::Unreachable:
        return QStringLiteral("The server could not be found or reached.");
    case ConnectFailure::TimedOut:
        return QStringLiteral("The server did not answer in time.");
    case ConnectFailure::Closed:
        return QStringLiteral("The server closed the connection.");
    case ConnectFailure::Refused:
        return QStringLiteral("The server refused the connection: ") + reply;
    case ConnectFailure::LoginRefused:
        return QStringLiteral("The server refused the login: ") + reply;
    case ConnectFailure::TlsRefused:
        return reply.isEmpty()
                   ? QStringLiteral("No protected (TLS) connection could be agreed with the server.")
                   : QStringLiteral("The server refused a protected (TLS) connection: ") + reply;
    case ConnectFailure::CertificateRefused:
        return QStringLiteral("The server's certificate was not trusted.");
    }
    return {};
}

QString serverReplyLine() {
    const QString reply = QString::fromStdString(InternetLastResponseText());
    return reply.isEmpty() ? QString() : QStringLiteral("\r\n") + reply;
}

} // namespace

void EndSession(frmMain& form) {
    form.AbandonTransfer(); // the session's end must not complete a running upload
    form.Commands->SockCMD.Action(CommandSocket::CloseCommand);
    InternetCloseHandle(FtpSession.hInternet);
    InternetCloseHandle(FtpSession.hConnect);
    FtpSession.hInternet = 0;
    FtpSession.hConnect = 0;
    const int state = form.Commands->SockCMD.State();
    if (state == CommandSocket::StateClosing || state == CommandSocket::StateClosed)
        form.StatusBar1->SetPanelText(2, QStringLiteral("Command Line:  No"));
    form.StatusBar1->SetPanelText(1, QStringLiteral("Status:  No Connection"));
    form.Toolbar1->setVisible(true);
    form.lstRemoteFiles->ClearRows();
    form.lblDirectory->setText(QString());
}

bool SessionLost(frmMain& form) {
    if (FtpSession.hConnect == 0 || InternetConnectionAlive(FtpSession.hConnect))
        return false;
    // A server that hangs up on purpose says why in a 421 first.
    const QString reply = serverReplyLine();
    SetMousePointer(vbDefault);
    EndSession(form);
    MsgBox(QStringLiteral("Error!  Connection has been terminated\r\nThe server closed the connection.") +
               (reply.startsWith(QStringLiteral("\r\n421")) ? reply : QString()),
           vbOKOnly | vbCritical, QStringLiteral("Connection Terminated"));
    return true;
}

bool ReportRefusal(frmMain& form, const QString& text, int style, const QString& title) {
    const QString reply = serverReplyLine();
    if (SessionLost(form))
        return false;
    MsgBox(text + reply, style, title);
    return true;
}

bool RemoteFolderKnown(const frmMain& form) {
    if (!form.RemoteCurrentDir.isEmpty())
        return true;
    MsgBox(QStringLiteral("The server did not say which folder is the current one, so nothing can be done in "
                          "it. Open a folder first."),
           vbOKOnly | vbExclamation, QStringLiteral("Folder Unknown"));
    return false;
}

void ShowListingLimit(frmMain& form, std::size_t shown, bool cut) {
    if (cut) {
        // How much was left out is not known: the rest of the listing was never read.
        form.StatusBar1->SetPanelText(
            1,
            ListingCutPrefix + QStringLiteral(": %1 entries shown, the rest left out")
                                   .arg(QLocale(QLocale::English).toString(static_cast<qulonglong>(shown))));
    } else if (form.StatusBar1->PanelText(1).startsWith(ListingCutPrefix)) {
        form.StatusBar1->SetPanelText(1, QStringLiteral("Status:  Connected"));
    }
}

void ConnectToServer(frmMain& form) {
    FtpSession.IsFtp = true;
    form.lstRemoteFiles->ClearRows();
    // A reconnect must not leave the earlier control connection open on the server, and a new
    // "existing connect" must not pick up the earlier login.
    InternetCloseHandle(FtpSession.hConnect);
    InternetCloseHandle(FtpSession.hInternet);
    FtpSession.hConnect = 0;
    FtpSession.hInternet =
        InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, INTERNET_FLAG_NO_CACHE_WRITE);
    if (FtpSession.hInternet == 0) {
        EndSession(form);
        return;
    }

    const std::uint32_t service = FtpSession.Service == 1 ? INTERNET_SERVICE_FTP : INTERNET_SERVICE_HTTP;
    FtpSession.hConnect = connectSession(service);
    FtpSession.IsFtp = service == INTERNET_SERVICE_FTP;

    if (FtpSession.hConnect == 0) {
        const QString cause = connectFailureText(InternetLastConnectFailure());
        EndSession(form);
        MsgBox(QStringLiteral("Error Connecting!") +
                   (cause.isEmpty() ? QString() : QStringLiteral("\r\n") + cause),
               vbOKOnly | vbExclamation, QStringLiteral("Connection Error"));
        return;
    }
    // The padlock tells a protected session from a plain one at a glance.
    form.StatusBar1->SetPanelText(1, FtpSession.Secure && FtpSession.IsFtp
                                         ? QStringLiteral("Status:  Connected  \U0001F512 TLS")
                                         : QStringLiteral("Status:  Connected"));
    ListRemoteFiles(form);
    if (FtpSession.hConnect == 0)
        return; // the server hung up during the first listing
    const QString directory = QString::fromStdString(GetRemoteDirectory(FtpSession.hConnect));
    form.lblDirectory->setText(directory);
    form.RemoteCurrentDir = directory;
    form.Toolbar1->setVisible(false);
    OpenCommandChannel(form);
}

std::string GetRemoteDirectory(HINTERNET connection) {
    std::string buffer(256, ' ');
    std::uint32_t length = 256;
    if (FtpGetCurrentDirectoryA(connection, buffer.data(), &length) != 1) {
        // A path longer than the buffer (a folder with a long name suffices): the call told the
        // length it needs, so ask once more with room for it.
        if (length <= buffer.size() || length > 1024 * 1024)
            return {};
        buffer.assign(length, ' ');
        if (FtpGetCurrentDirectoryA(connection, buffer.data(), &length) != 1)
            return {};
    }
    std::string text = StripNulls(buffer);
    // An empty path says nothing of where the server is: not the root.
    if (text.empty())
        return {};
    if (text.back() != '/')
        text += '/';
    return text;
}

HINTERNET OpenListingConnection() {
    // Only beside a live session: a fresh login would list its login folder under the old name.
    if (FtpSession.hInternet == 0 || !InternetConnectionAlive(FtpSession.hConnect))
        return 0;
    return connectSession(FtpSession.IsFtp ? INTERNET_SERVICE_FTP : INTERNET_SERVICE_HTTP);
}

void ListRemoteFiles(frmMain& form) {
    if (SessionLost(form))
        return;
    SetMousePointer(vbHourglass);
    form.ListView2->ClearRows();
    form.List3->clear();

    const std::string dir = GetRemoteDirectory(FtpSession.hConnect);
    if (dir != "/")
        form.lstRemoteFiles->Add(ParentRowText, ParentRowIcon);

    const std::string pattern = dir + "*.*";
    QStringList folders;
    QList<ListItem*> files;
    HINTERNET find = 0;
    const HINTERNET listing = OpenListingConnection();
    if (listing != 0) {
        WIN32_FIND_DATAA data{};
        find = FtpFindFirstFileA(listing, pattern.c_str(), &data, FindFlags, 0);
        for (BOOL more = find != 0; more; more = InternetFindNextFileA(find, &data)) {
            // The name up to its NUL, read in place: the record's name buffer is large.
            const std::size_t length = ::strnlen(data.cFileName, sizeof data.cFileName);
            if (length == 0)
                continue;
            const QString text = QString::fromUtf8(data.cFileName, static_cast<qsizetype>(length));
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                folders.append(text);
                continue;
            }
            const std::int64_t size = FindDataSize(data);
            ListItem* row = form.ListView2->NewRow(text);
            ListView::SetSubItem(row, 1, QString::fromStdString(KilobyteText(size, 1024, 0, "Kb")));
            ListView::SetSubItem(row, 2, QString::fromStdString(RemoteDateText(data.ftLastWriteTime)));
            ListView::SetSubItem(row, 3, QString::number(size));
            ListView::SetSortValue(row, 1, size);
            ListView::SetSortValue(row, 2, fileTimeValue(data.ftLastWriteTime));
            files.append(row);
        }
    }
    const bool cut = FindListingCut(find) != 0;
    InternetCloseHandle(find);
    InternetCloseHandle(listing);
    SetMousePointer(vbDefault);
    if (find == 0 && SessionLost(form))
        return;
    // One insertion each: the sorted work list sorts once instead of once per row.
    form.List3->addItems(folders);
    form.ListView2->AddRows(files);
    FillRemoteList(form);
    ShowListingLimit(form, static_cast<std::size_t>(files.size() + folders.size()), cut);
}

void FillRemoteList(frmMain& form) {
    ListView* list = form.lstRemoteFiles;
    QList<ListItem*> rows;
    rows.reserve(form.List3->count() + form.ListView2->Count());
    for (int index = 0; index < form.List3->count(); ++index)
        rows.append(list->NewRow(form.List3->item(index)->text(), FolderIcon));
    // The sorted rows move over rather than being copied: a listing may hold a million of them.
    for (ListItem* row : form.ListView2->TakeRows()) {
        list->SetSmallIcon(row, IconIndexForName(ListView::Text(row).toStdString()));
        rows.append(row);
    }
    list->AddRows(rows);
}

void OpenCommandChannel(frmMain& form) {
    frmCommands& commands = *form.Commands;
    commands.MainStatusBar = form.StatusBar1;
    const bool connected = FtpSession.hInternet != 0 && FtpSession.hConnect != 0;
    const int port = CommandLinePort(FtpSession.Port, static_cast<std::uint32_t>(FtpSession.Service));
    switch (RunCommandChannel(commands.SockCMD, commands, connected, FtpSession.Server, port, FtpSession.User,
                              FtpSession.Password, NetworkTimeoutMs(),
                              FtpSession.Secure && FtpSession.IsFtp)) {
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
