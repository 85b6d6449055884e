#include "profiles/frmConnect.h"

#include "profiles/AppLocations.h"
#include "profiles/ConnectFields.h"
#include "profiles/ProfileStore.h"
#include "session/FtpSession.h"
#include "session/WinInetAPI.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr double kClientWidth = 5580;
constexpr double kClientHeight = 3780;

template <typename T>
T* Place(T* widget, const char* name, double left, double top, double width, double height) {
    widget->setObjectName(QString::fromLatin1(name));
    PlaceTwips(widget, left, top, width, height);
    return widget;
}

std::string Bytes(const QString& text) {
    return text.toStdString();
}

QString Text(const std::string& bytes) {
    return QString::fromStdString(bytes);
}

} // namespace

frmConnect::frmConnect(std::function<void()> connectToServer)
    : QDialog(nullptr), m_connect(std::move(connectToServer)) {
    setObjectName(QStringLiteral("frmConnect"));
    setWindowTitle(QStringLiteral(" Connect"));
    setFixedSize(PixelsX(kClientWidth), PixelsY(kClientHeight));

    lstProfile = Place(new ListView(this), "lstProfile", 120, 120, 2175, 3615);
    lstProfile->SetColumns({QStringLiteral("Profile")}, {2100});
    Label1 = Place(new QLabel(QStringLiteral("Profile:"), this), "Label1", 2400, 240, 855, 255);
    txtProfile = Place(new QLineEdit(this), "txtProfile", 3360, 120, 2175, 285);
    lblFTP = Place(new QLabel(QStringLiteral("FTP://"), this), "lblFTP", 2400, 720, 735, 255);
    txtServerLocation = Place(new QLineEdit(this), "txtServerLocation", 3360, 600, 2175, 285);
    Label3 = Place(new QLabel(QStringLiteral("Username:"), this), "Label3", 2400, 1200, 855, 255);
    txtUsername = Place(new QLineEdit(this), "txtUsername", 3360, 1080, 2175, 285);
    Label4 = Place(new QLabel(QStringLiteral("Password:"), this), "Label4", 2400, 1560, 855, 255);
    txtPassword = Place(new QLineEdit(this), "txtPassword", 3360, 1560, 2175, 285);
    txtPassword->setEchoMode(QLineEdit::Password);
    Check1 = Place(new QCheckBox(QStringLiteral("Save Password"), this), "Check1", 2400, 1920, 1455, 255);
    Check2 = Place(new QCheckBox(QStringLiteral("Anonymous"), this), "Check2", 4320, 1920, 1215, 255);
    Label5 = Place(new QLabel(QStringLiteral("Port:"), this), "Label5", 2400, 2280, 375, 255);
    txtPort = Place(new QLineEdit(QStringLiteral("21"), this), "txtPort", 3360, 2280, 975, 285);
    cboProtocol = Place(new QComboBox(this), "cboProtocol", 4440, 2280, 1095, 285);
    // In the order of ConnectProtocol.
    cboProtocol->addItems({QStringLiteral("FTP"), QStringLiteral("FTPS"), QStringLiteral("SFTP")});
    cboProtocol->setAccessibleName(QStringLiteral("Protocol"));
    Label6 = Place(new QLabel(QStringLiteral("Transfer:"), this), "Label6", 2400, 2640, 735, 255);
    Picture1 = Place(new QWidget(this), "Picture1", 3360, 2610, 2175, 270);
    optPassive =
        Place(new QRadioButton(QStringLiteral("Passive"), Picture1), "optPassive", 120, 30, 855, 195);
    optActive = Place(new QRadioButton(QStringLiteral("Active"), Picture1), "optActive", 1200, 30, 855, 195);
    Label7 = Place(new QLabel(QStringLiteral("Key file:"), this), "Label7", 2400, 2640, 855, 255);
    txtKeyFile = Place(new QLineEdit(this), "txtKeyFile", 3360, 2610, 1815, 285);
    txtKeyFile->setPlaceholderText(QStringLiteral("the usual keys"));
    cmdKeyFile = Place(new QPushButton(QStringLiteral("..."), this), "cmdKeyFile", 5235, 2610, 300, 285);
    cmdKeyFile->setAccessibleName(QStringLiteral("Browse for a key file"));
    cmdSave = Place(new QPushButton(QStringLiteral("Save"), this), "cmdSave", 2400, 3120, 975, 255);
    cmdNew = Place(new QPushButton(QStringLiteral("New"), this), "cmdNew", 3480, 3120, 975, 255);
    Command1 = Place(new QPushButton(QStringLiteral("Delete"), this), "Command1", 4560, 3120, 975, 255);
    cmdConnect = Place(new QPushButton(QStringLiteral("Connect"), this), "cmdConnect", 2640, 3480, 2655, 255);
    optFTP = Place(new QRadioButton(this), "optFTP", 3120, 480, 735, 195);
    optHTTP = Place(new QRadioButton(this), "optHTTP", 4200, 480, 615, 195);
    optFTPS = Place(new QRadioButton(this), "optFTPS", 4920, 480, 615, 195);
    optFTP->setVisible(false);
    optHTTP->setVisible(false);
    optFTPS->setVisible(false);
    optSFTP = Place(new QRadioButton(this), "optSFTP", 2400, 480, 615, 195);
    optSFTP->setVisible(false);
    Check3 = Place(new QCheckBox(QStringLiteral("FTPS (TLS)"), this), "Check3", 2400, 2895, 1455, 210);
    // Explicit groups: the hidden protocol pair must stay exclusive on its own.
    auto* protocolGroup = new QButtonGroup(this);
    protocolGroup->addButton(optFTP);
    protocolGroup->addButton(optHTTP);
    protocolGroup->addButton(optFTPS);
    protocolGroup->addButton(optSFTP);
    auto* transferGroup = new QButtonGroup(this);
    transferGroup->addButton(optPassive);
    transferGroup->addButton(optActive);
    optFTP->setChecked(true);
    optPassive->setChecked(true);
    // Enter connects from the fields and the list; on a button it presses that button.
    cmdConnect->setDefault(true);

    // The design's tab order; labels and the container take no focus.
    const QList<QWidget*> tabOrder{lstProfile,  txtProfile,  txtServerLocation,
                                   txtUsername, txtPassword, txtPort,
                                   cboProtocol, txtKeyFile,  cmdKeyFile,
                                   Check1,      Check2,      cmdSave,
                                   cmdNew,      Command1,    cmdConnect,
                                   optPassive,  optActive,   optFTP,
                                   optHTTP,     optFTPS,     Check3,
                                   optSFTP};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(lstProfile, &ListView::ItemClick, this, &frmConnect::lstProfile_ItemClick);
    connect(lstProfile, &ListView::Click, this, &frmConnect::lstProfile_Click);
    connect(Check2, &QCheckBox::toggled, this, &frmConnect::Check2_Click);
    connect(optFTP, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optFTP_Click();
    });
    connect(optHTTP, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optHTTP_Click();
    });
    connect(optFTPS, &QRadioButton::toggled, this, [this](bool on) {
        Check3->setChecked(on);
        if (on)
            optFTPS_Click();
    });
    connect(optSFTP, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optSFTP_Click();
    });
    connect(Check3, &QCheckBox::toggled, this, &frmConnect::Check3_Click);
    connect(cboProtocol, &QComboBox::currentIndexChanged, this, &frmConnect::cboProtocol_Click);
    connect(cmdKeyFile, &QPushButton::clicked, this, &frmConnect::cmdKeyFile_Click);
    connect(cmdNew, &QPushButton::clicked, this, &frmConnect::cmdNew_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmConnect::cmdSave_Click);
    connect(Command1, &QPushButton::clicked, this, &frmConnect::Command1_Click);
    connect(cmdConnect, &QPushButton::clicked, this, &frmConnect::cmdConnect_Click);

    ShowProtocol(ConnectProtocol::Ftp);
    Form_Load();
}

