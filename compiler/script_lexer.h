#pragma once
// The scanner of the script language.
//
// TCustomLexer is the line-reading runtime: it pulls the expanded source one
// line at a time through a TextStreamAdapter, so LineNumber is always the
// number of lines read so far (0 before the first, the line of the last token
// read). Lines of any length are held; there is no fixed buffer or match
// limit, and the scanner never ends the program.
//
// TScriptLexer runs the automaton that re2c generates from lexer.re (the single
// source of the lexical rules) and interns identifier and literal texts.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "preprocessor/memory_stream.h"
#include "preprocessor/text_stream_adapter.h"

namespace vorn {

class TCustomLexer {
public:
    // Receives diagnostics the scanner finds itself ("Unterminated comment").
    // The parser installs one that reports through ReportError.
    using DiagnosticSink = std::function<void(const std::string& message)>;

    static constexpr int kEndOfInput = -1;

    // Reads input from its start. The stream must outlive the lexer.
    explicit TCustomLexer(MemoryStream& input);
    virtual ~TCustomLexer() = default;
    TCustomLexer(const TCustomLexer&) = delete;
    TCustomLexer& operator=(const TCustomLexer&) = delete;

    // The next token number, or 0 at the end of the input (again on every
    // further call).
    virtual int NextToken() = 0;

    int LineNumber() const { return lineNumber_; }
    // The characters of the last token as written; empty at the end of input.
    const std::string& TokenText() const { return tokenText_; }
    // The byte column (0 = first) of the last token in its line, for editors.
    int TokenColumn() const { return tokenColumn_; }

    // The next character (0..255), reading a new line when the current one is
    // used up, or kEndOfInput. Used by actions that read on their own.
    int ReadChar();
    // Pushes a character back in front of the unread input.
    void UnreadChar(char ch);

    void SetDiagnosticSink(DiagnosticSink sink) { sink_ = std::move(sink); }
    // Receives what the scanner warns of (a NUL byte in the text); the parser
    // installs one that reports through ReportWarning.
    void SetWarningSink(DiagnosticSink sink) { warningSink_ = std::move(sink); }

protected:
    // The re2c custom input interface. Every line is held with its LF, so a
    // match never spans lines (block comments are read by their action).
    unsigned char Peek() {
        return cursor_ < line_.size() ? static_cast<unsigned char>(line_[cursor_]) : PeekNextLine();
    }
    void Skip() { ++cursor_; }
    void Backup() { marker_ = cursor_; }
    void Restore() { cursor_ = marker_; }

    // Marks where the next match starts.
    void BeginMatch() { start_ = cursor_; }
    // Makes the current match the token text.
    void TakeMatch() {
        tokenText_.assign(line_, start_, cursor_ - start_);
        tokenColumn_ = static_cast<int>(start_) - lineShift_;
    }
    // Forgets the rest of the current line.
    void DiscardLine() { cursor_ = marker_ = start_ = line_.size(); }
    void ClearTokenText() { tokenText_.clear(); }
    // The end-of-input token: the rest of the line is dropped, the text is
    // empty. At the real end every further call comes here again.
    int EndOfInput() {
        DiscardLine();
        ClearTokenText();
        return 0;
    }

    void Diagnose(const std::string& message) {
        if (sink_) sink_(message);
    }
    // A NUL byte ends the text as its end does; one inside the text is
    // warned of, once, and nothing after it is read.
    int EndAtNul() {
        if (!inputDone_) {
            inputDone_ = true;
            if (warningSink_) warningSink_("a NUL byte ends the program text; nothing after it is read");
        }
        return EndOfInput();
    }

private:
    unsigned char PeekNextLine();
    bool ReadNextLine();

    TextStreamAdapter reader_;
    std::string line_;        // the current line with its LF, minus what was consumed before start_
    std::size_t cursor_ = 0;
    std::size_t marker_ = 0;
    std::size_t start_ = 0;
    int lineNumber_ = 0;
    int tokenColumn_ = 0;
    int lineShift_ = 0;       // characters in line_ before the current line's first
    bool inputDone_ = false;
    std::string tokenText_;
    std::string scratch_;
    DiagnosticSink sink_;
    DiagnosticSink warningSink_;
};

class TScriptLexer : public TCustomLexer {
public:
    explicit TScriptLexer(MemoryStream& input) : TCustomLexer(input) {}

    // 257..306, or 0 at the end of the input.
    int NextToken() override;

    // The NameTable index of the last IDENT, NUMBER, FLOATLIT, CHARLIT or
    // STRLIT token; other tokens leave it unchanged. 0 before the first.
    std::int32_t TokenValue() const { return tokenValue_; }

    // Distinct identifier and literal texts, index 0 first met. Identifiers
    // and numbers are compared without regard to ASCII letter case and keep
    // the spelling met first; character and string literals (quotes included)
    // are kept exactly, so texts differing in case are separate entries.
    const std::vector<std::string>& NameTable() const { return names_; }

    // Interns text (by the rules above) and returns its index.
    std::int32_t Intern(const std::string& text);

private:
    bool SkipBlockComment();    // false when the input ends inside the comment
    std::int32_t InternToken(); // interns TokenText and makes it TokenValue

    void GrowIndex();

    std::int32_t tokenValue_ = 0;
    std::vector<std::string> names_;
    // Open-addressing index over names_: slot -> name index or -1. Hashes are
    // of the folded text (ASCII lower case for identifiers and numbers).
    std::vector<std::int32_t> slots_;
    std::vector<std::uint32_t> hashes_;   // per name
};

}  // namespace vorn
