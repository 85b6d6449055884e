#include "local/LocalFileSystem.h"
#include "session/FtpSession.h"
#include "toolkit/WindowLayer.h"
#include "transfer/ChunkPump.h"
#include "transfer/FileTimes.h"
#include "transfer/TempFileWriter.h"
#include "transfer/TransferDisplay.h"
#include "transfer/Transfers.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

constexpr std::uint32_t ChunkSize = ChunkPump::ChunkBytes;

// What arrived of a binary file that did not end is kept for a later download to continue; an ASCII
// one cannot be continued (its size differs on both sides), nor can nothing.
void keepPartial(TempFileWriter& local, const std::string& part, bool binary, std::int64_t bytes) {
    if (binary && bytes > 0)
        (void)local.keepAs(part);
    else
        local.discard();
}

bool isRegularFile(const std::string& path, struct stat& facts) {
    return ::lstat(path.c_str(), &facts) == 0 && S_ISREG(facts.st_mode);
}

std::string folderOf(const std::string& path) {
    return path.substr(0, path.rfind('/') + 1);
}

} // namespace

void Transfers::Picture1_Click() {
    if (TransferRunning || !m_panes.takeRemotePick())
        return;
    DownloadEntries(m_panes.selectedRemote(), m_panes.remoteDir(), m_panes.localDir());
}

Transfers::ItemEnd Transfers::downloadFile(std::size_t index) {
    const TransferItem item = m_queue.items()[index];
    const std::string name = LastPathName(item.target);
    const QString shown = QString::fromStdString(name);
    const int type = TransferTypeForMode(SelectedTransferMode(), name);
    CurrentTransferType = type;
    const bool binary = type == static_cast<int>(FTP_TRANSFER_TYPE_BINARY);

    // The panel names the file while its target is looked at (and the user may be asked about it).
    m_display->startFile(QStringLiteral("Downloading File: ") + shown, m_fileNumber, item.size);
    const std::optional<std::string> retry = std::exchange(m_retryTarget, std::nullopt);
    std::string target = retry.value_or(item.target);
    struct stat existing {};
    if (!retry && isRegularFile(target, existing)) {
        const FileFacts source{item.size, item.modified}, there{existing.st_size, existing.st_mtime};
        const std::optional<ExistsAction> action = existingAction(name, source, there, binary);
        if (!action)
            return failItem(index, "Cancelled", ItemEnd::Stop);
        if (*action == ExistsAction::Skip)
            return ItemEnd::Skipped;
        if (*action == ExistsAction::KeepBoth) {
            const std::string folder = folderOf(target);
            target = folder + KeepBothName(name, [&](const std::string& candidate) {
                         struct stat taken {};
                         return ::lstat((folder + candidate).c_str(), &taken) == 0;
                     });
        } else if (*action == ExistsAction::Resume) {
            // The smaller file becomes the kept part, continued below like any other.
            struct stat part {};
            if (::lstat(PartPath(target).c_str(), &part) != 0)
                (void)::rename(target.c_str(), PartPath(target).c_str());
        }
    }

    // The local side first: a name this folder cannot take is refused before a byte is fetched.
    // The file is streamed beside its target and replaces it only once it is complete.
    const std::string part = PartPath(target);
    TempFileWriter local;
    DownloadFile = &local;
    const auto forget = qScopeGuard([this] { DownloadFile = nullptr; });
    struct stat kept {};
    std::int64_t offset = 0;
    if (binary && isRegularFile(part, kept) && kept.st_size > 0 && kept.st_size < item.size) {
        offset = kept.st_size;
        if (!local.openContinuing(target, part))
            offset = 0;
    }
    if (offset == 0 && !local.open(target)) {
        const int cause = local.error();
        const bool nameOnly = cause == ENAMETOOLONG || cause == EINVAL || cause == EILSEQ || cause == EISDIR;
        const QString why = QString::fromLocal8Bit(std::strerror(cause));
        MsgBox(QStringLiteral("error\n") + shown + QLatin1Char('\n') + why, vbOKOnly);
        return failItem(index, why.toStdString(), nameOnly ? ItemEnd::Failed : ItemEnd::Stop);
    }

    m_display->startFile(QStringLiteral("Downloading File: ") + shown, m_fileNumber, item.size, offset);
    if (offset > 0) {
        TransferHandle = FtpOpenFileFromA(FtpSession.hConnect, item.source.c_str(), GENERIC_READ,
                                          static_cast<std::uint32_t>(type), offset);
        // A server that cannot continue the file sends it whole.
        if (TransferHandle == 0 && !sessionDropped() && local.open(target)) {
            offset = 0;
            m_display->startFile(QStringLiteral("Downloading File: ") + shown, m_fileNumber, item.size);
        }
    }
    if (offset == 0)
        TransferHandle = FtpOpenFileA(FtpSession.hConnect, item.source.c_str(), GENERIC_READ,
                                      static_cast<std::uint32_t>(type), 0);
    if (TransferHandle == 0) {
        keepPartial(local, part, binary, offset);
        return refuseItem(index, name, target);
    }
    TransferItem placed = item;
    placed.target = target;
    return receiveFile(index, placed, local, offset, binary);
}