void frmConnect::Form_Load() {
    // Whole twips first, then halved with the fraction dropped.
    const auto left = static_cast<long long>(ScreenWidth() - TwipsX(width())) / 2;
    const auto top = static_cast<long long>(ScreenHeight() - TwipsY(height())) / 2;
    move(PixelsX(static_cast<double>(left)), PixelsY(static_cast<double>(top)));
    ProfilePath = ProfileFolder() + QStringLiteral("/Profile.ini");
    RefreshProfileList(true);
}

void frmConnect::RefreshProfileList(bool sayWhy) {
    lstProfile->ClearRows();
    std::string reason;
    QList<ListItem*> rows;
    for (const std::string& name : ListProfiles(QFile::encodeName(ProfilePath).toStdString(), &reason))
        rows.append(ListView::NewRow(Text(name)));
    lstProfile->AddRows(rows);
    if (sayWhy && !reason.empty())
        MsgBox(QStringLiteral("The profiles in %1 cannot be read.\n%2").arg(ProfilePath, Text(reason)),
               vbOKOnly | vbExclamation, QStringLiteral("Profile Error!"));
}

void frmConnect::ReportStoreResult(PasswordStore::Result result, const QString& name,
                                   const std::string& reason, bool removing) {
    QString text;
    if (result == PasswordStore::Result::FileNotWritten)
        text = QStringLiteral("The profile \"%1\" could not be %2 %3.")
                   .arg(name, removing ? QStringLiteral("removed from") : QStringLiteral("saved in"),
                        ProfilePath);
    else if (result == PasswordStore::Result::SecretNotRemoved)
        text = QStringLiteral("The password of profile \"%1\" could not be removed from the desktop's secret "
                              "store, and may still be kept there.")
                   .arg(name);
    else
        return;
    MsgBox(text + QLatin1Char('\n') + Text(reason), vbOKOnly | vbExclamation,
           removing ? QStringLiteral("Remove ") + name : QStringLiteral("Profile Error!"));
}

