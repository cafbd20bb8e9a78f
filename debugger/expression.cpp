#include "debugger/expression.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "compiler/int_literal.h"
#include "machine/executor.h"
#include "support/error.h"
#include "workbench/watch_model.h"

namespace vorn {

std::int32_t ExprValue::AsInt() const { return isFloat ? TruncateToInt32(f) : i; }

namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Recursive descent with the language's precedence, lowest first:
// || && | & (== !=) (< <= > >=) (+ -) (* / %) unary.
class Parser {
public:
    Parser(const std::string& text, ExprEnvironment& env, std::string& error) : t_(text), env_(env), error_(error) {}

    bool Whole(ExprValue& out) {
        if (!Or(out)) return false;
        Skip();
        if (p_ < t_.size()) return Fail("unexpected '" + std::string(1, t_[p_]) + "' at " + std::to_string(p_ + 1));
        return true;
    }
    bool Target(ExprTarget& out) {
        Skip();
        if (!ReadName(out.name)) return Fail("a variable name is needed");
        Skip();
        if (Eat("[")) {
            ExprValue index;
            if (!Or(index)) return false;
            if (!Eat("]")) return Fail("']' expected");
            out.element = true;
            out.index = index.AsInt();
        }
        Skip();
        if (p_ < t_.size()) return Fail("unexpected '" + std::string(1, t_[p_]) + "' at " + std::to_string(p_ + 1));
        return true;
    }

private:
    bool Fail(const std::string& why) {
        if (error_.empty()) error_ = why;
        return false;
    }
    void Skip() {
        while (p_ < t_.size() && std::isspace(static_cast<unsigned char>(t_[p_]))) ++p_;
    }
    // Takes `op` unless it is the start of a longer operator in `longer`.
    bool Eat(const char* op, const char* notFollowedBy = "") {
        Skip();
        const std::string_view o(op);
        if (t_.compare(p_, o.size(), o) != 0) return false;
        const std::size_t after = p_ + o.size();
        if (after < t_.size() && *notFollowedBy && std::string_view(notFollowedBy).find(t_[after]) != std::string_view::npos)
            return false;
        p_ = after;
        return true;
    }
    bool ReadName(std::string& name) {
        if (p_ >= t_.size() || !IsNameStart(t_[p_])) return false;
        const std::size_t start = p_;
        while (p_ < t_.size() && IsNameChar(t_[p_])) ++p_;
        name = t_.substr(start, p_ - start);
        return true;
    }

    static ExprValue Int(std::int32_t v) { return ExprValue{false, v, 0}; }
    static std::int32_t Wrap(std::uint32_t v) { return static_cast<std::int32_t>(v); }

