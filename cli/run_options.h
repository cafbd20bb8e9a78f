#pragma once
// The command line of `vornc run`, parsed and checked.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/settings_options.h"

namespace vorn::cli {

struct RunPress {
    std::string text;      // as given, "Ctrl+G@5"
    std::string key;       // "Ctrl+G" or "71,2"
    std::int64_t tick = 0;  // 1 = the first tick
};

struct RunPoke {
    std::string text;  // as given
    std::uint16_t offset = 0;
    int size = 0;                 // 1, 2, 4 or 8, or a named text's size
    std::uint8_t bytes[256] = {}; // little-endian value (or text), size bytes used
};

struct RunOptions {
    std::string file;
    std::int64_t ticks = -1;  // -1: until end of input or interrupt
    bool fast = false;
    bool debug = false;
    bool listing = false;
    bool server = false;
    bool model = false;
    bool reconnect = false;
    bool wait = false;
    bool reloadOnChange = false;
    SettingOptions settings;
    std::vector<RunPress> presses;
    std::vector<RunPoke> pokes;
    std::vector<std::string> watch;  // global names, in the order given
    std::string log;                 // the built-in simulator's request log, "" for none
};

// Every option of `vornc run` with its explanation; usage and help are made from it.
const std::vector<OptionHelp>& RunOptionTable();

// False with a one-line reason in `error` when the arguments are not usable.
bool ParseRunOptions(const std::vector<std::string>& args, RunOptions& options, std::string& error);

// "0x0570:4=1000", "1392:8=1.5", "$0BC8:2=32767", "0x0570:8i=44508746088448".
bool ParsePoke(const std::string& text, RunPoke& poke, std::string& error);

}  // namespace vorn::cli