bool frmConnect::ValidateFields() {
    if (txtServerLocation->text().isEmpty()) {
        MsgBox(QStringLiteral("Please enter a location in the form of a URL or IP address!"),
               vbOKOnly | vbExclamation, QStringLiteral("Location Error!"));
        return false;
    }
    if (Check2->isChecked())
        return true;
    if (txtUsername->text().isEmpty()) {
        MsgBox(QStringLiteral("Please enter a Username!"), vbOKOnly | vbExclamation,
               QStringLiteral("Username Error!"));
        return false;
    }
    // An SFTP login may need no password: a key (the chosen one, the agent's, ~/.ssh's) can do.
    if (optSFTP->isChecked())
        return true;
    if (txtPassword->text().isEmpty()) {
        MsgBox(QStringLiteral("Please enter a Password!"), vbOKOnly | vbExclamation,
               QStringLiteral("Password Error!"));
        return false;
    }
    return true;
}

bool frmConnect::ValidatePort() {
    if (ParsePortField(Bytes(txtPort->text())))
        return true;
    MsgBox(QStringLiteral("Please enter a port number from 1 to 65535!"), vbOKOnly | vbExclamation,
           QStringLiteral("Port Error!"));
    return false;
}

void frmConnect::lstProfile_ItemClick(ListItem* item) {
    if (!item)
        return;
    const QString name = ListView::Text(item);
    SetMousePointer(vbHourglass);
    const ConnectionProfile profile =
        m_passwords.Read(QFile::encodeName(ProfilePath).toStdString(), Bytes(name));
    SetMousePointer(vbDefault);
    txtProfile->setText(name);
    const ConnectProtocol protocol = ProtocolOfProfile(profile.Protocol);
    for (auto [option, shown] : {std::pair{optFTP, ConnectProtocol::Ftp},
                                 {optFTPS, ConnectProtocol::Ftps},
                                 {optSFTP, ConnectProtocol::Sftp},
                                 {optHTTP, ConnectProtocol::Http}})
        if (shown == protocol)
            option->setChecked(true);
    txtKeyFile->setText(Text(profile.KeyFile));
    txtServerLocation->setText(Text(profile.Location));
    txtUsername->setText(Text(profile.Username));
    txtPassword->setText(Text(profile.Password));
    Check1->setChecked(!profile.Password.empty());
    // After the protocol: the stored port wins over the protocol's default.
    txtPort->setText(Text(profile.Port));
    if (profile.Transfer == "Passive")
        optPassive->setChecked(true);
    else
        optActive->setChecked(true);
}

void frmConnect::lstProfile_Click() {
    cmdConnect->setFocus();
}

void frmConnect::Check2_Click() {
    txtUsername->setText(Check2->isChecked() ? QStringLiteral("Anonymous") : QString());
    txtPassword->clear();
}

