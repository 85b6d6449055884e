#include "tests/support/MainWindowHarness.h"

#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "help/frmAbout.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "session/RemotePane.h"
#include "session/WinInetAPI.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MsgBoxRecorder.h"

#include <QTest>

MainWindowHarness::MainWindowHarness() {
    SetAppPath(m_appDir.path());
    SetNetworkTimeoutMs(3000);
    frmMain::SetEndProcess([] {});
    ResetFtpSession();
    ResetRemotePane();
    const ModalInterceptor previous = SetModalInterceptor([this](QWidget* form) {
        if (auto* splash = qobject_cast<frmAbout*>(form)) {
            ++m_splashes;
            splash->Timer1_Timer();
        }
    });
    m_form = std::make_unique<frmMain>();
    m_form->Form_Load();
    SetModalInterceptor(previous);
    // Focus events (which pane was used last) need the window to be the active one.
    m_form->activateWindow();
    (void)QTest::qWaitForWindowActive(m_form.get(), 2000);
}

MainWindowHarness::~MainWindowHarness() {
    InternetCloseHandle(FtpSession.hConnect);
    InternetCloseHandle(FtpSession.hInternet);
    ResetFtpSession();
    ResetRemotePane();
    m_form.reset();
}

void MainWindowHarness::connectTo(const FtpTestServer& server, const QString& user, const QString& password) {
    FtpSession.Server = "127.0.0.1";
    FtpSession.Port = server.port();
    FtpSession.User = user.toStdString();
    FtpSession.Password = password.toStdString();
    FtpSession.Service = 1;
    ConnectToServer(*m_form);
}

void MainWindowHarness::connectOk(const FtpTestServer& server, const QString& user, const QString& password,
                                  MsgBoxRecorder& messages) {
    messages.allowUnexpected(true);
    connectTo(server, user, password);
    messages.allowUnexpected(false);
    messages.clear();
    QVERIFY(FtpSession.hConnect != 0);
}

QStringList MainWindowHarness::remoteNames() const {
    QStringList names;
    for (int row = 1; row <= m_form->lstRemoteFiles->Count(); ++row)
        names.append(ListView::Text(m_form->lstRemoteFiles->Item(row)));
    return names;
}

int MainWindowHarness::remoteRow(const QString& name) const {
    return static_cast<int>(remoteNames().indexOf(name)) + 1;
}

void MainWindowHarness::doubleClickRemote(const QString& name) {
    ListView* list = m_form->lstRemoteFiles;
    QTreeWidgetItem* item = list->Item(remoteRow(name));
    QVERIFY2(item, qPrintable(QStringLiteral("no remote row ") + name));
    list->scrollToItem(item);
    const QPoint centre = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}
