#include "transfer/QueueView.h"

#include "toolkit/WindowLayer.h"
#include "transfer/QueueModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShortcut>
#include <QTreeView>
#include <QVBoxLayout>

QueueView::QueueView(TransferQueue& queue, std::function<void()> retryFailed, std::function<bool()> running,
                     QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(new QueueModel(queue, this)),
      m_retryFailed(std::move(retryFailed)), m_running(std::move(running)) {
    setObjectName(QStringLiteral("QueueView"));
    setWindowTitle(QStringLiteral("Transfer Queue"));
    lstQueue = new QTreeView(this);
    lstQueue->setObjectName(QStringLiteral("lstQueue"));
    lstQueue->setModel(m_model);
    lstQueue->setRootIsDecorated(false);
    lstQueue->setItemsExpandable(false);
    // Thousands of rows: the view must not measure each one.
    lstQueue->setUniformRowHeights(true);
    lstQueue->setSelectionBehavior(QAbstractItemView::SelectRows);
    const int widths[] = {2400, 1000, 1100, 900, 2800}; // twips
    for (int column = 0; column < QueueModel::ColumnCount; ++column)
        lstQueue->setColumnWidth(column, PixelsX(widths[column]));
    cmdRetryFailed = new QPushButton(QStringLiteral("&Retry failed"), this);
    cmdRetryFailed->setObjectName(QStringLiteral("cmdRetryFailed"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdRetryFailed);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstQueue);
    layout->addLayout(buttons);
    resize(PixelsX(8700), PixelsY(4500));

    connect(cmdRetryFailed, &QPushButton::clicked, this, [this] {
        if (m_retryFailed && !(m_running && m_running()))
            m_retryFailed();
        UpdateRetryButton();
    });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &QueueView::UpdateRetryButton);
    connect(m_model, &QAbstractItemModel::modelReset, this, &QueueView::UpdateRetryButton);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &QueueView::UpdateRetryButton);
    // Like the program's dialogs, the window goes with Escape (it stays made, and keeps following).
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    UpdateRetryButton();
}

void QueueView::UpdateRetryButton() {
    cmdRetryFailed->setEnabled(m_model->FailedCount() > 0 && !(m_running && m_running()));
}
