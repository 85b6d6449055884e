#include "session/RemotePane.h"

#include "commandline/SocketFTP.h"
#include "commandline/frmCommands.h"
#include "session/FileIcons.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "session/RemoteFormat.h"
#include "toolkit/ListView.h"
#include "toolkit/SizeText.h"
#include "toolkit/StatusBar.h"
#include "toolkit/WindowLayer.h"

#include <QCursor>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t FindFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
const QString ParentRowText = QStringLiteral(".^.");
const QString ListingCutPrefix = QStringLiteral("Status:  Connected, listing cut");

// A name as the server gave it, shown with replacement characters where it is not UTF-8.
QString shown(const std::string& bytes) {
    return QString::fromStdString(bytes);
}

// A file time as one number, so the date column sorts by time rather than by its text.
std::int64_t fileTimeValue(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

std::optional<std::int64_t> unixSeconds(const FILETIME& time) {
    constexpr std::int64_t ticksPerSecond = 10'000'000;
    constexpr std::int64_t secondsTo1970 = 11'644'473'600;
    const std::int64_t ticks = fileTimeValue(time);
    if (ticks == 0)
        return std::nullopt;
    return ticks / ticksPerSecond - secondsTo1970;
}

bool notConnected() {
    return FtpSession.hInternet == 0 || FtpSession.hConnect == 0;
}

// sftp: the causes are named in SSH's words (host key, keys) rather than FTP's and TLS's.
QString connectFailureText(const ConnectFailureInfo& failure, bool sftp) {
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
        if (sftp && reply.isEmpty())
            return QStringLiteral(
                "The server refused the login: neither the password nor a key was accepted.");
        return QStringLiteral("The server refused the login: ") + reply;
    case ConnectFailure::TlsRefused:
        if (sftp)
            return QStringLiteral("No secure (SSH) connection could be agreed with the server.") +
                   (reply.isEmpty() ? QString() : QStringLiteral(" ") + reply);
        return reply.isEmpty()
                   ? QStringLiteral("No protected (TLS) connection could be agreed with the server.")
                   : QStringLiteral("The server refused a protected (TLS) connection: ") + reply;
    case ConnectFailure::CertificateRefused:
        return QStringLiteral("The server's certificate was not trusted.");
    case ConnectFailure::HostKeyRefused:
        return QStringLiteral("The server's host key was not trusted.");
    }
    return {};
}

QString connectedText() {
    // The padlock tells a protected session from a plain one at a glance.
    return FtpSession.IsSftp()                     ? QStringLiteral("Status:  Connected  \U0001F512 SFTP")
           : FtpSession.Secure && FtpSession.IsFtp ? QStringLiteral("Status:  Connected  \U0001F512 TLS")
                                                   : QStringLiteral("Status:  Connected");
}

QString serverReplyLine() {
    const QString reply = QString::fromStdString(InternetLastResponseText());
    return reply.isEmpty() ? QString() : QStringLiteral("\r\n") + reply;
}

ListItem* fileRow(const QString& text, const RemoteEntry& entry, const FILETIME& time) {
    ListItem* row = ListView::NewRow(text, IconIndexForName(entry.name));
    ListView::SetSubItem(row, 1, QString::fromStdString(KilobyteText(entry.size, 1024, 0, "Kb")));
    ListView::SetSubItem(row, 2, QString::fromStdString(RemoteDateText(time)));
    ListView::SetSubItem(row, 3, QString::number(entry.size));
    ListView::SetSortValue(row, 1, entry.size);
    ListView::SetSortValue(row, 2, fileTimeValue(time));
    return row;
}

} // namespace

struct RemotePane::ListedFile {
    QString text;
    RemoteEntry entry;
    FILETIME time{};
};

RemotePane::RemotePane(const RemotePaneView& view, QObject* parent)
    : QObject(parent), m_view(view), m_keepAlive(new QTimer(this)) {
    connect(m_keepAlive, &QTimer::timeout, this, &RemotePane::KeepAlive);
}

void RemotePane::Load() {
    m_view.statusBar->SetPanelText(1, QStringLiteral("Status:  No Connection"));
    m_view.statusBar->SetPanelText(2, QStringLiteral("Command Line:  No"));
    clearList();
}

QString RemotePane::CurrentDir() const {
    return shown(m_currentDir);
}

