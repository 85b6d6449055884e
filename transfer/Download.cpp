#include "local/LocalFileSystem.h"
#include "session/FtpSession.h"
#include "toolkit/WindowLayer.h"
#include "transfer/ChunkPump.h"
#include "transfer/TempFileWriter.h"
#include "transfer/TransferDisplay.h"
#include "transfer/Transfers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// Every transfer moves its data in chunks of this size.
constexpr std::uint32_t ChunkSize = 1024;

} // namespace

void Transfers::reportDownloadError() {
    MsgBox(QStringLiteral("error"), vbOKOnly);
    if (TransferHandle != 0) {
        InternetCloseHandle(TransferHandle);
        TransferHandle = 0;
    }
    EndTransfer();
}

void Transfers::Picture1_Click() {
    if (TransferRunning || !m_panes.takeRemotePick())
        return;
    const std::vector<RemoteEntry> selected = m_panes.selectedRemote();
    if (selected.empty() ||
        std::any_of(selected.begin(), selected.end(), [](const RemoteEntry& entry) { return entry.folder; }))
        return;
    TransferRunning = true;
    const auto running = qScopeGuard([this] { TransferRunning = false; });

    BuildDownloadQueue();
    m_view.Label9->setText(QStringLiteral("Bytes Received:"));
    RunQueueWithPanel(&Transfers::DownloadQueue);
    m_panes.refreshLocal();
    DoEvents();
    LoadNormalButtonImages();
}

Transfers::FileStep Transfers::openDownload(const QueuedFile& file, const std::string& localDir,
                                            TempFileWriter& local) {
    const QString shown = QString::fromStdString(file.name);
    // The local side first: a name this folder cannot take is refused before a byte is fetched.
    // The file is streamed beside its target and replaces it only once it is complete.
    const bool validName = IsValidEntryName(file.name);
    if (!validName || !local.open(localDir + file.name)) {
        const int cause = validName ? local.error() : EINVAL;
        const bool nameOnly =
            !validName || cause == ENAMETOOLONG || cause == EINVAL || cause == EILSEQ || cause == EISDIR;
        MsgBox(QStringLiteral("error\n") + shown + QLatin1Char('\n') +
                   (validName ? QString::fromLocal8Bit(std::strerror(cause))
                              : QStringLiteral("Not a file name of this folder")),
               vbOKOnly);
        if (nameOnly)
            return FileStep::Skip;
        EndTransfer();
        return FileStep::Stop;
    }

    const std::string remotePath = m_panes.remoteDir() + file.name;
    const TransferMode mode = SelectedTransferMode();
    if (mode == TransferMode::Auto)
        TransferHandle = OpenRemoteFileAuto(file.name, remotePath);
    else
        TransferHandle = FtpOpenFileA(FtpSession.hConnect, remotePath.c_str(), GENERIC_READ,
                                      static_cast<std::uint32_t>(TransferTypeForMode(mode, file.name)), 0);
    if (TransferHandle != 0)
        return FileStep::Go;
    const std::string reply = InternetLastResponseText();
    MsgBox(QStringLiteral("Request Failed!\n") + shown + QLatin1Char('\n') +
               (reply.empty() ? QStringLiteral("The server did not answer.") : QString::fromStdString(reply)),
           vbOKOnly | vbExclamation);
    // A file the server refuses does not stop the others; a lost session does.
    if (RefusesOnlyThisFile(reply))
        return FileStep::Skip;
    EndTransfer();
    return FileStep::Stop;
}

bool Transfers::receiveFile(TempFileWriter& local, TransferDisplay& display, std::int64_t& received) {
    char buffer[ChunkSize];
    ChunkPump pump;
    std::int64_t fileBytes = 0;
    QElapsedTimer clock;
    clock.start();
    std::uint32_t got = 0;
    do {
        if (CancelRequested) {
            CancelRequested = false;
            return false;
        }
        got = 0;
        if (!InternetReadFile(TransferHandle, buffer, ChunkSize, &got) || got > ChunkSize ||
            !local.write(buffer, got)) {
            reportDownloadError();
            return false;
        }
        fileBytes = AddBytes(fileBytes, got);
        received = AddBytes(received, got);
        display.chunk(fileBytes, received, clock.elapsed());
        pump.afterChunk(got != ChunkSize);
    } while (got == ChunkSize);

    const FileEnd end = CloseTransferFile(display);
    if (end == FileEnd::Cancelled)
        return false;
    // Only a file the server gave whole replaces the local one.
    if (end != FileEnd::Complete || !local.commit()) {
        reportDownloadError();
        return false;
    }
    return true;
}

void Transfers::DownloadQueue() {
    std::int64_t total = 0;
    const std::vector<QueuedFile> queue = BeginQueue(total);
    std::int64_t received = 0;
    TransferDisplay display(m_view, total);
    // The local pane stays usable during the queue; its files still go to the folder it started in.
    const std::string localDir = m_panes.localDir();

    std::size_t skipped = 0;
    for (std::size_t i = 0; i < queue.size(); ++i) {
        display.startFile(QStringLiteral("Downloading File: ") + QString::fromStdString(queue[i].name),
                          static_cast<int>(i + 1), queue[i].size);
        TempFileWriter local;
        DownloadFile = &local;
        const auto forget = qScopeGuard([this] { DownloadFile = nullptr; });
        const FileStep step = openDownload(queue[i], localDir, local);
        if (step == FileStep::Stop)
            return;
        if (step == FileStep::Skip) {
            ++skipped;
            continue;
        }
        if (!receiveFile(local, display, received))
            return;
    }
    // Nothing arrived when every file was refused: no success to report.
    if (skipped == 0 || skipped < queue.size())
        MsgBox(QStringLiteral("Data transfer completed."), vbOKOnly | vbInformation);
    EndTransfer();
}
