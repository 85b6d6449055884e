#include "transfer/Transfers.h"

#include "local/LocalFileSystem.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "toolkit/SizeText.h"
#include "toolkit/WindowLayer.h"
#include "transfer/ChunkPump.h"
#include "transfer/FileTimes.h"
#include "transfer/TempFileWriter.h"
#include "transfer/TransferDisplay.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QThread>
#include <chrono>
#include <cstring>
#include <future>
#include <initializer_list>
#include <sys/stat.h>
#include <utility>

Transfers::Transfers(const TransferView& view, TransferPanes panes, TransferWindow window)
    : m_view(view), m_panes(std::move(panes)), m_window(std::move(window)) {}

Transfers::~Transfers() = default;

bool Transfers::SessionBusy(bool remoteFocusOnly) const {
    return TransferRunning && (!remoteFocusOnly || m_window.lastFocus() == QStringLiteral("remote"));
}

TransferMode Transfers::SelectedTransferMode() const {
    if (m_view.optAuto->isChecked())
        return TransferMode::Auto;
    return m_view.optASCII->isChecked() ? TransferMode::Ascii : TransferMode::Binary;
}

std::vector<TransferItem> Transfers::downloadItems(const std::vector<RemoteEntry>& entries,
                                                   const std::string& remoteDir,
                                                   const std::string& localDir) const {
    std::vector<TransferItem> items;
    for (const RemoteEntry& entry : entries) {
        TransferItem item{.direction = TransferDirection::Download,
                          .source = JoinPath(remoteDir, entry.name),
                          .target = JoinPath(localDir, entry.name),
                          .size = entry.folder ? 0 : entry.size,
                          .modified = entry.modified,
                          .folder = entry.folder};
        // A name from the server never leads out of the chosen folder.
        if (!IsValidEntryName(entry.name)) {
            item.state = ItemState::Failed;
            item.reason = "Not a file name of this folder";
        }
        items.push_back(std::move(item));
    }
    return items;
}

void Transfers::BuildDownloadQueue() {
    BuildTransferQueue(downloadItems(m_panes.selectedRemote(), m_panes.remoteDir(), m_panes.localDir()));
}

void Transfers::BuildUploadQueue() {
    const std::string localDir = m_panes.localDir(), remoteDir = m_panes.remoteDir();
    std::vector<TransferItem> items;
    for (const LocalEntry& entry : m_panes.selectedLocal())
        items.push_back({.direction = TransferDirection::Upload,
                         .source = JoinPath(localDir, entry.name),
                         .target = JoinPath(remoteDir, entry.name),
                         .size = entry.size,
                         .modified = entry.modified});
    BuildTransferQueue(items);
}

void Transfers::BuildTransferQueue(const std::vector<TransferItem>& items) {
    const TransferView& v = m_view;
    m_queue.clear();
    v.List1->clear();
    v.List2->clear();
    m_direction = items.empty() ? TransferDirection::Download : items.front().direction;
    for (const TransferItem& item : items)
        addItem(item);
    for (QProgressBar* bar : {v.ProgressBar1, v.ProgressBar2}) {
        bar->setMinimum(0);
        bar->setValue(0);
    }
    v.ProgressBar2->setVisible(true);
    for (QWidget* control :
         std::initializer_list<QWidget*>{v.Label5, v.Label8, v.Label9, v.Label10, v.Label11, v.Label13,
                                         v.Label14, v.Label15, v.Label16, v.lbSpeed, v.cmdCancel})
        control->setVisible(true);
}

std::size_t Transfers::addItem(TransferItem item) {
    if (!item.folder) {
        // The window's lists show the files; the transfer works on the queue's items.
        m_view.List1->addItem(QString::fromStdString(LastPathName(item.target)));
        m_view.List2->addItem(QString::number(item.size));
    }
    const std::size_t index = m_queue.add(std::move(item));
    showQueueSize();
    return index;
}

void Transfers::showQueueSize() {
    const TransferView& v = m_view;
    const int files = v.List1->count();
    v.Label8->setText(QStringLiteral("File:"));
    v.Label14->setText(QStringLiteral("/ ") + QString::number(files));
    v.Label11->setText(m_direction == TransferDirection::Upload
                           ? QString::fromStdString(KilobyteText(m_queue.total(), 1024, 1, " Kb"))
                           : QString::number(m_queue.total()));
    if (files > 1)
        v.ProgressBar1->setVisible(true);
    if (m_display)
        m_display->setQueueTotal(m_queue.total());
}

void Transfers::DownloadEntries(const std::vector<RemoteEntry>& entries, const std::string& remoteDir,
                                const std::string& localDir) {
    if (TransferRunning || entries.empty())
        return;
    BuildTransferQueue(downloadItems(entries, remoteDir, localDir));
    runBuiltQueue(TransferDirection::Download);
}

