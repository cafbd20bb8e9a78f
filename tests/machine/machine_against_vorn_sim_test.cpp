// A program on the machine against a real vorn-sim process over the POSIX
// transport: hot key registered in the server, pressed through its command
// line, the key routine reading and writing a bound offset.
#include <gtest/gtest.h>

#include <cstdlib>

#include "fsuipc/ipc_link.h"
#include "fsuipc/posix_transport.h"
#include "machine/code_image.h"
#include "machine/ins_set.h"
#include "machine/machine.h"
#include "sim/sim_process.h"
#include "tests/fsuipc/private_runtime_dir.h"

namespace vorn {
namespace {

// key(Control, 'G') (int flag) { alt = alt + 1; sprintf(text, "alt=%d flag=%d", alt, flag); printstr(text); }
// with `int alt at $0570`.
std::vector<std::uint8_t> AltitudeImage() {
    const std::string format = "alt=%d flag=%d";
    std::vector<std::uint8_t> data(4, 0);  // the parameter
    const std::int32_t fmt = kDataBase + static_cast<std::int32_t>(data.size());
    data.insert(data.end(), format.begin(), format.end());
    data.push_back(0);
    const std::int32_t text = kDataBase + static_cast<std::int32_t>(data.size());
    data.resize(data.size() + 32, 0);
    CodeImage img;
    img.data = data;
    img.dataEnd = kDataBase + static_cast<std::int32_t>(data.size()) + 4;
    img.keys = {{0, 71, 2, kDataBase}};
    img.code = {kOpPushV, 0x0570, 4, kOpPushC, 1,   kOpADD,   kOpWriteV, 0x0570, 4,
                kOpSTP,   kOpPushC, text, kOpPushC, fmt, kOpPushV, 0x0570, 4, kOpPushV, kDataBase, 4,
                kOpPRF,   kOpRFP,   kOpTDY, kOpPushC, text, kOpPRS, kOpHLT};
    return WriteCodeImage(img);
}

TEST(MachineAgainstVornSim, KeyPressRunsTheRoutineOnTheServersOffsets) {
    ::unsetenv("VORN_IPC_NAME");
    testing::PrivateRuntimeDir dir;
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, {}, error)) << error;
    std::unique_ptr<IpcTransport> posix = MakePosixTransport();
    IpcLink link(*posix);
    IpcResult result = 0;
    ASSERT_TRUE(link.Open(0, result)) << IpcResultText(result);

    bool debug = false;
    Machine machine(link, debug);
    std::vector<std::string> output;
    const LineSink out = [&output](const std::string& line) { output.push_back(line); };
    ASSERT_TRUE(machine.Load(AltitudeImage(), nullptr, out));
    machine.Start(out);
    EXPECT_EQ(sim.Command("keys"), "1 hot key: 0x3210 Ctrl+G (71,2) flag 0");
    EXPECT_EQ(sim.Command("set 0x0570:4=1000").rfind("error", 0), std::string::npos);

    machine.Tick(out, nullptr);
    EXPECT_TRUE(output.empty());
    EXPECT_EQ(sim.Command("press Ctrl+G").rfind("pressed Ctrl+G (71,2): 1 hot key flagged", 0), 0u);
    machine.Tick(out, nullptr);
    EXPECT_EQ(output, (std::vector<std::string>{"alt=1001 flag=1"}));
    EXPECT_EQ(sim.Command("get 0x0570:4").rfind("0x0570:4=1001 ", 0), 0u);

    machine.Stop();
    EXPECT_EQ(sim.Command("keys"), "no hot keys registered");
    link.Close();
}

}  // namespace
}  // namespace vorn
