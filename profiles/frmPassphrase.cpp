#include "profiles/frmPassphrase.h"

#include "toolkit/WindowLayer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmPassphrase::frmPassphrase(const std::string& keyFile, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPassphrase"));
    setWindowTitle(QStringLiteral("Key Passphrase"));
    lblKeyFile = new QLabel(this);
    lblKeyFile->setObjectName(QStringLiteral("lblKeyFile"));
    lblKeyFile->setWordWrap(true);
    lblKeyFile->setTextFormat(Qt::PlainText);
    lblKeyFile->setText(QStringLiteral("Passphrase of the key %1:").arg(QString::fromStdString(keyFile)));
    txtPassphrase = new QLineEdit(this);
    txtPassphrase->setObjectName(QStringLiteral("txtPassphrase"));
    txtPassphrase->setEchoMode(QLineEdit::Password);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblKeyFile);
    layout->addWidget(txtPassphrase);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    txtPassphrase->setFocus();
}

std::optional<std::string> frmPassphrase::Ask(const std::string& keyFile) {
    frmPassphrase dialog(keyFile);
    SetMousePointer(vbDefault);
    ShowModal(&dialog);
    if (dialog.result() != QDialog::Accepted)
        return std::nullopt;
    return dialog.txtPassphrase->text().toStdString();
}
