// The client over the POSIX transport against real vorn-sim processes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "fsuipc/ipc_link.h"
#include "fsuipc/offsets.h"
#include "fsuipc/posix_channel.h"
#include "fsuipc/posix_transport.h"
#include "fsuipc/request_block.h"
#include "sim/sim_process.h"
#include "sim/sim_server.h"
#include "tests/fakes/fault_transport.h"
#include "tests/fsuipc/private_runtime_dir.h"

namespace vorn {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string OwnShmPath() {
    char name[64];
    std::snprintf(name, sizeof name, "/dev/shm/%s:%X:1", kDefaultIpcMessageName, unsigned(::getpid()));
    return name;
}

class PosixLink : public ::testing::Test {
protected:
    void SetUp() override { ::unsetenv("VORN_IPC_NAME"); }

    void StartSim(std::vector<std::string> arguments = {}) {
        std::string error;
        ASSERT_TRUE(sim.Start(VORN_SIM_PATH, arguments, error)) << error;
    }

    testing::PrivateRuntimeDir dir;
    SimProcess sim;
    std::unique_ptr<IpcTransport> posix = MakePosixTransport();
    FaultTransport counted{*posix};  // injects nothing; counts calls
};

TEST_F(PosixLink, OpensAndRoundTripsOffsets) {
    StartSim();
    IpcLink link(counted);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result)) << IpcResultText(result);
    EXPECT_EQ(result, kIpcOk);
    EXPECT_EQ(link.FsuipcVersion(), kDefaultFsuipcVersion);
    EXPECT_EQ(link.SimulatorVersion(), kDefaultSimulator);

    EXPECT_TRUE(link.WriteLong(1000, 0x0570));
    EXPECT_EQ(sim.Command("get 0x0570:4"), "0x0570:4=1000 (0x000003E8)");
    EXPECT_EQ(sim.Command("set 0x0C48:1=255"), "0x0C48:1=-1 (0xFF)");
    EXPECT_EQ(link.ReadByte(0x0C48), 255);
    EXPECT_EQ(link.ReadLong(0x0570), 1000);

    std::vector<std::uint8_t> data(4096);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t(i ^ 0x5A);
    EXPECT_EQ(link.WriteBlock(data.data(), 0x8000, std::uint16_t(data.size())), kIpcOk);
    std::vector<std::uint8_t> back(data.size());
    EXPECT_EQ(link.ReadBlock(back.data(), 0x8000, std::uint16_t(back.size())), kIpcOk);
    EXPECT_EQ(back, data);

    EXPECT_TRUE(std::filesystem::exists(OwnShmPath()));
    link.Close();
    EXPECT_FALSE(std::filesystem::exists(OwnShmPath())) << "the block is removed at close";
}

TEST_F(PosixLink, OpeningTwiceGivesOne) {
    StartSim();
    IpcLink link(counted);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    EXPECT_FALSE(link.Open(0, result));
    EXPECT_EQ(result, kIpcAlreadyOpen);
    EXPECT_EQ(link.ReadLong(kOffsetHotKeyCount), 56);
}

TEST_F(PosixLink, NoServerGivesTwoAndLeavesNothingAllocated) {
    IpcLink link(counted);
    IpcResult result = -1;
    EXPECT_FALSE(link.Open(0, result));
    EXPECT_EQ(result, kIpcNoServer);
    EXPECT_EQ(counted.OpenAtoms(), 0);
    EXPECT_EQ(counted.OpenBlocks(), 0);
    EXPECT_FALSE(std::filesystem::exists(OwnShmPath()));
}

struct RefusalCase {
    const char* name;
    std::vector<std::string> arguments;
    IpcResult expected;
};

class PosixRefusal : public PosixLink, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(PosixRefusal, HandshakeRefused) {
    StartSim(GetParam().arguments);
    IpcLink link(counted);
    IpcResult result = -1;
    EXPECT_FALSE(link.Open(0, result));
    EXPECT_EQ(result, GetParam().expected);
    EXPECT_EQ(counted.SendCalls(), 5);
    EXPECT_FALSE(std::filesystem::exists(OwnShmPath()));
}