void RemotePane::clearList() {
    m_view.list->ClearRows();
    m_entries.clear();
    m_rowEntries.clear();
}

const RemoteEntry* RemotePane::entryOf(const ListItem* row) const {
    const auto byRow = [](const std::pair<const ListItem*, std::size_t>& pair, const ListItem* key) {
        return std::less<const ListItem*>()(pair.first, key);
    };
    const auto found = std::lower_bound(m_rowEntries.begin(), m_rowEntries.end(), row, byRow);
    if (!row || found == m_rowEntries.end() || found->first != row)
        return nullptr;
    return &m_entries[found->second];
}

void RemotePane::addRowEntry(const ListItem* row, std::size_t entry) {
    const auto at = std::lower_bound(m_rowEntries.begin(), m_rowEntries.end(), std::pair(row, entry));
    m_rowEntries.insert(at, {row, entry});
}

std::vector<RemoteEntry> RemotePane::SelectedEntries() const {
    std::vector<RemoteEntry> selected;
    for (int i = 1; i <= m_view.list->Count(); ++i) {
        const ListItem* row = m_view.list->Item(i);
        if (const RemoteEntry* entry = entryOf(row); entry && ListView::Selected(row))
            selected.push_back(*entry);
    }
    return selected;
}

bool RemotePane::TakeItemSelected() {
    return std::exchange(m_itemSelected, false);
}

void RemotePane::EndSession() {
    if (abandonTransfer)
        abandonTransfer(); // the session's end must not complete a running upload
    m_view.commands->SockCMD.Action(CommandSocket::CloseCommand);
    InternetCloseHandle(FtpSession.hInternet);
    InternetCloseHandle(FtpSession.hConnect);
    FtpSession.hInternet = 0;
    FtpSession.hConnect = 0;
    const int state = m_view.commands->SockCMD.State();
    if (state == CommandSocket::StateClosing || state == CommandSocket::StateClosed)
        m_view.statusBar->SetPanelText(2, QStringLiteral("Command Line:  No"));
    m_keepAlive->stop();
    m_view.statusBar->SetPanelText(1, QStringLiteral("Status:  No Connection"));
    m_view.connectBar->setVisible(true);
    clearList();
    m_view.directory->setText(QString());
}

bool RemotePane::SessionLost() {
    if (FtpSession.hConnect == 0)
        return false;
    if (InternetConnectionAlive(FtpSession.hConnect)) {
        m_reconnectSpent = false;
        return false;
    }
    // A server that hangs up on purpose says why in a 421 first.
    const QString reply = serverReplyLine();
    if (ReconnectOnce())
        return false;
    SetMousePointer(vbDefault);
    EndSession();
    MsgBox(QStringLiteral("Error!  Connection has been terminated\r\nThe server closed the connection.") +
               (reply.startsWith(QStringLiteral("\r\n421")) ? reply : QString()),
           vbOKOnly | vbCritical, QStringLiteral("Connection Terminated"));
    return true;
}

bool RemotePane::ReconnectOnce() {
    return !std::exchange(m_reconnectSpent, true) && Reconnect();
}

bool RemotePane::OnSession(const std::function<bool()>& step) {
    const bool done = step();
    if (done)
        m_reconnectSpent = false;
    // A refusal is the server's answer and stands; a step cut off by a lost connection is tried once
    // more on a new one. Should that fail too, the caller's SessionLost() ends the session.
    if (done || FtpSession.hConnect == 0 || InternetConnectionAlive(FtpSession.hConnect) || !ReconnectOnce())
        return done;
    return step();
}

bool RemotePane::Reconnect() {
    // Only a session that was opened can be renewed; its handle keeps this connect's certificate
    // decisions, so the new login is not asked about them again.
    if (FtpSession.hInternet == 0 || FtpSession.hConnect == 0)
        return false;
    const QString status = m_view.statusBar->PanelText(1);
    m_view.statusBar->SetPanelText(1, QStringLiteral("Reconnecting\u2026"));
    m_view.statusBar->repaint();
    const HINTERNET connection =
        ConnectSession(FtpSession.IsFtp ? INTERNET_SERVICE_FTP : INTERNET_SERVICE_HTTP);
    // Names in the pane are relative to its folder: a login elsewhere would act on other entries.
    if (connection == 0 ||
        (!m_currentDir.empty() && !FtpSetCurrentDirectoryA(connection, m_currentDir.c_str()))) {
        InternetCloseHandle(connection);
        m_view.statusBar->SetPanelText(1, status);
        return false;
    }
    InternetCloseHandle(FtpSession.hConnect);
    FtpSession.hConnect = connection;
    ShowConnected();
    return true;
}

