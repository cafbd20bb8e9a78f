#pragma once
// The debugger's small evaluator: conditions of breakpoints and the
// expressions of print, set and hover, with the machine's arithmetic (ints
// wrap, a float on either side makes the operation float, comparisons give
// 1 or 0). It knows no variables itself: an environment resolves names.
#include <cstdint>
#include <string>

namespace vorn {

struct ExprValue {
    bool isFloat = false;
    std::int32_t i = 0;
    double f = 0;
    double AsDouble() const { return isFloat ? f : static_cast<double>(i); }
    // A float used as an int is truncated toward zero, as a store would.
    std::int32_t AsInt() const;
};

class ExprEnvironment {
public:
    virtual ~ExprEnvironment() = default;
    // The value of a name (an array name: its base address). False with a
    // reason in `error`.
    virtual bool Name(const std::string& name, ExprValue& out, std::string& error) = 0;
    virtual bool Element(const std::string& name, std::int32_t index, ExprValue& out, std::string& error) = 0;
};

// False with a reason in `error` ("unknown name x", "division by zero",
// "unexpected ')' at 5").
bool EvaluateExpression(const std::string& text, ExprEnvironment& env, ExprValue& out, std::string& error);

// "name" or "name[expr]": the name and, for an element, its index.
struct ExprTarget {
    std::string name;
    bool element = false;
    std::int32_t index = 0;
};
bool ParseTarget(const std::string& text, ExprEnvironment& env, ExprTarget& out, std::string& error);

// True when the text is one name and nothing else.
bool IsPlainName(const std::string& text);

// The value as the program would print it: "42", "1.5".
std::string ExprValueText(const ExprValue& value);

}  // namespace vorn
