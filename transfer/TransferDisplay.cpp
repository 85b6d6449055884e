#include "transfer/TransferDisplay.h"

#include "app/frmMain.h"
#include "toolkit/SizeText.h"
#include "toolkit/StatusBar.h"
#include "toolkit/WindowLayer.h"
#include "transfer/ChunkPump.h"

#include <QLabel>
#include <QProgressBar>
#include <chrono>
#include <future>

namespace {
constexpr qint64 RefreshIntervalMs = 33;
}

TransferDisplay::TransferDisplay(frmMain& form, std::int64_t queueTotal)
    : m_form(form), m_queueScale(queueTotal) {
    m_form.ProgressBar2->setRange(0, m_queueScale.maximum());
    m_form.ProgressBar2->setValue(0);
}

void TransferDisplay::startFile(const QString& caption, int number, std::int64_t fileSize) {
    m_fileScale = ProgressScale(fileSize);
    m_fileBytes = 0;
    m_form.ProgressBar1->setRange(0, m_fileScale.maximum());
    m_form.ProgressBar1->setValue(0);
    m_form.Label13->setText(caption);
    m_form.Label15->setText(QString::number(number));
    m_sinceRefresh.invalidate();
}

void TransferDisplay::chunk(std::int64_t fileBytes, std::int64_t queueBytes, std::int64_t elapsedMs) {
    m_fileBytes = fileBytes;
    m_queueBytes = queueBytes;
    if (fileBytes != 0 && elapsedMs != 0) {
        m_rate = NextTransferRate(m_rate, fileBytes, elapsedMs);
        m_rateKnown = true;
    }
    m_dirty = true;
    if (!m_sinceRefresh.isValid() || m_sinceRefresh.elapsed() >= RefreshIntervalMs)
        refresh();
}

void TransferDisplay::finishFile() {
    if (m_dirty)
        refresh();
}

void TransferDisplay::refresh() {
    m_dirty = false;
    m_sinceRefresh.start();
    m_form.Label16->setText(QString::fromStdString(KilobyteText(m_queueBytes, 1024, 1, " Kb")));
    if (m_rateKnown) {
        m_form.lbSpeed->setText(QString::fromStdString(SpeedText(m_rate)));
        m_form.StatusBar1->SetPanelText(3, QString::fromStdString(StatusRateText(m_rate)));
    }
    m_form.ProgressBar1->setValue(m_fileScale.value(m_fileBytes));
    m_form.ProgressBar2->setValue(m_queueScale.value(m_queueBytes));
}

FileEnd CloseTransferFile(frmMain& form, TransferDisplay& display) {
    if (form.CancelRequested) {
        form.CancelRequested = false;
        return FileEnd::Cancelled;
    }
    display.finishFile();
    const HINTERNET handle = form.TransferHandle;
    form.TransferHandle = 0;
    // A slow server confirms an upload only when it has read the bytes still on their way, which can
    // take long: the window stays responsive meanwhile, so that Exit and Cancel work. Nothing else
    // uses the session while the transfer holds it.
    auto verdict = std::async(std::launch::async, [handle] { return InternetCloseHandle(handle); });
    while (verdict.wait_for(std::chrono::milliseconds(ChunkPump::IntervalMs)) != std::future_status::ready)
        DoEvents();
    const bool complete = verdict.get();
    if (form.CancelRequested) {
        form.CancelRequested = false;
        return FileEnd::Cancelled;
    }
    return complete ? FileEnd::Complete : FileEnd::Refused;
}