void RemotePane::ShowConnected() {
    m_view.statusBar->SetPanelText(1, connectedText());
    m_keepAlive->start(KeepAliveIntervalMs());
}

void RemotePane::KeepAlive() {
    // A transfer keeps the connection busy enough; a NOOP that finds it gone leaves the session as it
    // is, and the next command reconnects.
    if (FtpSession.hConnect == 0 || (isBusy && isBusy()))
        return;
    InternetKeepAlive(FtpSession.hConnect);
}

bool RemotePane::ReportRefusal(const QString& text, int style, const QString& title) {
    const QString reply = serverReplyLine();
    if (SessionLost())
        return false;
    MsgBox(text + reply, style, title);
    return true;
}

bool RemotePane::RemoteFolderKnown() const {
    if (!m_currentDir.empty())
        return true;
    MsgBox(QStringLiteral("The server did not say which folder is the current one, so nothing can be done in "
                          "it. Open a folder first."),
           vbOKOnly | vbExclamation, QStringLiteral("Folder Unknown"));
    return false;
}

void RemotePane::ShowListingLimit(std::size_t shownCount, bool cut) {
    if (cut) {
        // How much was left out is not known: the rest of the listing was never read.
        m_view.statusBar->SetPanelText(
            1, ListingCutPrefix +
                   QStringLiteral(": %1 entries shown, the rest left out")
                       .arg(QLocale(QLocale::English).toString(static_cast<qulonglong>(shownCount))));
    } else if (m_view.statusBar->PanelText(1).startsWith(ListingCutPrefix)) {
        m_view.statusBar->SetPanelText(1, connectedText());
    }
}

void RemotePane::ConnectToServer() {
    FtpSession.IsFtp = true;
    clearList();
    // A reconnect must not leave the earlier control connection open on the server, and a new
    // "existing connect" must not pick up the earlier login.
    InternetCloseHandle(FtpSession.hConnect);
    InternetCloseHandle(FtpSession.hInternet);
    FtpSession.hConnect = 0;
    FtpSession.hInternet =
        InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, INTERNET_FLAG_NO_CACHE_WRITE);
    if (FtpSession.hInternet == 0) {
        EndSession();
        return;
    }

    const std::uint32_t service = FtpSession.Service == 1 ? INTERNET_SERVICE_FTP : INTERNET_SERVICE_HTTP;
    FtpSession.hConnect = ConnectSession(service);
    FtpSession.IsFtp = service == INTERNET_SERVICE_FTP;

    if (FtpSession.hConnect == 0) {
        const QString cause = connectFailureText(InternetLastConnectFailure(), FtpSession.IsSftp());
        EndSession();
        MsgBox(QStringLiteral("Error Connecting!") +
                   (cause.isEmpty() ? QString() : QStringLiteral("\r\n") + cause),
               vbOKOnly | vbExclamation, QStringLiteral("Connection Error"));
        return;
    }
    m_reconnectSpent = false;
    ShowConnected();
    ListRemoteFiles();
    if (FtpSession.hConnect == 0)
        return; // the server hung up during the first listing
    m_currentDir = GetRemoteDirectory(FtpSession.hConnect);
    m_view.directory->setText(CurrentDir());
    m_view.connectBar->setVisible(false);
    OpenCommandChannel();
}

