// The editor's colouring on plain documents: every element's style and
// colour, block comments across lines, directive lines, and the keyword list
// taken from the lexer's table.
#include <QGuiApplication>
#include <QPalette>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "compiler/keywords.h"
#include "workbench/qt/source_highlighter.h"

using namespace vorn;

namespace {

struct Look {
    QColor colour;
    bool bold = false;
    bool italic = false;
};

Look LookAt(const QTextDocument& doc, int line, int column) {
    const QTextBlock block = doc.findBlockByNumber(line);
    Look look{QColor(), false, false};
    for (const QTextLayout::FormatRange& r : block.layout()->formats()) {
        if (column >= r.start && column < r.start + r.length) {
            look.colour = r.format.foreground().color();
            look.bold = r.format.fontWeight() >= QFont::Bold;
            look.italic = r.format.fontItalic();
        }
    }
    return look;
}

QString Describe(const Look& l) {
    return QString("%1%2%3").arg(l.colour.name(), l.bold ? " bold" : "", l.italic ? " italic" : "");
}

}  // namespace

class HighlighterTest : public QObject {
    Q_OBJECT
private slots:
    void elementsOnSampleLines_data() {
        const QString text = QGuiApplication::palette().color(QPalette::WindowText).name();
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("look");
        const QString sample =
            "int x = $1F + 0x2a + 12 + 1.5; // note\n"
            "if (s == \"text\") printstr('c');\n"
            "/* block\n"
            "still */ WHILE foo(x)\n"
            "#include \"lib.vrn\"\n"
            "  #define MAX 10\n";
        auto row = [&](const char* name, int line, int column, const QString& look) {
            QTest::newRow(name) << sample << line << column << look;
        };
        row("type word is reserved", 0, 0, text + " bold");
        row("declared name", 0, 4, text);
        row("symbol", 0, 6, "#0000ff");
        row("dollar hex number", 0, 9, "#000080");
        row("0x number", 0, 15, "#000080");
        row("decimal number", 0, 21, "#000080");
        row("float", 0, 28, "#000080");
        row("semicolon", 0, 29, "#0000ff");
        row("line comment", 0, 34, "#808000 italic");
        row("statement", 1, 0, text + " bold");
        row("string opening quote", 1, 9, "#800080");
        row("string body", 1, 12, "#800080");
        row("built-in statement", 1, 17, text + " bold");
        row("character literal", 1, 26, "#800080");
        row("block comment start", 2, 3, "#808000 italic");
        row("block comment continues", 3, 2, "#808000 italic");
        row("block comment end", 3, 7, "#808000 italic");
        row("keyword in capitals", 3, 9, text + " bold");
        row("function call", 3, 15, text);
        row("include line", 4, 12, "#008000");
        row("define line", 5, 12, "#008000");
    }
    void elementsOnSampleLines() {
        QFETCH(QString, source);
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(QString, look);
        QTextDocument doc;
        doc.documentLayout();  // a document tells of changes only once it has a layout
        SourceHighlighter highlighter(&doc);
        doc.setPlainText(source);
        QCOMPARE(Describe(LookAt(doc, line, column)), look);
    }

    void closingACommentRecoloursTheLinesBelow() {
        QTextDocument doc;
        doc.documentLayout();  // a document tells of changes only once it has a layout
        SourceHighlighter highlighter(&doc);
        doc.setPlainText("/* open\nint x;");
        QVERIFY(LookAt(doc, 1, 0).italic);
        QTextCursor c(doc.findBlockByNumber(0));
        c.movePosition(QTextCursor::EndOfBlock);
        c.insertText(" */");
        QVERIFY(!LookAt(doc, 1, 0).italic);
        QVERIFY(LookAt(doc, 1, 0).bold);
    }

    void everyKeywordOfTheLexerIsBold() {
        QStringList words;
        for (const KeywordInfo& k : Keywords()) words << QString::fromLatin1(k.text);
        QCOMPARE(words.size(), 19);
        QTextDocument doc;
        doc.documentLayout();  // a document tells of changes only once it has a layout
        SourceHighlighter highlighter(&doc);
        doc.setPlainText(words.join('\n'));
        for (int i = 0; i < words.size(); ++i) QVERIFY2(LookAt(doc, i, 0).bold, qPrintable(words[i]));
        doc.setPlainText("whilex _while while_1");
        QVERIFY(!LookAt(doc, 0, 0).bold);
        QVERIFY(!LookAt(doc, 0, 7).bold);
        QVERIFY(!LookAt(doc, 0, 14).bold);
    }
};

QTEST_MAIN(HighlighterTest)
#include "highlighter_test.moc"
