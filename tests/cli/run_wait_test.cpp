// vornc run --server --wait started before its server, and the line that
// names the server's FSUIPC version and simulator at Connect.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_process.h"
#include "tests/cli/vornc_process.h"
#include "tests/fsuipc/private_runtime_dir.h"

namespace vorn::test {
namespace {

const char* const kKeyProgram =
    "key(Control, 'G') {\n"
    "   printstr(\"pressed\")\n"
    "}\n";

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(RunWait, ConnectsToAServerThatComesLater) {
    testing::PrivateRuntimeDir runtime;
    TempProgram program(kKeyProgram);
    ProcessOptions options;
    options.timeoutMs = 30000;
    ChildProcess run(VORN_VORNC_PATH, {"run", program.Path(), "--server", "--wait", "--seconds", "9"}, options);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, {}, error)) << error;
    bool registered = false;
    for (int i = 0; i < 300 && !registered; ++i) {
        registered = sim.Command("keys").find("Ctrl+G") != std::string::npos;
        if (!registered) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(registered) << "the waiting run never connected";
    EXPECT_EQ(sim.Command("press Ctrl+G"), "pressed Ctrl+G (71,2): 1 hot key flagged");
    const ProcessResult r = run.Finish();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.OutLines(), std::vector<std::string>{"pressed"});
    EXPECT_EQ(Count(r.err, "Waiting for the simulator (no FSUIPC window yet)"), 1u) << r.err;
    EXPECT_EQ(Count(r.err, "Connected to FSUIPC "), 1u) << r.err;
}

TEST(RunWait, WithoutWaitNoServerIsStatusFour) {
    testing::PrivateRuntimeDir runtime;
    TempProgram program(kKeyProgram);
    const ProcessResult r = RunVornc({"run", program.Path(), "--server", "--ticks", "1"});
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_EQ(r.err.find("Waiting"), std::string::npos) << r.err;
}

struct ServerCase {
    const char* name;
    std::vector<std::string> simArgs;
    const char* line;
};

class ConnectedLine : public ::testing::TestWithParam<ServerCase> {};

TEST_P(ConnectedLine, NamesTheVersionAndTheSimulator) {
    testing::PrivateRuntimeDir runtime;
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, GetParam().simArgs, error)) << error;
    TempProgram program("int x;\n");
    const ProcessResult r = RunVornc({"run", program.Path(), "--server", "--ticks", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "") << "the line goes to standard error, beside the other link messages";
    EXPECT_EQ(r.ErrLines(), std::vector<std::string>{std::string("vornc run: ") + GetParam().line});
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ConnectedLine,
    ::testing::Values(
        ServerCase{"default", {}, "Connected to FSUIPC 7.4.16 (simulator: MSFS)"},
        ServerCase{"wideclient", {"--wideclient"}, "Connected to FSUIPC 7.4.16 (simulator: MSFS) through FS98MAIN"},
        ServerCase{"msfs", {"--version-fsuipc", "0x70010000", "--simulator", "13"},
                   "Connected to FSUIPC 7.0.1 (simulator: MSFS)"},
        ServerCase{"build_letter", {"--version-fsuipc", "0x49740002", "--simulator", "7"},
                   "Connected to FSUIPC 4.974b (simulator: FS2004)"},
        ServerCase{"p3d_64", {"--version-fsuipc", "0x60120000", "--simulator", "12"},
                   "Connected to FSUIPC 6.012 (simulator: P3D 64-bit)"},
        ServerCase{"unknown_code", {"--simulator", "99"}, "Connected to FSUIPC 7.4.16 (simulator: 99)"},
        ServerCase{"not_bcd", {"--version-fsuipc", "0x4A000000", "--simulator", "8"},
                   "Connected to FSUIPC 0x4A000000 (simulator: FSX)"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorn::test
