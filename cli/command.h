#pragma once
// vornc's subcommands. Each cmd_*.cpp registers one with a static
// CommandRegistration, so the main program knows none of them by name. A
// command's option table is the one place its options and their
// explanations live: the usage line and the help are made from it.
#include <cstdio>
#include <string>
#include <vector>

namespace vorn::cli {

// Exit statuses shared by every subcommand.
enum ExitStatus : int {
    kExitOk = 0,
    kExitProgramErrors = 1,   // the program has errors
    kExitUsage = 2,           // usage or file errors
    kExitCommandError = 3,    // an error ended the command
    kExitConnectFailed = 4,   // no server to connect to, or the link was lost
    kExitRuntimeError = 5,    // a runtime error ended a process during the run
};

struct OptionHelp {
    std::string form;         // "--ticks N"
    std::string explanation;  // one line
    bool repeats = false;     // may be given more than once
};

struct Command {
    std::string name;
    std::string operands;  // "FILE"
    int (*run)(const std::vector<std::string>& args);  // args exclude "vornc" and the name
    std::string summary;   // one line: what the command does
    std::vector<OptionHelp> options;
    std::vector<int> exitStatuses;  // the ones this command can end with
};

void RegisterCommand(const Command& command);
const std::vector<Command>& Commands();
const Command* FindCommand(const std::string& name);

// "run FILE [--ticks N] ... [--press KEY@TICK]..."
std::string UsageLine(const Command& command);
// The usage line of a registered command, for error messages.
std::string UsageOf(const std::string& name);
// Synopsis, summary, every option with its explanation, exit statuses.
void PrintHelp(const Command& command, std::FILE* out);
// What an exit status means, one line.
const char* ExitStatusMeaning(int status);

struct CommandRegistration {
    explicit CommandRegistration(const Command& command) { RegisterCommand(command); }
};

}  // namespace vorn::cli