    bool Or(ExprValue& v) {
        if (!And(v)) return false;
        while (Eat("||")) {
            ExprValue r;
            if (!And(r)) return false;
            v = Int(v.AsInt() != 0 || r.AsInt() != 0);
        }
        return true;
    }
    bool And(ExprValue& v) {
        if (!BitOr(v)) return false;
        while (Eat("&&")) {
            ExprValue r;
            if (!BitOr(r)) return false;
            v = Int(v.AsInt() == 1 && r.AsInt() == 1);
        }
        return true;
    }
    bool BitOr(ExprValue& v) {
        if (!BitAnd(v)) return false;
        while (Eat("|", "|")) {
            ExprValue r;
            if (!BitAnd(r)) return false;
            v = Int(v.AsInt() | r.AsInt());
        }
        return true;
    }
    bool BitAnd(ExprValue& v) {
        if (!Equality(v)) return false;
        while (Eat("&", "&")) {
            ExprValue r;
            if (!Equality(r)) return false;
            v = Int(v.AsInt() & r.AsInt());
        }
        return true;
    }
    static bool Compare(const std::string& op, const ExprValue& a, const ExprValue& b) {
        if (!a.isFloat && !b.isFloat) {
            if (op == "==") return a.i == b.i;
            if (op == "!=") return a.i != b.i;
            if (op == "<") return a.i < b.i;
            if (op == "<=") return a.i <= b.i;
            if (op == ">") return a.i > b.i;
            return a.i >= b.i;
        }
        const double x = a.AsDouble(), y = b.AsDouble();
        if (op == "==") return x == y;
        if (op == "!=") return x != y;
        if (op == "<") return x < y;
        if (op == "<=") return x <= y;
        if (op == ">") return x > y;
        return x >= y;
    }
    bool Equality(ExprValue& v) {
        if (!Relation(v)) return false;
        for (;;) {
            const char* op = Eat("==") ? "==" : Eat("!=") ? "!=" : nullptr;
            if (!op) return true;
            ExprValue r;
            if (!Relation(r)) return false;
            v = Int(Compare(op, v, r));
        }
    }
    bool Relation(ExprValue& v) {
        if (!Sum(v)) return false;
        for (;;) {
            const char* op = Eat("<=") ? "<=" : Eat(">=") ? ">=" : Eat("<") ? "<" : Eat(">") ? ">" : nullptr;
            if (!op) return true;
            ExprValue r;
            if (!Sum(r)) return false;
            v = Int(Compare(op, v, r));
        }
    }
    bool Arith(char op, ExprValue& v, const ExprValue& r) {
        if (!v.isFloat && !r.isFloat) {
            const auto a = static_cast<std::uint32_t>(v.i), b = static_cast<std::uint32_t>(r.i);
            switch (op) {
            case '+': v.i = Wrap(a + b); return true;
            case '-': v.i = Wrap(a - b); return true;
            case '*': v.i = Wrap(a * b); return true;
            default:
                if (r.i == 0) return Fail("division by zero");
                if (r.i == -1) {
                    v.i = op == '%' ? 0 : Wrap(0u - a);
                    return true;
                }
                v.i = op == '%' ? v.i % r.i : v.i / r.i;
                return true;
            }
        }
        if (op == '%') {
            // The machine's MOD takes ints.
            ExprValue a = Int(v.AsInt());
            return Arith(op, a, Int(r.AsInt())) && (v = a, true);
        }
        const double x = v.AsDouble(), y = r.AsDouble();
        v.isFloat = true;
        v.f = op == '+' ? x + y : op == '-' ? x - y : op == '*' ? x * y : x / y;
        return true;
    }
    bool Sum(ExprValue& v) {
        if (!Product(v)) return false;
        for (;;) {
            Skip();
            if (p_ >= t_.size() || (t_[p_] != '+' && t_[p_] != '-')) return true;
            const char op = t_[p_++];
            ExprValue r;
            if (!Product(r) || !Arith(op, v, r)) return false;
        }
    }
    bool Product(ExprValue& v) {
        if (!Unary(v)) return false;
        for (;;) {
            Skip();
            if (p_ >= t_.size() || (t_[p_] != '*' && t_[p_] != '/' && t_[p_] != '%')) return true;
            const char op = t_[p_++];
            ExprValue r;
            if (!Unary(r) || !Arith(op, v, r)) return false;
        }
    }
    bool Unary(ExprValue& v) {
        if (Eat("-")) {
            if (!Unary(v)) return false;
            if (v.isFloat) v.f = -v.f;
            else v.i = Wrap(0u - static_cast<std::uint32_t>(v.i));
            return true;
        }
        if (Eat("!", "=")) {
            if (!Unary(v)) return false;
            v = Int(v.AsInt() == 0);
            return true;
        }
        return Primary(v);
    }
    bool Number(ExprValue& v) {
        const std::size_t start = p_;
        if (t_[p_] == '$') ++p_;
        while (p_ < t_.size() && IsNameChar(t_[p_])) ++p_;
        bool isFloat = false;
        if (p_ < t_.size() && t_[p_] == '.' && t_[start] != '$') {
            isFloat = true;
            ++p_;
            while (p_ < t_.size() && std::isdigit(static_cast<unsigned char>(t_[p_]))) ++p_;
        }
        const std::string text = t_.substr(start, p_ - start);
        if (isFloat) {
            double d = 0;
            const auto r = std::from_chars(text.data(), text.data() + text.size(), d);
            if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return Fail("bad number " + text);
            v = ExprValue{true, 0, d};
            return true;
        }
        if (!IsIntLiteral(text)) return Fail("bad number " + text);
        try {
            v = Int(IntLiteralValue(text));
        } catch (const Error&) {
            return Fail("number out of range: " + text);
        }
        return true;
    }
    bool Primary(ExprValue& v) {
        Skip();
        if (p_ >= t_.size()) return Fail("an expression is needed");
        const char c = t_[p_];
        if (c == '(') {
            ++p_;
            if (!Or(v)) return false;
            return Eat(")") || Fail("')' expected");
        }
        if (c == '\'') {
            if (p_ + 2 >= t_.size() || t_[p_ + 2] != '\'') return Fail("bad character constant");
            v = Int(static_cast<unsigned char>(t_[p_ + 1]));
            p_ += 3;
            return true;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '$') return Number(v);
        std::string name;
        if (!ReadName(name)) return Fail("unexpected '" + std::string(1, c) + "' at " + std::to_string(p_ + 1));
        if (Eat("[")) {
            ExprValue index;
            if (!Or(index)) return false;
            if (!Eat("]")) return Fail("']' expected");
            return env_.Element(name, index.AsInt(), v, error_);
        }
        return env_.Name(name, v, error_);
    }

    const std::string& t_;
    ExprEnvironment& env_;
    std::string& error_;
    std::size_t p_ = 0;
};

}  // namespace

bool EvaluateExpression(const std::string& text, ExprEnvironment& env, ExprValue& out, std::string& error) {
    error.clear();
    Parser parser(text, env, error);
    return parser.Whole(out);
}

bool ParseTarget(const std::string& text, ExprEnvironment& env, ExprTarget& out, std::string& error) {
    error.clear();
    Parser parser(text, env, error);
    return parser.Target(out);
}

bool IsPlainName(const std::string& text) {
    std::size_t a = 0, b = text.size();
    while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) --b;
    if (a == b || !IsNameStart(text[a])) return false;
    for (std::size_t i = a; i < b; ++i) {
        if (!IsNameChar(text[i])) return false;
    }
    return true;
}

std::string ExprValueText(const ExprValue& value) {
    return value.isFloat ? ShortestFloat(value.f) : std::to_string(value.i);
}

}  // namespace vorn
