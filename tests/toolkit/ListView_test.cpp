// The list behind every pane: a row's columns kept in one buffer, a stable case-blind sort that the
// selection and the current row follow, sizes and dates sorted by value, rows handed whole from
// one list to another, and drags started from the rows of both lists.
#include "tests/support/MainWindowHarness.h"
#include "toolkit/DirListBox.h"
#include "toolkit/ListView.h"

#include <QtTest>

class ListViewTest : public QObject {
    Q_OBJECT
    static QString texts(const ListView& list) { return MainWindowHarness::RowTexts(&list).join(' '); }

private slots:
    void columns_data() {
        QTest::addColumn<QString>("edits");   // column=text, in order
        QTest::addColumn<QString>("columns"); // the four columns afterwards
        QTest::newRow("in order") << "0=name.txt,1=12 Kb,2=01/02/2024,3=12288"
                                  << "name.txt|12 Kb|01/02/2024|12288";
        QTest::newRow("last first") << "3=7,0=a"
                                    << "a|||7";
        QTest::newRow("middle grows, then empties") << "0=a,1=b,2=c,3=d,1=longer b,1="
                                                    << "a||c|d";
        QTest::newRow("text emptied and set again") << "0=a,3=d,0=,0=new,2=x"
                                                    << "new||x|d";
    }
    void columns() {
        QFETCH(QString, edits);
        QFETCH(QString, columns);
        ListItem item;
        for (const QString& edit : edits.split(','))
            item.SetColumn(edit.section('=', 0, 0).toInt(), edit.section('=', 1));
        QStringList got;
        for (int column = 0; column < ListItem::ColumnCount; ++column)
            got << item.Column(column).toString();
        QCOMPARE(got.join('|'), columns);
    }

    void sortKeepsSelectionAndOrderOfEqualRows() {
        ListView list;
        list.SetMultiSelect(true);
        QList<ListItem*> rows;
        for (const QString& name : QStringList{"b", "A", "c", "a", "B"})
            rows << ListView::NewRow(name);
        list.AddRows(rows);
        list.SetSelectedItem(rows[3]);
        ListView::SetSelected(rows[2], true);
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            list.SetSortOrder(order);
            list.SetSorted(true);
            QCOMPARE(texts(list), order == Qt::AscendingOrder ? "A a b B c" : "c b B A a");
            QCOMPARE(list.SelectedItem(), rows[3]);
            for (ListItem* row : rows) {
                QCOMPARE(list.Item(list.IndexOf(row)), row);
                QCOMPARE(ListView::Selected(row), row == rows[2] || row == rows[3]);
            }
        }
        list.Insert(1, QStringLiteral("ab"));
        QCOMPARE(texts(list), "c b B ab A a");
        QCOMPARE(list.Item(list.IndexOf(rows[3])), rows[3]);
    }

    void sortsByValue_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("rows");      // text=value;...  (a row without "=" has no value)
        QTest::addColumn<QString>("ascending"); // the texts afterwards
        QTest::newRow("sizes") << 1 << "10 Kb=10240;9 Kb=9216;1,000 Kb=1024000;2 Kb=2048"
                               << "2 Kb;9 Kb;10 Kb;1,000 Kb";
        QTest::newRow("dates") << 2
                               << "1/2/2024=1704153600;12/31/2023 9:00:00 PM=1704056400;6/1/2023=1685577600"
                               << "6/1/2023;12/31/2023 9:00:00 PM;1/2/2024";
        QTest::newRow("rows without a value first") << 1 << "10 Kb=10240;folder;9 Kb=9216"
                                                    << "folder;9 Kb;10 Kb";
    }
    void sortsByValue() {
        QFETCH(int, column);
        QFETCH(QString, rows);
        QFETCH(QString, ascending);
        ListView list;
        QList<ListItem*> items;
        for (const QString& row : rows.split(';')) {
            items << ListView::NewRow(QString());
            ListView::SetSubItem(items.last(), column, row.section('=', 0, 0));
            if (row.contains('='))
                ListView::SetSortValue(items.last(), column, row.section('=', 1).toLongLong());
        }
        list.AddRows(items);
        list.SetSortKey(column);
        list.SetSorted(true);
        QCOMPARE(MainWindowHarness::RowTexts(&list, column).join(';'), ascending);
        list.SetSortOrder(Qt::DescendingOrder);
        QStringList descending = ascending.split(';');
        std::reverse(descending.begin(), descending.end());
        QCOMPARE(MainWindowHarness::RowTexts(&list, column), descending);
    }

    void rowsMoveToAnotherList() {
        ListView from, to;
        from.SetSorted(true);
        from.AddRows({ListView::NewRow("z"), ListView::NewRow("y")});
        const QList<ListItem*> rows = from.TakeRows();
        QCOMPARE(from.Count(), 0);
        QCOMPARE(from.IndexOf(rows[0]), 0);
        to.Add(QStringLiteral(".."));
        to.AddRows(rows);
        QCOMPARE(texts(to), ".. y z");
        ListView::SetSelected(rows[1], true);
        ListView::SetText(rows[1], QStringLiteral("renamed"));
        QVERIFY(ListView::Selected(rows[1]));
        QCOMPARE(ListView::Text(to.Item(3)), "renamed");
    }

    // Pressing a row and moving away asks the hook for the drag's data (none given: no drag runs).
    void dragStartsFromARow_data() {
        QTest::addColumn<bool>("folderTree");
        QTest::newRow("file list") << false;
        QTest::newRow("folder tree") << true;
    }
    void dragStartsFromARow() {
        QFETCH(bool, folderTree);
        int asked = 0;
        DragDropHooks hooks;
        hooks.dragData = [&] { return ++asked, nullptr; };
        ListView files;
        DirListBox folders;
        QAbstractItemView* view = &files;
        if (folderTree) {
            folders.addItems({"/", "  home"});
            folders.SetDragDropHooks(hooks);
            view = &folders;
        } else {
            files.SetMultiSelect(true);
            files.AddRows({ListView::NewRow("a"), ListView::NewRow("b")});
            files.SetDragDropHooks(hooks);
        }
        view->resize(200, 200);
        view->show();
        const QPoint row = view->visualRect(view->model()->index(1, 0)).center();
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, row);
        for (const int step : {10, 40}) {
            QMouseEvent move(QEvent::MouseMove, row + QPoint(step, step), view->viewport()->mapToGlobal(row),
                             Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(view->viewport(), &move);
        }
        QCOMPARE(asked, 1);
    }
};

QTEST_MAIN(ListViewTest)
#include "ListView_test.moc"
