#include "compiler/outline.h"

#include <cstdint>

#include "compiler/int_literal.h"
#include "compiler/script_lexer.h"
#include "compiler/tokens.h"
#include "fsuipc/hot_key_name.h"
#include "preprocessor/expand.h"
#include "preprocessor/memory_stream.h"
#include "support/error.h"

namespace vorn {

namespace {

bool IsType(int token) {
    return token == kTokByte || token == kTokChar || token == kTokInt || token == kTokShortint || token == kTokFloat;
}

struct Lexed {
    int token;
    std::string text;
    int line;
    int column;
};

// Reads declarations off the token list; never fails, only skips what it
// does not recognise.
class OutlineReader {
public:
    OutlineReader(const std::vector<Lexed>& tokens, Outline& out) : t_(tokens), out_(out) {}

    void Run() {
        while (i_ < t_.size()) {
            if (!TopItem()) ++i_;
        }
    }

private:
    const Lexed* At(std::size_t k) const { return k < t_.size() ? &t_[k] : nullptr; }
    bool Is(std::size_t k, int token) const { return k < t_.size() && t_[k].token == token; }

    int Add(OutlineKind kind, const Lexed& name, std::string type, int parent) {
        OutlineSymbol s;
        s.kind = kind;
        s.name = name.text;
        s.type = std::move(type);
        s.line = name.line;
        s.column = name.column;
        s.length = static_cast<int>(name.text.size());
        s.parent = parent;
        out_.symbols.push_back(std::move(s));
        return static_cast<int>(out_.symbols.size()) - 1;
    }

    // type [*] IDENT ( ";" | "at" N ";" | "[" N "]" [at N] ";" ) at i_.
    bool VarDecl(OutlineKind kind, int parent) {
        std::size_t k = i_;
        if (!IsType(t_[k].token)) return false;
        std::string type = t_[k].text;
        ++k;
        if (Is(k, kTokStar)) {
            type += "*";
            ++k;
        }
        if (!Is(k, kTokIdent)) return false;
        const Lexed& name = t_[k++];
        if (!(Is(k, kTokSemicolon) || Is(k, kTokAt) || Is(k, kTokLBracket))) return false;
        std::string detail;
        if (Is(k, kTokLBracket) && Is(k + 1, kTokNumber) && Is(k + 2, kTokRBracket)) {
            type += "[" + t_[k + 1].text + "]";
            k += 3;
        }
        if (Is(k, kTokAt) && Is(k + 1, kTokNumber)) {
            detail = t_[k + 1].text;
            k += 2;
        }
        const int s = Add(kind, name, type, parent);
        out_.symbols[static_cast<std::size_t>(s)].detail = detail;
        i_ = k;
        return true;
    }

    // "(" params ")" at i_, for the routine r.
    void Params(int r) {
        if (!Is(i_, kTokLParen)) return;
        ++i_;
        while (i_ < t_.size() && !Is(i_, kTokRParen) && !Is(i_, kTokLBrace)) {
            std::string type;
            if (IsType(t_[i_].token)) type = t_[i_++].text;
            if (Is(i_, kTokStar)) {
                type += "*";
                ++i_;
            }
            if (Is(i_, kTokIdent)) {
                const Lexed& name = t_[i_++];
                if (Is(i_, kTokLBracket) && Is(i_ + 1, kTokNumber) && Is(i_ + 2, kTokRBracket)) {
                    type += "[" + t_[i_ + 1].text + "]";
                    i_ += 3;
                }
                const int p = Add(OutlineKind::kParameter, name, type.empty() ? "int" : type, r);
                out_.symbols[static_cast<std::size_t>(r)].params.push_back(p);
            }
            while (i_ < t_.size() && !Is(i_, kTokComma) && !Is(i_, kTokRParen) && !Is(i_, kTokLBrace)) ++i_;
            if (Is(i_, kTokComma)) ++i_;
        }
        if (Is(i_, kTokRParen)) ++i_;
    }

    // The routine's block at i_: locals at any depth, up to the matching "}".
    void Body(int r) {
        if (!Is(i_, kTokLBrace)) return;
        int depth = 0;
        while (i_ < t_.size()) {
            const int token = t_[i_].token;
            if (token == kTokLBrace) {
                ++depth;
            } else if (token == kTokRBrace) {
                if (--depth == 0) {
                    out_.symbols[static_cast<std::size_t>(r)].endLine = t_[i_].line;
                    ++i_;
                    return;
                }
            } else if (IsType(token) && VarDecl(OutlineKind::kLocal, r)) {
                continue;
            }
            ++i_;
        }
        out_.symbols[static_cast<std::size_t>(r)].endLine = t_.empty() ? 0 : t_.back().line;
    }

    std::string KeyName(std::size_t code, std::size_t character) const {
        const std::string& c = t_[code].text;
        int modifier = 0;
        if (t_[code].token == kTokNumber) {
            try {
                const std::int32_t v = IntLiteralValue(c);
                modifier = v >= 0 && v <= 255 ? static_cast<int>(v) : 0;
            } catch (const Error&) {
                modifier = 0;  // the compile reports it
            }
        } else if (SameNameNoCase(c, "control")) {
            modifier = 2;
        }
        const std::string& ch = t_[character].text;
        int key = ch.size() >= 2 ? static_cast<unsigned char>(ch[1]) : 0;
        if (key >= 'a' && key <= 'z') key -= 'a' - 'A';
        return "key " + HotKeyName(static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(modifier));
    }

