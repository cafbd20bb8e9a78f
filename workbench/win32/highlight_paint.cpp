#include "workbench/win32/highlight_paint.h"

#include <richedit.h>

#include <string_view>

#include "workbench/highlight_spans.h"

namespace vorn::win32 {
namespace {

void Apply(HWND richEdit, LONG from, LONG to, const ElementStyle& style) {
    CHARRANGE range{from, to};
    SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_COLOR | CFM_BOLD | CFM_ITALIC;
    cf.dwEffects = (style.windowText ? CFE_AUTOCOLOR : 0) | (style.bold ? CFE_BOLD : 0) |
                   (style.italic ? CFE_ITALIC : 0);
    cf.crTextColor = RGB((style.rgb >> 16) & 0xFF, (style.rgb >> 8) & 0xFF, style.rgb & 0xFF);
    SendMessageW(richEdit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

bool IsPlain(const ElementStyle& s) { return s.windowText && !s.bold && !s.italic; }

}  // namespace

std::string ColouredRtf(const std::vector<std::wstring>& lines, std::vector<int>& endStates) {
    // Colour 0 of the table is the automatic (window text) colour.
    std::vector<unsigned> colours;
    auto colourIndex = [&](unsigned rgb) {
        for (std::size_t i = 0; i < colours.size(); ++i)
            if (colours[i] == rgb) return static_cast<int>(i) + 1;
        colours.push_back(rgb);
        return static_cast<int>(colours.size());
    };
    std::string body;
    body.reserve(lines.size() * 64);
    endStates.assign(lines.size(), 0);
    LineState state = LineState::kNormal;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::wstring& line = lines[n];
        const std::u16string_view text(reinterpret_cast<const char16_t*>(line.data()), line.size());
        const std::vector<HighlightSpan> spans = HighlightLine(text, state);
        endStates[n] = static_cast<int>(state);
        if (n > 0) body += "\\par\n";
        std::size_t at = 0;
        auto put = [&](std::size_t to) {
            for (; at < to && at < line.size(); ++at) {
                const wchar_t c = line[at];
                if (c == L'\\' || c == L'{' || c == L'}') {
                    body += '\\';
                    body += static_cast<char>(c);
                } else if (c == L'\t') {
                    body += "\\tab ";
                } else if (c < 0x20 || c > 0x7E) {
                    body += "\\u" + std::to_string(static_cast<int>(static_cast<short>(c))) + "?";
                } else {
                    body += static_cast<char>(c);
                }
            }
        };
        for (const HighlightSpan& span : spans) {
            const ElementStyle style = StyleOf(span.element);
            if (IsPlain(style) || span.length <= 0) continue;
            put(static_cast<std::size_t>(span.start));
            body += "{";
            if (!style.windowText) body += "\\cf" + std::to_string(colourIndex(style.rgb));
            if (style.bold) body += "\\b";
            if (style.italic) body += "\\i";
            body += " ";
            put(static_cast<std::size_t>(span.start + span.length));
            body += "}";
        }
        put(line.size());
    }
    std::string rtf = "{\\rtf1\\ansi\\uc1\\deff0{\\fonttbl{\\f0\\fmodern Courier New;}}{\\colortbl;";
    for (unsigned rgb : colours)
        rtf += "\\red" + std::to_string((rgb >> 16) & 0xFF) + "\\green" + std::to_string((rgb >> 8) & 0xFF) +
               "\\blue" + std::to_string(rgb & 0xFF) + ";";
    rtf += "}\n" + body + "}";
    return rtf;
}

int PaintLine(HWND richEdit, int lineStart, const std::wstring& line, int stateIn) {
    LineState state = stateIn == static_cast<int>(LineState::kInComment) ? LineState::kInComment : LineState::kNormal;
    const std::u16string_view text(reinterpret_cast<const char16_t*>(line.data()), line.size());
    const std::vector<HighlightSpan> spans = HighlightLine(text, state);
    // The line goes plain first; only the spans that differ are painted, so
    // a line costs a few messages, not one per word.
    Apply(richEdit, lineStart, lineStart + static_cast<LONG>(line.size()), StyleOf(SourceElement::PlainText));
    for (const HighlightSpan& span : spans) {
        const ElementStyle style = StyleOf(span.element);
        if (IsPlain(style) || span.length <= 0) continue;
        Apply(richEdit, lineStart + span.start, lineStart + span.start + span.length, style);
    }
    return static_cast<int>(state);
}

}  // namespace vorn::win32
