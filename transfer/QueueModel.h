#pragma once
// The transfer queue as rows for the queue view: name, direction, size, state and the reason of a
// failure. It follows the queue's change hook row by row, so a queue of thousands stays quick.

#include "transfer/TransferQueue.h"

#include <QAbstractTableModel>
#include <functional>
#include <vector>

class QueueModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, DirectionColumn, SizeColumn, StateColumn, ReasonColumn, ColumnCount };

    // Takes the queue's change hook; a hook already set there is called first, as before.
    explicit QueueModel(TransferQueue& queue, QObject* parent = nullptr);
    ~QueueModel() override; // gives the hook back

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    std::size_t FailedCount() const { return m_failed; }

private:
    void itemChanged(std::size_t index);
    void takeState(std::size_t index);

    TransferQueue& m_queue;
    std::function<void(std::size_t)> m_previousHook;
    // The states as last shown, so that the count of failed items follows each change alone.
    std::vector<ItemState> m_states;
    std::size_t m_failed = 0;
};