Transfers::ItemEnd Transfers::receiveFile(std::size_t index, const TransferItem& item, TempFileWriter& local,
                                          std::int64_t offset, bool binary) {
    const std::string name = LastPathName(item.target), part = PartPath(item.target);
    const auto failed = [&](std::int64_t kept) {
        // The close reads the server's verdict: only then does a dropped session show.
        if (TransferHandle != 0)
            InternetCloseHandle(TransferHandle);
        TransferHandle = 0;
        const bool dropped = sessionDropped() || InternetLastResponseText().empty();
        keepPartial(local, part, binary, kept);
        if (dropped) {
            m_retryTarget = item.target;
            return restoreSession(index, name);
        }
        MsgBox(QStringLiteral("error"), vbOKOnly);
        return failItem(index, "error", ItemEnd::Stop);
    };
    std::vector<char> buffer(ChunkSize);
    ChunkPump pump;
    std::int64_t fileBytes = offset;
    QElapsedTimer clock;
    clock.start();
    std::uint32_t got = 0;
    do {
        if (CancelRequested) {
            CancelRequested = false;
            return failItem(index, "Cancelled", ItemEnd::Stop);
        }
        got = 0;
        if (!InternetReadFile(TransferHandle, buffer.data(), ChunkSize, &got) || got > ChunkSize)
            return failed(fileBytes);
        if (!local.write(buffer.data(), got)) // the disk is full or failing: nothing is kept
            return failed(0);
        fileBytes = AddBytes(fileBytes, got);
        m_display->chunk(fileBytes, AddBytes(m_bytesBeforeFile, fileBytes), clock.elapsed());
        pump.afterChunk(got != ChunkSize);
    } while (got == ChunkSize);

    // A short read is the end of the data, which comes with the server's verdict.
    const FileEnd end = CloseTransferFile(*m_display, true);
    if (end == FileEnd::Cancelled)
        return failItem(index, "Cancelled", ItemEnd::Stop);
    // Only a file the server gave whole replaces the local one.
    if (end != FileEnd::Complete)
        return failed(fileBytes);
    // A continued file must come to the listed size: else its start was not this file's.
    if (offset > 0 && fileBytes != item.size) {
        local.discard();
        MsgBox(QStringLiteral("error\n") + QString::fromStdString(name) +
                   QStringLiteral("\nThe continued file does not match the server's; try it again."),
               vbOKOnly);
        return failItem(index, "The continued file does not match the server's");
    }
    if (!local.commit()) {
        MsgBox(QStringLiteral("error"), vbOKOnly);
        return failItem(index, "error", ItemEnd::Stop);
    }
    if (offset == 0)
        (void)std::remove(part.c_str()); // an older part of this file is of no use now
    m_movedBytes = AddBytes(m_bytesBeforeFile, fileBytes);
    if (m_options.keepTimes) {
        std::optional<std::int64_t> modified = item.modified;
        std::int64_t size = -1;
        FILETIME time{0, 0};
        if (!modified && FtpGetFileInfoA(FtpSession.hConnect, item.source.c_str(), &size, &time))
            modified = UnixSecondsFromFileTime(time);
        if (modified)
            (void)SetLocalFileTime(item.target, *modified);
    }
    return ItemEnd::Done;
}

