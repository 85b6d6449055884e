// The queue's window follows the queue's data row by row (a reset only when the queue is cleared),
// keeps a change hook set before it, and offers "Retry failed" only for failed items while idle.
#include "transfer/QueueModel.h"
#include "transfer/QueueView.h"
#include "transfer/TransferQueue.h"

#include <QtTest>
#include <QtWidgets>

namespace {
QString Rows(const QAbstractItemModel& model) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model.columnCount(); ++column)
            cells << model.index(row, column).data().toString();
        rows << cells.join('|');
    }
    return rows.join('\n');
}
} // namespace

class QueueViewTest : public QObject {
    Q_OBJECT

private slots:
    void followsTheQueue_data() {
        QTest::addColumn<QStringList>(
            "steps"); // add <d|u> <source> <size|/>, fail <row> <reason>, run, clear
        QTest::addColumn<QString>("rows");
        QTest::addColumn<bool>("retryEnabled");
        QTest::addColumn<int>("resets");
        QTest::newRow("added") << QStringList{"add d /pub/a.txt 1234567",
                                              QString::fromLatin1("add u /home/me/caf\xE9/ /")}
                               << QString::fromUtf8("a.txt|Download|1,234,567|Waiting|\n"
                                                    "caf\xEF\xBF\xBD|Upload||Waiting|")
                               << false << 0;
        QTest::newRow("failed") << QStringList{"add d /a 1", "add d /b 2", "fail 1 550 Refused"}
                                << "a|Download|1|Waiting|\nb|Download|2|Failed|550 Refused" << true << 0;
        QTest::newRow("failed while running")
            << QStringList{"add d /a 1", "fail 0 x", "run"} << "a|Download|1|Failed|x" << false << 0;
        QTest::newRow("failed, then retried")
            << QStringList{"add d /a 1", "fail 0 x", "done 0"} << "a|Download|1|Done|" << false << 0;
        QTest::newRow("cleared") << QStringList{"add d /a 1", "fail 0 x", "clear"} << "" << false << 1;
    }
    void followsTheQueue() {
        QFETCH(QStringList, steps);
        QFETCH(QString, rows);
        QFETCH(bool, retryEnabled);
        QFETCH(int, resets);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        TransferQueue queue;
        bool running = false;
        QueueView view(queue, {}, [&] { return running; });
        QSignalSpy resetSpy(&view.model(), &QAbstractItemModel::modelReset);
        for (const QString& step : steps) {
            const QStringList word = step.split(' ');
            if (word[0] == "add") {
                TransferItem item;
                item.direction = word[1] == "d" ? TransferDirection::Download : TransferDirection::Upload;
                item.source = word[2].toLatin1().toStdString();
                item.folder = word[3] == "/";
                item.size = word[3].toLongLong();
                queue.add(item);
            } else if (word[0] == "fail" || word[0] == "done") {
                queue.setState(word[1].toUInt(), word[0] == "fail" ? ItemState::Failed : ItemState::Done,
                               word.mid(2).join(' ').toStdString());
            } else if (word[0] == "run") {
                running = true;
                view.UpdateRetryButton();
            } else {
                queue.clear();
            }
        }
        QCOMPARE(Rows(view.model()), rows);
        QCOMPARE(view.cmdRetryFailed->isEnabled(), retryEnabled);
        QCOMPARE(resetSpy.count(), resets);
    }

    // A hook set before the view is still called; the button calls RetryFailed's hook.
    void keepsTheEarlierHookAndRetries() {
        TransferQueue queue;
        int earlier = 0, retries = 0;
        queue.onChanged = [&](std::size_t) { ++earlier; };
        {
            QueueView view(
                queue, [&] { ++retries; }, [] { return false; });
            queue.add(TransferItem{});
            queue.setState(0, ItemState::Failed, "x");
            QTest::mouseClick(view.cmdRetryFailed, Qt::LeftButton);
            QCOMPARE(view.model().rowCount(), 1);
        }
        queue.clear();
        QCOMPARE(earlier, 3);
        QCOMPARE(retries, 1);
    }
};

QTEST_MAIN(QueueViewTest)
#include "QueueView_test.moc"
