// A real vorn-sim against clients that misbehave on purpose: blocks resized
// and rewritten while the server works on them, stale requests, clients that
// hang up, over-long command lines. The server must keep serving.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "fsuipc/ipc_link.h"
#include "fsuipc/posix_channel.h"
#include "fsuipc/posix_transport.h"
#include "fsuipc/request_block.h"
#include "sim/sim_process.h"
#include "tests/fsuipc/private_runtime_dir.h"

namespace vorn {
namespace {

// Speaks the socket protocol by hand over a block it owns and abuses.
class RawClient {
public:
    explicit RawClient(const std::string& socketPath) {
        shmName_ = PosixShmName(IpcName() + ":hostile:" + std::to_string(::getpid()));
        ::shm_unlink(shmName_.c_str());
        shm_ = ::shm_open(shmName_.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        if (shm_ < 0 || ::ftruncate(shm_, kBlockSize) != 0) return;
        void* view = ::mmap(nullptr, kBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, shm_, 0);
        if (view == MAP_FAILED) return;
        view_ = static_cast<std::uint8_t*>(view);
        socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
        if (::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(socket_);
            socket_ = -1;
        }
    }
    ~RawClient() {
        Hangup();
        if (view_ != nullptr) ::munmap(view_, kBlockSize);
        if (shm_ >= 0) ::close(shm_);
        ::shm_unlink(shmName_.c_str());
    }
    bool Ready() const { return view_ != nullptr && socket_ >= 0; }
    std::uint8_t* View() { return view_; }
    int ShmFd() const { return shm_; }
    void Hangup() {
        if (socket_ >= 0) ::close(socket_);
        socket_ = -1;
    }

    // One write record of 4 bytes at `offset`, then the terminator.
    void QueueWrite(std::uint32_t offset, std::uint32_t value) {
        StoreU32(view_, kRecordWrite);
        StoreU32(view_ + 4, offset);
        StoreU32(view_ + 8, 4);
        StoreU32(view_ + 12, value);
        StoreU32(view_ + 16, 0);
    }

    bool Send(std::uint32_t sequence) {
        std::string frame(kPosixRequestHeader, '\0');
        auto* h = reinterpret_cast<std::uint8_t*>(frame.data());
        StoreU32(h, kPosixRequestMagic);
        StoreU32(h + 4, sequence);
        StoreU32(h + 8, PosixMessageNumber(IpcName()));
        StoreU32(h + 12, std::uint32_t(shmName_.size()));
        StoreU32(h + 16, 7);  // a fixed nonce: the server may keep the block open
        StoreU32(h + 20, 0);
        frame += shmName_;
        return ::send(socket_, frame.data(), frame.size(), MSG_NOSIGNAL) == ssize_t(frame.size());
    }

    // The next answer on the stream; false when none comes within 5 s.
    bool Reply(std::uint32_t& sequence, std::uint32_t& answer) {
        std::uint8_t reply[kPosixReplySize];
        std::size_t got = 0;
        while (got < sizeof reply) {
            pollfd p{socket_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) return false;
            const ssize_t n = ::recv(socket_, reply + got, sizeof reply - got, 0);
            if (n <= 0) return false;
            got += std::size_t(n);
        }
        sequence = LoadU32(reply);
        answer = LoadU32(reply + 4);
        return true;
    }

    // Sends and waits for the answer to exactly this request.
    bool RoundTrip(std::uint32_t sequence, std::uint32_t& answer) {
        std::uint32_t replied = 0;
        return Send(sequence) && Reply(replied, answer) && replied == sequence;
    }

private:
    std::string shmName_;
    int shm_ = -1;
    std::uint8_t* view_ = nullptr;
    int socket_ = -1;
};

class HostileClient : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim_.Start(VORN_SIM_PATH, {}, error)) << error;
    }
    std::string SocketPath() const { return dir_.SocketDir() + "/" + kDefaultIpcMessageName + ".UIPCMAIN"; }

    // The server still answers commands and an honest client.
    void ExpectStillServing() {
        EXPECT_EQ(sim_.Command("get 0x320C:4"), "0x320C:4=56 (0x00000038)");
        auto transport = MakePosixTransport();
        IpcLink link(*transport);
        IpcResult result = -1;
        ASSERT_TRUE(link.Open(0, result)) << result;
        EXPECT_EQ(link.ReadLong(0x320C), 56);
    }

    testing::PrivateRuntimeDir dir_;
    SimProcess sim_;
};