    bool TopItem() {
        const Lexed& first = t_[i_];
        if (IsType(first.token) && VarDecl(OutlineKind::kGlobal, -1)) return true;
        if (first.token == kTokKey && Is(i_ + 1, kTokLParen) && At(i_ + 2) && Is(i_ + 3, kTokComma) &&
            Is(i_ + 4, kTokCharLit)) {
            Lexed name = first;
            name.text = KeyName(i_ + 2, i_ + 4);
            const int r = Add(OutlineKind::kKeyRoutine, name, "", -1);
            out_.symbols[static_cast<std::size_t>(r)].length = static_cast<int>(first.text.size());
            i_ += 5;
            if (Is(i_, kTokComma) && Is(i_ + 1, kTokIdent)) {
                const int p = Add(OutlineKind::kParameter, t_[i_ + 1], "int", r);
                out_.symbols[static_cast<std::size_t>(r)].params.push_back(p);
                i_ += 2;
            }
            if (Is(i_, kTokRParen)) ++i_;
            Body(r);
            return true;
        }
        if (first.token == kTokSequence && Is(i_ + 1, kTokIdent)) {
            const int r = Add(OutlineKind::kSequence, t_[i_ + 1], "", -1);
            i_ += 2;
            Params(r);
            Body(r);
            return true;
        }
        std::size_t k = i_;
        std::string type;
        if (IsType(first.token)) type = t_[k++].text;
        if (Is(k, kTokIdent) && Is(k + 1, kTokLParen)) {
            const int r = Add(OutlineKind::kRoutine, t_[k], type, -1);
            i_ = k + 1;
            Params(r);
            Body(r);
            return true;
        }
        return false;
    }

    const std::vector<Lexed>& t_;
    Outline& out_;
    std::size_t i_ = 0;
};

}  // namespace

bool SameNameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if ((x >= 'A' && x <= 'Z' ? x + 32 : x) != (y >= 'A' && y <= 'Z' ? y + 32 : y)) return false;
    }
    return true;
}

int Outline::RoutineAt(int line) const {
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        const OutlineSymbol& s = symbols[i];
        const bool routine = s.kind == OutlineKind::kRoutine || s.kind == OutlineKind::kSequence ||
                             s.kind == OutlineKind::kKeyRoutine;
        if (routine && line >= s.line && line <= s.endLine) return static_cast<int>(i);
    }
    return -1;
}

int Outline::Resolve(const std::string& name, int line) const {
    const int routine = RoutineAt(line);
    int found = -1;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        const OutlineSymbol& s = symbols[i];
        if (!SameNameNoCase(s.name, name)) continue;
        if (s.parent >= 0) {
            // A routine's own names hide the file's.
            if (s.parent == routine) return static_cast<int>(i);
        } else if (found < 0 || s.kind == OutlineKind::kGlobal) {
            found = static_cast<int>(i);  // the last global declared wins, as in the program
        }
    }
    return found;
}

std::string Outline::Signature(int routine) const {
    const OutlineSymbol& r = symbols[static_cast<std::size_t>(routine)];
    std::string text = r.kind == OutlineKind::kSequence ? "sequence " : "";
    if (!r.type.empty()) text += r.type + " ";
    text += r.name + "(";
    for (std::size_t i = 0; i < r.params.size(); ++i) {
        const OutlineSymbol& p = symbols[static_cast<std::size_t>(r.params[i])];
        if (i > 0) text += ", ";
        text += p.type + " " + p.name;
    }
    return text + ")";
}

Outline BuildOutline(const std::string& text) {
    Outline out;
    // Preprocessor lines are the expander's, not the lexer's: they become one
    // token each and blank lines for the lexer, so line numbers stay.
    std::string lexed;
    lexed.reserve(text.size());
    int line = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        ++line;
        std::string_view l(text.data() + start, end - start);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        const ExpandLineKind kind = ClassifyExpandLine(l);
        if (kind == ExpandLineKind::kText) {
            lexed.append(l);
        } else {
            out.tokens.push_back({kOutlinePreprocessor, line, 0, static_cast<int>(l.size())});
            if (kind == ExpandLineKind::kInclude) {
                std::string name;
                if (IncludeLineName(l, name)) out.includes.push_back({line, name});
            } else {
                const DefineEntry d = ParseDefine(l);
                if (!d.name.empty()) {
                    OutlineSymbol s;
                    s.kind = OutlineKind::kDefine;
                    s.name = d.name;
                    s.detail = d.value;
                    s.line = line;
                    const std::size_t at = l.find(d.name, 7);
                    s.column = at == std::string_view::npos ? 0 : static_cast<int>(at);
                    s.length = static_cast<int>(d.name.size());
                    out.symbols.push_back(std::move(s));
                }
            }
        }
        lexed.push_back('\n');
        start = end + 1;
    }

    MemoryStream source;
    source.Write(lexed);
    TScriptLexer lexer(source);
    std::vector<Lexed> tokens;
    for (int token = lexer.NextToken(); token != kTokEnd; token = lexer.NextToken()) {
        const int column = lexer.TokenColumn() < 0 ? 0 : lexer.TokenColumn();
        tokens.push_back({token, lexer.TokenText(), lexer.LineNumber(), column});
        out.tokens.push_back({token, lexer.LineNumber(), column, static_cast<int>(lexer.TokenText().size())});
    }
    OutlineReader(tokens, out).Run();
    return out;
}

}  // namespace vorn
