#include "tests/support/MainWindowHarness.h"

#include "app/DirListBox.h"
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

#include <QDir>
#include <QTest>
#include <QTimer>

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
    listLocal();
}

MainWindowHarness::~MainWindowHarness() {
    onPump({});
    InternetCloseHandle(FtpSession.hConnect);
    InternetCloseHandle(FtpSession.hInternet);
    ResetFtpSession();
    ResetRemotePane();
    m_form.reset();
}

void MainWindowHarness::connectTo(int port, const QString& user, const QString& password) {
    FtpSession.Server = "127.0.0.1";
    FtpSession.Port = port;
    FtpSession.User = user.toStdString();
    FtpSession.Password = password.toStdString();
    FtpSession.Service = 1;
    ConnectToServer(*m_form);
}

void MainWindowHarness::connectTo(const FtpTestServer& server, const QString& user, const QString& password) {
    connectTo(server.port(), user, password);
}

void MainWindowHarness::connectOk(const FtpTestServer& server, const QString& user, const QString& password,
                                  MsgBoxRecorder& messages) {
    connectTo(server, user, password);
    QVERIFY2(messages.calls().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    QVERIFY(FtpSession.hConnect != 0);
}

QStringList MainWindowHarness::localEntries() const {
    return QDir(m_local.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void MainWindowHarness::listLocal() {
    if (m_form->Dir1->Path() != m_local.path())
        m_form->Dir1->SetPath(m_local.path());
    m_form->Dir1_Change();
}

QStringList MainWindowHarness::remoteNames() const {
    return RowTexts(m_form->lstRemoteFiles);
}

int MainWindowHarness::remoteRow(const QString& name) const {
    return static_cast<int>(remoteNames().indexOf(name)) + 1;
}

void MainWindowHarness::clickRemote(const QStringList& names) {
    clickRows(m_form->lstRemoteFiles, names);
}

void MainWindowHarness::clickLocal(const QStringList& names) {
    clickRows(m_form->ListView1, names);
}

void MainWindowHarness::doubleClickRemote(const QString& name) {
    clickRows(m_form->lstRemoteFiles, {name}, true);
}

void MainWindowHarness::clickRows(ListView* list, const QStringList& names, bool doubleClick) {
    const QStringList rows = RowTexts(list);
    for (qsizetype i = 0; i < names.size(); ++i) {
        QTreeWidgetItem* item = list->Item(static_cast<int>(rows.indexOf(names[i])) + 1);
        QVERIFY2(item, qPrintable(QStringLiteral("no row ") + names[i]));
        list->scrollToItem(item);
        const QPoint centre = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, i > 0 ? Qt::ControlModifier : Qt::NoModifier,
                          centre);
        if (doubleClick)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    }
}

void MainWindowHarness::onPump(std::function<void()> callback) {
    m_pumpCallback = std::move(callback);
    if (auto* old = m_form->findChild<QTimer*>(QStringLiteral("harnessPump"))) {
        old->stop(); // it may be the timer whose pump is calling us
        old->setObjectName(QString());
        old->deleteLater();
    }
    if (!m_pumpCallback)
        return;
    auto* timer = new QTimer(m_form.get());
    timer->setObjectName(QStringLiteral("harnessPump"));
    QObject::connect(timer, &QTimer::timeout, [this] {
        // A copy: the callback may clear itself while it runs.
        if (const auto current = m_pumpCallback)
            current();
    });
    timer->start(0);
}

QStringList MainWindowHarness::RowTexts(const ListView* list, int column) {
    QStringList texts;
    for (int i = 1; i <= list->Count(); ++i)
        texts.append(column == 0 ? ListView::Text(list->Item(i)) : ListView::SubItem(list->Item(i), column));
    return texts;
}
