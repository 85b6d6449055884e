#pragma once
// The connect dialog: lists, loads, saves and deletes connection profiles and hands the fields to
// the session to connect.

#include <QDialog>
#include <QString>

#include "profiles/ConnectFields.h"
#include "profiles/PasswordStore.h"

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class ListItem;
class ListView;

class frmConnect : public QDialog {
    Q_OBJECT
public:
    // The dialog has no owner window; connect is what Connect runs once the fields are handed over
    // to the session.
    explicit frmConnect(std::function<void()> connectToServer);

    ListView* lstProfile = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtProfile = nullptr;
    QLabel* lblFTP = nullptr;
    QLineEdit* txtServerLocation = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtUsername = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtPassword = nullptr;
    QCheckBox* Check1 = nullptr; // Save Password
    QCheckBox* Check2 = nullptr; // Anonymous
    QLabel* Label5 = nullptr;
    QLineEdit* txtPort = nullptr;
    QLabel* Label6 = nullptr;
    QWidget* Picture1 = nullptr;
    QRadioButton* optPassive = nullptr;
    QRadioButton* optActive = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* Command1 = nullptr; // Delete
    QPushButton* cmdConnect = nullptr;
    QRadioButton* optFTP = nullptr;
    QRadioButton* optHTTP = nullptr;
    QRadioButton* optFTPS = nullptr;  // hidden like its two siblings: FTP over explicit TLS
    QCheckBox* Check3 = nullptr;      // "FTPS (TLS)": the user's way to choose optFTPS
    QRadioButton* optSFTP = nullptr;  // hidden too: SFTP over SSH
    QComboBox* cboProtocol = nullptr; // FTP, FTPS or SFTP: chooses the hidden option button
    // SFTP's private key, in the place of the transfer options, which SFTP has no use for.
    QLabel* Label7 = nullptr;
    QLineEdit* txtKeyFile = nullptr;
    QPushButton* cmdKeyFile = nullptr; // browse

    QString ProfilePath;

    void Form_Load();
    void lstProfile_ItemClick(ListItem* item);
    void lstProfile_Click();
    void Check2_Click();
    void optFTP_Click();
    void optHTTP_Click();
    void optFTPS_Click();
    void optSFTP_Click();
    void Check3_Click();
    void cboProtocol_Click();
    void cmdKeyFile_Click();
    void cmdNew_Click();
    void cmdSave_Click();
    void Command1_Click();
    void cmdConnect_Click();

private:
    ConnectProtocol SelectedProtocol() const;
    // Shows the protocol chosen by a hidden option button in the visible controls.
    void ShowProtocol(ConnectProtocol protocol);
    bool ValidateFields();
    bool ValidatePort();
    // sayWhy: a file that cannot be read is said once, when the dialog opens.
    void RefreshProfileList(bool sayWhy = false);
    // Tells the user what went wrong with a save or a delete of the profile name, if anything did.
    void ReportStoreResult(PasswordStore::Result result, const QString& name, const std::string& reason,
                           bool removing);

    std::function<void()> m_connect;
    PasswordStore m_passwords;
};
