#pragma once
// vornc's subcommands. Each cmd_*.cpp registers one with a static
// CommandRegistration, so the main program knows none of them by name.
#include <string>
#include <vector>

namespace vorn::cli {

// Exit statuses shared by every subcommand.
enum ExitStatus : int {
    kExitOk = 0,
    kExitProgramErrors = 1,   // the program has errors
    kExitUsage = 2,           // usage or file errors
    kExitCommandError = 3,    // an error ended the command
    kExitConnectFailed = 4,   // no server to connect to
    kExitWriteFailed = 6,     // standard output or standard error could not be written
};

struct Command {
    std::string name;
    std::string usage;  // one line, without the program name
    int (*run)(const std::vector<std::string>& args);  // args exclude "vornc" and the name
};

void RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

struct CommandRegistration {
    explicit CommandRegistration(const Command& command) { RegisterCommand(command); }
};

}  // namespace vorn::cli
