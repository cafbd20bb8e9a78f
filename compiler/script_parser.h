#pragma once
// The LALR(1) parse driver of the script language. The tables come from
// script_grammar.y (bison); the 102 rules are numbered in the grammar's order
// and the rule number is the key the semantic actions are dispatched by.
#include <cstdint>
#include <string>

#include "compiler/script_lexer.h"
#include "preprocessor/memory_stream.h"

namespace vorn {

constexpr int kRuleCount = 102;
// The parser's stacks grow as needed up to this many entries, a depth no
// real program reaches (generated ones of tens of thousands of routines
// need one entry per top-level item); one more push is an overflow.
constexpr int kParseStackDepth = 1000000;
// Entries the stacks start with.
constexpr int kParseStackStart = 2048;

class TScriptParser;

class SemanticActions {            // the back end implements this; tests use a recording one
public:
    virtual ~SemanticActions() = default;
    // Called at every reduction by rule 1..kRuleCount, before the right-hand
    // side is popped. The register starts as the value on top of the stack.
    virtual void Reduce(int rule, TScriptParser& parser) = 0;
};

// The number of symbols on the right-hand side of a rule (0 for the marker
// rules), or -1 for a number that is no rule.
int RuleLength(int rule);

class TScriptParser {
public:
    // Creates the lexer over source (read from its start). source must
    // outlive the parser.
    explicit TScriptParser(MemoryStream& source);
    TScriptParser(const TScriptParser&) = delete;
    TScriptParser& operator=(const TScriptParser&) = delete;

    void SetActions(SemanticActions* actions);   // nullptr = no actions
    int Parse();                                  // 0 accepted, 1 abandoned

    // Writes "%s: %d: %s at or before %s" (empty source name, the lexer's
    // LineNumber, message, the lexer's TokenText) and counts the error.
    void ReportError(const std::string& message);
    // ": %d: warning: %s" in the listing, with the lexer's LineNumber; not
    // counted, so the compile still succeeds.
    void ReportWarning(const std::string& message);
    // Appends text and CR LF to the listing; long lines are written whole.
    void WriteListingLine(const std::string& text);
    int ErrorCount() const { return errorCount_; }
    MemoryStream& ListingStream() { return listing_; }
    TScriptLexer& Lexer() { return lexer_; }

    // For actions: the value k entries below the stack top (0 = top). For a
    // rule of n symbols the k-th symbol's value is StackValue(n - k). A depth
    // outside the stack (or a call outside an action) gives 0.
    std::int32_t StackValue(int depthBelowTop) const;
    // What the reduced nonterminal will carry.
    std::int32_t& ValueRegister() { return *register_; }
    void SetValue(std::int32_t value) { *register_ = value; }
    // The name table's text for an index; empty for an index it does not hold.
    const std::string& NameText(std::int32_t index) const;

private:
    friend struct ParserDriverAccess;   // the generated driver's door

    TScriptLexer lexer_;
    MemoryStream listing_;
    SemanticActions* actions_ = nullptr;
    int errorCount_ = 0;

    // Valid only while an action runs: the value stack's bottom and top, and
    // the register that becomes the nonterminal's value.
    const std::int32_t* valueBottom_ = nullptr;
    const std::int32_t* valueTop_ = nullptr;
    std::int32_t idleRegister_ = 0;
    std::int32_t* register_ = &idleRegister_;
};

}  // namespace vorn