INSTANTIATE_TEST_SUITE_P(Versions, PosixRefusal,
                         ::testing::Values(RefusalCase{"uipcmain", {"--uipcmain", "--version-fsuipc", "0"}, kIpcRefused},
                                           RefusalCase{"fs98main", {"--wideclient", "--version-fsuipc", "0"}, kIpcRefusedFs98}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PosixLink, WrongSimulatorGivesEight) {
    StartSim({"--simulator", "12"});
    IpcLink link(counted);
    IpcResult result = -1;
    EXPECT_FALSE(link.Open(11, result));
    EXPECT_EQ(result, kIpcWrongSimulator);
    EXPECT_TRUE(link.Open(12, result));
}

TEST_F(PosixLink, ServerThatNeverAnswersGivesElevenAfterTenAttempts) {
    StartSim({"--no-answer"});
    IpcLink link(counted);
    link.SetSendTimeout(30);
    IpcResult result = -1;
    const auto start = Clock::now();
    EXPECT_FALSE(link.Open(0, result));
    EXPECT_EQ(result, kIpcTimeout);
    EXPECT_EQ(counted.SendCalls(), 10);
    EXPECT_EQ(counted.LastTimeout(), 30u);
    EXPECT_GE(SecondsSince(start), 10 * 0.130 - 0.05) << "each attempt waits its time-out and a pause";
}

TEST_F(PosixLink, AnswerOtherThanOneGivesThirteen) {
    StartSim({"--answer", "0"});
    IpcLink link(counted);
    IpcResult result = -1;
    EXPECT_FALSE(link.Open(0, result));
    EXPECT_EQ(result, kIpcBadAnswer);
    EXPECT_EQ(counted.SendCalls(), 1);
}

TEST_F(PosixLink, CapacityAndEmptyExchange) {
    StartSim();
    IpcLink link(counted);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    EXPECT_FALSE(link.Exchange(result));
    EXPECT_EQ(result, kIpcNothingQueued);

    std::vector<std::uint8_t> data(32512 - 12 - 4, 0x3C);
    EXPECT_FALSE(link.QueueWrite(0, std::uint32_t(data.size()) + 1, data.data(), result));
    EXPECT_EQ(result, kIpcTooLarge);
    ASSERT_TRUE(link.QueueWrite(0x1000, std::uint32_t(data.size()), data.data(), result));
    EXPECT_TRUE(link.Exchange(result));
    EXPECT_EQ(sim.Command("get 0x1000:1"), "0x1000:1=60 (0x3C)");
    EXPECT_EQ(sim.Command("get 0x8EEF:1"), "0x8EEF:1=60 (0x3C)") << "the last byte of the record";
    EXPECT_EQ(sim.Command("get 0x8EF0:1"), "0x8EF0:1=0 (0x00)");
}

TEST_F(PosixLink, DelayedAnswerWithinTheTimeOutSucceeds) {
    StartSim({"--delay-ms", "40"});
    IpcLink link(counted);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    EXPECT_EQ(link.ReadLong(kOffsetHotKeyCount), 56);
    EXPECT_EQ(counted.SendCalls(), 2);
}

TEST_F(PosixLink, LateAnswerIsNotTakenForTheNextOne) {
    StartSim({"--delay-ms", "150"});
    IpcLink link(counted);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    EXPECT_EQ(sim.Command("set 0x0570:4=7"), "0x0570:4=7 (0x00000007)");
    // Attempts time out after 100 ms; the server's answers arrive 150 ms
    // after each request. Each late answer belongs to an attempt already
    // given up, and must not be counted for a later one.
    link.SetSendTimeout(100);
    std::uint8_t bytes[4] = {};
    const auto start = Clock::now();
    const IpcResult read = link.ReadBlock(bytes, 0x0570, 4);
    if (read == kIpcOk) {
        EXPECT_EQ(LoadU32(bytes), 7u);
    } else {
        EXPECT_EQ(read, kIpcTimeout);
    }
    EXPECT_LT(SecondsSince(start), 10.0);
    link.SetSendTimeout(2000);
    if (read != kIpcOk) {
        EXPECT_TRUE(link.Dead());
        link.Close();
        ASSERT_TRUE(link.Open(0, result));
    }
    EXPECT_EQ(link.ReadLong(0x0570), 7) << "with a generous time-out the answers are right";
}

TEST_F(PosixLink, ServerCrashMidExchangeFailsWithinTheRetries) {
    StartSim({"--delay-ms", "1500"});
    IpcLink link(counted);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    std::thread killer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        sim.Signal(SIGKILL);
    });
    std::uint8_t bytes[4] = {0xAB, 0xAB, 0xAB, 0xAB};
    const auto start = Clock::now();
    const IpcResult read = link.ReadBlock(bytes, kOffsetHotKeyCount, 4);
    killer.join();
    EXPECT_EQ(read, kIpcSendFailed) << IpcResultText(read);
    EXPECT_EQ(counted.SendCalls(), 1 + 10);
    EXPECT_LT(SecondsSince(start), 4.0) << "each attempt after the crash fails at once";
    EXPECT_EQ(bytes[0], 0xAB);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(link.ReadByte(0x0C48), -1) << "still gone";
}

