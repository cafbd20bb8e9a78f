#include "compiler/script_parser.h"

#include <cstdio>

namespace vorn {

int RunScriptGrammar(TScriptParser& parser);   // script_grammar.y

TScriptParser::TScriptParser(MemoryStream& source) : lexer_(source) {
    lexer_.SetDiagnosticSink([this](const std::string& message) { ReportError(message); });
    lexer_.SetWarningSink([this](const std::string& message) { ReportWarning(message); });
}

void TScriptParser::SetActions(SemanticActions* actions) { actions_ = actions; }

int TScriptParser::Parse() {
    errorCount_ = 0;
    // The tables' driver ends with 0 (accepted), 1 (abandoned after a syntax
    // error) or 2 (stack full, already reported as an overflow).
    return RunScriptGrammar(*this) == 0 ? 0 : 1;
}

void TScriptParser::ReportError(const std::string& message) {
    // "%s: %d: %s at or before %s", the source name always empty.
    WriteListingLine(": " + std::to_string(lexer_.LineNumber()) + ": " + message + " at or before " +
                     lexer_.TokenText());
    ++errorCount_;
}

void TScriptParser::ReportWarning(const std::string& message) {
    WriteListingLine(": " + std::to_string(lexer_.LineNumber()) + ": warning: " + message);
}

void TScriptParser::WriteListingLine(const std::string& text) {
    listing_.Write(text);
    listing_.Write("\r\n");
}

const std::string& TScriptParser::NameText(std::int32_t index) const {
    static const std::string kNone;
    const auto& names = lexer_.NameTable();
    return index >= 0 && static_cast<std::size_t>(index) < names.size() ? names[static_cast<std::size_t>(index)] : kNone;
}

std::int32_t TScriptParser::StackValue(int depthBelowTop) const {
    if (valueTop_ == nullptr || depthBelowTop < 0 || depthBelowTop > valueTop_ - valueBottom_) return 0;
    return valueTop_[-depthBelowTop];
}

}  // namespace vorn
