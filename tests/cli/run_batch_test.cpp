// vornc run --batch against the same run without it: the example and test
// programs print the same and write the same bytes to the simulator in the
// same order (read back from the simulator's request log), on the built-in
// simulator and on a real vorn-sim process, in one exchange a tick.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_process.h"
#include "tests/cli/program_script.h"
#include "tests/cli/vornc_process.h"
#include "tests/fsuipc/private_runtime_dir.h"

namespace vorn::test {
namespace {

// One request of a vorn-sim log: its record lines.
using Request = std::vector<std::string>;

std::vector<Request> Requests(const std::string& log) {
    std::vector<Request> requests;
    for (const std::string& line : ProcessResult::Lines(log)) {
        if (line.rfind("  ", 0) != 0) {
            requests.emplace_back();
        } else if (!requests.empty()) {
            requests.back().push_back(line.substr(2));
        }
    }
    return requests;
}

std::vector<std::string> Writes(const std::vector<Request>& requests) {
    std::vector<std::string> writes;
    for (const Request& r : requests)
        for (const std::string& record : r)
            if (record.rfind("write", 0) == 0) writes.push_back(record);
    return writes;
}

bool ReadsHeartbeat(const Request& r) {
    for (const std::string& record : r)
        if (record.rfind("read  0x0C48:1", 0) == 0) return true;
    return false;
}

bool Reads(const Request& r, const std::string& what) { return r.size() == 1 && r[0].rfind("read  " + what, 0) == 0; }

// The requests of the run that are not a tick's own exchange, from the first
// tick to the disconnect's hot-key releases (each a read of the entry, then
// a write of 0 to it): per access every read and write of the program and
// the key polls; batched, one for each press taken.
int ExtraRequests(const std::vector<Request>& requests) {
    std::size_t end = requests.size();
    while (end >= 2 && requests[end - 1].size() == 1 && requests[end - 1][0].rfind("write 0x32", 0) == 0 &&
           requests[end - 1][0].find(":4 <- 00 00 00 00") != std::string::npos &&
           Reads(requests[end - 2], requests[end - 1][0].substr(6, 8)))
        end -= 2;
    int first = -1, ticks = 0;
    for (std::size_t i = 0; i < end; ++i) {
        if (!ReadsHeartbeat(requests[i])) continue;
        if (first < 0) first = int(i);
        ++ticks;
    }
    return first < 0 ? 0 : int(end) - first - ticks;
}

struct BatchRun {
    std::string name;
    std::string file;
    std::vector<std::string> args;
    int presses = 0;  // ticks that take a press: one exchange more each, batched
    int atDisconnect = 0;  // the last tick's writes, sent before the hot keys are released
};

std::ostream& operator<<(std::ostream& os, const BatchRun& r) { return os << r.name; }

int Presses(const std::vector<std::string>& args) {
    int n = 0;
    for (const std::string& a : args) n += a == "--press";
    return n;
}

std::vector<BatchRun> Runs() {
    const std::string source = VORN_SOURCE_DIR;
    std::vector<BatchRun> runs = {
        {"demo", source + "/examples/demo.vrn",
         {"--model", "--ticks", "100", "--press", "Ctrl+S@5", "--press", "Ctrl+L@10", "--press", "Ctrl+H@30", "--press",
          "Ctrl+S@75"}},
        {"hotkeys", source + "/examples/hotkeys.vrn",
         {"--ticks", "5", "--press", "Ctrl+G@1", "--press", "Ctrl+G@2", "--press", "Ctrl+Shift+K@3", "--press",
          "Ctrl+P@4", "--press", "Ctrl+P@5"},
         0, 1},
        {"blocks", source + "/examples/blocks.vrn",
         {"--ticks", "2", "--poke", "0x0238:1=13", "--press", "Ctrl+B@1", "--press", "Ctrl+W@2"}},
        {"countdown", source + "/examples/countdown.vrn", {"--ticks", "45", "--press", "Ctrl+T@1"}},
    };
    const std::string folder = source + "/tests/cli/programs";
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".vrn") continue;
        runs.push_back({entry.path().stem().string(), entry.path().string(),
                        ReadProgramScript(entry.path().string()).args});
    }
    for (BatchRun& r : runs) r.presses = Presses(r.args);
    return runs;
}

