#include "app/frmMain.h"
#include "session/FtpSession.h"
#include "session/RemotePane.h"
#include "toolkit/ListView.h"
#include "toolkit/SizeText.h"
#include "toolkit/WindowLayer.h"
#include "transfer/ChunkPump.h"
#include "transfer/ExtensionCompare.h"
#include "transfer/LocalFileReader.h"
#include "transfer/TransferDisplay.h"
#include "transfer/TransferQueue.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QScopeGuard>
#include <algorithm>

namespace {

constexpr std::int64_t ChunkSize = 1024;

// Ends the upload after a failure: the message (if any), both files closed, the panel gone. The
// remote file is aborted, not closed in order, so the server does not take it for a whole file.
void abandonUpload(frmMain& form, LocalFileReader& local, const QString& message) {
    if (!message.isEmpty())
        MsgBox(message, vbOKOnly | vbExclamation);
    local.close();
    if (form.TransferHandle != 0) {
        InternetAbortFile(form.TransferHandle);
        form.TransferHandle = 0;
    }
    form.EndTransfer();
}

} // namespace

void frmMain::Picture2_Click() {
    if (TransferRunning)
        return;
    if (!LocalItemSelected) {
        MsgBox(QStringLiteral("Failed"), vbOKOnly);
        return;
    }
    LocalItemSelected = false;
    if (lblDirectory->text().isEmpty() || SelectedLocalName.isEmpty())
        return;
    TransferRunning = true;
    const auto running = qScopeGuard([this] { TransferRunning = false; });

    Label9->setText(QStringLiteral("Bytes Sent:"));
    BuildTransferQueue(ListView1);
    RunQueueWithPanel(&frmMain::UploadQueue);
    remote().ListRemoteFiles();
    LoadNormalButtonImages();
}

void frmMain::UploadQueue() {
    SkipNextResize = true;
    std::int64_t total = 0;
    const auto queue = BeginQueue(total);
    std::int64_t sent = 0;
    TransferDisplay display(*this, total);
    Label11->setText(QString::fromStdString(KilobyteText(total, 1024, 1, " Kb")));
    char buffer[ChunkSize];
    ChunkPump pump;

    for (qsizetype i = 0; i < queue.size(); ++i) {
        const QString& name = queue[i].first;
        display.startFile(QStringLiteral("Uploading file: ") + name, static_cast<int>(i + 1),
                          queue[i].second);
        CurrentTransferType = TransferTypeForMode(SelectedTransferMode(), name.toStdString());
        // Opened before STOR: a local file that is gone or unreadable must not empty the server's copy.
        LocalFileReader local;
        if (!local.open(QFile::encodeName(LocalDir + name).toStdString())) {
            EndTransfer();
            return;
        }
        // The bare name: the file is created in the server's current directory.
        TransferHandle = FtpOpenFileA(FtpSession.hConnect, name.toStdString().c_str(), GENERIC_WRITE,
                                      static_cast<std::uint32_t>(CurrentTransferType), 0);
        if (TransferHandle == 0) {
            local.close();
            MsgBox(QStringLiteral("Request Failed!"), vbOKOnly | vbExclamation);
            EndTransfer();
            return;
        }
        const std::int64_t length = local.length();
        std::int64_t position = 0;
        QElapsedTimer clock;
        clock.start();
        // An empty file is still sent as one write of 0 bytes.
        do {
            if (CancelRequested) {
                CancelRequested = false;
                return;
            }
            const std::int64_t count = std::min(ChunkSize, length - position);
            if (local.read(buffer, static_cast<std::size_t>(count)) != count) {
                // The file shrank or cannot be read any more.
                abandonUpload(*this, local, QString());
                return;
            }
            std::uint32_t written = 0;
            if (!InternetWriteFile(TransferHandle, buffer, static_cast<std::uint32_t>(count), &written)) {
                abandonUpload(*this, local, QStringLiteral("Error!"));
                return;
            }
            position += count; // at most the file's length
            sent = AddBytes(sent, count);
            display.chunk(position, sent, clock.elapsed());
            pump.afterChunk(position >= length);
        } while (position < length);

        local.close();
        const FileEnd end = CloseTransferFile(*this, display);
        if (end == FileEnd::Cancelled)
            return;
        // A file the server refused at its end is not a completed transfer.
        if (end != FileEnd::Complete) {
            abandonUpload(*this, local, QStringLiteral("Error!"));
            return;
        }
    }
    MsgBox(QStringLiteral("Data transfer completed."), vbOKOnly | vbInformation);
    EndTransfer();
}
