// Every text the windows show fits its control (ctest runs this once more with QT_SCALE_FACTOR=2).
#include "app/frmMain.h"
#include "commandline/frmCommands.h"
#include "help/frmAbout.h"
#include "profiles/frmConnect.h"
#include "tests/support/MainWindowHarness.h"
#include "toolkit/ListView.h"
#include "transfer/TransferDisplay.h"
#include "transfer/Transfers.h"

#include <QtTest>
#include <QtWidgets>

namespace {
// "name: text" for every visible text control whose text is wider than the room its style leaves.
QStringList CutTexts(QWidget* window) {
    QStringList cut;
    const auto check = [&cut](QWidget* widget, const QString& text, int room) {
        if (widget->fontMetrics().horizontalAdvance(text) > room)
            cut << widget->objectName() + ": " + text;
    };
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window))
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget)) // a picture box names the caption it paints
            check(label, label->text().isEmpty() ? label->accessibleName() : label->text(),
                  label->contentsRect().width() - 2 * label->margin());
        else if (auto* tool = qobject_cast<QToolButton*>(widget)) // a caption under an image
            check(tool, tool->text(),
                  tool->width() - 2 * tool->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
        else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const auto contents = qobject_cast<QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                  : qobject_cast<QCheckBox*>(button)  ? QStyle::SE_CheckBoxContents
                                                                      : QStyle::SE_PushButtonContents;
            check(button, button->text(), button->style()->subElementRect(contents, &option, button).width());
        } else if (auto* header = qobject_cast<QHeaderView*>(widget)) {
            for (int section = 0; section < header->count(); ++section) {
                QStyleOptionHeader option;
                option.initFrom(header);
                option.text = header->model()->headerData(section, Qt::Horizontal).toString();
                option.sortIndicator = QStyleOptionHeader::SortDown; // room for it, shown or not
                if (!header->isSectionHidden(section) &&
                    header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, {}, header).width() >
                        header->sectionSize(section))
                    cut << header->parent()->objectName() + " column: " + option.text;
            }
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
             {"start-up", "transfer", "transfer maximised", "connect", "connect SFTP", "commands", "about"})
            QTest::newRow(window) << QString(window);
    }
    void everyTextFits() {
        QFETCH(QString, window);
        MainWindowHarness harness;
        frmMain& form = harness.form();
        std::unique_ptr<QWidget> dialog;
        if (window.startsWith("connect")) {
            auto connectDialog = std::make_unique<frmConnect>(std::function<void()>{});
            connectDialog->optSFTP->setChecked(window.endsWith("SFTP"));
            dialog = std::move(connectDialog);
        } else if (window == "about")
            dialog = std::make_unique<frmAbout>();
        QWidget* shown = dialog                 ? dialog.get()
                         : window == "commands" ? static_cast<QWidget*>(form.Commands)
                                                : &form;
        if (window.startsWith("transfer")) { // a 3 GiB queue at loopback speed: the widest numbers
            const qint64 queue = 3LL << 30;
            form.transfers().BuildTransferQueue(
                {{.source = "setup.iso", .target = "setup.iso", .size = queue}});
            if (window.endsWith("maximised")) {
                form.showMaximized();
                QTRY_VERIFY(form.isMaximized());
                form.ShowPanelMaximized();
            } else {
                form.ShowPanelNormal();
            }
            TransferDisplay display(form.transfers().view(), queue);
            display.startFile("Downloading File: setup.iso", 12, queue);
            display.chunk(queue, queue, 1500);
        }
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        QCoreApplication::processEvents(); // lays out what the new texts changed
        shown->grab();                     // polishes every control
        const QStringList cut = CutTexts(shown);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
    }
};

QTEST_MAIN(TextFitTest)
#include "TextFit_test.moc"