class BatchedRun : public ::testing::TestWithParam<BatchRun> {
protected:
    struct Seen {
        ProcessResult result;
        std::vector<Request> requests;
    };
    Seen RunIt(bool batch) {
        const std::string log = (std::filesystem::temp_directory_path() /
                                 ("vorn-batch-" + std::to_string(::getpid()) + (batch ? "-on.log" : "-off.log")))
                                    .string();
        std::filesystem::remove(log);
        std::vector<std::string> args = {"run", GetParam().file, "--fast", "--no-settings", "--log", log};
        args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
        if (batch) args.push_back("--batch");
        Seen seen{RunVornc(args), Requests(ReadWholeFile(log))};
        std::filesystem::remove(log);
        return seen;
    }
};

TEST_P(BatchedRun, PrintsAndWritesWhatItDoesPerAccess) {
    const Seen plain = RunIt(false);
    const Seen batched = RunIt(true);
    EXPECT_EQ(batched.result.status, plain.result.status) << batched.result.err;
    EXPECT_EQ(batched.result.out, plain.result.out);
    EXPECT_EQ(batched.result.err, plain.result.err);
    EXPECT_EQ(Writes(batched.requests), Writes(plain.requests));
    EXPECT_FALSE(Writes(plain.requests).empty());
    // Block transfers and %s over an offset go through their own exchange.
    const bool ownExchanges = GetParam().name == "blocks" || GetParam().name == "simulator_offsets";
    if (!ownExchanges) {
        EXPECT_EQ(ExtraRequests(batched.requests), GetParam().presses + GetParam().atDisconnect);
    }
    EXPECT_GT(ExtraRequests(plain.requests), ExtraRequests(batched.requests));
}

INSTANTIATE_TEST_SUITE_P(Programs, BatchedRun, ::testing::ValuesIn(Runs()),
                         [](const ::testing::TestParamInfo<BatchRun>& info) { return info.param.name; });

// The same against vorn-sim: presses come from the server, each once the
// one before has been taken.
class BatchedServerRun : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim_.Start(VORN_SIM_PATH, {}, error)) << error;
    }
    bool WaitUntil(const std::function<bool(const std::string&)>& keysSay) {
        for (int i = 0; i < 500; ++i) {
            if (keysSay(sim_.Command("keys"))) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    testing::PrivateRuntimeDir runtime_;
    SimProcess sim_;
};

TEST_F(BatchedServerRun, HotKeysExampleWritesTheSame) {
    const std::vector<std::string> presses = {"Ctrl+G", "Ctrl+G", "Ctrl+Shift+K", "Ctrl+P", "Ctrl+P"};
    std::string outputs[2];
    std::vector<Request> logs[2];
    for (int batch = 0; batch < 2; ++batch) {
        SCOPED_TRACE(batch ? "batched" : "per access");
        const std::string log = runtime_.Path() + (batch ? "/on.log" : "/off.log");
        ASSERT_EQ(sim_.Command("log on " + log), "log on: " + log);
        ProcessOptions options;
        options.keepInputOpen = true;
        std::vector<std::string> args = {"run", std::string(VORN_SOURCE_DIR) + "/examples/hotkeys.vrn", "--server",
                                         "--no-settings"};
        if (batch) args.push_back("--batch");
        ChildProcess run(VORN_VORNC_PATH, args, options);
        ASSERT_TRUE(WaitUntil([](const std::string& keys) { return keys.rfind("3 hot keys", 0) == 0; }));
        for (const std::string& key : presses) {
            EXPECT_NE(sim_.Command("press " + key).find(": 1 hot key flagged"), std::string::npos) << key;
            ASSERT_TRUE(WaitUntil([](const std::string& keys) { return keys.find("flag 1") == std::string::npos; }));
        }
        // A tick after the last press: its write has reached the server.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        run.Signal(SIGTERM);
        const ProcessResult r = run.Finish();
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(sim_.Command("log off"), "log off: " + log);
        outputs[batch] = r.out;
        logs[batch] = Requests(ReadWholeFile(log));
    }
    EXPECT_EQ(outputs[1], outputs[0]);
    EXPECT_EQ(ProcessResult::Lines(outputs[1]).size(), presses.size());
    EXPECT_EQ(Writes(logs[1]), Writes(logs[0]));
    EXPECT_EQ(ExtraRequests(logs[1]), int(presses.size()));
    EXPECT_GT(ExtraRequests(logs[0]), 3 * int(presses.size())) << "three keys polled every tick";
    EXPECT_EQ(sim_.Command("get 0x0262:2"), "0x0262:2=0 (0x0000)");
}

}  // namespace
}  // namespace vorn::test
