#include "toolkit/StatusBar.h"
#include "toolkit/WindowLayer.h"
#include "transfer/StopResize.h"
#include "transfer/TempFileWriter.h"
#include "transfer/Transfers.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QWidget>
#include <cmath>
#include <initializer_list>

void Transfers::ShowTransferPanel() {
    const TransferView& v = m_view;
    for (QWidget* control : std::initializer_list<QWidget*>{
             v.ProgressBar2, v.Label5, v.Label8, v.Label9, v.Label10, v.Label11, v.Label12, v.Label13,
             v.Label14, v.Label15, v.Label16, v.lbSpeed, v.cmdCancel})
        control->setVisible(true);
}

void Transfers::HideTransferPanel() {
    const TransferView& v = m_view;
    for (QWidget* control : std::initializer_list<QWidget*>{
             v.ProgressBar1, v.ProgressBar2, v.Label5, v.Label8, v.Label9, v.Label10, v.Label11, v.Label12,
             v.Label13, v.Label14, v.Label15, v.Label16, v.lbSpeed})
        control->setVisible(false);
    v.StatusBar1->SetPanelText(3, QString());
    v.cmdCancel->setVisible(false);
    // The queue itself stays for the queue view and RetryFailed until the next one starts.
    v.List1->clear();
    v.List2->clear();
}

void Transfers::PinWindowSize() {
    if (StopResize.HookInstalled)
        return;
    // The frame's size in whole twips, then back in pixels, as the window reckons its size.
    const QRect frame = m_view.window->frameGeometry();
    StopResize.MinTrackWidth = StopResize.MaxTrackWidth =
        static_cast<std::int32_t>(std::llround(TwipsX(frame.width())) / ScreenTwipsPerPixelX());
    StopResize.MinTrackHeight = StopResize.MaxTrackHeight =
        static_cast<std::int32_t>(std::llround(TwipsY(frame.height())) / ScreenTwipsPerPixelY());
    InstallSizeHook(m_view.window);
}

void Transfers::ReleaseWindowSize() {
    RemoveSizeHook(m_view.window);
}

void Transfers::EndTransfer() {
    HideTransferPanel();
    ReleaseWindowSize();
}

void Transfers::cmdCancel_Click() {
    if (MsgBox(QStringLiteral("Are you sure you want to cancel file transfer?"), vbYesNo | vbQuestion,
               QStringLiteral("Cancel Transfer")) != vbYes)
        return;
    AbandonTransfer();
    HideTransferPanel();
    ReleaseWindowSize();
}

void Transfers::AbandonTransfer() {
    if (!TransferRunning)
        return;
    // Aborted, not closed: an upload closed in order would leave the server a file that looks
    // complete. The loop makes no further call on the handle once it sees the flag.
    if (TransferHandle != 0)
        InternetAbortFile(TransferHandle);
    TransferHandle = 0;
    CancelRequested = true;
    if (DownloadFile)
        DownloadFile->discard();
}

void Transfers::RunQueueWithPanel(void (Transfers::*run)()) {
    m_window.showPanel();
    QThread::msleep(200);
    (this->*run)();
    m_window.hidePanel();
}