ConnectProtocol frmConnect::SelectedProtocol() const {
    return optFTPS->isChecked()   ? ConnectProtocol::Ftps
           : optSFTP->isChecked() ? ConnectProtocol::Sftp
           : optHTTP->isChecked() ? ConnectProtocol::Http
                                  : ConnectProtocol::Ftp;
}

void frmConnect::ShowProtocol(ConnectProtocol protocol) {
    static const char* const schemes[] = {"FTP://", "FTPS://", "SFTP://", "HTTP://"};
    lblFTP->setText(QString::fromLatin1(schemes[static_cast<int>(protocol)]));
    // HTTP is never offered, so the choice shows nothing for it.
    cboProtocol->setCurrentIndex(protocol == ConnectProtocol::Http ? -1 : static_cast<int>(protocol));
    Check3->setChecked(protocol == ConnectProtocol::Ftps);
    const bool sftp = protocol == ConnectProtocol::Sftp;
    for (QWidget* transferMode : {static_cast<QWidget*>(Label6), Picture1})
        transferMode->setVisible(!sftp);
    for (QWidget* key : {static_cast<QWidget*>(Label7), static_cast<QWidget*>(txtKeyFile),
                         static_cast<QWidget*>(cmdKeyFile)})
        key->setVisible(sftp);
}

void frmConnect::optFTP_Click() {
    ShowProtocol(ConnectProtocol::Ftp);
    txtPort->setText(Text(PortAfterProtocolChoice(Bytes(txtPort->text()), ConnectProtocol::Ftp)));
    FtpSession.Service = static_cast<std::int16_t>(INTERNET_SERVICE_FTP);
}

void frmConnect::optHTTP_Click() {
    ShowProtocol(ConnectProtocol::Http);
    txtPort->setText(QStringLiteral("80"));
    FtpSession.Service = static_cast<std::int16_t>(INTERNET_SERVICE_HTTP);
}

void frmConnect::optFTPS_Click() {
    ShowProtocol(ConnectProtocol::Ftps);
    txtPort->setText(Text(PortAfterProtocolChoice(Bytes(txtPort->text()), ConnectProtocol::Ftps)));
    FtpSession.Service = static_cast<std::int16_t>(INTERNET_SERVICE_FTP);
}

void frmConnect::optSFTP_Click() {
    ShowProtocol(ConnectProtocol::Sftp);
    txtPort->setText(QStringLiteral("22"));
    FtpSession.Service = static_cast<std::int16_t>(INTERNET_SERVICE_SFTP);
}

void frmConnect::cboProtocol_Click() {
    QRadioButton* const options[] = {optFTP, optFTPS, optSFTP};
    const int index = cboProtocol->currentIndex();
    if (index >= 0 && index < 3)
        options[index]->setChecked(true);
}

