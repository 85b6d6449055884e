#include "tests/support/TransferFixture.h"

#include "app/DirListBox.h"
#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "session/FtpSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRandomGenerator>
#include <QtTest>

TransferFixture::TransferFixture() {
    SetAppPath(m_local.path() + QStringLiteral("/app"));
    QDir().mkpath(AppPath());
    frmMain::SetEndProcess([] {});
    SetNetworkTimeoutMs(5000);
    m_form = std::make_unique<frmMain>();
    m_form->show();
    if (!QTest::qWaitForWindowExposed(m_form.get()))
        qWarning("main window not exposed");
    m_form->NormalHeight = m_form->FormHeight();
    m_form->TwipsPerPixelX = ScreenTwipsPerPixelX();
    m_form->TwipsPerPixelY = ScreenTwipsPerPixelY();
    // The local pane lists the temporary folder, so that a transfer's own relisting keeps LocalDir there.
    m_form->Dir1->SetPath(m_local.path());
    m_form->LocalDir = localDir();
    m_form->lstRemoteFiles->SetMultiSelect(true);
    m_form->ListView1->SetMultiSelect(true);
    m_pump.setInterval(0);
    QObject::connect(&m_pump, &QTimer::timeout, [this] {
        if (m_callback)
            m_callback();
    });
}

TransferFixture::~TransferFixture() {
    m_pump.stop();
    InternetCloseHandle(FtpSession.hConnect);
    InternetCloseHandle(FtpSession.hInternet);
    ResetFtpSession();
    m_form.reset();
    SetAppPath(QString());
}

bool TransferFixture::connect(int port, const char* user, const char* password) {
    FtpSession.Server = "127.0.0.1";
    FtpSession.Port = port;
    FtpSession.User = user;
    FtpSession.Password = password;
    FtpSession.Service = 1;
    FtpSession.IsFtp = true;
    FtpSession.hInternet =
        InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, INTERNET_FLAG_NO_CACHE_WRITE);
    FtpSession.hConnect = InternetConnectA(FtpSession.hInternet, "127.0.0.1", port, user, password,
                                           INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    m_form->RemoteCurrentDir = QStringLiteral("/");
    m_form->lblDirectory->setText(QStringLiteral("/"));
    return FtpSession.hConnect != 0;
}

void TransferFixture::writeLocal(const QString& name, const QByteArray& content) const {
    QFile file(localDir() + name);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

QByteArray TransferFixture::readLocal(const QString& name) const {
    QFile file(localDir() + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TransferFixture::localExists(const QString& name) const {
    return QFileInfo::exists(localDir() + name);
}

QStringList TransferFixture::localEntries() const {
    return QDir(m_local.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

QTreeWidgetItem* TransferFixture::addRemoteRow(const QString& name, qint64 size, int icon, bool selected) {
    QTreeWidgetItem* row = m_form->lstRemoteFiles->Add(name, icon);
    ListView::SetSubItem(row, 1, QString::number(size / 1024.0, 'f', 1) + QStringLiteral("Kb"));
    ListView::SetSubItem(row, 3, QString::number(size));
    ListView::SetSelected(row, selected);
    return row;
}

QTreeWidgetItem* TransferFixture::addLocalRow(const QString& name, bool selected) {
    QTreeWidgetItem* row = m_form->ListView1->Add(name, 1);
    ListView::SetSubItem(row, 3, QString::number(QFileInfo(localDir() + name).size()));
    ListView::SetSelected(row, selected);
    return row;
}

void TransferFixture::armDownload(QTreeWidgetItem* current) {
    m_form->lstRemoteFiles->SetSelectedItem(current);
    ListView::SetSelected(current, true);
    m_form->RemoteItemSelected = true;
    m_form->LastFocus = QStringLiteral("remote");
}

void TransferFixture::armUpload(QTreeWidgetItem* current) {
    m_form->ListView1->SetSelectedItem(current);
    ListView::SetSelected(current, true);
    m_form->LocalItemSelected = true;
    m_form->SelectedLocalName = ListView::Text(current);
    m_form->LastFocus = QStringLiteral("listview1");
}

void TransferFixture::onPump(std::function<void()> callback) {
    m_callback = std::move(callback);
    if (m_callback)
        m_pump.start();
    else
        m_pump.stop();
}

QByteArray TransferFixture::RandomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(QRandomGenerator::global()->bounded(256));
    return bytes;
}