TEST_F(PosixLink, FrozenServerKillsTheLinkAfterOneExchange) {
    StartSim();
    IpcLink link(counted);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    EXPECT_EQ(sim.Command("set 0x0570:4=5"), "0x0570:4=5 (0x00000005)");
    sim.Signal(SIGSTOP);
    link.SetTiming({30, 3});
    EXPECT_EQ(link.WriteBlock("\x09\0\0\0", 0x0570, 4), kIpcTimeout);
    EXPECT_TRUE(link.Dead());
    sim.Signal(SIGCONT);
    // The thawed server serves the old requests before the new link's, over
    // a block that holds nothing any more: the write reported as failed is
    // not applied after all.
    link.Close();
    ASSERT_TRUE(link.Open(0, result)) << "a new link to the same server";
    EXPECT_EQ(link.ReadLong(0x0570), 5);
    EXPECT_EQ(sim.Command("get 0x0570:4"), "0x0570:4=5 (0x00000005)");
}

// A server stalled during a write and woken just after the client gave up
// (inside the pause that follows the last attempt) finds the block empty:
// the write reported as failed is never applied.
class PosixStaleWrite : public PosixLink, public ::testing::WithParamInterface<int> {};

TEST_P(PosixStaleWrite, IsNeverAppliedOnceReportedFailed) {
    StartSim();
    IpcLink link(counted);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    EXPECT_EQ(sim.Command("set 0x0570:4=5"), "0x0570:4=5 (0x00000005)");
    link.SetTiming({300, 1});
    sim.Signal(SIGSTOP);
    std::thread wake([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(GetParam()));
        sim.Signal(SIGCONT);
    });
    EXPECT_EQ(link.WriteBlock("\x09\0\0\0", 0x0570, 4), kIpcTimeout);
    wake.join();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the woken server serves the old request
    EXPECT_EQ(sim.Command("get 0x0570:4"), "0x0570:4=5 (0x00000005)");
}

INSTANTIATE_TEST_SUITE_P(WakeAfterMs, PosixStaleWrite, ::testing::Values(310, 350, 390));

// A time-out of 1 ms, the smallest allowed, still lets an answer arrive.
TEST_F(PosixLink, OneMillisecondTimeOutStillExchanges) {
    StartSim();
    IpcLink link(counted);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    link.SetTiming({1, 10});
    EXPECT_TRUE(link.WriteLong(77, 0x0570)) << IpcResultText(link.LastResult());
}

// A connection answers only requests it has received whole: nothing comes
// back for silence or for half a request.
TEST_F(PosixLink, ServerAnswersNothingBeforeAWholeRequest) {
    StartSim();
    std::string error;
    const std::string path = PosixSocketPath("UIPCMAIN", error);
    ASSERT_FALSE(path.empty()) << error;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::uint8_t half[8];
    StoreU32(half, kPosixRequestMagic);
    StoreU32(half + 4, 1);
    for (int part = 0; part < 2; ++part) {
        if (part == 1) {
            ASSERT_EQ(::send(fd, half, sizeof half, MSG_NOSIGNAL), ssize_t(sizeof half));
        }
        pollfd p{fd, POLLIN, 0};
        EXPECT_EQ(::poll(&p, 1, 300), 0) << (part == 0 ? "an answer to silence" : "an answer to half a request");
    }
    ::close(fd);
}

TEST_F(PosixLink, RestartedServerFailsTheLinkAndIsNeverWritten) {
    StartSim();
    IpcLink link(counted);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    EXPECT_EQ(sim.Command("quit"), "bye");
    EXPECT_EQ(sim.Wait(), 0);

    SimProcess next;
    std::string error;
    ASSERT_TRUE(next.Start(VORN_SIM_PATH, {}, error)) << error;
    EXPECT_EQ(next.Command("set 0x0570:4=31"), "0x0570:4=31 (0x0000001F)");
    EXPECT_FALSE(link.WriteLong(99, 0x0570));
    EXPECT_EQ(link.LastResult(), kIpcSendFailed);
    EXPECT_TRUE(link.Dead());
    EXPECT_EQ(link.ReadLong(0x0570), -1);
    EXPECT_EQ(next.Command("get 0x0570:4"), "0x0570:4=31 (0x0000001F)") << "the new server was never written";
    link.Close();
    ASSERT_TRUE(link.Open(0, result)) << "opening again reaches the new server";
    EXPECT_EQ(link.ReadLong(0x0570), 31);
}

