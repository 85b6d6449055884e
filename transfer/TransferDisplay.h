#pragma once
// Fills the transfer panel while a queue is moved: file caption and number, bytes so far, rate and
// both bars. Widgets are refreshed at most about 30 times a second and always at the end of a file,
// so that the 1024-byte chunk loop does not spend its time repainting.

#include "transfer/TransferProgress.h"

#include <QElapsedTimer>
#include <QString>
#include <cstdint>

struct TransferView;

class TransferDisplay {
public:
    TransferDisplay(const TransferView& view, std::int64_t queueTotal);

    // A new file: caption ("Downloading File: " + name), its number from 1 and its listed size.
    void startFile(const QString& caption, int number, std::int64_t fileSize);
    // After every chunk: the bytes of this file and of the queue so far, and the file's elapsed time.
    void chunk(std::int64_t fileBytes, std::int64_t queueBytes, std::int64_t elapsedMs);
    // The file is done: the panel shows its final values.
    void finishFile();

private:
    void refresh();

    const TransferView& m_view;
    ProgressScale m_queueScale;
    ProgressScale m_fileScale;
    float m_rate = 0;
    bool m_rateKnown = false;
    bool m_dirty = false;
    std::int64_t m_fileBytes = 0;
    std::int64_t m_queueBytes = 0;
    QElapsedTimer m_sinceRefresh;
};
