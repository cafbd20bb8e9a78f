#pragma once
// Helpers shared by the front end's tests: token lists and a recording
// action table.
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/script_lexer.h"
#include "compiler/script_parser.h"
#include "preprocessor/memory_stream.h"

namespace vorn::testing_frontend {

struct Tok {
    int token;
    std::string text;
    bool operator==(const Tok&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Tok& t) { return os << t.token << " '" << t.text << "'"; }

// Every token up to (not including) the end; stops after a bound so that a
// lexer which never ends fails instead of hanging.
inline std::vector<Tok> LexAll(const std::string& source, std::size_t bound = 100000) {
    MemoryStream stream;
    stream.Write(source);
    TScriptLexer lexer(stream);
    std::vector<Tok> tokens;
    for (int t = lexer.NextToken(); t != 0 && tokens.size() < bound; t = lexer.NextToken()) {
        tokens.push_back({t, lexer.TokenText()});
    }
    return tokens;
}

// Records every reduction: the rule, the lexer's line, and the values of the
// rule's right-hand side. Optionally sets the register for some rules.
class RecordingActions : public SemanticActions {
public:
    struct Reduction {
        int rule;
        int line;
        std::vector<std::int32_t> rhs;   // first symbol first
        std::int32_t registerOnEntry;
        std::int32_t top;
    };

    void Reduce(int rule, TScriptParser& parser) override {
        Reduction r{rule, parser.Lexer().LineNumber(), {}, parser.ValueRegister(), parser.StackValue(0)};
        const int n = RuleLength(rule);
        for (int k = 1; k <= n; ++k) r.rhs.push_back(parser.StackValue(n - k));
        for (const auto& [setRule, value] : sets) {
            if (setRule == rule) parser.ValueRegister() = value;
        }
        if (onReduce) onReduce(rule, parser);
        reductions.push_back(std::move(r));
    }

    std::vector<int> Rules() const {
        std::vector<int> out;
        for (const auto& r : reductions) out.push_back(r.rule);
        return out;
    }
    // The rules among `of`, in reduction order.
    std::vector<int> RulesAmong(std::initializer_list<int> of) const {
        std::vector<int> out;
        for (const auto& r : reductions) {
            for (int x : of) {
                if (r.rule == x) out.push_back(r.rule);
            }
        }
        return out;
    }

    std::vector<std::pair<int, std::int32_t>> sets;
    std::function<void(int, TScriptParser&)> onReduce;
    std::vector<Reduction> reductions;
};

struct ParseResult {
    int result;
    int errors;
    std::string listing;
};

inline ParseResult ParseSource(const std::string& source, SemanticActions* actions = nullptr) {
    MemoryStream stream;
    stream.Write(source);
    TScriptParser parser(stream);
    parser.SetActions(actions);
    const int result = parser.Parse();
    return {result, parser.ErrorCount(), parser.ListingStream().Text()};
}

}  // namespace vorn::testing_frontend
