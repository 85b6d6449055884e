#include "session/NeededSubs.h"

#include "app/ListView.h"
#include "app/SizeText.h"
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "commandline/SocketFTP.h"
#include "commandline/frmCommands.h"
#include "session/FileIcons.h"
#include "session/FtpSession.h"
#include "session/RemoteFormat.h"

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

} // namespace

void ShowListingLimit(frmMain& form, std::size_t shown, std::size_t dropped) {
    if (dropped > 0) {
        form.StatusBar1->SetPanelText(
            1, ListingCutPrefix +
                   QStringLiteral(": %1 entries shown, %2 left out")
                       .arg(QLocale(QLocale::English).toString(static_cast<qulonglong>(shown)))
                       .arg(QLocale(QLocale::English).toString(static_cast<qulonglong>(dropped))));
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
        form.Toolbar1->setVisible(true);
        InternetCloseHandle(FtpSession.hInternet);
        InternetCloseHandle(FtpSession.hConnect);
        form.StatusBar1->SetPanelText(1, QStringLiteral("Status:  No Connection"));
        return;
    }

    const std::uint32_t service = FtpSession.Service == 1 ? INTERNET_SERVICE_FTP : INTERNET_SERVICE_HTTP;
    FtpSession.hConnect = connectSession(service);
    FtpSession.IsFtp = service == INTERNET_SERVICE_FTP;

    if (FtpSession.hConnect != 0) {
        // The padlock tells a protected session from a plain one at a glance.
        form.StatusBar1->SetPanelText(1, FtpSession.Secure && FtpSession.IsFtp
                                             ? QStringLiteral("Status:  Connected  \U0001F512 TLS")
                                             : QStringLiteral("Status:  Connected"));
        ListRemoteFiles(form);
        const QString directory = QString::fromStdString(GetRemoteDirectory(FtpSession.hConnect));
        form.lblDirectory->setText(directory);
        form.RemoteCurrentDir = directory;
        form.Toolbar1->setVisible(false);
    } else {
        form.StatusBar1->SetPanelText(1, QStringLiteral("Status:  No Connection"));
    }
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
    if (text.empty() || text.back() != '/')
        text += '/';
    return text;
}

HINTERNET OpenListingConnection() {
    if (FtpSession.hInternet == 0)
        return 0;
    return connectSession(FtpSession.IsFtp ? INTERNET_SERVICE_FTP : INTERNET_SERVICE_HTTP);
}

void ListRemoteFiles(frmMain& form) {
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
    const std::size_t dropped = FindEntriesDropped(find);
    InternetCloseHandle(find);
    InternetCloseHandle(listing);
    // One insertion each: the sorted work list sorts once instead of once per row.
    form.List3->addItems(folders);
    form.ListView2->AddRows(files);
    SetMousePointer(vbDefault);
    FillRemoteList(form);
    ShowListingLimit(form, static_cast<std::size_t>(files.size() + folders.size()), dropped);
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