TEST_F(HostileClient, BlockRewrittenAndTruncatedDuringRequests) {
    RawClient client(SocketPath());
    ASSERT_TRUE(client.Ready());
    client.QueueWrite(0x0570, 1000);
    std::uint32_t answer = 0;
    ASSERT_TRUE(client.RoundTrip(1, answer));
    EXPECT_EQ(answer, 1u);
    EXPECT_EQ(sim_.Command("get 0x0570:4"), "0x0570:4=1000 (0x000003E8)");

    // While requests go on, another thread keeps changing the record's size
    // and the block's length under the server.
    std::atomic<bool> done{false};
    // (Through the descriptor: our own mapping would fault past the end.)
    std::thread vandal([&] {
        for (std::uint32_t i = 0; !done.load(); ++i) {
            std::uint8_t size[4];
            StoreU32(size, i % 2 == 0 ? 4 : 0x7FF0);
            [[maybe_unused]] ssize_t n = ::pwrite(client.ShmFd(), size, 4, 8);
            [[maybe_unused]] int rc = 0;
            if (i % 64 == 0) rc = ::ftruncate(client.ShmFd(), 0);
            if (i % 64 == 32) rc = ::ftruncate(client.ShmFd(), kBlockSize);
        }
    });
    int answered = 0;
    for (std::uint32_t sequence = 2; sequence < 2000; ++sequence) {
        if (!client.RoundTrip(sequence, answer)) break;
        ++answered;
    }
    done = true;
    vandal.join();
    EXPECT_EQ(answered, 1998) << "every request was answered (0 or 1)";

    // A block cut short is refused, not touched.
    ASSERT_EQ(::ftruncate(client.ShmFd(), 4096), 0);
    ASSERT_TRUE(client.RoundTrip(5000, answer));
    EXPECT_EQ(answer, 0u);
    ExpectStillServing();
}

// Records that run past the first part of the block the server reads at once.
TEST_F(HostileClient, LongRecordsAreServedWhole) {
    RawClient client(SocketPath());
    ASSERT_TRUE(client.Ready());
    std::uint8_t* view = client.View();
    StoreU32(view, kRecordWrite);
    StoreU32(view + 4, 0x4000);
    StoreU32(view + 8, 6000);
    std::memset(view + 12, 0x11, 6000);
    StoreU32(view + 12 + 6000, 0);
    std::uint32_t answer = 0;
    ASSERT_TRUE(client.RoundTrip(1, answer));
    EXPECT_EQ(answer, 1u);
    EXPECT_EQ(sim_.Command("get 0x5768:4"), "0x5768:4=286331153 (0x11111111)");  // near its end
}

TEST_F(HostileClient, OnlyTheNewestQueuedRequestIsAnswered) {
    RawClient client(SocketPath());
    ASSERT_TRUE(client.Ready());
    client.QueueWrite(0x0570, 7);
    sim_.Signal(SIGSTOP);
    for (std::uint32_t sequence = 1; sequence <= 3; ++sequence) ASSERT_TRUE(client.Send(sequence));
    sim_.Signal(SIGCONT);
    std::uint32_t sequence = 0, answer = 0;
    ASSERT_TRUE(client.Reply(sequence, answer));
    EXPECT_EQ(sequence, 3u) << "answers come in order: 1 and 2 were dropped";
    EXPECT_EQ(answer, 1u);
    ASSERT_TRUE(client.RoundTrip(4, answer));
    ExpectStillServing();
}

TEST_F(HostileClient, RequestOfAClientThatHungUpIsNotCarriedOut) {
    {
        RawClient client(SocketPath());
        ASSERT_TRUE(client.Ready());
        client.QueueWrite(0x0570, 4321);
        sim_.Signal(SIGSTOP);
        ASSERT_TRUE(client.Send(1));
        client.Hangup();
        sim_.Signal(SIGCONT);
        // The honest client's round trip comes after the hung-up connection
        // was read in the server's loop.
        ExpectStillServing();
    }
    EXPECT_EQ(sim_.Command("get 0x0570:4"), "0x0570:4=0 (0x00000000)");
}

struct LongLineCase {
    const char* name;
    std::string line;
};

class VornSimLongLines : public HostileClient, public ::testing::WithParamInterface<LongLineCase> {};

// Nothing of a line past the limit runs, however the reads cut it.
TEST_P(VornSimLongLines, AreDiscardedWhole) {
    EXPECT_EQ(sim_.Command(GetParam().line), "error: line too long");
    EXPECT_EQ(sim_.Command("get 0x0570:4"), "0x0570:4=0 (0x00000000)");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, VornSimLongLines,
    ::testing::Values(LongLineCase{"tail_runs", std::string(5000, ' ') + "set 0x0570:4=7"},
                      LongLineCase{"just_over", "set 0x0570:4=7" + std::string(4097 - 14, ' ')},
                      LongLineCase{"far_over", "set 0x0570:4=7" + std::string(4200, ' ')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostileClient, LineAtTheLimitStillRuns) {
    EXPECT_EQ(sim_.Command("set 0x0570:4=7" + std::string(4096 - 14, ' ')), "0x0570:4=7 (0x00000007)");
}

}  // namespace
}  // namespace vorn
