#pragma once
// Fills the transfer panel while a queue is moved: file caption and number, bytes so far, rate and
// both bars. Widgets, the file's caption among them, are refreshed at most about 20 times a second
// and at the end of the queue, so that neither the chunk loop nor a queue of many small files
// spends its time repainting.

#include "transfer/TransferProgress.h"

#include <QElapsedTimer>
#include <QString>
#include <cstdint>

struct TransferView;

class TransferDisplay {
public:
    TransferDisplay(const TransferView& view, std::int64_t queueTotal);

    // A new file, shown with the next refresh: caption ("Downloading File: " + name), its number
    // from 1, its listed size and the bytes of it already there (a continued file), which do not
    // count for the rate.
    void startFile(const QString& caption, int number, std::int64_t fileSize, std::int64_t alreadyThere = 0);
    // After every chunk: the bytes of this file and of the queue so far, and the file's elapsed time.
    void chunk(std::int64_t fileBytes, std::int64_t queueBytes, std::int64_t elapsedMs);
    // The file is done: the panel shows its final values when a refresh is due or the queue is done.
    void finishFile();
    // Shows what is pending at once: before the user is asked about this file.
    void showNow();
    // The queue grew (a folder was read).
    void setQueueTotal(std::int64_t queueTotal);

private:
    void refresh();

    const TransferView& m_view;
    ProgressScale m_queueScale;
    std::int64_t m_queueTotal = 0;
    std::int64_t m_alreadyThere = 0;
    ProgressScale m_fileScale;
    QString m_caption;
    int m_fileNumber = 0;
    float m_rate = 0;
    bool m_rateKnown = false;
    bool m_dirty = false;
    std::int64_t m_fileBytes = 0;
    std::int64_t m_queueBytes = 0;
    QElapsedTimer m_sinceRefresh;
};
