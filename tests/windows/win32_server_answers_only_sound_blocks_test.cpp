// The Win32 server's window answers the registered message only for a whole
// block of this IPC name; anything else gets 0 and changes nothing. Driven
// through the Win32 transport's own calls, in one process, under classes of
// its own so that no other test's server is disturbed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#undef AddAtom  // keep the transport's method name

#include <cstring>
#include <string>

#include "fsuipc/ipc_link.h"
#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "fsuipc/win32_transport.h"
#include "sim/win32_server.h"
#include "tests/windows/win32_server_fixture.h"

namespace vorn {
namespace {

constexpr char kClass[] = "VORNTEST_SERVER";
using Win32ServerRequests = Win32ServerFixture<kClass>;

TEST_F(Win32ServerRequests, WholeBlockOfThisNameIsProcessed) {
    Block b;
    MakeBlock(b, Name(), kBlockSize);
    std::uint32_t answer = 0;
    ASSERT_TRUE(Send(b.atom, message_, answer));
    EXPECT_EQ(answer, 1u);
    EXPECT_EQ(LoadU32(b.view + 16), kDefaultFsuipcVersion) << "the read was filled in place";
    EXPECT_EQ(server_.BlocksProcessed(), 1u);
}

struct BadRequest {
    const char* name;
    std::string blockName;  // "" = no block
    DWORD size;
    WPARAM wParam;           // 0 = the block's atom
};

class Win32ServerRefuses : public Win32ServerRequests, public ::testing::WithParamInterface<BadRequest> {};

TEST_P(Win32ServerRefuses, WithAnswerZeroAndNothingChanged) {
    const BadRequest& r = GetParam();
    Block b;
    if (!r.blockName.empty()) MakeBlock(b, r.blockName, r.size);
    std::uint32_t answer = 99;
    ASSERT_TRUE(Send(r.wParam != 0 ? r.wParam : b.atom, message_, answer));
    EXPECT_EQ(answer, 0u);
    if (b.view) {
        EXPECT_EQ(LoadU32(b.view + 16), 0u) << "the block is untouched";
    }
    EXPECT_EQ(server_.BlocksProcessed(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Win32ServerRefuses,
    ::testing::Values(BadRequest{"no_atom", "", 0, 0},
                      BadRequest{"atom_out_of_range", "", 0, 0x10000},
                      BadRequest{"atom_of_nothing", "", 0, 0xBFFF},
                      BadRequest{"other_name", "SomeoneElse:IPC:1234:1", kBlockSize, 0},
                      BadRequest{"name_is_only_the_stem", IpcName() + ":", kBlockSize, 0},
                      BadRequest{"block_too_small", IpcName() + ":1234:2", 4096, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Win32ServerRequests, AtomOfAMissingBlockGetsZero) {
    const ATOM atom = GlobalAddAtomA(Name("9999:1").c_str());
    ASSERT_NE(atom, 0);
    std::uint32_t answer = 99;
    EXPECT_TRUE(Send(atom, message_, answer));
    EXPECT_EQ(answer, 0u);
    GlobalDeleteAtom(atom);
}

TEST_F(Win32ServerRequests, OtherMessagesAreLeftToWindows) {
    Block b;
    MakeBlock(b, Name(), kBlockSize);
    std::uint32_t answer = 99;
    EXPECT_TRUE(Send(b.atom, RegisterWindowMessageA("Vorn:SomethingElse"), answer));
    EXPECT_EQ(answer, 0u);
    EXPECT_EQ(server_.BlocksProcessed(), 0u);
}

TEST_F(Win32ServerRequests, DamagedRecordsAreRefusedWhole) {
    Block b;
    MakeBlock(b, Name(), kBlockSize);
    StoreU32(b.view + 8, kBlockSize);  // a read reaching past the block
    std::uint32_t answer = 99;
    EXPECT_TRUE(Send(b.atom, message_, answer));
    EXPECT_EQ(answer, 0u);
}

TEST_F(Win32ServerRequests, SecondServerOfTheClassIsRefused) {
    SimServer other;
    Win32Server second(other, {kClass});
    std::string error;
    EXPECT_FALSE(second.Listen(error));
    EXPECT_EQ(error, std::string("a server of class ") + kClass + " is already running");
}

TEST(Win32Server, NeverAnsweringServerLetsTheCallTimeOutAsNoError) {
    SimServerOptions options;
    options.neverAnswer = true;
    SimServer server(options);
    Win32Server serving(server, {"VORNTEST_SILENT"});
    std::string error;
    ASSERT_TRUE(serving.Listen(error)) << error;
    auto transport = MakeWin32Transport();
    const ServerHandle window = transport->FindServer("VORNTEST_SILENT");
    ASSERT_NE(window, 0u);
    std::uint32_t answer = 0;
    EXPECT_FALSE(transport->Send(window, transport->RegisterMessage(IpcName().c_str()), 1, 100, answer));
    EXPECT_EQ(transport->LastError(), 0u) << "a time-out, not a system error";
    EXPECT_EQ(serving.Requests(), 1u);
    // Stopping releases the held call, so the server can be destroyed.
}

TEST(Win32Server, WindowIsGoneWhenTheServerIs) {
    auto transport = MakeWin32Transport();
    {
        SimServer server;
        Win32Server serving(server, {"VORNTEST_GONE"});
        std::string error;
        ASSERT_TRUE(serving.Listen(error)) << error;
        EXPECT_NE(transport->FindServer("VORNTEST_GONE"), 0u);
    }
    EXPECT_EQ(transport->FindServer("VORNTEST_GONE"), 0u);
}

TEST(Win32Server, CommandsAreAnsweredLineByLine) {
    SimServer server;
    Win32Server serving(server, {"VORNTEST_COMMANDS"});
    std::string error;
    ASSERT_TRUE(serving.Listen(error)) << error;
    int toServer[2], fromServer[2];
    ASSERT_EQ(_pipe(toServer, 65536, _O_BINARY), 0);  // holds all the input at once
    ASSERT_EQ(_pipe(fromServer, 65536, _O_BINARY), 0);
    const std::string input = "set 0x0570:4=7\r\nget 0x0570:4\n" + std::string(10000, 'x') + "\nquit\nget 0x0570:4\n";
    ASSERT_EQ(_write(toServer[1], input.data(), unsigned(input.size())), int(input.size()));
    int lines = 0;
    serving.Serve(toServer[0], fromServer[1], [&](std::string_view line, bool& quit) {
        ++lines;
        if (line == "quit") quit = true;
        return "<" + std::string(line) + ">";
    }, true);
    _close(fromServer[1]);
    std::string output;
    char chunk[256];
    int n;
    while ((n = _read(fromServer[0], chunk, sizeof chunk)) > 0) output.append(chunk, n);
    // The over-long line is refused once and dropped whole, however the
    // reads cut it. Nothing is served after quit.
    EXPECT_EQ(output, "<set 0x0570:4=7>\n<get 0x0570:4>\nerror: line too long\n<quit>\n");
    EXPECT_EQ(lines, 3);
    _close(toServer[1]);
    _close(fromServer[0]);
}

}  // namespace
}  // namespace vorn
