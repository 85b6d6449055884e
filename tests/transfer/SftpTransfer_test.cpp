// The window over SFTP: the same panes, transfers and queue as over FTP, against OpenSSH's sshd.

#include "app/frmMain.h"
#include "session/FtpSession.h"
#include "session/RemotePane.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/RealSshServer.h"
#include "tests/support/TestFiles.h"
#include "toolkit/StatusBar.h"
#include "toolkit/WindowLayer.h"
#include "transfer/TransferQueue.h"
#include "transfer/Transfers.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QtTest>
#include <memory>

class SftpTransferTest : public QObject {
    Q_OBJECT

    // Relative path -> content of every file below root.
    static QMap<QString, QByteArray> tree(const QString& root) {
        QMap<QString, QByteArray> files;
        for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            files.insert(QDir(root).relativeFilePath(path), ReadFileBytes(path));
        }
        return files;
    }

    QTemporaryDir m_home;
    std::unique_ptr<RealSshServer> m_server;
    std::unique_ptr<MainWindowHarness> m_window;

private slots:
    void initTestCase() {
        qputenv("SSH_AUTH_SOCK", "");
        qputenv("HOME", m_home.path().toUtf8());
        SetUserKnownHostsFile(m_home.filePath(QStringLiteral("user_known_hosts")).toStdString());
        SetKnownHostsFile(m_home.filePath(QStringLiteral("known_hosts")).toStdString());
        SetHostKeyDecider([](const ServerHostKey&) { return HostKeyDecision::TrustOnce; });
        SetNetworkTimeoutMs(10000);
        if (!RealSshServer::unavailableReason().isEmpty())
            QSKIP(qPrintable(RealSshServer::unavailableReason()));
        m_server = std::make_unique<RealSshServer>();
        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
    }

    // Connects through the pane as the connect dialog leaves the session: the status says SFTP and
    // the command line stays closed; a folder tree goes down and up whole, a kept part is continued.
    void folderTreesAndResume() {
        const QString root = m_server->root() + QLatin1Char('/');
        QVERIFY(QDir(root).mkpath("site/img/deep") && WriteFileBytes(root + "site/index.html", "<html/>") &&
                WriteFileBytes(root + "site/img/a.bin", RandomBytes(200 * 1024 + 3, 5)) &&
                WriteFileBytes(root + "site/img/deep/b.txt", "b") && QDir(root).mkpath("site/empty") &&
                WriteFileBytes(root + "big.bin", RandomBytes(700 * 1024, 9)));
        QProcess::execute(QStringLiteral("chown"), {"-hR", RealSshServer::kUser, root});

        m_window = std::make_unique<MainWindowHarness>();
        MsgBoxRecorder boxes;
        FtpSession.Server = "127.0.0.1";
        FtpSession.Port = m_server->port();
        FtpSession.User = RealSshServer::kUser;
        FtpSession.Password = RealSshServer::kPassword;
        FtpSession.Service = static_cast<std::int16_t>(INTERNET_SERVICE_SFTP);
        frmMain& form = m_window->form();
        form.remote().ConnectToServer();
        QVERIFY2(FtpSession.hConnect != 0, qPrintable(boxes.texts().join('|')));
        QVERIFY(form.StatusBar1->PanelText(1).contains(QStringLiteral("SFTP")));
        QCOMPARE(form.StatusBar1->PanelText(2).trimmed(), QStringLiteral("Command Line:  No"));

        const std::string remoteDir = form.remote().CurrentDirBytes();
        const std::string localDir = QFile::encodeName(m_window->localDir()).toStdString();
        boxes.answerNext(vbOK);
        form.transfers().DownloadEntries({RemoteEntry{"site", 0, {}, true}}, remoteDir, localDir);
        QCOMPARE(tree(m_window->localDir() + "site"), tree(root + "site"));
        QVERIFY(QDir(m_window->localDir() + "site/empty").exists());

        boxes.answerNext(vbOK);
        form.transfers().UploadPaths({localDir + "site"}, remoteDir + "site/empty/");
        QCOMPARE(tree(root + "site/empty/site"), tree(m_window->localDir() + "site"));

        // What a cut download kept: continued from its end and renamed onto the target.
        const QByteArray big = ReadFileBytes(root + "big.bin");
        QVERIFY(WriteFileBytes(QString::fromStdString(PartPath(localDir + "big.bin")), big.left(300 * 1024)));
        boxes.answerNext(vbOK);
        form.transfers().DownloadEntries({RemoteEntry{"big.bin", big.size(), {}, false}}, remoteDir,
                                         localDir);
        QCOMPARE(ReadFileBytes(m_window->localDir() + "big.bin"), big);
        QVERIFY(!QFile::exists(QString::fromStdString(PartPath(localDir + "big.bin"))));
        QCOMPARE(boxes.texts(), QStringList(3, QStringLiteral("Data transfer completed.")));
        m_window.reset();
    }
};

QTEST_MAIN(SftpTransferTest)
#include "SftpTransfer_test.moc"
