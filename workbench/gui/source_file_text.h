#pragma once
// Source files as the editor sees them: lines of text. Reading accepts LF,
// CR LF and lone CR line ends; a line end at the very end starts no further
// line. Writing puts CR LF after every line.
//
// Bytes are read in the system's encoding; a file that is not valid in it is
// read byte for byte as Latin-1 and written back the same way, so opening and
// saving a file never alters characters the editor did not touch.
#include <QByteArray>
#include <QStringList>

namespace vorn {

enum class TextEncoding { System, Latin1 };

struct SourceText {
    QStringList lines;
    TextEncoding encoding = TextEncoding::System;
};

SourceText DecodeSourceText(const QByteArray& bytes);

// Falls back to the system encoding when a line holds characters Latin-1
// cannot represent.
QByteArray EncodeSourceText(const QStringList& lines, TextEncoding encoding);

}  // namespace vorn
