#include "fsuipc/posix_transport.h"

#include "fsuipc/atom_table.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "fsuipc/platform_transport.h"
#include "fsuipc/posix_channel.h"
#include "fsuipc/request_block.h"

namespace vorn {

namespace {

// When this process began (static initialisation runs before main).
const std::chrono::system_clock::time_point kProcessStart = std::chrono::system_clock::now();

// Block names carry the process id: a block of this process's name that was
// last changed before this process began was left by a process killed before
// it could remove it, whose id this one now has. One made since is live.
bool LeftByAnEarlierProcess(const std::string& shmName) {
    const int fd = ::shm_open(shmName.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) return false;
    struct stat st;
    const bool stale = ::fstat(fd, &st) == 0 &&
                       std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(
                           std::chrono::seconds(st.st_ctim.tv_sec) + std::chrono::nanoseconds(st.st_ctim.tv_nsec))) <
                           kProcessStart;
    ::close(fd);
    return stale;
}

class PosixTransport : public IpcTransport {
public:
    PosixTransport() {
        std::random_device seed;
        nonce_ = (std::uint64_t(seed()) << 32) ^ seed() ^ std::uint64_t(::getpid());
    }

    ~PosixTransport() override {
        for (auto& [handle, s] : servers_) Disconnect(s);
        for (auto& [view, size] : views_) ::munmap(view, size);
        for (auto& [handle, block] : blocks_) {
            ::close(block.fd);
            ::shm_unlink(block.shmName.c_str());
        }
    }

    // Like a window lookup, this sees the server as it is now: a fresh
    // connection to whoever listens on the class's socket, or none. The
    // connection is the server's identity for the link that found it: it is
    // never made again behind the link's back, so a server that went away
    // or was restarted fails every later send instead of quietly taking the
    // requests of a link it never opened.
    ServerHandle FindServer(const char* className) override {
        lastError_ = 0;
        std::string error;
        const std::string path = PosixSocketPath(className ? className : "", error);
        if (path.empty()) {
            lastError_ = ENOENT;
            return 0;
        }
        Server s;
        s.path = path;
        if (!Connect(s)) return 0;
        const ServerHandle handle = nextServer_++;
        servers_[handle] = s;
        return handle;
    }

    void ReleaseServer(ServerHandle server) override {
        auto it = servers_.find(server);
        if (it == servers_.end()) return;
        Disconnect(it->second);
        servers_.erase(it);
    }

    std::uint32_t RegisterMessage(const char* name) override {
        lastError_ = 0;
        if (name == nullptr || name[0] == '\0') {
            lastError_ = EINVAL;
            return 0;
        }
        return PosixMessageNumber(name);
    }

    std::uint32_t CurrentProcessId() override { return std::uint32_t(::getpid()); }

    std::uint16_t AddAtom(const char* name) override {
        lastError_ = 0;
        if (name == nullptr || name[0] == '\0') {
            lastError_ = EINVAL;
            return 0;
        }
        const std::uint16_t atom = atoms_.Add(name);
        if (atom != 0) return atom;
        lastError_ = ENOSPC;
        return 0;
    }

    void DeleteAtom(std::uint16_t atom) override {
        atoms_.Delete(atom);
    }

    BlockHandle CreateBlock(const char* name, std::uint32_t size) override {
        lastError_ = 0;
        const std::string shmName = PosixShmName(name ? name : "");
        if (shmName.empty() || size == 0) {
            lastError_ = EINVAL;
            return 0;
        }
        int fd = ::shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST && LeftByAnEarlierProcess(shmName)) {
            ::shm_unlink(shmName.c_str());
            fd = ::shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        }
        if (fd < 0) {
            lastError_ = errno == EEXIST ? kErrorAlreadyExists : std::uint32_t(errno);
            return 0;
        }
        if (::ftruncate(fd, off_t(size)) != 0) {
            lastError_ = std::uint32_t(errno);
            ::close(fd);
            ::shm_unlink(shmName.c_str());
            return 0;
        }
        const BlockHandle handle = nextBlock_++;
        blocks_[handle] = Block{fd, name, shmName, size, ++nonce_};
        return handle;
    }

    std::uint32_t LastError() override { return lastError_; }

    std::uint8_t* MapBlock(BlockHandle block) override {
        lastError_ = 0;
        auto it = blocks_.find(block);
        if (it == blocks_.end()) {
            lastError_ = EBADF;
            return nullptr;
        }
        void* view = ::mmap(nullptr, it->second.size, PROT_READ | PROT_WRITE, MAP_SHARED, it->second.fd, 0);
        if (view == MAP_FAILED) {
            lastError_ = std::uint32_t(errno);
            return nullptr;
        }
        auto* bytes = static_cast<std::uint8_t*>(view);
        views_[bytes] = it->second.size;
        return bytes;
    }

    void UnmapBlock(std::uint8_t* view) override {
        auto it = views_.find(view);
        if (it == views_.end()) return;
        ::munmap(it->first, it->second);
        views_.erase(it);
    }

    void CloseBlock(BlockHandle block) override {
        auto it = blocks_.find(block);
        if (it == blocks_.end()) return;
        ::close(it->second.fd);
        ::shm_unlink(it->second.shmName.c_str());
        blocks_.erase(it);
    }

