// vorn-sim: a simulated FSUIPC server for machines without a simulator.
#include <signal.h>
#include <unistd.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sim/aircraft_model.h"
#include "sim/request_log.h"
#ifdef _WIN32
#include "sim/win32_server.h"
#else
#include "sim/posix_server.h"
#endif
#include "sim/sim_commands.h"
#include "sim/sim_server.h"

namespace {

constexpr const char* kUsage =
    "usage: vorn-sim [options]\n"
    "\n"
    "a simulated FSUIPC server for machines without a simulator, and a test server for any\n"
    "FSUIPC client\n"
    "\n"
    "options:\n"
    "  --class NAME          serve this window class (UIPCMAIN, FSUIPC's own and the\n"
    "                        default, or FS98MAIN, WideClient's); may be given more than once\n"
    "  --uipcmain            same as --class UIPCMAIN\n"
    "  --wideclient          same as --class FS98MAIN\n"
    "  --answer N            answer every request with N instead of 1\n"
    "  --no-answer           never answer (clients time out)\n"
    "  --version-fsuipc N    the FSUIPC version held at 0x3304 (default 0x74160000, 7.4.16)\n"
    "  --simulator N         the simulator number in the low 16 bits of 0x3308 (default 13, MSFS)\n"
    "  --delay-ms N          wait N ms before every answer\n"
    "  --log FILE            append one entry per request to FILE: client, records, answer, time\n"
    "  --log-limit BYTES     start FILE again past this size, keeping the old one as FILE.1\n"
    "                        (default 8 MiB)\n"
    "  --background          ignore stdin; run until SIGINT or SIGTERM\n"
    "  --model               fly a small aircraft: the catalogue's flight offsets (altitude,\n"
    "                        speeds, heading, attitude, position, clock...) move every 100 ms\n"
    "                        and follow the autopilot, throttle, gear and flaps offsets\n"
    "  --help                print this help\n"
    "\n"
    "commands on stdin, one per line: press Ctrl+G | press 71,2 | set 0x0570:4=1000 |\n"
    "  set 0x0570:8i=1000 | get 0x0570:8i | keys | log on [FILE] | log off | help | quit\n"
    "  (after the size: i or s signed, u unsigned, f float; 8 alone is a double)\n"
    "  an offset may be named as vornc offsets lists it: set Lights=0x13 | get IndicatedAirspeed\n";

bool ParseNumber(const char* text, std::uint64_t max, std::uint64_t& value) {
    if (text == nullptr || *text == '\0' || *text == '-') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(text, &end, 0);
    if (errno != 0 || *end != '\0' || v > max) return false;
    value = v;
    return true;
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "vorn-sim: %s\n%s", message.c_str(), kUsage);
    return 2;
}

#ifdef _WIN32
// With --model on Windows the serving loop, which is single-threaded and
// owns the server, reads one pipe fed by two threads: a 100 ms clock and (unless in
// the background) standard input, whole lines only. The clock's line and
// the end of input are marker lines the command handler recognises.
constexpr std::string_view kClockLine = "\x01";
constexpr std::string_view kEndLine = "\x02";

int StartModelFeed(bool readStdin) {
    int fds[2];
#ifdef _WIN32
    if (::_pipe(fds, 4096, _O_BINARY) != 0) return -1;
#else
    if (::pipe(fds) != 0) return -1;
#endif
    const int writeFd = fds[1];
    std::thread([writeFd] {
        const std::string line = std::string(kClockLine) + "\n";
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (::write(writeFd, line.data(), line.size()) < 0) return;
        }
    }).detach();
    if (readStdin) {
        std::thread([writeFd] {
            std::string line;
            char c;
            while (::read(STDIN_FILENO, &c, 1) == 1) {
                line += c;
                if (c != '\n') continue;
                // One write per line keeps it whole beside the clock's lines.
                if (line.size() < 4096 && ::write(writeFd, line.data(), line.size()) < 0) return;
                line.clear();
            }
            const std::string end = std::string(kEndLine) + "\n";
            [[maybe_unused]] ssize_t n = ::write(writeFd, end.data(), end.size());
        }).detach();
    }
    return fds[0];
}

#endif

}  // namespace

