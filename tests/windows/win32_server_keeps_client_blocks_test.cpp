// The Win32 server keeps each client's block mapped between requests, and
// never answers a client from a block that is no longer its own: a client
// that closed, or died, and a new block under the same atom or name.
#include <windows.h>
#undef AddAtom  // keep the transport's method name

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "sim/win32_client_blocks.h"
#include "tests/windows/win32_server_fixture.h"

namespace vorn {
namespace {

constexpr char kClass[] = "VORNTEST_KEEPS_BLOCKS";
using Win32ServerKeepsBlocks = Win32ServerFixture<kClass>;

// The name a client of process `pid` gives its block.
std::string BlockName(DWORD pid, unsigned counter = 1) {
    char tail[32];
    std::snprintf(tail, sizeof tail, "%lX:%X", static_cast<unsigned long>(pid), counter);
    return IpcName() + ":" + tail;
}

// The id of a process that has ended; its handle stays open so that the id
// is not handed out again meanwhile.
struct EndedProcess {
    PROCESS_INFORMATION info{};
    EndedProcess() {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        char command[] = "cmd.exe /c exit";
        if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            WaitForSingleObject(info.hProcess, 15000);
    }
    ~EndedProcess() {
        if (info.hThread) CloseHandle(info.hThread);
        if (info.hProcess) CloseHandle(info.hProcess);
    }
};

bool WaitForCached(const Win32Server& server, std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (server.CachedClients() != count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

struct Leaving {
    const char* name;
    bool deletesAtom;  // closes; otherwise dies, its atom left behind
    bool ofEndedProcess;
};

class FirstClientLeaves : public Win32ServerKeepsBlocks, public ::testing::WithParamInterface<Leaving> {};

TEST_P(FirstClientLeaves, NextClientOfTheNameIsAnsweredInItsOwnBlock) {
    const Leaving& c = GetParam();
    EndedProcess ended;
    const std::string name = BlockName(c.ofEndedProcess ? ended.info.dwProcessId : GetCurrentProcessId());
    std::uint32_t answer = 0;
    Block first;
    MakeBlock(first, name, kBlockSize);
    ASSERT_TRUE(Send(first.atom, message_, answer));
    ASSERT_EQ(answer, 1u);
    ASSERT_EQ(serving_.CachedClients(), 1u);
    first.Close(c.deletesAtom);

    // The same request from a new block of the same name, as a client of
    // that process id opening again makes.
    Block second;
    MakeBlock(second, name, kBlockSize);
    EXPECT_EQ(second.createError, 0u) << "the server kept the old block's name alive";
    answer = 0;
    ASSERT_TRUE(Send(second.atom, message_, answer));
    EXPECT_EQ(answer, 1u);
    EXPECT_EQ(LoadU32(second.view + 16), kDefaultFsuipcVersion) << "answered in the old block";
    EXPECT_EQ(server_.BlocksProcessed(), 2u);
    EXPECT_EQ(serving_.CachedClients(), 1u);
}

TEST_P(FirstClientLeaves, AndItsBlockIsLetGo) {
    const Leaving& c = GetParam();
    EndedProcess ended;
    Block first;
    MakeBlock(first, BlockName(c.ofEndedProcess ? ended.info.dwProcessId : GetCurrentProcessId()), kBlockSize);
    std::uint32_t answer = 0;
    ASSERT_TRUE(Send(first.atom, message_, answer));
    ASSERT_EQ(serving_.CachedClients(), 1u);
    first.Close(c.deletesAtom);
    EXPECT_TRUE(WaitForCached(serving_, 0));
}

INSTANTIATE_TEST_SUITE_P(Cases, FirstClientLeaves,
                         ::testing::Values(Leaving{"closes", true, false}, Leaving{"dies", false, true},
                                           Leaving{"closes_in_an_ended_process", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Win32ServerKeepsBlocks, AtMostTheLimitOfClientsAndTheRestStillAnswered) {
    constexpr unsigned kClients = Win32ClientBlocks::kLimit + 1;
    std::vector<Block> blocks(kClients);
    for (int round = 0; round < 2; ++round) {
        for (unsigned i = 0; i < kClients; ++i) {
            if (round == 0) MakeBlock(blocks[i], BlockName(GetCurrentProcessId(), i + 1), kBlockSize);
            StoreU32(blocks[i].view + 16, 0);
            std::uint32_t answer = 0;
            ASSERT_TRUE(Send(blocks[i].atom, message_, answer));
            EXPECT_EQ(answer, 1u) << "client " << i << " round " << round;
            EXPECT_EQ(LoadU32(blocks[i].view + 16), kDefaultFsuipcVersion) << "client " << i << " round " << round;
        }
        EXPECT_EQ(serving_.CachedClients(), Win32ClientBlocks::kLimit);
    }
}

}  // namespace
}  // namespace vorn
