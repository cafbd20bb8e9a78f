#pragma once
// The script a test program carries in its comments: "// run:" lines with
// vornc run's arguments and "// expect:" lines with its output, in order.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vorn::test {

struct ProgramScript {
    bool readable = false;
    bool sawRun = false;
    std::vector<std::string> args;
    std::vector<std::string> expected;
};

inline ProgramScript ReadProgramScript(const std::string& path) {
    ProgramScript script;
    std::ifstream in(path);
    script.readable = static_cast<bool>(in);
    std::string line;
    while (std::getline(in, line)) {
        const auto mark = line.find("// ");
        if (mark == std::string::npos) continue;
        const std::string comment = line.substr(mark + 3);
        if (comment.rfind("run:", 0) == 0) {
            std::istringstream words(comment.substr(4));
            std::string word;
            while (words >> word) script.args.push_back(word);
            script.sawRun = true;
        } else if (comment.rfind("expect:", 0) == 0) {
            script.expected.push_back(comment.size() > 8 ? comment.substr(8) : "");
        }
    }
    return script;
}

}  // namespace vorn::test
