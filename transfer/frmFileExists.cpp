#include "transfer/frmFileExists.h"

#include "toolkit/WindowLayer.h"

#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace {

ExistsAsker g_answerer;

QString FactsText(const FileFacts& facts) {
    const QLocale locale;
    QString text = locale.toString(static_cast<qint64>(facts.size)) + QStringLiteral(" bytes");
    if (facts.modified)
        text += QStringLiteral(", ") +
                locale.toString(QDateTime::fromSecsSinceEpoch(*facts.modified).toLocalTime(),
                                QLocale::ShortFormat);
    return text;
}

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Names and dates come from the server and the disk: never markup.
QLabel* plainLabel(const QString& text, QWidget* parent, const char* name) {
    auto* label = named(new QLabel(text, parent), name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

frmFileExists::frmFileExists(const ExistsQuestion& question, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFileExists"));
    setWindowTitle(QStringLiteral("File Exists"));
    lblName = plainLabel(QString::fromUtf8(question.name), this, "lblName");
    QFont bold = lblName->font();
    bold.setBold(true);
    lblName->setFont(bold);
    lblExisting = plainLabel(FactsText(question.target), this, "lblExisting");
    lblNew = plainLabel(FactsText(question.source), this, "lblNew");
    chkSameForRest = named(new QCheckBox(QStringLiteral("&Do the same for the rest of this transfer"), this),
                           "chkSameForRest");
    cmdReplace = named(new QPushButton(QStringLiteral("&Replace"), this), "cmdReplace");
    cmdResume = named(new QPushButton(QStringLiteral("Res&ume"), this), "cmdResume");
    cmdKeepBoth = named(new QPushButton(QStringLiteral("&Keep both"), this), "cmdKeepBoth");
    cmdSkip = named(new QPushButton(QStringLiteral("&Skip"), this), "cmdSkip");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdResume->setVisible(question.resumeOffered);

    auto* facts = new QGridLayout;
    facts->addWidget(new QLabel(QStringLiteral("Existing file"), this), 0, 0);
    facts->addWidget(lblExisting, 0, 1);
    facts->addWidget(new QLabel(QStringLiteral("New file"), this), 1, 0);
    facts->addWidget(lblNew, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const std::pair<QPushButton*, ExistsAction> actions[] = {{cmdReplace, ExistsAction::Replace},
                                                             {cmdResume, ExistsAction::Resume},
                                                             {cmdKeepBoth, ExistsAction::KeepBoth},
                                                             {cmdSkip, ExistsAction::Skip},
                                                             {cmdCancel, ExistsAction::Cancel}};
    for (const auto& [button, action] : actions) {
        buttons->addWidget(button);
        // Enter must not overwrite a file because a button happened to have the focus.
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, chosen = action] {
            m_action = chosen;
            accept();
        });
    }
    cmdCancel->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblName);
    layout->addLayout(facts);
    layout->addWidget(chkSameForRest);
    layout->addLayout(buttons);
    cmdCancel->setFocus();
}

ExistsAnswer frmFileExists::Answer() const {
    return {m_action, chkSameForRest->isChecked()};
}

ExistsAnswer frmFileExists::Ask(const ExistsQuestion& question, QWidget* parent) {
    if (g_answerer)
        return g_answerer(question);
    frmFileExists dialog(question, parent);
    // A transfer shows the hourglass; the question needs the normal pointer while it is open.
    const int pointer = MousePointer();
    SetMousePointer(vbDefault);
    ShowModal(&dialog);
    SetMousePointer(pointer);
    return dialog.Answer();
}

ExistsAsker frmFileExists::SetAnswerer(ExistsAsker answerer) {
    return std::exchange(g_answerer, std::move(answerer));
}
