#include "session/ftp/AsciiConversion.h"

#include <QtTest>

#include <string>
#include <vector>

using tovo::ftp::AsciiConversion;

class AsciiConversionTest : public QObject {
    Q_OBJECT
private slots:
    // The same bytes arrive cut into three blocks at every possible point: the result must not depend on it.
    void decodeIsIndependentOfBlockBoundaries_data() {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("lines") << QByteArray("a\r\nb\r\n") << QByteArray("a\nb\n");
        QTest::newRow("lone CR stays") << QByteArray("a\rb") << QByteArray("a\rb");
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QByteArray("a\r\nb");
        QTest::newRow("trailing CR") << QByteArray("end\r") << QByteArray("end\r");
        QTest::newRow("bare LF") << QByteArray("a\nb") << QByteArray("a\nb");
        QTest::newRow("only CRs") << QByteArray("\r\r\r") << QByteArray("\r\r\r");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void decodeIsIndependentOfBlockBoundaries() {
        QFETCH(QByteArray, wire);
        QFETCH(QByteArray, expected);
        for (qsizetype cut = 0; cut <= wire.size(); ++cut)
            for (qsizetype second = cut; second <= wire.size(); ++second) {
                AsciiConversion conversion;
                std::string result;
                for (const auto& [from, to] :
                     {std::pair{qsizetype{0}, cut}, {cut, second}, {second, wire.size()}}) {
                    // One spare byte before each block, as the transfer loop leaves room for a held CR.
                    std::vector<char> block(static_cast<std::size_t>(to - from) + 1);
                    std::copy(wire.constData() + from, wire.constData() + to, block.begin() + 1);
                    std::size_t size = static_cast<std::size_t>(to - from);
                    const char* start = conversion.decode(block.data() + 1, size);
                    result.append(start, size);
                }
                char tail[1];
                result.append(tail, conversion.finishDecode(tail));
                QCOMPARE(QByteArray::fromStdString(result), expected);
            }
    }

    void encodeTurnsEveryLfIntoCrLf() {
        const std::string text = "a\nb\r\n\n";
        std::vector<char> out(text.size() * 2);
        QCOMPARE(std::string(out.data(), AsciiConversion::encode(text.data(), text.size(), out.data())),
                 std::string("a\r\nb\r\r\n\r\n"));
    }
};

QTEST_GUILESS_MAIN(AsciiConversionTest)
#include "AsciiConversion_test.moc"
