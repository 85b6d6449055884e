#include "local/LocalFileSystem.h"
#include "session/FtpSession.h"
#include "toolkit/WindowLayer.h"
#include "transfer/ChunkPump.h"
#include "transfer/FileTimes.h"
#include "transfer/LocalFileReader.h"
#include "transfer/TransferDisplay.h"
#include "transfer/Transfers.h"

#include <QElapsedTimer>
#include <QLabel>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

constexpr std::int64_t ChunkSize = ChunkPump::ChunkBytes;

std::string folderOf(const std::string& path) {
    return path.substr(0, path.rfind('/') + 1);
}

} // namespace

void Transfers::Picture2_Click() {
    if (TransferRunning)
        return;
    if (!m_panes.takeLocalPick()) {
        MsgBox(QStringLiteral("Failed"), vbOKOnly);
        return;
    }
    if (m_panes.remoteDir().empty() || m_panes.selectedLocal().empty())
        return;
    BuildUploadQueue();
    runBuiltQueue(TransferDirection::Upload);
}

// Ends the upload after a failure: the message (if any), both files closed, the panel gone. The
// remote file is aborted, not closed in order, so the server does not take it for a whole file.
void Transfers::abandonUpload(LocalFileReader& local, const QString& message) {
    if (!message.isEmpty())
        MsgBox(message, vbOKOnly | vbExclamation);
    local.close();
    if (TransferHandle != 0) {
        InternetAbortFile(TransferHandle);
        TransferHandle = 0;
    }
    EndTransfer();
}

Transfers::ItemEnd Transfers::uploadFile(std::size_t index) {
    const TransferItem item = m_queue.items()[index];
    const std::string name = LastPathName(item.target), folder = folderOf(item.target);
    const int type = TransferTypeForMode(SelectedTransferMode(), name);
    CurrentTransferType = type;
    const bool binary = type == static_cast<int>(FTP_TRANSFER_TYPE_BINARY);
    // Opened before STOR: a local file that is gone or unreadable must not empty the server's copy.
    LocalFileReader local;
    if (!local.open(item.source))
        return failItem(index, "The local file cannot be read");

    // The panel names the file while its target is looked at (and the user may be asked about it).
    m_display->startFile(QStringLiteral("Uploading file: ") + QString::fromStdString(name), m_fileNumber,
                         local.length());
    const std::optional<std::string> retry = std::exchange(m_retryTarget, std::nullopt);
    std::string target = retry.value_or(item.target);
    bool resume = retry.has_value();
    if (!retry) {
        const std::map<std::string, ListedEntry>& listed = remoteFolder(folder);
        const auto there = listed.find(name);
        if (there != listed.end() && !there->second.folder) {
            const FileFacts source{local.length(), item.modified};
            const std::optional<ExistsAction> action =
                existingAction(name, source, there->second.facts, binary);
            if (!action)
                return failItem(index, "Cancelled", ItemEnd::Stop);
            if (*action == ExistsAction::Skip)
                return ItemEnd::Skipped;
            if (*action == ExistsAction::KeepBoth)
                target = folder + KeepBothName(name, [&](const std::string& candidate) {
                             return listed.count(candidate) != 0;
                         });
            resume = *action == ExistsAction::Resume;
        }
    }
    // Continued from the server's own size of the file, never from a listing's.
    std::int64_t offset = 0;
    if (resume && binary) {
        std::int64_t size = -1;
        FILETIME time{0, 0};
        if (FtpGetFileInfoA(FtpSession.hConnect, target.c_str(), &size, &time) && size > 0 &&
            size < local.length() && local.seek(size))
            offset = size;
    }
    if (offset > 0) {
        TransferHandle = FtpOpenFileFromA(FtpSession.hConnect, target.c_str(), GENERIC_WRITE,
                                          static_cast<std::uint32_t>(type), offset);
        // A server that cannot continue the file takes it whole.
        if (TransferHandle == 0 && !sessionDropped() && local.seek(0))
            offset = 0;
    }
    if (offset == 0)
        TransferHandle = FtpOpenFileA(FtpSession.hConnect, target.c_str(), GENERIC_WRITE,
                                      static_cast<std::uint32_t>(type), 0);
    if (TransferHandle == 0) {
        local.close();
        return refuseItem(index, name, target);
    }
    TransferItem placed = item;
    placed.target = target;
    return sendFile(index, placed, local, offset);
}