void RemotePane::ListRemoteFiles() {
    if (SessionLost())
        return;
    clearList();
    SetMousePointer(vbHourglass);

    std::string dir;
    std::vector<RemoteEntry> folders;
    std::vector<ListedFile> files;
    bool cut = false;
    const bool listed = OnSession([&] {
        dir = GetRemoteDirectory(FtpSession.hConnect);
        folders.clear();
        files.clear();
        HINTERNET find = 0;
        const HINTERNET listing = OpenListingConnection();
        if (listing != 0) {
            WIN32_FIND_DATAA data{};
            find = FtpFindFirstFileA(listing, (dir + "*.*").c_str(), &data, FindFlags, 0);
            for (BOOL more = find != 0; more; more = InternetFindNextFileA(find, &data)) {
                // The name up to its NUL, read in place: the record's name buffer is large.
                const std::size_t length = ::strnlen(data.cFileName, sizeof data.cFileName);
                if (length == 0)
                    continue;
                RemoteEntry entry{std::string(data.cFileName, length), 0, unixSeconds(data.ftLastWriteTime),
                                  (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
                if (entry.folder) {
                    folders.push_back(std::move(entry));
                    continue;
                }
                entry.size = FindDataSize(data);
                files.push_back({shown(entry.name), std::move(entry), data.ftLastWriteTime});
            }
        }
        cut = FindListingCut(find) != 0;
        InternetCloseHandle(find);
        InternetCloseHandle(listing);
        return find != 0;
    });
    SetMousePointer(vbDefault);
    if (!listed && SessionLost())
        return;
    const std::size_t count = folders.size() + files.size();
    FillRemoteList(dir != "/", std::move(folders), std::move(files));
    ShowListingLimit(count, cut);
}

void RemotePane::FillRemoteList(bool parentRow, std::vector<RemoteEntry> folders,
                                std::vector<ListedFile> files) {
    // Folders in the server's order, then files by name whatever the letter case, as the list sorts.
    std::stable_sort(files.begin(), files.end(), [](const ListedFile& left, const ListedFile& right) {
        return left.text.compare(right.text, Qt::CaseInsensitive) < 0;
    });
    QList<ListItem*> rows;
    rows.reserve(static_cast<qsizetype>(folders.size() + files.size()) + 1);
    m_entries = std::move(folders);
    m_entries.reserve(m_entries.size() + files.size());
    if (parentRow)
        rows.append(ListView::NewRow(ParentRowText, ParentRowIcon));
    for (const RemoteEntry& folder : m_entries)
        rows.append(ListView::NewRow(shown(folder.name), FolderIcon));
    for (ListedFile& file : files) {
        rows.append(fileRow(file.text, file.entry, file.time));
        m_entries.push_back(std::move(file.entry));
    }
    const qsizetype first = parentRow ? 1 : 0;
    m_rowEntries.reserve(m_entries.size());
    for (qsizetype i = first; i < rows.size(); ++i)
        m_rowEntries.emplace_back(rows[i], static_cast<std::size_t>(i - first));
    std::sort(m_rowEntries.begin(), m_rowEntries.end());
    m_view.list->AddRows(rows);
}

void RemotePane::OpenCommandChannel() {
    frmCommands& commands = *m_view.commands;
    commands.MainStatusBar = m_view.statusBar;
    if (FtpSession.IsSftp()) {
        // SSH offers no raw FTP dialogue to type into; an earlier session's command line must not
        // stay open beside this one.
        commands.WatchConnection(-1);
        if (commands.SockCMD.IsConnected())
            commands.SockCMD.Action(CommandSocket::CloseCommand);
        m_view.statusBar->SetPanelText(2, QStringLiteral("Command Line:  No"));
        return;
    }
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
        m_view.statusBar->SetPanelText(2, QStringLiteral("Command Line:  Yes"));
        break;
    }
}

void RemotePane::openRemoteFolder(const std::string& folder) {
    m_view.directory->setText(shown(folder));
    if (!OnSession([&] { return FtpSetCurrentDirectoryA(FtpSession.hConnect, folder.c_str()) != 0; })) {
        m_view.directory->setText(CurrentDir());
        ReportRefusal(QStringLiteral("Cannot open %1.").arg(shown(folder)), vbOKOnly | vbExclamation,
                      QStringLiteral("Error Opening Folder"));
        return;
    }
    ListRemoteFiles();
    if (FtpSession.hConnect == 0)
        return;
    DoEvents();
    m_currentDir = GetRemoteDirectory(FtpSession.hConnect);
    m_view.directory->setText(CurrentDir());
}

void RemotePane::mnuDisconnect_Click() {
    if (FtpSession.hInternet != 0)
        EndSession();
}

void RemotePane::lstRemoteFiles_GotFocus() {
    emit focused();
}

void RemotePane::lstRemoteFiles_Click() {}

void RemotePane::lstRemoteFiles_ItemClick(ListItem* item) {
    m_itemSelected = item != nullptr;
    // Several files may be picked together, but a folder is always picked alone.
    m_view.list->SetMultiSelect(true);
    const ListItem* selected = m_view.list->SelectedItem();
    if (selected && ListView::SmallIcon(selected) == FolderIcon) {
        const ListItem* folder = item ? item : selected;
        const RemoteEntry* entry = entryOf(folder);
        m_selectedFolder =
            QLatin1Char('/') + (entry ? shown(entry->name) : ListView::Text(folder)) + QLatin1Char('/');
        m_view.list->SetMultiSelect(false);
    } else {
        m_selectedFolder.clear();
    }
}

void RemotePane::lstRemoteFiles_DblClick() {
    const ListItem* item = m_view.list->SelectedItem();
    if (!item)
        return;
    const RemoteEntry* entry = entryOf(item);
    if (!entry && ListView::SmallIcon(item) == ParentRowIcon) {
        NavigateRemoteUp();
        return;
    }
    if (!entry || !entry->folder || SessionLost())
        return;
    openRemoteFolder(std::string(entry->name)); // a copy: the listing is replaced while it opens
}

void RemotePane::NavigateRemoteUp() {
    if (SessionLost())
        return;
    if (FtpSession.hConnect == 0) {
        MsgBox(QStringLiteral("Error!  Connection has been terminated"), vbOKOnly | vbCritical,
               QStringLiteral("Connection Terminated"));
        mnuDisconnect_Click();
        return;
    }
    if (!RemoteFolderKnown())
        return;
    openRemoteFolder(RemoteParentDirectory(m_currentDir));
    m_view.list->ClearSelectedItem();
}

void RemotePane::lstRemoteFiles_ColumnClick(int column) {
    // The remote list is never in sorted mode, so this only records the choice.
    m_view.list->SetSortKey(column - 1);
    m_view.list->SetSortOrder(Qt::AscendingOrder);
}

void RemotePane::lstRemoteFiles_MouseDown(int button, int, double, double) {
    if (FtpSession.hConnect != 0 && button == 2)
        m_view.popup->popup(QCursor::pos());
}

void RemotePane::BeginRemoteRename() {
    const RemoteEntry* entry = entryOf(m_view.list->SelectedItem());
    m_renameOldName = entry ? entry->name : std::string();
    m_view.list->StartLabelEdit();
}

void RemotePane::reportNoConnection() {
    MsgBox(QStringLiteral("No Connection"));
    m_view.focusAway->setFocus();
}

void RemotePane::cmdMakeDir_Click() {
    if (notConnected()) {
        reportNoConnection();
        return;
    }
    if (SessionLost() || !RemoteFolderKnown())
        return;
    m_creatingFolder = true;
    m_view.list->setFocus();
    m_view.list->SetSorted(false);
    // Just below the parent row; below the only entry at the root.
    ListItem* row = m_view.list->Insert(2, QStringLiteral("New Folder"), FolderIcon);
    if (!row) {
        // No edit follows, so the next label edit must not be taken for a new folder.
        m_creatingFolder = false;
        if (notConnected())
            reportNoConnection();
        else
            MsgBox(
                QStringLiteral("Error trying to create directory.  Make sure you are connected and that your "
                               "servers is properly configured."),
                vbOKOnly | vbInformation, QStringLiteral("Error Creating New Directory"));
        return;
    }
    m_entries.push_back(RemoteEntry{"New Folder", 0, std::nullopt, true});
    addRowEntry(row, m_entries.size() - 1);
    m_view.list->ClearSelectedItem();
    m_view.list->SetSelectedItem(row);
    m_view.list->StartLabelEdit();
}

void RemotePane::lstRemoteFiles_AfterLabelEdit(bool& cancel, QString& newText) {
    // An edit left open when a transfer began ends without touching the server.
    if (isBusy && isBusy()) {
        cancel = true;
        m_creatingFolder = false;
        return;
    }
    if (m_creatingFolder) {
        m_creatingFolder = false;
        createFolder(newText);
        return;
    }
    // An edit left with Escape renames nothing.
    if (!newText.isNull())
        renameSelected(cancel, newText);
}

void RemotePane::createFolder(const QString& name) {
    // An edit left with Escape names nothing: drop the "New Folder" row, create nothing.
    const std::string path = m_currentDir + name.toStdString();
    if (!name.isNull() &&
        !OnSession([&] { return FtpCreateDirectoryA(FtpSession.hConnect, path.c_str()) != 0; })) {
        if (!ReportRefusal(QStringLiteral("Action Failed!"), vbOKOnly | vbExclamation,
                           QStringLiteral("ERROR!")))
            return;
        ListRemoteFiles();
        m_view.list->Refresh();
        m_view.focusAway->setFocus();
        return;
    }
    ListRemoteFiles();
    m_view.list->Refresh();
}

bool RemotePane::nameTaken(const RemoteEntry* renamed, const std::string& name) const {
    // Only the exact name counts: a change of letter case renames the entry itself.
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [&](const RemoteEntry& entry) { return &entry != renamed && entry.name == name; });
}

