#include "workbench/gui/source_file_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace vorn {
namespace {

QStringList SplitLines(const QString& text) {
    QStringList lines;
    QString current;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(current);
            current.clear();
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty()) lines.append(current);
    return lines;
}

bool FitsLatin1(const QStringList& lines) {
    for (const QString& line : lines) {
        for (QChar c : line) {
            if (c.unicode() > 0xFF) return false;
        }
    }
    return true;
}

}  // namespace

SourceText DecodeSourceText(const QByteArray& bytes) {
    SourceText result;
    QStringDecoder decoder(QStringConverter::System);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        text = QString::fromLatin1(bytes);
        result.encoding = TextEncoding::Latin1;
    }
    result.lines = SplitLines(text);
    return result;
}

QByteArray EncodeSourceText(const QStringList& lines, TextEncoding encoding) {
    if (encoding == TextEncoding::Latin1 && !FitsLatin1(lines)) encoding = TextEncoding::System;
    QByteArray bytes;
    QStringEncoder encoder(QStringConverter::System);
    for (const QString& line : lines) {
        if (encoding == TextEncoding::Latin1) {
            bytes += line.toLatin1();
        } else {
            bytes += encoder.encode(line);
        }
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace vorn