// Whether the server process still maps our block.
// The server reads the block through a descriptor it keeps open (it never
// maps it); a mapping would show too.
bool ServerMapsOurBlock(pid_t server) {
    char name[64];
    std::snprintf(name, sizeof name, "%s:%X:1", kDefaultIpcMessageName, unsigned(::getpid()));
    const std::string proc = "/proc/" + std::to_string(server);
    if (ReadText(proc + "/maps").find(name) != std::string::npos) return true;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(proc + "/fd", ec)) {
        std::error_code linkError;
        if (std::filesystem::read_symlink(entry.path(), linkError).string().find(name) != std::string::npos) return true;
    }
    return false;
}

TEST_F(PosixLink, CloseLetsTheServerUnmapTheBlockAtOnce) {
    StartSim();
    IpcLink link(counted);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    ASSERT_TRUE(ServerMapsOurBlock(sim.Pid()));
    link.Close();
    // The next command is served after the server has seen the socket close.
    EXPECT_EQ(sim.Command("get 0x0570:4"), "0x0570:4=0 (0x00000000)");
    bool mapped = true;
    for (int i = 0; i < 100 && (mapped = ServerMapsOurBlock(sim.Pid())); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(mapped) << "the server let go of the block while this process still runs";
}

TEST_F(PosixLink, TwoClientProcessesAtOnceEachKeepTheirOwnBlock) {
    StartSim({"--delay-ms", "1"});
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A second program: its own transport, link and block.
        auto transport = MakePosixTransport();
        IpcLink link(*transport);
        IpcResult result = -1;
        if (!link.Open(0, result)) ::_exit(10 + result);
        // _exit runs no destructors: close first, or the block stays in /dev/shm.
        const auto finish = [&link](int status) {
            link.Close();
            ::_exit(status);
        };
        for (int i = 0; i < 200; ++i) {
            if (!link.WriteLong(0x10000 + i, 0x2000)) finish(2);
            if (link.ReadLong(0x2000) != 0x10000 + i) finish(3);
        }
        finish(0);
    }
    IpcLink link(counted);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(link.WriteLong(0x20000 + i, 0x2004));
        ASSERT_EQ(link.ReadLong(0x2004), 0x20000 + i);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(PosixLink, ExistingBlockNameGivesFive) {
    StartSim();
    char name[64];
    std::snprintf(name, sizeof name, "/%s:%X:1", kDefaultIpcMessageName, unsigned(::getpid()));
    const int fd = ::shm_open(name, O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    IpcLink link(counted);
    IpcResult result = -1;
    EXPECT_FALSE(link.Open(0, result));
    EXPECT_EQ(result, kIpcCreateFailed);
    EXPECT_EQ(counted.OpenAtoms(), 0);
    EXPECT_TRUE(std::filesystem::exists(OwnShmPath())) << "someone else's object is left alone";
    ::close(fd);
    ::shm_unlink(name);
    EXPECT_TRUE(link.Open(0, result));
}

TEST_F(PosixLink, IpcNameSeparatesServers) {
    ::setenv("VORN_IPC_NAME", "Vorn:Test", 1);
    StartSim();
    EXPECT_NE(sim.ReadyLine().find("Vorn:Test.UIPCMAIN"), std::string::npos) << sim.ReadyLine();
    {
        IpcLink link(counted);
        IpcResult result = -1;
        EXPECT_TRUE(link.Open(0, result)) << IpcResultText(result);
    }
    ::unsetenv("VORN_IPC_NAME");
    IpcLink other(counted);
    IpcResult result = -1;
    EXPECT_FALSE(other.Open(0, result));
    EXPECT_EQ(result, kIpcNoServer);
}

// Names that differ only where a file name cannot hold them reach
// different servers.
TEST_F(PosixLink, IpcNamesThatDifferOnlyInASlashReachDifferentServers) {
    ::setenv("VORN_IPC_NAME", "a/b", 1);
    StartSim();
    for (const char* name : {"a_b", "a%2Fb"}) {
        ::setenv("VORN_IPC_NAME", name, 1);
        IpcLink other(counted);
        IpcResult result = -1;
        EXPECT_FALSE(other.Open(0, result)) << name;
        EXPECT_EQ(result, kIpcNoServer) << name;
    }
    ::setenv("VORN_IPC_NAME", "a/b", 1);
    IpcLink link(counted);
    IpcResult result = -1;
    EXPECT_TRUE(link.Open(0, result)) << IpcResultText(result);
    ::unsetenv("VORN_IPC_NAME");
}

}  // namespace
}  // namespace vorn
