// ASCII downloads keep no stray CR wherever the network splits a CR LF: in the decoder, and through a
// real server whose data arrives one byte per read.
#include "session/WinInetAPI.h"
#include "session/ftp/AsciiConversion.h"
#include "session/ftp/FtpTransfer.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/WinInetFiles.h"

#include <QtTest>

class AsciiConversionTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { tovo::ftp::FtpTransfer::setReceiveSize(tovo::ftp::FtpTransfer::kBufferSize); }

    // Line ends and lone CRs, split in two reads at every place.
    void splitAnywhere() {
        const QByteArray sent("a\r\n\r\nb\rc\r\r\nd\r"), decoded("a\n\nb\rc\r\nd\r");
        for (qsizetype split = 0; split <= sent.size(); ++split) {
            tovo::ftp::AsciiConversion conversion;
            QByteArray result;
            for (const QByteArray& read : {sent.left(split), sent.mid(split)}) {
                QByteArray buffer = ' ' + read; // decode may put a held CR back in front
                std::size_t size = std::size_t(read.size());
                const char* start = conversion.decode(buffer.data() + 1, size);
                result.append(start, qsizetype(size));
            }
            char last = 0;
            result.append(&last, qsizetype(conversion.finishDecode(&last)));
            QVERIFY2(result == decoded, qPrintable(QStringLiteral("split at %1").arg(split)));
        }
    }

    void realServerOneByteReads() {
        const QByteArray text("one\ntwo\n\nlone\rcr\nend\n");
        FtpTestServer server;
        server.writeFile("t.txt", text); // the server sends each LF as CR LF
        TOVO_REQUIRE_SERVER(server);
        SetNetworkTimeoutMs(3000);
        const HINTERNET internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        const HINTERNET h = InternetConnectA(internet, "127.0.0.1", server.port(), "user", "secret",
                                             INTERNET_SERVICE_FTP, 0, 0);
        tovo::ftp::FtpTransfer::setReceiveSize(1);
        bool ok = false;
        QCOMPARE(QByteArray::fromStdString(WinInetFiles::read(h, "t.txt", FTP_TRANSFER_TYPE_ASCII, ok)),
                 text);
        QVERIFY(ok);
        InternetCloseHandle(internet);
    }
};

QTEST_GUILESS_MAIN(AsciiConversionTest)
#include "AsciiConversion_test.moc"
