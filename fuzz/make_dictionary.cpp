// Writes the compiler target's libFuzzer dictionary: every token's text
// from the keyword table and the token names (keywords, built-ins,
// operators, punctuation), so mutations splice whole words.
// Usage: fuzz_compiler_dictionary FILE
#include <cctype>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <string_view>

#include "compiler/keywords.h"
#include "compiler/tokens.h"

namespace {

// A placeholder name such as "IDENT" or "NUMBER" stands for no text.
bool IsPlaceholder(std::string_view name) {
    if (name == "?") return true;
    for (const char c : name) {
        if (!std::isupper(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_compiler_dictionary FILE\n";
        return 2;
    }
    std::set<std::string> words;
    for (const vorn::KeywordInfo& k : vorn::Keywords()) words.insert(k.text);
    for (int token = vorn::kFirstToken; token <= vorn::kLastToken; ++token) {
        const std::string_view name = vorn::TokenName(token);
        if (!IsPlaceholder(name)) words.insert(std::string(name));
    }
    std::ofstream out(argv[1]);
    for (const std::string& w : words) out << Quoted(w) << '\n';
    out.close();
    if (!out) {
        std::cerr << "fuzz_compiler_dictionary: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
