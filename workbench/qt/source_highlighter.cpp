#include "workbench/qt/source_highlighter.h"

#include <QGuiApplication>
#include <QPalette>
#include <string_view>

namespace vorn {

QTextCharFormat ElementFormat(SourceElement element) {
    const ElementStyle style = StyleOf(element);
    QTextCharFormat format;
    format.setForeground(style.windowText ? QGuiApplication::palette().color(QPalette::WindowText)
                                          : QColor::fromRgb(static_cast<QRgb>(style.rgb)));
    if (style.bold) format.setFontWeight(QFont::Bold);
    if (style.italic) format.setFontItalic(true);
    return format;
}

SourceHighlighter::SourceHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

void SourceHighlighter::highlightBlock(const QString& text) {
    LineState state = previousBlockState() == static_cast<int>(LineState::kInComment) ? LineState::kInComment
                                                                                        : LineState::kNormal;
    const std::u16string_view line(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
    for (const HighlightSpan& span : HighlightLine(line, state)) setFormat(span.start, span.length, ElementFormat(span.element));
    setCurrentBlockState(static_cast<int>(state));
}

}  // namespace vorn
