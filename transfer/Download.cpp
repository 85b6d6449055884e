#include "app/frmMain.h"
#include "local/LocalFileSystem.h"
#include "session/FtpSession.h"
#include "session/RemotePane.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"
#include "transfer/ChunkPump.h"
#include "transfer/ExtensionCompare.h"
#include "transfer/TempFileWriter.h"
#include "transfer/TransferDisplay.h"
#include "transfer/TransferQueue.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>

namespace {

// Every transfer moves its data in chunks of this size.
constexpr std::uint32_t ChunkSize = 1024;

void reportDownloadError(frmMain& form) {
    MsgBox(QStringLiteral("error"), vbOKOnly);
    if (form.TransferHandle != 0) {
        InternetCloseHandle(form.TransferHandle);
        form.TransferHandle = 0;
    }
    form.EndTransfer();
}

} // namespace

TransferMode frmMain::SelectedTransferMode() const {
    if (optAuto->isChecked())
        return TransferMode::Auto;
    return optASCII->isChecked() ? TransferMode::Ascii : TransferMode::Binary;
}

QList<QPair<QString, std::int64_t>> frmMain::BeginQueue(std::int64_t& total) {
    // A cancel confirmed after the last chunk of an earlier transfer must not stop this one.
    CancelRequested = false;
    PinWindowSize();
    QList<QPair<QString, std::int64_t>> queue;
    for (int i = 0; i < List1->count(); ++i)
        queue.append({List1->item(i)->text(),
                      i < List2->count() ? QueuedSizeFromText(List2->item(i)->text().toStdString()) : 0});
    total = QueuedSizeFromText(Label11->text().toStdString());
    return queue;
}

void frmMain::Picture1_Click() {
    if (TransferRunning || !remote().TakeItemSelected())
        return;
    ListItem* current = lstRemoteFiles->SelectedItem();
    if (!current || ListView::SmallIcon(current) == FolderIcon)
        return;
    TransferRunning = true;
    const auto running = qScopeGuard([this] { TransferRunning = false; });

    BuildTransferQueue(lstRemoteFiles);
    Label9->setText(QStringLiteral("Bytes Received:"));
    RunQueueWithPanel(&frmMain::DownloadQueue);
    Dir1_Change();
    DoEvents();
    LoadNormalButtonImages();
}

void frmMain::BuildTransferQueue(ListView* list) {
    // Folders and the parent row cannot be downloaded as files.
    const bool filesOnly = list == lstRemoteFiles;
    std::int64_t total = 0;
    int count = 0;
    for (int row = 1; row <= list->Count(); ++row) {
        ListItem* item = list->Item(row);
        if (!ListView::Selected(item))
            continue;
        if (filesOnly && !IsDownloadableRow(ListView::Text(item).toStdString(), ListView::SmallIcon(item)))
            continue;
        const std::int64_t size = QueuedSizeFromText(ListView::SubItem(item, 3).toStdString());
        total = AddBytes(total, size);
        ++count;
        List1->addItem(ListView::Text(item));
        List2->addItem(QString::number(size));
        Label8->setText(QStringLiteral("File:"));
        Label14->setText(QStringLiteral("/ ") + QString::number(count));
    }
    Label11->setText(QString::number(total));
    for (QProgressBar* bar : {ProgressBar1, ProgressBar2}) {
        bar->setMinimum(0);
        bar->setValue(0);
    }
    if (List1->count() > 1)
        ProgressBar1->setVisible(true);
    ProgressBar2->setVisible(true);
    for (QWidget* control : std::initializer_list<QWidget*>{Label5, Label8, Label9, Label10, Label11, Label13,
                                                            Label14, Label15, Label16, lbSpeed, cmdCancel})
        control->setVisible(true);
}

void frmMain::DownloadQueue() {
    std::int64_t total = 0;
    const auto queue = BeginQueue(total);
    std::int64_t received = 0;
    TransferDisplay display(*this, total);
    char buffer[ChunkSize];
    // The local pane stays usable during the queue; its files still go to the folder it started in.
    const QString localDir = LocalDir;
    ChunkPump pump;

    qsizetype skipped = 0;
    for (qsizetype i = 0; i < queue.size(); ++i) {
        const QString& name = queue[i].first;
        display.startFile(QStringLiteral("Downloading File: ") + name, static_cast<int>(i + 1),
                          queue[i].second);
        // The local side first: a name this folder cannot take is refused before a byte is fetched.
        // The file is streamed beside its target and replaces it only once it is complete.
        TempFileWriter local;
        DownloadFile = &local;
        const auto forget = qScopeGuard([this] { DownloadFile = nullptr; });
        const bool validName = IsValidEntryName(name.toStdString());
        if (!validName || !local.open(QFile::encodeName(localDir + name).toStdString())) {
            const int cause = validName ? local.error() : EINVAL;
            const bool nameOnly =
                !validName || cause == ENAMETOOLONG || cause == EINVAL || cause == EILSEQ || cause == EISDIR;
            MsgBox(QStringLiteral("error\n") + name + QLatin1Char('\n') +
                       (validName ? QString::fromLocal8Bit(std::strerror(cause))
                                  : QStringLiteral("Not a file name of this folder")),
                   vbOKOnly);
            if (!nameOnly) {
                EndTransfer();
                return;
            }
            ++skipped;
            continue;
        }

        const std::string remotePath = (remote().CurrentDir() + name).toStdString();
        const TransferMode mode = SelectedTransferMode();
        if (mode == TransferMode::Auto)
            TransferHandle = OpenRemoteFileAuto(name.toStdString(), remotePath);
        else
            TransferHandle =
                FtpOpenFileA(FtpSession.hConnect, remotePath.c_str(), GENERIC_READ,
                             static_cast<std::uint32_t>(TransferTypeForMode(mode, name.toStdString())), 0);
        if (TransferHandle == 0) {
            const std::string reply = InternetLastResponseText();
            MsgBox(QStringLiteral("Request Failed!\n") + name + QLatin1Char('\n') +
                       (reply.empty() ? QStringLiteral("The server did not answer.")
                                      : QString::fromStdString(reply)),
                   vbOKOnly | vbExclamation);
            // A file the server refuses does not stop the others; a lost session does.
            if (!RefusesOnlyThisFile(reply)) {
                EndTransfer();
                return;
            }
            ++skipped;
            continue;
        }

        std::int64_t fileBytes = 0;
        QElapsedTimer clock;
        clock.start();
        std::uint32_t got = 0;
        do {
            if (CancelRequested) {
                CancelRequested = false;
                return;
            }
            got = 0;
            if (!InternetReadFile(TransferHandle, buffer, ChunkSize, &got) || got > ChunkSize ||
                !local.write(buffer, got)) {
                reportDownloadError(*this);
                return;
            }
            fileBytes = AddBytes(fileBytes, got);
            received = AddBytes(received, got);
            display.chunk(fileBytes, received, clock.elapsed());
            pump.afterChunk(got != ChunkSize);
        } while (got == ChunkSize);

        const FileEnd end = CloseTransferFile(*this, display);
        if (end == FileEnd::Cancelled)
            return;
        // Only a file the server gave whole replaces the local one.
        if (end != FileEnd::Complete || !local.commit()) {
            reportDownloadError(*this);
            return;
        }
    }
    // Nothing arrived when every file was refused: no success to report.
    if (skipped == 0 || skipped < queue.size())
        MsgBox(QStringLiteral("Data transfer completed."), vbOKOnly | vbInformation);
    EndTransfer();
}
