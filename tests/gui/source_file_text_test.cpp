// Source files to editor lines and back: line ends, a trailing line end,
// CR LF on writing, and bytes the system encoding cannot read.
#include <QTest>

#include "workbench/gui/source_file_text.h"

using namespace vorn;

class SourceFileTextTest : public QObject {
    Q_OBJECT
private slots:
    void lineEnds_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QByteArray() << QStringList{};
        QTest::newRow("one line, no end") << QByteArray("a") << QStringList{"a"};
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("LF") << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("lone CR") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("blank lines kept") << QByteArray("\r\n\r\nx\r\n\r\n") << QStringList{"", "", "x", ""};
        QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
    }
    void lineEnds() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const SourceText text = DecodeSourceText(bytes);
        QCOMPARE(text.lines, lines);
        QCOMPARE(text.encoding, TextEncoding::System);
    }

    void writingPutsCrLfAfterEveryLine() {
        QCOMPARE(EncodeSourceText({"int a;", "", "b"}, TextEncoding::System), QByteArray("int a;\r\n\r\nb\r\n"));
        QCOMPARE(EncodeSourceText({}, TextEncoding::System), QByteArray());
    }

    void bytesTheSystemCannotReadRoundTrip() {
        const QByteArray bytes("// caf\xe9\r\nprintstr(\"\xff\xfe\");\r\n");
        const SourceText text = DecodeSourceText(bytes);
        QCOMPARE(text.encoding, TextEncoding::Latin1);
        QCOMPARE(text.lines.size(), 2);
        QCOMPARE(text.lines[0], QString::fromUtf8("// caf\u00e9"));
        QCOMPARE(EncodeSourceText(text.lines, text.encoding), bytes);
    }

    void latin1FileWithNewCharactersIsWrittenInTheSystemEncoding() {
        const QStringList lines{QString::fromUtf8("caf\u00e9 \u20ac")};
        QCOMPARE(EncodeSourceText(lines, TextEncoding::Latin1), lines[0].toLocal8Bit() + "\r\n");
    }
};

QTEST_MAIN(SourceFileTextTest)
#include "source_file_text_test.moc"
