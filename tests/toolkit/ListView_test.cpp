// The list behind every pane: a row's columns kept in one buffer, a stable case-blind sort that the
// selection and the current row follow, and rows handed whole from one list to another.
#include "tests/support/MainWindowHarness.h"
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
};

QTEST_MAIN(ListViewTest)
#include "ListView_test.moc"
