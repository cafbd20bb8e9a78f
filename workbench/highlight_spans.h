#pragma once
// The editor's colouring as data: each line is cut into spans of one source
// element; the windows only paint them. The words come from the lexer's
// keyword table, so the editor and the compiler never disagree on what a
// keyword is. Positions are UTF-16 units, as both editors count them.
#include <string_view>
#include <vector>

namespace vorn {

// The colour scheme's elements.
enum class SourceElement {
    Comment,
    Number,
    Strings,
    Symbol,
    Reserved,
    Identifier,
    Preproc,
    FunctionCall,
    Declaration,
    Statement,
    PlainText,
};

// How an element looks; the background is the editor's.
struct ElementStyle {
    bool windowText = true;  // the system's text colour instead of `rgb`
    unsigned rgb = 0;        // 0xRRGGBB
    bool bold = false;
    bool italic = false;
};
ElementStyle StyleOf(SourceElement element);

// How the editor colours a keyword of the language; PlainText for other words.
SourceElement KeywordElement(std::u16string_view word);

struct HighlightSpan {
    int start = 0;
    int length = 0;
    SourceElement element = SourceElement::PlainText;
};

// Carried from one line to the next: inside a block comment or not.
enum class LineState { kNormal = 0, kInComment = 1 };

// The spans of one line given the state the previous line ended in; `state`
// becomes the state this line ends in.
std::vector<HighlightSpan> HighlightLine(std::u16string_view text, LineState& state);

}  // namespace vorn