    bool Send(ServerHandle server, std::uint32_t message, std::uint16_t atom, std::uint32_t timeoutMs,
              std::uint32_t& answer) override {
        lastError_ = 0;
        auto found = servers_.find(server);
        if (found == servers_.end()) return Fail(EBADF);
        const std::string* atomName = atoms_.Find(atom);
        if (atomName == nullptr) return Fail(EINVAL);
        const std::string& blockName = *atomName;
        const std::string shmName = PosixShmName(blockName);
        std::uint64_t nonce = 0;
        for (auto& [handle, block] : blocks_)
            if (block.name == blockName) nonce = block.nonce;

        Server& s = found->second;
        if (s.fd < 0) return Fail(ECONNRESET);  // gone; see FindServer

        std::uint8_t frame[kPosixRequestHeader + kPosixMaxName + 1];
        const std::uint32_t sequence = ++s.sequence;
        StoreU32(frame, kPosixRequestMagic);
        StoreU32(frame + 4, sequence);
        StoreU32(frame + 8, message);
        StoreU32(frame + 12, std::uint32_t(shmName.size()));
        StoreU32(frame + 16, std::uint32_t(nonce));
        StoreU32(frame + 20, std::uint32_t(nonce >> 32));
        std::memcpy(frame + kPosixRequestHeader, shmName.data(), shmName.size());
        const std::size_t length = kPosixRequestHeader + shmName.size();
        const ssize_t sent = ::send(s.fd, frame, length, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent != ssize_t(length)) {
            // A short or refused send leaves the stream out of step: start over.
            const int code = sent < 0 ? errno : EPIPE;
            Disconnect(s);
            return Fail(code);
        }

        const auto start = std::chrono::steady_clock::now();
        const auto deadline = start + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            while (s.received >= kPosixReplySize) {
                const std::uint32_t replySequence = LoadU32(s.reply);
                const std::uint32_t value = LoadU32(s.reply + 4);
                s.received = 0;
                if (replySequence == sequence) {
                    answer = value;
                    return true;
                }
                // The late answer to an attempt that already timed out.
            }
            const auto now = std::chrono::steady_clock::now();
            // A program asked to stop does not sit out a stalled server.
            if (now - start >= kInterruptAfter && IpcInterrupted()) return Fail(EINTR);
            if (now >= deadline) return false;  // time-out: no system error
            if (WaitHookSaysStop()) return false;  // given up as a time-out
            // Rounded up: a time-out of 1 ms must still wait for an answer.
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
            pollfd p{s.fd, POLLIN, 0};
            // Waits in slices, so that a stop request is seen even when its
            // signal went to another thread.
            const std::int64_t slice = HasWaitHook() ? kHookSliceMs : kSliceMs;
            const int ready = ::poll(&p, 1, int(std::min<std::int64_t>(left.count(), slice)));
            if (ready < 0) {
                if (errno == EINTR) continue;
                const int code = errno;
                Disconnect(s);
                return Fail(code);
            }
            if (ready == 0) continue;
            const ssize_t got = ::recv(s.fd, s.reply + s.received, kPosixReplySize - s.received, MSG_DONTWAIT);
            if (got > 0) {
                s.received += std::size_t(got);
                continue;
            }
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            const int code = got == 0 ? ECONNRESET : errno;  // the server went away
            Disconnect(s);
            return Fail(code);
        }
    }

private:
    struct Server {
        std::string path;
        int fd = -1;
        std::uint32_t sequence = 0;
        std::uint8_t reply[kPosixReplySize] = {};
        std::size_t received = 0;
    };
    struct Block {
        int fd;
        std::string name;
        std::string shmName;
        std::uint32_t size;
        std::uint64_t nonce;
    };

    bool Fail(int code) {
        lastError_ = code != 0 ? std::uint32_t(code) : std::uint32_t(EIO);
        return false;
    }

    bool Connect(Server& s) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return Fail(errno);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, s.path.c_str(), s.path.size() + 1);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            const int code = errno;
            ::close(fd);
            return Fail(code);
        }
        s.fd = fd;
        s.received = 0;
        return true;
    }

    void Disconnect(Server& s) {
        if (s.fd >= 0) ::close(s.fd);
        s.fd = -1;
        s.received = 0;
    }

    static constexpr std::int64_t kSliceMs = 100;
    static constexpr std::int64_t kHookSliceMs = 10;  // a window's events wait no longer
    static constexpr std::chrono::milliseconds kInterruptAfter{100};

    std::uint32_t lastError_ = 0;
    std::map<ServerHandle, Server> servers_;
    ServerHandle nextServer_ = 1;
    AtomTable atoms_;
    std::map<BlockHandle, Block> blocks_;
    BlockHandle nextBlock_ = 1;
    std::map<std::uint8_t*, std::size_t> views_;
    std::uint64_t nonce_ = 0;
};

}  // namespace

std::unique_ptr<IpcTransport> MakePosixTransport() { return std::make_unique<PosixTransport>(); }

#ifndef _WIN32
std::unique_ptr<IpcTransport> MakePlatformTransport() { return MakePosixTransport(); }
#endif

}  // namespace vorn
