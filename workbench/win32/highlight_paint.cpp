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