void frmConnect::cmdKeyFile_Click() {
    const QString home = QDir::homePath();
    const QString chosen = txtKeyFile->text();
    QFileDialog dialog(
        this, QStringLiteral("Key File"),
        chosen.isEmpty()
            ? (QDir(home + QStringLiteral("/.ssh")).exists() ? home + QStringLiteral("/.ssh") : home)
            : chosen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Key folders and keys are often dot files.
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    ShowModal(&dialog);
    if (dialog.result() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        txtKeyFile->setText(dialog.selectedFiles().constFirst());
}

void frmConnect::Check3_Click() {
    if (Check3->isChecked())
        optFTPS->setChecked(true);
    else if (optFTPS->isChecked())
        optFTP->setChecked(true);
}

void frmConnect::cmdNew_Click() {
    txtProfile->clear();
    txtServerLocation->clear();
    txtUsername->clear();
    txtPassword->clear();
    txtKeyFile->clear();
    txtPort->setText(QStringLiteral("21"));
    lblFTP->setText(QStringLiteral("FTP://"));
    optFTP->setChecked(true);
    optPassive->setChecked(true);
}

void frmConnect::cmdSave_Click() {
    if (!ValidateFields())
        return;
    const QString name = txtProfile->text();
    if (name.isEmpty()) {
        MsgBox(QStringLiteral("Please enter a profile name!"), vbOKOnly | vbExclamation,
               QStringLiteral("Profile Error!"));
        return;
    }
    if (!IsStorableProfileName(Bytes(name))) {
        MsgBox(QStringLiteral("A profile name cannot contain \"]\" or a line break!"),
               vbOKOnly | vbExclamation, QStringLiteral("Profile Error!"));
        return;
    }
    const bool keepPassword = Check1->isChecked() && !txtPassword->text().isEmpty();
    // An installed program keeps its profiles in the user's private configuration folder, which
    // the first save creates.
    const std::string path = QFile::encodeName(ProfilePath).toStdString();
    CreatePrivateFolderFor(path);
    const bool sftp = optSFTP->isChecked();
    const ConnectionProfile profile{Bytes(name),
                                    Bytes(txtServerLocation->text()),
                                    ProfileProtocolValue(SelectedProtocol()),
                                    Bytes(txtUsername->text()),
                                    keepPassword ? Bytes(txtPassword->text()) : "",
                                    Bytes(txtPort->text()),
                                    optPassive->isChecked() ? "Passive" : "Active",
                                    sftp ? Bytes(txtKeyFile->text()) : ""};
    SetMousePointer(vbHourglass);
    std::string reason;
    PasswordStore::Result result = m_passwords.Write(
        path, profile, keepPassword ? PasswordStore::Place::SecretStore : PasswordStore::Place::Nowhere,
        &reason);
    SetMousePointer(vbDefault);
    if (result == PasswordStore::Result::SecretStoreRefused) {
        const int answer = MsgBox(
            QStringLiteral(
                "The desktop's secret store is not available, so the password cannot be kept there.\n\n"
                "Save the password in Profile.ini instead, in plain text? Choose No to save the "
                "profile without the password."),
            vbYesNo | vbQuestion, QStringLiteral("Save Password"));
        result = m_passwords.Write(
            path, profile, answer == vbYes ? PasswordStore::Place::ProfileIni : PasswordStore::Place::Nowhere,
            &reason);
    }
    ReportStoreResult(result, name, reason, false);
    RefreshProfileList();
}

void frmConnect::Command1_Click() {
    ListItem* item = lstProfile->SelectedItem();
    if (!item)
        return; // no profile chosen: nothing to delete
    const QString name = ListView::Text(item);
    if (MsgBox(QStringLiteral("Are you sure you want to delete profile: ") + name + QStringLiteral("?"),
               vbYesNo | vbQuestion, QStringLiteral("Remove ") + name) == vbNo)
        return;
    SetMousePointer(vbHourglass);
    std::string reason;
    const PasswordStore::Result result =
        m_passwords.Remove(QFile::encodeName(ProfilePath).toStdString(), Bytes(name), &reason);
    SetMousePointer(vbDefault);
    ReportStoreResult(result, name, reason, true);
    RefreshProfileList();
}

void frmConnect::cmdConnect_Click() {
    SetMousePointer(vbHourglass);
    if (!ValidateFields() || !ValidatePort()) {
        SetMousePointer(vbDefault);
        return;
    }
    FtpSession.Server = Bytes(txtServerLocation->text());
    FtpSession.User = Bytes(txtUsername->text());
    FtpSession.Password = Bytes(txtPassword->text());
    FtpSession.Port = *ParsePortField(Bytes(txtPort->text()));
    const ConnectProtocol protocol = SelectedProtocol();
    FtpSession.Service =
        static_cast<std::int16_t>(protocol == ConnectProtocol::Sftp   ? INTERNET_SERVICE_SFTP
                                  : protocol == ConnectProtocol::Http ? INTERNET_SERVICE_HTTP
                                                                      : INTERNET_SERVICE_FTP);
    FtpSession.Secure = protocol == ConnectProtocol::Ftps;
    FtpSession.KeyFile = protocol == ConnectProtocol::Sftp ? Bytes(txtKeyFile->text()) : std::string();
    // Certificates and host keys trusted always are kept beside the profiles.
    SetTrustedCertificatesFile(
        QFile::encodeName(ProfileFolder() + QStringLiteral("/TrustedCertificates.ini")).toStdString());
    SetKnownHostsFile(QFile::encodeName(ProfileFolder() + QStringLiteral("/KnownHosts")).toStdString());
    if (m_connect)
        m_connect();
    SetMousePointer(vbDefault);
    accept();
}