void RemotePane::renameSelected(bool& cancel, const QString& newText) {
    const std::string newName = newText.toStdString();
    ListItem* row = m_view.list->SelectedItem();
    // The server would replace the other entry without a word.
    if (newName != m_renameOldName && nameTaken(entryOf(row), newName)) {
        MsgBox(QStringLiteral("Cannot rename %1: an entry named %2 already exists.")
                   .arg(shown(m_renameOldName), newText),
               vbOKOnly | vbCritical, QStringLiteral("Error Renaming File"));
        cancel = true;
        return;
    }
    if (!OnSession([&] {
            return FtpRenameFileA(FtpSession.hConnect, m_renameOldName.c_str(), newName.c_str()) != 0;
        })) {
        if (!ReportRefusal(QStringLiteral("Error renaming file!"), vbOKOnly | vbExclamation,
                           QStringLiteral("Error")))
            return;
        ListView::SetText(row, shown(m_renameOldName));
    }
    ListRemoteFiles();
    m_view.list->Refresh();
}

void RemotePane::DeleteSelection() {
    const RemoteEntry* current = entryOf(m_view.list->SelectedItem());
    if (!current || SessionLost() || (FtpSession.hConnect != 0 && !RemoteFolderKnown()))
        return;
    if (current->folder)
        deleteFolder(RemoteEntry(*current));
    else
        deleteFiles(SelectedEntries());
}