Transfers::ItemEnd Transfers::sendFile(std::size_t index, const TransferItem& item, LocalFileReader& local,
                                       std::int64_t offset) {
    const std::string name = LastPathName(item.target);
    const auto failed = [&](const QString& message) {
        // The abort reads the server's answer: only then does a dropped session show.
        local.close();
        if (TransferHandle != 0)
            InternetAbortFile(TransferHandle);
        TransferHandle = 0;
        if (!sessionDropped() && !InternetLastResponseText().empty()) {
            abandonUpload(local, message);
            return failItem(index, message.toStdString(), ItemEnd::Stop);
        }
        m_retryTarget = item.target;
        return restoreSession(index, name);
    };
    m_display->startFile(QStringLiteral("Uploading file: ") + QString::fromStdString(name), m_fileNumber,
                         local.length(), offset);
    std::vector<char> buffer(static_cast<std::size_t>(ChunkSize));
    ChunkPump pump;
    const std::int64_t length = local.length();
    std::int64_t position = offset;
    QElapsedTimer clock;
    clock.start();
    // An empty file is still sent as one write of 0 bytes.
    do {
        if (CancelRequested) {
            CancelRequested = false;
            return failItem(index, "Cancelled", ItemEnd::Stop);
        }
        const std::int64_t count = std::min(ChunkSize, length - position);
        if (local.read(buffer.data(), static_cast<std::size_t>(count)) != count) {
            // The file shrank or cannot be read any more.
            abandonUpload(local, QString());
            return failItem(index, "The local file changed while it was sent", ItemEnd::Stop);
        }
        std::uint32_t written = 0;
        if (!InternetWriteFile(TransferHandle, buffer.data(), static_cast<std::uint32_t>(count), &written))
            return failed(QStringLiteral("Error!"));
        position += count; // at most the file's length
        m_display->chunk(position, AddBytes(m_bytesBeforeFile, position), clock.elapsed());
        pump.afterChunk(position >= length);
    } while (position < length);

    local.close();
    const FileEnd end = CloseTransferFile(*m_display);
    if (end == FileEnd::Cancelled)
        return failItem(index, "Cancelled", ItemEnd::Stop);
    // A file the server refused at its end is not a completed transfer.
    if (end != FileEnd::Complete)
        return failed(QStringLiteral("Error!"));
    m_movedBytes = AddBytes(m_bytesBeforeFile, length);
    if (m_options.keepTimes && item.modified) {
        const FILETIME time = FileTimeFromUnixSeconds(*item.modified);
        (void)FtpSetFileTimeA(FtpSession.hConnect, item.target.c_str(), &time); // not every server can
    }
    const auto listed = m_remoteFolders.find(folderOf(item.target));
    if (listed != m_remoteFolders.end())
        listed->second[name] = {{length, item.modified}, false};
    return ItemEnd::Done;
}

Transfers::ItemEnd Transfers::readLocalFolder(std::size_t index) {
    const TransferItem item = m_queue.items()[index];
    m_view.Label5->setText(QStringLiteral("Reading folder: ") + QString::fromStdString(item.source));
    DoEvents();
    // The server's folder is made unless its parent lists it already.
    const std::map<std::string, ListedEntry>& parent = remoteFolder(folderOf(item.target));
    const auto there = parent.find(LastPathName(item.target));
    if (there == parent.end() || !there->second.folder) {
        if (!FtpCreateDirectoryA(FtpSession.hConnect, item.target.c_str())) {
            const std::string reply = InternetLastResponseText();
            if (reply.empty() && sessionDropped())
                return restoreSession(index, LastPathName(item.source));
            reportFolder(item.target, QStringLiteral("created"), QString::fromStdString(reply));
            return failItem(index, reply);
        }
        m_remoteFolders[item.target + "/"]; // new, so known to be empty
    }
    DIR* folder = ::opendir(item.source.c_str());
    if (!folder) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        reportFolder(item.source, QStringLiteral("read"), why);
        return failItem(index, why.toStdString());
    }
    std::vector<TransferItem> children;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = JoinPath(item.source, name);
        struct stat facts {};
        if (::lstat(path.c_str(), &facts) != 0)
            continue;
        // A link to a folder is not followed: it could lead back up the tree. A link to a file is sent
        // as that file.
        if (S_ISLNK(facts.st_mode) && (::stat(path.c_str(), &facts) != 0 || S_ISDIR(facts.st_mode)))
            continue;
        if (!S_ISDIR(facts.st_mode) && !S_ISREG(facts.st_mode))
            continue;
        const bool isFolder = S_ISDIR(facts.st_mode);
        children.push_back({.direction = TransferDirection::Upload,
                            .source = path,
                            .target = JoinPath(item.target, name),
                            .size = isFolder ? 0 : facts.st_size,
                            .modified = facts.st_mtime,
                            .folder = isFolder});
    }
    ::closedir(folder);
    std::sort(children.begin(), children.end(),
              [](const TransferItem& a, const TransferItem& b) { return a.source < b.source; });
    for (TransferItem& child : children)
        addItem(std::move(child));
    return ItemEnd::Done;
}
