#include "profiles/TrustQuestion.h"

#include "toolkit/WindowLayer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TrustQuestion::TrustQuestion(const QString& objectName, const QString& title, QWidget* parent)
    : QDialog(parent) {
    setObjectName(objectName);
    setWindowTitle(title);
    lblProblem = new QLabel(this);
    lblProblem->setObjectName(QStringLiteral("lblProblem"));
    lblProblem->setWordWrap(true);
    lblDetails = new QLabel(this);
    lblDetails->setObjectName(QStringLiteral("lblDetails"));
    lblDetails->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdTrustAlways = new QPushButton(QStringLiteral("Trust always"), this);
    cmdTrustAlways->setObjectName(QStringLiteral("cmdTrustAlways"));
    cmdTrustOnce = new QPushButton(QStringLiteral("Trust this time"), this);
    cmdTrustOnce->setObjectName(QStringLiteral("cmdTrustOnce"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter and Escape both refuse: no trust button takes Enter, even when it has the focus.
    for (QPushButton* trust : {cmdTrustAlways, cmdTrustOnce})
        trust->setAutoDefault(false);
    cmdCancel->setDefault(true);

    buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    for (QPushButton* button : {cmdTrustAlways, cmdTrustOnce, cmdCancel})
        buttonRow->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblProblem);
    layout->addWidget(lblDetails);
    layout->addLayout(buttonRow);

    connect(cmdTrustAlways, &QPushButton::clicked, this, [this] { Choose(Choice::TrustAlways); });
    connect(cmdTrustOnce, &QPushButton::clicked, this, [this] { Choose(Choice::TrustOnce); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { Choose(Choice::Refuse); });
    cmdCancel->setFocus();
}

void TrustQuestion::Choose(Choice choice) {
    m_choice = choice;
    accept();
}

TrustQuestion::Choice TrustQuestion::AskModally() {
    SetMousePointer(vbDefault);
    ShowModal(this);
    return m_choice;
}
