// vornc: the command-line face of Vorn (expand, compile, run headless).
#include <algorithm>
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

const Command* FindCommand(const std::string& name) {
    for (const Command& c : Registry()) {
        if (c.name == name) return &c;
    }
    return nullptr;
}

std::string UsageLine(const Command& command) {
    std::string line = command.name;
    if (!command.operands.empty()) line += " " + command.operands;
    for (const OptionHelp& o : command.options) line += " [" + o.form + "]" + (o.repeats ? "..." : "");
    return line;
}

std::string UsageOf(const std::string& name) {
    const Command* c = FindCommand(name);
    return c ? UsageLine(*c) : name;
}

const char* ExitStatusMeaning(int status) {
    switch (status) {
    case kExitOk: return "success";
    case kExitProgramErrors: return "the program has errors (diagnostics on stderr)";
    case kExitUsage: return "usage or file error";
    case kExitCommandError: return "an error ended the command";
    case kExitConnectFailed: return "no simulator to connect to, or the link was lost";
    case kExitRuntimeError: return "a runtime error ended a process during the run";
    default: return "";
    }
}

void PrintHelp(const Command& command, std::FILE* out) {
    std::fprintf(out, "usage: vornc %s\n\n%s\n", UsageLine(command).c_str(), command.summary.c_str());
    if (!command.options.empty()) {
        std::size_t width = 0;
        for (const OptionHelp& o : command.options) width = std::max(width, o.form.size());
        std::fprintf(out, "\noptions:\n");
        for (const OptionHelp& o : command.options) {
            std::fprintf(out, "  %-*s  %s%s\n", static_cast<int>(width), o.form.c_str(), o.explanation.c_str(),
                         o.repeats ? " (may be repeated)" : "");
        }
    }
    if (!command.exitStatuses.empty()) {
        std::fprintf(out, "\nexit status:\n");
        for (const int s : command.exitStatuses) std::fprintf(out, "  %d  %s\n", s, ExitStatusMeaning(s));
    }
}

}  // namespace vorn::cli

namespace {

using vorn::cli::Command;
using vorn::cli::Commands;

const char* const kVersion = "vornc " VORN_VERSION_TEXT;

void Overview(std::FILE* out) {
    std::fprintf(out, "usage: vornc COMMAND [ARGS]\n\ncommands:\n");
    std::size_t width = 0;
    for (const Command& c : Commands()) width = std::max(width, c.name.size());
    for (const Command& c : Commands())
        std::fprintf(out, "  %-*s  %s\n", static_cast<int>(width), c.name.c_str(), c.summary.c_str());
    std::fprintf(out,
                 "\n'vornc help COMMAND' or 'vornc COMMAND --help' explains a command and its options.\n"
                 "'vornc --version' prints the version.\n");
}

int Usage() {
    std::fprintf(stderr, "usage:\n");
    for (const auto& c : Commands()) std::fprintf(stderr, "  vornc %s\n", vorn::cli::UsageLine(c).c_str());
    std::fprintf(stderr, "'vornc --help' explains more.\n");
    return vorn::cli::kExitUsage;
}

int HelpFor(const std::string& name) {
    const Command* c = vorn::cli::FindCommand(name);
    if (!c) {
        std::fprintf(stderr, "vornc: unknown command '%s'\n", name.c_str());
        return Usage();
    }
    vorn::cli::PrintHelp(*c, stdout);
    return vorn::cli::kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string name = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (name == "--version" || name == "-V") {
        std::printf("%s\n", kVersion);
        return vorn::cli::kExitOk;
    }
    if (name == "--help" || name == "-h" || name == "help") {
        if (!args.empty()) return HelpFor(args[0]);
        Overview(stdout);
        return vorn::cli::kExitOk;
    }
    const Command* command = vorn::cli::FindCommand(name);
    if (!command) {
        std::fprintf(stderr, "vornc: unknown command '%s'\n", name.c_str());
        return Usage();
    }
    if (std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; })) {
        vorn::cli::PrintHelp(*command, stdout);
        return vorn::cli::kExitOk;
    }
    return command->run(args);
}
