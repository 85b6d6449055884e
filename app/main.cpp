#include "app/frmMain.h"
#include "profiles/frmCertificate.h"
#include "profiles/frmHostKey.h"
#include "profiles/frmPassphrase.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tovo FTP"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tovo-ftp"));
    // Certificates the system does not accept are put to the user.
    SetCertificateDecider(&frmCertificate::Ask);
    // So are SFTP host keys that no known_hosts file holds, and the passphrases of keys.
    SetHostKeyDecider(&frmHostKey::Ask);
    SetPassphraseAsker(&frmPassphrase::Ask);
    frmMain form;
    form.Form_Load();
    return QApplication::exec();
}
