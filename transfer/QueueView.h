#pragma once
// The queue's own window: every item of the transfer queue with its state and the reason of a
// failure, and "Retry failed" to run the failed ones again.

#include <QWidget>
#include <functional>

class QPushButton;
class QTreeView;
class QueueModel;
class TransferQueue;

class QueueView : public QWidget {
    Q_OBJECT
public:
    // retryFailed runs the failed items again; running tells whether a transfer runs now.
    QueueView(TransferQueue& queue, std::function<void()> retryFailed, std::function<bool()> running,
              QWidget* parent = nullptr);

    QTreeView* lstQueue = nullptr;
    QPushButton* cmdRetryFailed = nullptr;
    QueueModel& model() { return *m_model; }

    // Enabled when there are failed items and no transfer runs; the window calls it too when a run
    // starts or ends.
    void UpdateRetryButton();

private:
    QueueModel* m_model;
    std::function<void()> m_retryFailed;
    std::function<bool()> m_running;
};