void Transfers::UploadPaths(const std::vector<std::string>& localPaths, const std::string& remoteDir) {
    if (TransferRunning || remoteDir.empty())
        return;
    std::vector<TransferItem> items;
    for (std::string path : localPaths) {
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        const std::string name = LastPathName(path);
        struct stat facts {};
        // What the user picked is followed even when it is a link; links inside folders are not.
        if (!IsValidEntryName(name) || ::stat(path.c_str(), &facts) != 0 ||
            (!S_ISDIR(facts.st_mode) && !S_ISREG(facts.st_mode)))
            continue;
        const bool folder = S_ISDIR(facts.st_mode);
        items.push_back({.direction = TransferDirection::Upload,
                         .source = path,
                         .target = JoinPath(remoteDir, name),
                         .size = folder ? 0 : facts.st_size,
                         .modified = facts.st_mtime,
                         .folder = folder});
    }
    if (items.empty())
        return;
    BuildTransferQueue(items);
    runBuiltQueue(TransferDirection::Upload);
}

void Transfers::UploadFolder() {
    UploadPaths({m_panes.localDir()}, m_panes.remoteDir());
}

void Transfers::RetryFailed() {
    if (TransferRunning)
        return;
    // What failed, and what a stopped queue never reached.
    std::vector<TransferItem> again;
    for (const TransferItem& item : m_queue.items())
        if (item.state == ItemState::Failed || item.state == ItemState::Waiting) {
            again.push_back(item);
            again.back().state = ItemState::Waiting;
            again.back().reason.clear();
        }
    if (again.empty())
        return;
    const TransferDirection direction = again.front().direction;
    BuildTransferQueue(again);
    runBuiltQueue(direction);
}

void Transfers::runBuiltQueue(TransferDirection direction) {
    TransferRunning = true;
    emit runningChanged();
    const auto running = qScopeGuard([this] {
        TransferRunning = false;
        emit runningChanged();
    });
    const bool download = direction == TransferDirection::Download;
    m_view.Label9->setText(download ? QStringLiteral("Bytes Received:") : QStringLiteral("Bytes Sent:"));
    RunQueueWithPanel(download ? &Transfers::DownloadQueue : &Transfers::UploadQueue);
    // Once for the whole queue, not per file.
    if (download) {
        TempFileWriter::SyncCommitted();
        m_panes.refreshLocal();
        DoEvents();
    } else {
        m_panes.refreshRemote();
    }
    LoadNormalButtonImages();
}

void Transfers::DownloadQueue() {
    runItems();
}

void Transfers::UploadQueue() {
    m_window.skipNextResize();
    runItems();
}

void Transfers::runItems() {
    // A cancel confirmed after the last chunk of an earlier transfer must not stop this one.
    CancelRequested = false;
    PinWindowSize();
    TransferDisplay display(m_view, m_queue.total());
    m_display = &display;
    m_movedBytes = 0;
    m_fileNumber = 0;
    const auto ended = qScopeGuard([this] {
        m_display = nullptr;
        closeListingConnection();
        m_remoteFolders.clear();
        m_folderListings.clear();
        m_sameForRest.reset();
        m_retryTarget.reset();
    });
    showQueueSize();

    bool stopped = false;
    std::size_t previous = TransferQueue::AllItems;
    for (std::size_t i; (i = m_queue.nextWaiting()) != TransferQueue::AllItems;) {
        if (CancelRequested) {
            CancelRequested = false;
            failItem(i, "Cancelled");
            stopped = true;
            break;
        }
        const bool folder = m_queue.items()[i].folder;
        if (i != previous && !folder) {
            ++m_fileNumber;
            m_bytesBeforeFile = m_movedBytes;
            m_reconnectAttempt = 0;
        }
        previous = i;
        m_queue.setState(i, ItemState::Running);
        const ItemEnd end = runItem(i);
        if (end == ItemEnd::Retry) {
            m_queue.setState(i, ItemState::Waiting);
        } else if (end == ItemEnd::Stop) {
            stopped = true;
            break;
        } else if (end != ItemEnd::Failed) {
            m_queue.setState(i, end == ItemEnd::Done ? ItemState::Done : ItemState::Skipped);
        }
        if (folder) {
            m_view.Label5->setText(QStringLiteral("Transfer Rate"));
            DoEvents(); // Cancel works between folders too
        }
    }
    if (!stopped)
        MsgBox(QString::fromStdString(ClosingMessage(CountOutcome(m_queue))), vbOKOnly | vbInformation);
    EndTransfer();
}

Transfers::ItemEnd Transfers::runItem(std::size_t index) {
    const TransferItem& item = m_queue.items()[index];
    if (item.direction == TransferDirection::Download)
        return item.folder ? readRemoteFolder(index) : downloadFile(index);
    return item.folder ? readLocalFolder(index) : uploadFile(index);
}

Transfers::ItemEnd Transfers::failItem(std::size_t index, const std::string& reason, ItemEnd end) {
    m_queue.setState(index, ItemState::Failed, reason);
    return end;
}

Transfers::ItemEnd Transfers::refuseItem(std::size_t index, const std::string& name,
                                         const std::string& target) {
    const std::string reply = InternetLastResponseText();
    if (reply.empty() && sessionDropped()) {
        m_retryTarget = target;
        return restoreSession(index, name);
    }
    MsgBox(QStringLiteral("Request Failed!\n") + QString::fromStdString(name) + QLatin1Char('\n') +
               (reply.empty() ? QStringLiteral("The server did not answer.") : QString::fromStdString(reply)),
           vbOKOnly | vbExclamation);
    return failItem(index, reply, RefusesOnlyThisFile(reply) ? ItemEnd::Failed : ItemEnd::Stop);
}

