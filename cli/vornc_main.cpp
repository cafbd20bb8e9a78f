// vornc: the command-line face of Vorn (expand, compile, run headless).
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/text_io.h"

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
#ifdef SIGPIPE
    // A reader that has gone makes the write fail, which is reported, rather
    // than killing us silently.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    if (argc < 2) return Usage();
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        Usage();
        return vorn::cli::kExitOk;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& c : vorn::cli::Commands()) {
        if (c.name != name) continue;
        int status = vorn::cli::kExitCommandError;
        // Nothing may end a command with an abort: an allocation that fails
        // (a hostile program, an enormous expansion) ends it with a message.
        try {
            status = c.run(args);
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "vornc %s: out of memory\n", name.c_str());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vornc %s: %s\n", name.c_str(), e.what());
        }
        return vorn::cli::FinishOutput(name, status);
    }
    std::fprintf(stderr, "vornc: unknown command '%s'\n", name.c_str());
    return Usage();
}
