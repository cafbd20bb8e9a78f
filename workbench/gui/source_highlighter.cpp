#include "workbench/gui/source_highlighter.h"

#include <QGuiApplication>
#include <QPalette>

#include "compiler/keywords.h"

namespace vorn {
namespace {

bool IsWordStart(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           c == QLatin1Char('_');
}
bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool IsWordChar(QChar c) { return IsWordStart(c) || IsDigit(c); }
bool IsHexDigit(QChar c) {
    return IsDigit(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}
bool IsSymbol(QChar c) { return QStringLiteral("=,.><[]{}()-+!;/*|&%").contains(c); }

// The expander treats a line holding either word anywhere as a directive.
bool IsDirectiveLine(const QString& text) {
    return text.contains(QStringLiteral("#include"), Qt::CaseInsensitive) ||
           text.contains(QStringLiteral("#define "), Qt::CaseInsensitive);
}

const QHash<QString, SourceElement>& KeywordElements() {
    static const QHash<QString, SourceElement> table = [] {
        QHash<QString, SourceElement> words;
        for (const KeywordInfo& k : Keywords()) {
            SourceElement element = SourceElement::Reserved;
            switch (k.kind) {
                case KeywordClass::kReserved:
                case KeywordClass::kType:
                    element = SourceElement::Reserved;
                    break;
                case KeywordClass::kStatement:
                case KeywordClass::kBuiltin:
                    element = SourceElement::Statement;
                    break;
            }
            words.insert(QString::fromLatin1(k.text).toLower(), element);
        }
        return words;
    }();
    return table;
}

bool IsTypeWord(const QString& lowerWord) {
    for (const KeywordInfo& k : Keywords()) {
        if (k.kind == KeywordClass::kType && lowerWord == QLatin1String(k.text)) return true;
    }
    return false;
}

// Length of the number at text[i] (a digit or '$'), 0 when there is none.
int NumberLength(const QString& text, int i) {
    const int n = static_cast<int>(text.size());
    auto hexRun = [&](int from) {
        int j = from;
        while (j < n && IsHexDigit(text[j])) ++j;
        return j - from;
    };
    if (text[i] == QLatin1Char('$')) {
        const int run = hexRun(i + 1);
        return run > 0 ? run + 1 : 0;
    }
    if (text[i] == QLatin1Char('0') && i + 1 < n && (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        const int run = hexRun(i + 2);
        if (run > 0) return run + 2;
    }
    int j = i;
    while (j < n && IsDigit(text[j])) ++j;
    if (j + 1 < n && text[j] == QLatin1Char('.') && IsDigit(text[j + 1])) {
        ++j;
        while (j < n && IsDigit(text[j])) ++j;
    }
    return j - i;
}

}  // namespace

QTextCharFormat ElementFormat(SourceElement element) {
    const QColor windowText = QGuiApplication::palette().color(QPalette::WindowText);
    QTextCharFormat format;
    format.setForeground(windowText);
    switch (element) {
        case SourceElement::Comment:
            format.setFontItalic(true);
            format.setForeground(QColor(0x80, 0x80, 0x00));  // olive
            break;
        case SourceElement::Number:
            format.setForeground(QColor(0x00, 0x00, 0x80));  // navy
            break;
        case SourceElement::Strings:
            format.setForeground(QColor(0x80, 0x00, 0x80));  // purple
            break;
        case SourceElement::Symbol:
            format.setForeground(QColor(0x00, 0x00, 0xFF));  // blue
            break;
        case SourceElement::Preproc:
            format.setForeground(QColor(0x00, 0x80, 0x00));  // green
            break;
        case SourceElement::Reserved:
        case SourceElement::Statement:
            format.setFontWeight(QFont::Bold);
            break;
        case SourceElement::Identifier:
        case SourceElement::FunctionCall:
        case SourceElement::Declaration:
        case SourceElement::PlainText:
            break;
    }
    return format;
}

SourceElement KeywordElement(const QString& word) {
    return KeywordElements().value(word.toLower(), SourceElement::PlainText);
}

SourceHighlighter::SourceHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

void SourceHighlighter::Mark(int start, int length, SourceElement element) {
    if (length > 0) setFormat(start, length, ElementFormat(element));
}

void SourceHighlighter::highlightBlock(const QString& text) {
    const int previous = previousBlockState() == kInComment ? kInComment : kNormal;
    if (IsDirectiveLine(text)) {
        Mark(0, static_cast<int>(text.size()), SourceElement::Preproc);
        setCurrentBlockState(previous);
        return;
    }

    const int n = static_cast<int>(text.size());
    int i = 0;
    bool inComment = previous == kInComment;
    bool afterType = false;  // the next word is being declared
    while (i < n) {
        if (inComment) {
            const int close = static_cast<int>(text.indexOf(QStringLiteral("*/"), i));
            const int end = close < 0 ? n : close + 2;
            Mark(i, end - i, SourceElement::Comment);
            i = end;
            if (close >= 0) inComment = false;
            continue;
        }
        const QChar c = text[i];
        const QChar next = i + 1 < n ? text[i + 1] : QChar();
        if (c == QLatin1Char('/') && next == QLatin1Char('/')) {
            Mark(i, n - i, SourceElement::Comment);
            break;
        }
        if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            inComment = true;
            Mark(i, 2, SourceElement::Comment);
            i += 2;
            continue;
        }
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (IsWordStart(c)) {
            int j = i;
            while (j < n && IsWordChar(text[j])) ++j;
            const QString word = text.mid(i, j - i);
            SourceElement element = KeywordElement(word);
            const bool isType = element != SourceElement::PlainText && IsTypeWord(word.toLower());
            if (element == SourceElement::PlainText) {
                int k = j;
                while (k < n && text[k].isSpace()) ++k;
                if (afterType) {
                    element = SourceElement::Declaration;
                } else if (k < n && text[k] == QLatin1Char('(')) {
                    element = SourceElement::FunctionCall;
                } else {
                    element = SourceElement::Identifier;
                }
            }
            afterType = isType;
            Mark(i, j - i, element);
            i = j;
            continue;
        }
        afterType = false;
        if (IsDigit(c) || c == QLatin1Char('$')) {
            const int length = NumberLength(text, i);
            if (length > 0) {
                Mark(i, length, SourceElement::Number);
                i += length;
                continue;
            }
        }
        if (c == QLatin1Char('"')) {
            const int close = static_cast<int>(text.indexOf(QLatin1Char('"'), i + 1));
            if (close > i + 1) {
                Mark(i, close - i + 1, SourceElement::Strings);
                i = close + 1;
                continue;
            }
        }
        if (c == QLatin1Char('\'') && i + 2 < n && text[i + 2] == QLatin1Char('\'')) {
            Mark(i, 3, SourceElement::Strings);
            i += 3;
            continue;
        }
        Mark(i, 1, IsSymbol(c) ? SourceElement::Symbol : SourceElement::PlainText);
        ++i;
    }
    setCurrentBlockState(inComment ? kInComment : kNormal);
}

}  // namespace vorn