void Transfers::reportFolder(const std::string& folder, const QString& what, const QString& reason) {
    MsgBox(QStringLiteral("The folder ") + QString::fromStdString(folder) + QStringLiteral(" could not be ") +
               what + QStringLiteral("; nothing in it was transferred.\n") + reason,
           vbOKOnly | vbExclamation);
}

std::optional<ExistsAction> Transfers::existingAction(const std::string& name, const FileFacts& source,
                                                      const FileFacts& target, bool binary) {
    if (m_sameForRest)
        return ApplicableAction(*m_sameForRest, source, target, binary);
    if (m_options.whenExists != WhenExists::Ask)
        return DecideExisting(m_options.whenExists, source, target, binary);
    if (!askExists)
        return ExistsAction::Replace;
    m_display->showNow(); // the panel names the file the question is about
    const ExistsAnswer answer = askExists({name, source, target, ResumeApplies(source, target, binary)});
    if (answer.action == ExistsAction::Cancel)
        return std::nullopt;
    if (answer.sameForRest)
        m_sameForRest = answer.action;
    return ApplicableAction(answer.action, source, target, binary);
}

bool Transfers::sessionDropped() const {
    return FtpSession.hConnect == 0 || !InternetConnectionAlive(FtpSession.hConnect);
}

Transfers::ItemEnd Transfers::restoreSession(std::size_t index, const std::string& name) {
    closeListingConnection();
    const std::vector<int>& waits = ReconnectWaitsMs();
    while (m_panes.reconnect && m_reconnectAttempt < waits.size()) {
        m_view.Label13->setText(QStringLiteral("Connection lost, trying again: ") +
                                QString::fromStdString(name));
        QElapsedTimer waited;
        waited.start();
        // The window stays live while it waits, so that Cancel ends the wait.
        while (waited.elapsed() < waits[m_reconnectAttempt]) {
            DoEvents();
            if (CancelRequested) {
                CancelRequested = false;
                return failItem(index, "Connection lost", ItemEnd::Stop);
            }
            QThread::msleep(10);
        }
        ++m_reconnectAttempt;
        if (m_panes.reconnect())
            return ItemEnd::Retry;
    }
    MsgBox(QStringLiteral("The connection to the server was lost during ") + QString::fromStdString(name) +
               QStringLiteral(" and could not be restored. The transfer stopped."),
           vbOKOnly | vbExclamation);
    return failItem(index, "Connection lost", ItemEnd::Stop);
}

HINTERNET Transfers::listingConnection() {
    if (m_listing == 0)
        m_listing = OpenListingConnection();
    return m_listing;
}

void Transfers::closeListingConnection() {
    if (m_listing != 0)
        InternetCloseHandle(m_listing);
    m_listing = 0;
}

const std::map<std::string, Transfers::ListedEntry>& Transfers::remoteFolder(const std::string& folder) {
    const auto known = m_remoteFolders.find(folder);
    if (known != m_remoteFolders.end())
        return known->second;
    std::map<std::string, ListedEntry>& entries = m_remoteFolders[folder];
    const HINTERNET listing = listingConnection();
    if (listing == 0)
        return entries;
    WIN32_FIND_DATAA data{};
    const HINTERNET find = FtpFindFirstFileA(listing, JoinPath(folder, "*.*").c_str(), &data,
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    for (BOOL more = find != 0; more; more = InternetFindNextFileA(find, &data)) {
        const std::size_t length = ::strnlen(data.cFileName, sizeof data.cFileName);
        const auto size =
            static_cast<std::int64_t>((std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
        entries[std::string(data.cFileName, length)] = {{size, UnixSecondsFromFileTime(data.ftLastWriteTime)},
                                                        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) !=
                                                            0};
    }
    InternetCloseHandle(find);
    return entries;
}

FileEnd Transfers::CloseTransferFile(TransferDisplay& display, bool verdictRead) {
    if (CancelRequested) {
        CancelRequested = false;
        return FileEnd::Cancelled;
    }
    display.finishFile();
    const HINTERNET handle = TransferHandle;
    TransferHandle = 0;
    bool complete = false;
    if (verdictRead) {
        complete = InternetCloseHandle(handle);
    } else {
        // A slow server confirms an upload only when it has read the bytes still on their way, which
        // can take long: the window stays responsive meanwhile, so that Exit and Cancel work. Nothing
        // else uses the session while the transfer holds it.
        auto verdict = std::async(std::launch::async, [handle] { return InternetCloseHandle(handle); });
        while (verdict.wait_for(std::chrono::milliseconds(ChunkPump::IntervalMs)) !=
               std::future_status::ready)
            DoEvents();
        complete = verdict.get();
    }
    if (CancelRequested) {
        CancelRequested = false;
        return FileEnd::Cancelled;
    }
    return complete ? FileEnd::Complete : FileEnd::Refused;
}
