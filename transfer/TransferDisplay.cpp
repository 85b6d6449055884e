#include "transfer/TransferDisplay.h"

#include "toolkit/SizeText.h"
#include "toolkit/StatusBar.h"
#include "transfer/Transfers.h"

#include <QLabel>
#include <QProgressBar>

namespace {
constexpr qint64 RefreshIntervalMs = 50;
}

TransferDisplay::TransferDisplay(const TransferView& view, std::int64_t queueTotal)
    : m_view(view), m_queueScale(queueTotal), m_queueTotal(queueTotal) {
    m_view.ProgressBar2->setRange(0, m_queueScale.maximum());
    m_view.ProgressBar2->setValue(0);
}

void TransferDisplay::setQueueTotal(std::int64_t queueTotal) {
    m_queueTotal = queueTotal;
    m_queueScale = ProgressScale(queueTotal);
    m_view.ProgressBar2->setRange(0, m_queueScale.maximum());
    m_view.ProgressBar2->setValue(m_queueScale.value(m_queueBytes));
}

void TransferDisplay::startFile(const QString& caption, int number, std::int64_t fileSize,
                                std::int64_t alreadyThere) {
    m_fileScale = ProgressScale(fileSize);
    m_fileBytes = alreadyThere;
    m_alreadyThere = alreadyThere;
    m_caption = caption;
    m_fileNumber = number;
    m_dirty = true;
    if (!m_sinceRefresh.isValid() || m_sinceRefresh.elapsed() >= RefreshIntervalMs)
        refresh();
}

void TransferDisplay::showNow() {
    if (m_dirty)
        refresh();
}

void TransferDisplay::chunk(std::int64_t fileBytes, std::int64_t queueBytes, std::int64_t elapsedMs) {
    m_fileBytes = fileBytes;
    m_queueBytes = queueBytes;
    const std::int64_t moved = fileBytes - m_alreadyThere;
    if (moved > 0 && elapsedMs != 0) {
        m_rate = NextTransferRate(m_rate, moved, elapsedMs);
        m_rateKnown = true;
    }
    m_dirty = true;
    if (!m_sinceRefresh.isValid() || m_sinceRefresh.elapsed() >= RefreshIntervalMs)
        refresh();
}

void TransferDisplay::finishFile() {
    if (m_dirty && (m_queueBytes >= m_queueTotal || !m_sinceRefresh.isValid() ||
                    m_sinceRefresh.elapsed() >= RefreshIntervalMs))
        refresh();
}

void TransferDisplay::refresh() {
    m_dirty = false;
    m_sinceRefresh.start();
    m_view.Label13->setText(m_caption);
    m_view.Label15->setText(QString::number(m_fileNumber));
    m_view.ProgressBar1->setRange(0, m_fileScale.maximum());
    m_view.Label16->setText(QString::fromStdString(KilobyteText(m_queueBytes, 1024, 1, " Kb")));
    if (m_rateKnown) {
        m_view.lbSpeed->setText(QString::fromStdString(SpeedText(m_rate)));
        m_view.StatusBar1->SetPanelText(3, QString::fromStdString(StatusRateText(m_rate)));
    }
    m_view.ProgressBar1->setValue(m_fileScale.value(m_fileBytes));
    m_view.ProgressBar2->setValue(m_queueScale.value(m_queueBytes));
}
