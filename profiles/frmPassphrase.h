#pragma once
// The question for the passphrase of a private key an SFTP login offers. The answer goes to that
// login only and is never kept.

#include <QDialog>

#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class frmPassphrase : public QDialog {
    Q_OBJECT
public:
    explicit frmPassphrase(const std::string& keyFile, QWidget* parent = nullptr);

    QLabel* lblKeyFile = nullptr;
    QLineEdit* txtPassphrase = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The program's asker: the passphrase typed, or nothing when the question was cancelled.
    static std::optional<std::string> Ask(const std::string& keyFile);
};
