#include "transfer/Transfers.h"

#include "toolkit/WindowLayer.h"
#include "transfer/ChunkPump.h"
#include "transfer/TransferDisplay.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <chrono>
#include <future>
#include <initializer_list>
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

std::vector<QueuedFile> Transfers::BeginQueue(std::int64_t& total) {
    // A cancel confirmed after the last chunk of an earlier transfer must not stop this one.
    CancelRequested = false;
    PinWindowSize();
    total = m_queue.total();
    return m_queue.files();
}

void Transfers::BuildDownloadQueue() {
    std::vector<QueuedFile> files;
    // Folders cannot be downloaded as files.
    for (RemoteEntry& entry : m_panes.selectedRemote())
        if (!entry.folder)
            files.push_back({std::move(entry.name), entry.size});
    BuildTransferQueue(files);
}

void Transfers::BuildUploadQueue() {
    std::vector<QueuedFile> files;
    for (LocalEntry& entry : m_panes.selectedLocal())
        files.push_back({std::move(entry.name), entry.size});
    BuildTransferQueue(files);
}

void Transfers::BuildTransferQueue(const std::vector<QueuedFile>& files) {
    const TransferView& v = m_view;
    for (const QueuedFile& file : files) {
        m_queue.add(file.name, file.size);
        // The window shows the names; the transfer sends and opens the bytes of the queue.
        v.List1->addItem(QString::fromStdString(file.name));
        v.List2->addItem(QString::number(file.size));
        v.Label8->setText(QStringLiteral("File:"));
        v.Label14->setText(QStringLiteral("/ ") + QString::number(m_queue.files().size()));
    }
    v.Label11->setText(QString::number(m_queue.total()));
    for (QProgressBar* bar : {v.ProgressBar1, v.ProgressBar2}) {
        bar->setMinimum(0);
        bar->setValue(0);
    }
    if (v.List1->count() > 1)
        v.ProgressBar1->setVisible(true);
    v.ProgressBar2->setVisible(true);
    for (QWidget* control :
         std::initializer_list<QWidget*>{v.Label5, v.Label8, v.Label9, v.Label10, v.Label11, v.Label13,
                                         v.Label14, v.Label15, v.Label16, v.lbSpeed, v.cmdCancel})
        control->setVisible(true);
}

FileEnd Transfers::CloseTransferFile(TransferDisplay& display) {
    if (CancelRequested) {
        CancelRequested = false;
        return FileEnd::Cancelled;
    }
    display.finishFile();
    const HINTERNET handle = TransferHandle;
    TransferHandle = 0;
    // A slow server confirms an upload only when it has read the bytes still on their way, which can
    // take long: the window stays responsive meanwhile, so that Exit and Cancel work. Nothing else
    // uses the session while the transfer holds it.
    auto verdict = std::async(std::launch::async, [handle] { return InternetCloseHandle(handle); });
    while (verdict.wait_for(std::chrono::milliseconds(ChunkPump::IntervalMs)) != std::future_status::ready)
        DoEvents();
    const bool complete = verdict.get();
    if (CancelRequested) {
        CancelRequested = false;
        return FileEnd::Cancelled;
    }
    return complete ? FileEnd::Complete : FileEnd::Refused;
}

// Not built yet.
void Transfers::DownloadEntries(const std::vector<RemoteEntry>&, const std::string&, const std::string&) {}
void Transfers::UploadPaths(const std::vector<std::string>&, const std::string&) {}
void Transfers::UploadFolder() {}
void Transfers::RetryFailed() {}
