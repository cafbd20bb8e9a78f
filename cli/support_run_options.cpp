// Parsing of `vornc run`'s arguments. Every number from the command line is
// checked for form and range before it is used.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "cli/run_options.h"
#include "sim/sim_commands.h"

namespace vorn::cli {

namespace {

// The longest run we take: far beyond any real session, small enough that
// tick arithmetic never overflows.
constexpr std::int64_t kMaxTicks = 1'000'000'000;

bool ParseInteger(const std::string& text, std::int64_t& value) {
    if (text.empty()) return false;
    std::size_t i = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    int base = 10;
    if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
        base = 16;
        i += 2;
    } else if (i < text.size() && text[i] == '$') {
        base = 16;
        i += 1;
    }
    if (i >= text.size()) return false;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (magnitude > (std::uint64_t{1} << 40)) return false;  // far beyond any use here
    }
    value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

bool ParseDouble(const std::string& text, double& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && errno == 0 && std::isfinite(value);
}

// "--name VALUE" or "--name=VALUE".
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
               std::string& value, std::string& error) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
    }
    value = args[++i];
    return true;
}

bool Matches(const std::string& arg, const std::string& name) {
    return arg == name || (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
                           arg[name.size()] == '=');
}

}  // namespace

const std::vector<OptionHelp>& RunOptionTable() {
    static const std::vector<OptionHelp> table = {
        {"--ticks N", "stop after N ticks of 100 ms (default: at the end of input or Ctrl+C)"},
        {"--seconds S", "stop after S seconds, that is S x 10 ticks (not with --ticks)"},
        {"--fast", "run the ticks back to back instead of every 100 ms"},
        {"--debug", "switch Debug on: 1 instruction per tick, and trace lines on stderr"},
        {"--listing", "print the compiler listing, code lines included, on stderr before the run"},
        {"--press KEY@TICK", "press the hot key KEY (Ctrl+G, or code,modifier as 71,2) in the built-in simulator at tick TICK", true},
        {"--poke OFFSET:SIZE=VALUE", "set SIZE (1, 2, 4 or 8) bytes at an FSUIPC offset of the built-in simulator before the run; a letter after SIZE gives the type: i or s signed, u unsigned, f float (0x0570:8i=44508746088448); or NAME=VALUE with a name of vornc offsets (Lights=0x13)", true},
        {"--server", "connect to a running vorn-sim instead of the built-in simulator"},
        {"--model", "let the built-in simulator's aircraft model move its offsets every tick"},
        {"--log FILE", "append every request to the built-in simulator to FILE, as vorn-sim --log does"},
        {"--watch NAME[,NAME...]", "after every tick in which one of these globals changed, print \"tick T: NAME=VALUE ...\" on stderr"},
        {"--reconnect", "after a lost link, try to connect again every 2 s"},
        {"--batch", "one exchange with the simulator per tick: the program's offsets are read at the start of the tick and its writes sent at the next (docs/fsuipc.md)"},
        {"--wait", "with --server: when no server is there yet, try again every 2 s until one answers"},
        {"--reload-on-change", "when FILE or a file it includes changes (looked at 4 times a second), compile it again and swap it into the running program; globals and hot keys that stay are kept"},
    };
    static const std::vector<OptionHelp> all = [] {
        std::vector<OptionHelp> options = table;
        for (const OptionHelp& o : SettingOptionHelp()) options.push_back(o);
        options.push_back({"--help", "print this help"});
        return options;
    }();
    return all;
}

bool ParsePoke(const std::string& text, RunPoke& poke, std::string& error) {
    poke = RunPoke{};
    poke.text = text;
    OffsetValue value;
    if (!ParseOffsetValue(text, value, error)) {
        error = "--poke " + text + ": " + error;
        return false;
    }
    poke.offset = value.offset;
    poke.size = static_cast<int>(value.size);
    static_assert(sizeof poke.bytes == sizeof value.bytes);
    std::memcpy(poke.bytes, value.bytes, sizeof poke.bytes);
    return true;
}