void RemotePane::deleteFolder(const RemoteEntry& folder) {
    // The folder removed is the row the question names, however the selection got there.
    const QString name = shown(folder.name);
    if (MsgBox(QStringLiteral("Are you sure you want to delete directory: \r\n    ") + name,
               vbYesNoCancel | vbQuestion, QStringLiteral("Delete Directory")) != vbYes)
        return;
    const std::string path = m_currentDir + folder.name + '/';
    if (!OnSession([&] { return FtpRemoveDirectoryA(FtpSession.hConnect, path.c_str()) != 0; })) {
        ReportRefusal(QStringLiteral("Could not delete directory: ") + name, vbOKOnly | vbExclamation,
                      QStringLiteral("Error Deleting Directory"));
        return;
    }
    ListRemoteFiles();
}

void RemotePane::deleteFiles(const std::vector<RemoteEntry>& files) {
    if (MsgBox(QStringLiteral("Are you sure you want to delete selected files?"), vbYesNo | vbQuestion,
               QStringLiteral("Delete Files")) != vbYes)
        return;
    QStringList refusals;
    for (const RemoteEntry& file : files) {
        const std::string path = m_currentDir + file.name;
        if (OnSession([&] { return FtpDeleteFileA(FtpSession.hConnect, path.c_str()) != 0; }))
            continue;
        const QString reply = QString::fromStdString(InternetLastResponseText());
        if (SessionLost())
            return;
        const QString name = shown(file.name);
        refusals.append(reply.isEmpty() ? name : name + QStringLiteral(": ") + reply);
    }
    ListRemoteFiles();
    if (refusals.isEmpty() || FtpSession.hConnect == 0)
        return;
    constexpr qsizetype shownRefusals = 10;
    if (refusals.size() > shownRefusals) {
        const qsizetype more = refusals.size() - shownRefusals;
        refusals.resize(shownRefusals);
        refusals.append(QStringLiteral("... and %1 more").arg(more));
    }
    MsgBox(QStringLiteral("Could not delete:\r\n") + refusals.join(QStringLiteral("\r\n")),
           vbOKOnly | vbExclamation, QStringLiteral("Error Deleting Files"));
}