int main(int argc, char** argv) {
    vorn::SimServerOptions options;
    std::vector<std::string> classes;
    bool background = false;
    bool model = false;
    std::string logPath;
    std::uint64_t logLimit = vorn::RequestLog::kDefaultLimit;

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        std::uint64_t n = 0;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--class") {
            if (value == nullptr || *value == '\0' || std::strchr(value, '/') != nullptr)
                return Usage("--class needs a class name");
            classes.emplace_back(value);
            ++i;
        } else if (arg == "--uipcmain") {
            classes.emplace_back("UIPCMAIN");
        } else if (arg == "--wideclient") {
            classes.emplace_back("FS98MAIN");
        } else if (arg == "--log") {
            if (value == nullptr || *value == '\0') return Usage("--log needs a file name");
            logPath = value;
            ++i;
        } else if (arg == "--log-limit") {
            if (!ParseNumber(value, std::uint64_t(1) << 40, n) || n < vorn::RequestLog::kMinimumLimit)
                return Usage("--log-limit needs a number of bytes, 4096 or more");
            logLimit = n;
            ++i;
        } else if (arg == "--answer") {
            if (!ParseNumber(value, 0xFFFFFFFFu, n)) return Usage("--answer needs a number 0..0xFFFFFFFF");
            options.answer = std::uint32_t(n);
            ++i;
        } else if (arg == "--no-answer") {
            options.neverAnswer = true;
        } else if (arg == "--version-fsuipc") {
            if (!ParseNumber(value, 0xFFFFFFFFu, n)) return Usage("--version-fsuipc needs a number 0..0xFFFFFFFF");
            options.fsuipcVersion = std::uint32_t(n);
            ++i;
        } else if (arg == "--simulator") {
            if (!ParseNumber(value, 0xFFFF, n)) return Usage("--simulator needs a number 0..65535");
            options.simulator = std::uint16_t(n);
            ++i;
        } else if (arg == "--delay-ms") {
            if (!ParseNumber(value, 600000, n)) return Usage("--delay-ms needs a number 0..600000");
            options.delayMs = std::uint32_t(n);
            ++i;
        } else if (arg == "--background") {
            background = true;
        } else if (arg == "--model") {
            model = true;
        } else {
            return Usage("unknown option '" + std::string(arg) + "'");
        }
    }
    if (classes.empty()) classes.emplace_back("UIPCMAIN");

#ifdef _WIN32
    vorn::SimServer server(options);
    vorn::Win32Server serving(server, classes);
#else
    // A reader that goes away must not kill us before the socket is removed.
    ::signal(SIGPIPE, SIG_IGN);

    vorn::SimServer server(options);
    vorn::PosixServer serving(server, classes);
#endif
    serving.StopOnSignals();
    std::string error;
    vorn::RequestLog log;
    log.SetLimit(logLimit);
    if (!logPath.empty() && !log.Open(logPath, error)) {
        std::fprintf(stderr, "vorn-sim: %s\n", error.c_str());
        return 1;
    }
    server.SetLog(&log);
    if (!serving.Listen(error)) {
        std::fprintf(stderr, "vorn-sim: %s\n", error.c_str());
        return 1;
    }

    std::string ready = "vorn-sim ready:";
    for (std::size_t i = 0; i < classes.size(); ++i)
#ifdef _WIN32
        ready += (i == 0 ? " " : ", ") + classes[i] + " window";
#else
        ready += (i == 0 ? " " : ", ") + classes[i] + " at " + serving.SocketPaths()[i];
#endif
    std::printf("%s\n", ready.c_str());
    std::fflush(stdout);

    auto handler = [&server](std::string_view line, bool& quit) {
        return vorn::ExecuteSimCommand(server, line, quit);
    };
    if (model) {
        vorn::AircraftModel aircraft(server);
#ifndef _WIN32
        // The aircraft moves every 100 ms on the serving loop's own thread,
        // between requests, so it never races a client's block.
        serving.SetTicker(100, [&aircraft] { aircraft.Advance(); });
        serving.Serve(background ? -1 : STDIN_FILENO, STDOUT_FILENO, handler, !background);
#else
        const int feed = StartModelFeed(!background);
        if (feed < 0) {
            std::fprintf(stderr, "vorn-sim: cannot start the model's clock\n");
            return 1;
        }
        auto modelHandler = [&](std::string_view line, bool& quit) -> std::string {
            if (line == kClockLine) {
                aircraft.Advance();
                return {};
            }
            if (line == kEndLine) {
                quit = true;
                return {};
            }
            return handler(line, quit);
        };
        serving.Serve(feed, STDOUT_FILENO, modelHandler, !background);
#endif
        return 0;
    }
    serving.Serve(background ? -1 : STDIN_FILENO, STDOUT_FILENO, handler, !background);
    return 0;
}
