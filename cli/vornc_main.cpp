// vornc: the command-line face of Vorn (expand, compile, run headless).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"

namespace vorn::cli {

namespace {
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}
}  // namespace

void RegisterCommand(const Command& command) { Registry().push_back(command); }
const std::vector<Command>& Commands() { return Registry(); }

}  // namespace vorn::cli

namespace {
int Usage() {
    std::fprintf(stderr, "usage:\n");
    for (const auto& c : vorn::cli::Commands()) std::fprintf(stderr, "  vornc %s\n", c.usage.c_str());
    return vorn::cli::kExitUsage;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        Usage();
        return vorn::cli::kExitOk;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& c : vorn::cli::Commands()) {
        if (c.name == name) return c.run(args);
    }
    std::fprintf(stderr, "vornc: unknown command '%s'\n", name.c_str());
    return Usage();
}
