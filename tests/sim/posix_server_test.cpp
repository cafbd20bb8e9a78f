// The POSIX serving loop inside one process: listening, serving a client
// link, the ticker, and stopping.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "fsuipc/ipc_link.h"
#include "fsuipc/posix_transport.h"
#include "sim/posix_server.h"
#include "sim/sim_server.h"
#include "tests/fsuipc/private_runtime_dir.h"

namespace vorn {
namespace {

class PosixServerTest : public ::testing::Test {
protected:
    testing::PrivateRuntimeDir dir;
    SimServer sim;
};

TEST_F(PosixServerTest, ServesAClientLinkUntilStopped) {
    PosixServer server(sim, {"UIPCMAIN"});
    std::string error;
    ASSERT_TRUE(server.Listen(error)) << error;
    ASSERT_EQ(server.SocketPaths().size(), 1u);
    const std::string socket = server.SocketPaths()[0];
    EXPECT_EQ(socket, dir.SocketDir() + "/" + kDefaultIpcMessageName + ".UIPCMAIN");

    std::thread serving([&server] { server.Serve(-1, -1, nullptr, false); });
    {
        auto transport = MakePosixTransport();
        IpcLink link(*transport);
        IpcResult result = -1;
        EXPECT_TRUE(link.Open(0, result)) << IpcResultText(result);
        EXPECT_TRUE(link.WriteLong(77, 0x0570));
        EXPECT_EQ(link.ReadLong(0x0570), 77);
    }
    server.Stop();
    serving.join();
    std::uint8_t bytes[4];
    sim.Peek(0x0570, bytes, 4);
    EXPECT_EQ(bytes[0], 77);
    EXPECT_TRUE(std::filesystem::exists(socket)) << "the socket stays until the server object goes";
}

TEST_F(PosixServerTest, SocketIsRemovedWithTheServer) {
    std::string socket;
    {
        PosixServer server(sim, {"FS98MAIN"});
        std::string error;
        ASSERT_TRUE(server.Listen(error)) << error;
        socket = server.SocketPaths()[0];
        EXPECT_TRUE(std::filesystem::exists(socket));
    }
    EXPECT_FALSE(std::filesystem::exists(socket));
}

TEST_F(PosixServerTest, SecondServerOfAClassIsRefusedWithAMessage) {
    PosixServer first(sim, {"FS98MAIN"});
    std::string error;
    ASSERT_TRUE(first.Listen(error)) << error;
    PosixServer second(sim, {"UIPCMAIN", "FS98MAIN"});
    EXPECT_FALSE(second.Listen(error));
    EXPECT_NE(error.find("a server of class FS98MAIN is already running"), std::string::npos) << error;
    EXPECT_TRUE(second.SocketPaths().empty()) << "a failed start leaves nothing behind";
    EXPECT_FALSE(std::filesystem::exists(dir.SocketDir() + "/" + kDefaultIpcMessageName + ".UIPCMAIN"));
}

TEST_F(PosixServerTest, TickerRunsWhileServing) {
    PosixServer server(sim, {"FS98MAIN"});
    std::string error;
    ASSERT_TRUE(server.Listen(error)) << error;
    std::atomic<int> ticks{0};
    server.SetTicker(10, [&ticks] { ++ticks; });
    std::thread serving([&server] { server.Serve(-1, -1, nullptr, false); });
    while (ticks.load() < 3) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    server.Stop();
    serving.join();
    EXPECT_GE(ticks.load(), 3);
}

TEST_F(PosixServerTest, CommandsFromAnInputDescriptor) {
    PosixServer server(sim, {"FS98MAIN"});
    std::string error;
    ASSERT_TRUE(server.Listen(error)) << error;
    int in[2], out[2];
    ASSERT_EQ(::pipe(in), 0);
    ASSERT_EQ(::pipe(out), 0);
    const std::string commands = "first\r\nsecond\n\nquit\nnever\n";
    ASSERT_EQ(::write(in[1], commands.data(), commands.size()), ssize_t(commands.size()));
    std::vector<std::string> seen;
    server.Serve(in[0], out[1], [&seen](std::string_view line, bool& quit) {
        seen.emplace_back(line);
        quit = line == "quit";
        return line.empty() ? std::string() : "ok " + std::string(line);
    }, true);
    ::close(out[1]);
    char buffer[256] = {};
    const ssize_t n = ::read(out[0], buffer, sizeof buffer - 1);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(buffer, std::size_t(n)), "ok first\nok second\nok quit\n");
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "second", "", "quit"}));
    ::close(in[0]);
    ::close(in[1]);
    ::close(out[0]);
}

}  // namespace
}  // namespace vorn