std::optional<std::string> Transfers::folderListedAbove(const std::string& folder,
                                                        const std::vector<TransferItem>& children) {
    std::string listing;
    for (const TransferItem& child : children)
        listing += LastPathName(child.source) + '\0' + std::to_string(child.size) + '\0' +
                   std::to_string(child.modified.value_or(-1)) + (child.folder ? "/\n" : "\n");
    const std::size_t print = std::hash<std::string>{}(listing);
    for (std::size_t slash = folder.rfind('/'); slash != std::string::npos && slash > 0;
         slash = folder.rfind('/', slash - 1)) {
        const auto above = m_folderListings.find(folder.substr(0, slash));
        if (above == m_folderListings.end())
            break; // above the folders this queue read
        if (above->second == print)
            return above->first;
    }
    m_folderListings[folder] = print;
    return std::nullopt;
}

Transfers::ItemEnd Transfers::readRemoteFolder(std::size_t index) {
    const TransferItem item = m_queue.items()[index];
    m_view.Label5->setText(QStringLiteral("Reading folder: ") + QString::fromStdString(item.source));
    DoEvents();
    struct stat existing {};
    if (::mkdir(item.target.c_str(), 0777) != 0 &&
        (errno != EEXIST || ::stat(item.target.c_str(), &existing) != 0 || !S_ISDIR(existing.st_mode))) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno == EEXIST ? ENOTDIR : errno));
        reportFolder(item.target, QStringLiteral("created"), why);
        return failItem(index, why.toStdString());
    }
    const HINTERNET listing = listingConnection();
    if (listing == 0 && sessionDropped())
        return restoreSession(index, LastPathName(item.source));
    if (listing == 0) {
        reportFolder(item.source, QStringLiteral("read"),
                     QStringLiteral("The server refused a connection for it."));
        return failItem(index, "No connection for the listing");
    }
    WIN32_FIND_DATAA data{};
    const HINTERNET find = FtpFindFirstFileA(listing, JoinPath(item.source, "*.*").c_str(), &data,
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (find == 0) {
        const std::string reply = InternetLastResponseText();
        if (!InternetConnectionAlive(listing))
            return restoreSession(index, LastPathName(item.source));
        if (RefusesOnlyThisFile(reply)) {
            reportFolder(item.source, QStringLiteral("read"), QString::fromStdString(reply));
            return failItem(index, reply);
        }
        return ItemEnd::Done; // an empty folder
    }
    std::vector<TransferItem> children;
    for (BOOL more = 1; more; more = InternetFindNextFileA(find, &data)) {
        const std::string name(data.cFileName, ::strnlen(data.cFileName, sizeof data.cFileName));
        if (name.empty() || name == "." || name == "..")
            continue;
        // Anything not listed as a folder (a link among them) comes as a file.
        const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        TransferItem child{.direction = TransferDirection::Download,
                           .source = JoinPath(item.source, name),
                           .target = JoinPath(item.target, name),
                           .size = folder
                                       ? 0
                                       : static_cast<std::int64_t>((std::uint64_t{data.nFileSizeHigh} << 32) |
                                                                   data.nFileSizeLow),
                           .modified = UnixSecondsFromFileTime(data.ftLastWriteTime),
                           .folder = folder};
        if (!IsValidEntryName(name)) {
            child.state = ItemState::Failed;
            child.reason = "Not a file name of this folder";
        }
        children.push_back(std::move(child));
    }
    InternetCloseHandle(find);
    if (const std::optional<std::string> above = folderListedAbove(item.source, children)) {
        reportFolder(item.source, QStringLiteral("read"),
                     QStringLiteral("It lists the same as the folder above it, ") +
                         QString::fromStdString(*above) + QStringLiteral(": a link back to it?"));
        return failItem(index, "A link back to " + *above);
    }
    for (TransferItem& child : children)
        addItem(std::move(child));
    return ItemEnd::Done;
}
