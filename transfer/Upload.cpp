#include "session/FtpSession.h"
#include "toolkit/SizeText.h"
#include "toolkit/WindowLayer.h"
#include "transfer/ChunkPump.h"
#include "transfer/LocalFileReader.h"
#include "transfer/TransferDisplay.h"
#include "transfer/Transfers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QScopeGuard>
#include <algorithm>

namespace {

constexpr std::int64_t ChunkSize = 1024;

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
    TransferRunning = true;
    const auto running = qScopeGuard([this] { TransferRunning = false; });

    m_view.Label9->setText(QStringLiteral("Bytes Sent:"));
    BuildUploadQueue();
    RunQueueWithPanel(&Transfers::UploadQueue);
    m_panes.refreshRemote();
    LoadNormalButtonImages();
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

bool Transfers::sendFile(const QueuedFile& file, const std::string& localDir, TransferDisplay& display,
                         std::int64_t& sent) {
    CurrentTransferType = TransferTypeForMode(SelectedTransferMode(), file.name);
    // Opened before STOR: a local file that is gone or unreadable must not empty the server's copy.
    LocalFileReader local;
    if (!local.open(localDir + file.name)) {
        EndTransfer();
        return false;
    }
    // The bare name: the file is created in the server's current directory.
    TransferHandle = FtpOpenFileA(FtpSession.hConnect, file.name.c_str(), GENERIC_WRITE,
                                  static_cast<std::uint32_t>(CurrentTransferType), 0);
    if (TransferHandle == 0) {
        local.close();
        MsgBox(QStringLiteral("Request Failed!"), vbOKOnly | vbExclamation);
        EndTransfer();
        return false;
    }
    char buffer[ChunkSize];
    ChunkPump pump;
    const std::int64_t length = local.length();
    std::int64_t position = 0;
    QElapsedTimer clock;
    clock.start();
    // An empty file is still sent as one write of 0 bytes.
    do {
        if (CancelRequested) {
            CancelRequested = false;
            return false;
        }
        const std::int64_t count = std::min(ChunkSize, length - position);
        if (local.read(buffer, static_cast<std::size_t>(count)) != count) {
            // The file shrank or cannot be read any more.
            abandonUpload(local, QString());
            return false;
        }
        std::uint32_t written = 0;
        if (!InternetWriteFile(TransferHandle, buffer, static_cast<std::uint32_t>(count), &written)) {
            abandonUpload(local, QStringLiteral("Error!"));
            return false;
        }
        position += count; // at most the file's length
        sent = AddBytes(sent, count);
        display.chunk(position, sent, clock.elapsed());
        pump.afterChunk(position >= length);
    } while (position < length);

    local.close();
    const FileEnd end = CloseTransferFile(display);
    if (end == FileEnd::Cancelled)
        return false;
    // A file the server refused at its end is not a completed transfer.
    if (end != FileEnd::Complete) {
        abandonUpload(local, QStringLiteral("Error!"));
        return false;
    }
    return true;
}

void Transfers::UploadQueue() {
    m_window.skipNextResize();
    std::int64_t total = 0;
    const std::vector<QueuedFile> queue = BeginQueue(total);
    std::int64_t sent = 0;
    TransferDisplay display(m_view, total);
    m_view.Label11->setText(QString::fromStdString(KilobyteText(total, 1024, 1, " Kb")));
    const std::string localDir = m_panes.localDir();

    for (std::size_t i = 0; i < queue.size(); ++i) {
        display.startFile(QStringLiteral("Uploading file: ") + QString::fromStdString(queue[i].name),
                          static_cast<int>(i + 1), queue[i].size);
        if (!sendFile(queue[i], localDir, display, sent))
            return;
    }
    MsgBox(QStringLiteral("Data transfer completed."), vbOKOnly | vbInformation);
    EndTransfer();
}
