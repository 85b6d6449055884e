#include "tests/support/MainWindowHarness.h"

#include "help/frmAbout.h"
#include "local/LocalPane.h"
#include "session/FtpSession.h"
#include "session/RemotePane.h"
#include "tests/support/MsgBoxRecorder.h"
#include "toolkit/DirListBox.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"

#include <QDir>
#include <QTest>
#include <QTimer>

MainWindowHarness::MainWindowHarness() {
    SetAppPath(m_appDir.path());
    SetNetworkTimeoutMs(3000);
    frmMain::SetEndProcess([] {});
    ResetFtpSession();
    const ModalInterceptor previous = SetModalInterceptor([](QWidget* form) {
        if (auto* splash = qobject_cast<frmAbout*>(form))
            splash->Timer1_Timer();
    });
    m_form = std::make_unique<frmMain>();
    m_form->Form_Load();
    SetModalInterceptor(previous);
    m_pump = new QTimer(m_form.get());
    QObject::connect(m_pump, &QTimer::timeout, [this] {
        if (const auto current = m_pumpCallback) // a copy: the callback may clear itself while it runs
            current();
    });
    // Focus events (which pane was used last) need the window to be the active one.
    m_form->activateWindow();
    (void)QTest::qWaitForWindowActive(m_form.get(), 2000);
    listLocal();
}

MainWindowHarness::~MainWindowHarness() {
    onPump({}); // the window's teardown may run the message loop
    InternetCloseHandle(FtpSession.hConnect);
    InternetCloseHandle(FtpSession.hInternet);
    ResetFtpSession();
}

void MainWindowHarness::connectTo(int port, const QString& user, const QString& password) {
    FtpSession.Server = "127.0.0.1";
    FtpSession.Port = port;
    FtpSession.User = user.toStdString();
    FtpSession.Password = password.toStdString();
    FtpSession.Service = 1;
    m_form->remote().ConnectToServer();
}

void MainWindowHarness::connectOk(const FtpTestServer& server, const QString& user, const QString& password,
                                  MsgBoxRecorder& messages) {
    connectTo(server.port(), user, password);
    QVERIFY2(messages.calls().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    QVERIFY(FtpSession.hConnect != 0);
}

QStringList MainWindowHarness::localEntries() const {
    return QDir(m_local.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void MainWindowHarness::listLocal() {
    if (m_form->Dir1->Path() != m_local.path())
        m_form->Dir1->SetPath(m_local.path());
    m_form->local().Dir1_Change();
}

void MainWindowHarness::clickRows(ListView* list, const QStringList& names, bool doubleClick) {
    const QStringList rows = RowTexts(list);
    for (qsizetype i = 0; i < names.size(); ++i) {
        ListItem* item = list->Item(int(rows.indexOf(names[i])) + 1);
        QVERIFY2(item, qPrintable(QStringLiteral("no row ") + names[i]));
        list->EnsureVisible(item);
        const QPoint centre = list->ItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, i > 0 ? Qt::ControlModifier : Qt::NoModifier,
                          centre);
        if (doubleClick)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    }
}

void MainWindowHarness::onPump(std::function<void()> callback) {
    m_pumpCallback = std::move(callback);
    m_pumpCallback ? m_pump->start(0) : m_pump->stop();
}

QStringList MainWindowHarness::RowTexts(const ListView* list, int column) {
    QStringList texts;
    for (int i = 1; i <= list->Count(); ++i)
        texts.append(column == 0 ? ListView::Text(list->Item(i)) : ListView::SubItem(list->Item(i), column));
    return texts;
}
