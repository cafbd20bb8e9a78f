#pragma once
// A tolerant outline of one source text as written (not expanded), read with
// the compiler's own lexer: every token with its place, and the declarations
// (globals, routines, sequences, key routines, their parameters and locals,
// defines, includes). Editors need it while the text is still broken, where
// the parser gives up at the first syntax error.
#include <string>
#include <vector>

namespace vorn {

struct OutlineToken {
    int token;    // tokens.h, or kOutlinePreprocessor for a whole #include/#define line
    int line;     // 1-based
    int column;   // 0-based byte column
    int length;   // bytes
};
inline constexpr int kOutlinePreprocessor = -2;

enum class OutlineKind { kGlobal, kRoutine, kSequence, kKeyRoutine, kParameter, kLocal, kDefine };

struct OutlineSymbol {
    OutlineKind kind = OutlineKind::kGlobal;
    std::string name;      // as written; a key routine's is "key Ctrl+G"
    std::string type;      // "int", "char[96]", "int*"; a routine's result type or ""
    std::string detail;    // an "at" global's offset as written, a define's value
    int line = 0;          // the name's place
    int column = 0;
    int length = 0;
    int endLine = 0;       // routines: the line of the closing brace
    int parent = -1;       // parameters and locals: the routine's index
    std::vector<int> params;  // routines: their parameters' indices, in order
};

struct OutlineInclude {
    int line;
    std::string name;      // as written between the quotes
};

struct Outline {
    std::vector<OutlineToken> tokens;
    std::vector<OutlineSymbol> symbols;
    std::vector<OutlineInclude> includes;

    // The innermost routine whose body holds the line, or -1.
    int RoutineAt(int line) const;
    // The symbol a name means at a line: that routine's parameters and
    // locals first, then the file's own declarations; -1 when none. Names are
    // compared without regard to letter case, as the compiler does.
    int Resolve(const std::string& name, int line) const;
    // The declaration line of a routine, for signatures: "Status()", "int Add(int a, int b)".
    std::string Signature(int routine) const;
};

Outline BuildOutline(const std::string& text);

// ASCII comparison without regard to letter case.
bool SameNameNoCase(const std::string& a, const std::string& b);

}  // namespace vorn
