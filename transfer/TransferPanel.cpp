#include "app/frmMain.h"
#include "toolkit/StatusBar.h"
#include "toolkit/WindowLayer.h"
#include "transfer/StopResize.h"
#include "transfer/TempFileWriter.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <cmath>
#include <initializer_list>

void frmMain::ShowTransferPanel() {
    for (QWidget* control :
         std::initializer_list<QWidget*>{ProgressBar2, Label5, Label8, Label9, Label10, Label11, Label12,
                                         Label13, Label14, Label15, Label16, lbSpeed, cmdCancel})
        control->setVisible(true);
}

void frmMain::HideTransferPanel() {
    for (QWidget* control :
         std::initializer_list<QWidget*>{ProgressBar1, ProgressBar2, Label5, Label8, Label9, Label10, Label11,
                                         Label12, Label13, Label14, Label15, Label16, lbSpeed})
        control->setVisible(false);
    StatusBar1->SetPanelText(3, QString());
    cmdCancel->setVisible(false);
    List1->clear();
    List2->clear();
}

void frmMain::PinWindowSize() {
    if (StopResize.HookInstalled)
        return;
    StopResize.MinTrackWidth = StopResize.MaxTrackWidth =
        static_cast<std::int32_t>(std::llround(FormWidth()) / TwipsPerPixelX);
    StopResize.MinTrackHeight = StopResize.MaxTrackHeight =
        static_cast<std::int32_t>(std::llround(FormHeight()) / TwipsPerPixelY);
    InstallSizeHook(this);
}

void frmMain::ReleaseWindowSize() {
    RemoveSizeHook(this);
}

void frmMain::EndTransfer() {
    HideTransferPanel();
    ReleaseWindowSize();
}

void frmMain::cmdCancel_Click() {
    if (MsgBox(QStringLiteral("Are you sure you want to cancel file transfer?"), vbYesNo | vbQuestion,
               QStringLiteral("Cancel Transfer")) != vbYes)
        return;
    AbandonTransfer();
    HideTransferPanel();
    ReleaseWindowSize();
}

void frmMain::AbandonTransfer() {
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

void frmMain::RunQueueWithPanel(void (frmMain::*queue)()) {
    // The state is read once: the layout undone is the one that was shown.
    const bool maximized = isMaximized();
    if (maximized)
        ShowPanelMaximized();
    else
        ShowPanelNormal();
    QThread::msleep(200);
    (this->*queue)();
    if (maximized)
        HidePanelMaximized();
    else
        HidePanelNormal();
}