bool ParseRunOptions(const std::vector<std::string>& args, RunOptions& options, std::string& error) {
    options = RunOptions{};
    bool ticksGiven = false, secondsGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (TakeSettingOption(args, i, options.settings, error)) {
            if (!error.empty()) return false;
        } else if (arg == "--wait") {
            options.wait = true;
        } else if (arg == "--fast") {
            options.fast = true;
        } else if (arg == "--debug") {
            options.debug = true;
        } else if (arg == "--listing") {
            options.listing = true;
        } else if (arg == "--server") {
            options.server = true;
        } else if (arg == "--model") {
            options.model = true;
        } else if (arg == "--reconnect") {
            options.reconnect = true;
        } else if (arg == "--batch") {
            // The command-line layer of the stored setting.
            options.settings.values.emplace_back(SettingId::kOneExchangePerTick, "true");
        } else if (arg == "--reload-on-change") {
            options.reloadOnChange = true;
        } else if (Matches(arg, "--log")) {
            if (!TakeValue(args, i, "--log", options.log, error)) return false;
            if (options.log.empty()) {
                error = "--log needs a file name";
                return false;
            }
        } else if (Matches(arg, "--ticks")) {
            if (!TakeValue(args, i, "--ticks", value, error)) return false;
            if (ticksGiven) {
                error = "--ticks given twice";
                return false;
            }
            std::int64_t n = 0;
            if (value.empty() || value[0] == '-' || !ParseInteger(value, n) || n > kMaxTicks) {
                error = "--ticks " + value + ": expected a whole number from 0 to " + std::to_string(kMaxTicks);
                return false;
            }
            options.ticks = n;
            ticksGiven = true;
        } else if (Matches(arg, "--seconds")) {
            if (!TakeValue(args, i, "--seconds", value, error)) return false;
            if (secondsGiven) {
                error = "--seconds given twice";
                return false;
            }
            double s = 0;
            if (!ParseDouble(value, s) || s < 0 || s * 10 > static_cast<double>(kMaxTicks)) {
                error = "--seconds " + value + ": expected a number of seconds, 0 or more";
                return false;
            }
            options.ticks = static_cast<std::int64_t>(std::llround(s * 10));
            secondsGiven = true;
        } else if (Matches(arg, "--press")) {
            if (!TakeValue(args, i, "--press", value, error)) return false;
            const std::size_t at = value.rfind('@');
            RunPress press;
            press.text = value;
            std::int64_t tick = 0;
            if (at == std::string::npos || at == 0 || !ParseInteger(value.substr(at + 1), tick) || tick < 1 ||
                tick > kMaxTicks) {
                error = "--press " + value + ": expected KEY@TICK with TICK 1 or more, e.g. Ctrl+G@5";
                return false;
            }
            press.key = value.substr(0, at);
            press.tick = tick;
            options.presses.push_back(press);
        } else if (Matches(arg, "--watch")) {
            if (!TakeValue(args, i, "--watch", value, error)) return false;
            std::size_t start = 0;
            for (;;) {
                const std::size_t comma = value.find(',', start);
                const std::string name = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
                if (name.empty()) {
                    error = "--watch " + value + ": expected NAME[,NAME...]";
                    return false;
                }
                options.watch.push_back(name);
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
        } else if (Matches(arg, "--poke")) {
            if (!TakeValue(args, i, "--poke", value, error)) return false;
            RunPoke poke;
            if (!ParsePoke(value, poke, error)) return false;
            options.pokes.push_back(poke);
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            error = "unknown option " + arg;
            return false;
        } else if (options.file.empty()) {
            options.file = arg;
        } else {
            error = "only one FILE, but also got " + arg;
            return false;
        }
    }
    if (options.file.empty()) {
        error = "no FILE given";
        return false;
    }
    if (ticksGiven && secondsGiven) {
        error = "give --ticks or --seconds, not both";
        return false;
    }
    for (const RunPress& press : options.presses) {
        if (options.ticks >= 0 && press.tick > options.ticks) {
            error = "--press " + press.text + ": tick " + std::to_string(press.tick) + " comes after the last tick (" +
                    std::to_string(options.ticks) + ")";
            return false;
        }
    }
    if (options.server && (options.model || !options.presses.empty() || !options.pokes.empty() || !options.log.empty())) {
        error = "--model, --press, --poke and --log act on the built-in simulator, not with --server";
        return false;
    }
    return true;
}

}  // namespace vorn::cli
