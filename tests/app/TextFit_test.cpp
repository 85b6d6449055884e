// Every text the windows show fits its control at the desktop's font and screen scale (ctest runs
// this once more with QT_SCALE_FACTOR=2).

#include "app/ListView.h"
#include "app/frmMain.h"
#include "commandline/frmCommands.h"
#include "help/frmAbout.h"
#include "profiles/frmConnect.h"
#include "tests/support/MainWindowHarness.h"
#include "transfer/TransferDisplay.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QtTest>

namespace {

// Room the style leaves for a control's text against the text's width, or {0, 0} for no text.
std::pair<int, int> roomAndNeed(QWidget* widget, QString& text) {
    const QFontMetrics metrics = widget->fontMetrics();
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        text = label->text().isEmpty() ? label->accessibleName() : label->text(); // or a painted caption
        return {label->contentsRect().width() - 2 * label->margin(), metrics.horizontalAdvance(text)};
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget); button && !button->text().isEmpty()) {
        text = button->text();
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        const auto element = qobject_cast<QRadioButton*>(button)  ? QStyle::SE_RadioButtonContents
                             : qobject_cast<QCheckBox*>(button)   ? QStyle::SE_CheckBoxContents
                             : qobject_cast<QPushButton*>(button) ? QStyle::SE_PushButtonContents
                                                                  : QStyle::SE_ToolButtonLayoutItem;
        if (element == QStyle::SE_ToolButtonLayoutItem) // the caption under the image, inside the frame
            return {button->width() - 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth),
                    metrics.horizontalAdvance(text)};
        return {button->style()->subElementRect(element, &option, button).width(),
                metrics.horizontalAdvance(text)};
    }
    return {0, 0};
}

QStringList cutTexts(QWidget* window) {
    QStringList cut;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window))
            continue;
        QString text;
        const auto [room, need] = roomAndNeed(widget, text);
        if (need > room)
            cut << QStringLiteral("%1 \"%2\" %3/%4 px").arg(widget->objectName(), text).arg(need).arg(room);
        auto* header = qobject_cast<QHeaderView*>(widget);
        for (int section = 0; header && section < header->count(); ++section) {
            QStyleOptionHeader option;
            option.initFrom(header);
            option.text = header->model()->headerData(section, Qt::Horizontal).toString();
            option.sortIndicator =
                header->isSortIndicatorShown() ? QStyleOptionHeader::SortDown : QStyleOptionHeader::None;
            const int needed =
                header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, {}, header).width();
            if (!header->isSectionHidden(section) && needed > header->sectionSize(section))
                cut << QStringLiteral("%1 header \"%2\"").arg(header->parent()->objectName(), option.text);
        }
    }
    return cut;
}

} // namespace

class TextFitTest : public QObject {
    Q_OBJECT
private slots:
    void everyTextFits_data() {
        QTest::addColumn<QString>("window");
        for (const char* window :
             {"start-up", "transfer", "transfer maximised", "connect", "commands", "about"})
            QTest::newRow(window) << QString::fromLatin1(window);
    }
    void everyTextFits() {
        QFETCH(QString, window);
        MainWindowHarness harness;
        frmMain& form = harness.form();
        std::unique_ptr<QWidget> dialog;
        QWidget* shown = &form;
        if (window == QLatin1String("connect"))
            shown = (dialog = std::make_unique<frmConnect>(form)).get();
        else if (window == QLatin1String("about"))
            shown = (dialog = std::make_unique<frmAbout>()).get();
        else if (window == QLatin1String("commands"))
            shown = form.Commands;
        else if (window.startsWith(QLatin1String("transfer"))) {
            // A 3 GiB queue at loopback speed: the widest numbers a transfer shows.
            const qint64 queue = 3LL << 30;
            QTreeWidgetItem* row = form.lstRemoteFiles->Add(QStringLiteral("setup.iso"), 1);
            ListView::SetSubItem(row, 3, QString::number(queue));
            ListView::SetSelected(row, true);
            form.BuildTransferQueue(form.lstRemoteFiles);
            if (window.endsWith(QLatin1String("maximised"))) {
                form.showMaximized();
                QTRY_VERIFY(form.isMaximized());
                form.ShowPanelMaximized();
            } else {
                form.ShowPanelNormal();
            }
            TransferDisplay display(form, queue);
            display.startFile(QStringLiteral("Downloading File: setup.iso"), 12, queue);
            display.chunk(queue, queue, 1500);
        }
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        QCoreApplication::processEvents(); // lays out what the new texts changed
        shown->grab();                     // polishes every control
        const QStringList cut = cutTexts(shown);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(TextFitTest)
#include "TextFit_test.moc"
