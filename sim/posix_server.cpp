#include "sim/posix_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "fsuipc/ipc_link.h"
#include "fsuipc/posix_channel.h"
#include "fsuipc/request_block.h"
#include "sim/request_log.h"
#include "sim/sim_commands.h"

namespace vorn {

namespace {

constexpr std::size_t kMaxConnections = 64;
// A connected client asks every 100 ms tick. With every place taken, one that
// has asked nothing for this long gives its place to a new connection, so
// idle connections cannot lock clients out.
constexpr std::chrono::seconds kIdlePlaceTaken{2};

PosixServer* signalTarget = nullptr;

void OnStopSignal(int) {
    if (signalTarget != nullptr) signalTarget->Stop();
}

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n > 0) {
            done += std::size_t(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;  // the reader has gone; nothing useful to do
        }
    }
}

bool MakeSocketAddress(const std::string& path, sockaddr_un& address) {
    if (path.size() >= sizeof address.sun_path) return false;
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

struct Request {
    std::uint32_t sequence = 0;
    std::uint32_t message = 0;
    std::uint64_t nonce = 0;
    std::string name;
};

}  // namespace

// One client connection. Its block stays open across requests, but is never
// mapped: the client may resize or rewrite it at any moment, so every request
// works on a private copy read through the descriptor.
struct PosixServer::Connection {
    int fd = -1;
    std::vector<std::uint8_t> input;  // at most the start of one request
    Request newest;
    bool pending = false;  // `newest` is still to be answered
    std::string blockName;
    std::uint64_t nonce = 0;
    int blockFd = -1;
    std::size_t classIndex = 0;  // which socket it came in on, for the log
    std::chrono::steady_clock::time_point lastHeard = std::chrono::steady_clock::now();

    void CloseBlock() {
        if (blockFd >= 0) ::close(blockFd);
        blockFd = -1;
        blockName.clear();
        nonce = 0;
    }
    ~Connection() {
        CloseBlock();
        if (fd >= 0) ::close(fd);
    }
};

namespace {

// Takes every complete request off the front of the connection's input and
// keeps the newest: a client that timed out has given up on the older ones.
// False on garbage (the connection is dropped).
bool TakeRequests(PosixServer::Connection& c) {
    std::size_t pos = 0;
    bool ok = true;
    while (c.input.size() - pos >= kPosixRequestHeader) {
        const std::uint8_t* h = c.input.data() + pos;
        const std::uint32_t nameLength = LoadU32(h + 12);
        if (LoadU32(h) != kPosixRequestMagic || nameLength == 0 || nameLength > kPosixMaxName + 1) {
            ok = false;
            break;
        }
        if (c.input.size() - pos < kPosixRequestHeader + nameLength) break;  // wait for the rest
        c.newest.sequence = LoadU32(h + 4);
        c.newest.message = LoadU32(h + 8);
        c.newest.nonce = LoadU32(h + 16) | std::uint64_t(LoadU32(h + 20)) << 32;
        c.newest.name.assign(reinterpret_cast<const char*>(h + kPosixRequestHeader), nameLength);
        c.pending = true;
        pos += kPosixRequestHeader + nameLength;
    }
    c.input.erase(c.input.begin(), c.input.begin() + std::ptrdiff_t(pos));
    return ok;
}

}  // namespace

PosixServer::PosixServer(SimServer& server, std::vector<std::string> classNames)
    : server_(server), classes_(std::move(classNames)) {}

PosixServer::~PosixServer() {
    if (signalTarget == this) signalTarget = nullptr;
    Close();
}

bool PosixServer::Listen(std::string& error) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("cannot create a pipe: ") + std::strerror(errno);
        return false;
    }
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];

    for (const std::string& className : classes_) {
        const std::string path = PosixSocketPath(className, error);
        sockaddr_un address;
        if (path.empty() || !MakeSocketAddress(path, address)) {
            if (error.empty()) error = "bad socket path for " + className;
            Close();
            return false;
        }
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            error = std::string("cannot create a socket: ") + std::strerror(errno);
            Close();
            return false;
        }
        int rc = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        if (rc != 0 && errno == EADDRINUSE) {
            // Someone listens there, or a server died and left its socket.
            const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const bool alive =
                probe >= 0 && ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
            if (probe >= 0) ::close(probe);
            if (alive) {
                error = "a server of class " + className + " is already running at " + path;
                ::close(fd);
                Close();
                return false;
            }
            ::unlink(path.c_str());
            rc = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
        struct stat st;
        if (rc != 0 || ::listen(fd, 16) != 0 || ::lstat(path.c_str(), &st) != 0) {
            error = "cannot listen on " + path + ": " + std::strerror(errno);
            ::close(fd);
            Close();
            return false;
        }
        listenFds_.push_back(fd);
        paths_.push_back(path);
        inodes_.push_back(st.st_ino);
    }
    return true;
}

void PosixServer::Stop() {
    stop_.store(true);
    if (wakeWrite_ >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeWrite_, &byte, 1);
    }
}

void PosixServer::StopOnSignals() {
    signalTarget = this;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

// Waits ms, or less when Stop() comes first (then false).
bool PosixServer::Pause(std::uint32_t ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop_.load()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
        if (left <= 0) return true;
        pollfd p{wakeRead_, POLLIN, 0};
        ::poll(&p, 1, int(left) + 1);
    }
    return false;
}

void PosixServer::SetTicker(std::uint32_t periodMs, std::function<void()> tick) {
    tickPeriodMs_ = tick ? periodMs : 0;
    tick_ = std::move(tick);
}

void PosixServer::Accept(std::size_t classIndex) {
    const int listenFd = listenFds_[classIndex];
    for (;;) {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        auto c = std::make_unique<Connection>();
        c->fd = fd;
        c->classIndex = classIndex;
        if (connections_.size() < kMaxConnections) {
            connections_.push_back(std::move(c));
            continue;
        }
        const auto idlest = std::min_element(connections_.begin(), connections_.end(), [](const auto& a, const auto& b) {
            return a->lastHeard < b->lastHeard;
        });
        if (std::chrono::steady_clock::now() - (*idlest)->lastHeard < kIdlePlaceTaken) continue;  // refused: dropped
        // In the idle one's place, so that the positions polled stay in step.
        *idlest = std::move(c);
    }
}

// Answers the newest complete request in the connection's input; older
// ones are dropped unanswered. False when the connection must be dropped
// (garbage on the stream, or the client no longer takes answers).
bool PosixServer::ServeRequest(Connection& c) {
    if (!c.pending) return true;
    c.pending = false;
    const Request& request = c.newest;

    RequestLog* log = server_.ActiveLog();
    const auto started = log != nullptr ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
    const SimServerOptions& options = server_.Options();
    if (options.neverAnswer) return true;
    if (options.delayMs != 0 && !Pause(options.delayMs)) return true;  // stopping

    std::uint32_t answer = 0;
    // Only a client block of this IPC name.
    const std::string expectedPrefix = PosixShmName(IpcName() + ":");
    const std::string& name = request.name;
    const bool nameOk = request.message == PosixMessageNumber(IpcName()) &&
                        name.compare(0, expectedPrefix.size(), expectedPrefix) == 0 &&
                        name.find('/', 1) == std::string::npos && name.find('\0') == std::string::npos;
    if (nameOk) {
        if (c.blockFd < 0 || c.blockName != name || c.nonce != request.nonce || request.nonce == 0) {
            c.CloseBlock();
            const int fd = ::shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0);
            if (fd >= 0) {
                c.blockFd = fd;
                c.blockName = name;
                c.nonce = request.nonce;
            }
        }
        if (c.blockFd >= 0) answer = ProcessClientBlock(c.blockFd);
    }
    if (log != nullptr)
        log->Write(ClientPidFromBlockName(name, expectedPrefix), classes_[c.classIndex], copy_.data(),
                   answer == 1 ? copiedUsed_ : 0, answer, std::chrono::steady_clock::now() - started);
    std::uint8_t reply[kPosixReplySize];
    StoreU32(reply, request.sequence);
    StoreU32(reply + 4, answer);
    return ::send(c.fd, reply, sizeof reply, MSG_NOSIGNAL | MSG_DONTWAIT) == ssize_t(sizeof reply);
}

// One request on a private copy: the size is checked through the descriptor,
// the whole block read at once, checked and processed, and the records
// written back. Whatever the client does to the block meanwhile can only
// spoil its own answer.
std::uint32_t PosixServer::ProcessClientBlock(int blockFd) {
    struct stat st;
    if (::fstat(blockFd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < off_t(kBlockSize)) return 0;
    copy_.resize(kBlockSize);
    // Most requests are a few records at the start of the block: read a first
    // part, and the rest only when the records do not end inside it. Either
    // way the records are checked and processed in the private copy alone.
    const auto readInto = [&](std::size_t from, std::size_t to) {
        while (from < to) {
            const ssize_t n = ::pread(blockFd, copy_.data() + from, to - from, off_t(from));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;  // cut short under us
            from += std::size_t(n);
        }
        return true;
    };
    constexpr std::size_t kFirstPart = 4096;
    if (!readInto(0, kFirstPart)) return 0;
    std::size_t used = 0;
    std::uint32_t answer = server_.ProcessBlock(copy_.data(), kFirstPart, &used);
    if (answer == 0) {
        if (!readInto(kFirstPart, kBlockSize)) return 0;
        answer = server_.ProcessBlock(copy_.data(), kBlockSize, &used);
    }
    if (answer != 1) return answer;
    copiedUsed_ = used;
    std::size_t done = 0;
    while (done < used) {
        const ssize_t n = ::pwrite(blockFd, copy_.data() + done, used - done, off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return 0;
        done += std::size_t(n);
    }
    return answer;
}

void PosixServer::Serve(int inputFd, int outputFd, const CommandHandler& handler, bool quitOnEndOfInput) {
    using Clock = std::chrono::steady_clock;
    CommandLineSplitter lines;
    bool inputOpen = inputFd >= 0;
    auto nextTick = Clock::now() + std::chrono::milliseconds(tickPeriodMs_);
    while (!stop_.load()) {
        int timeoutMs = -1;
        if (tickPeriodMs_ != 0) {
            auto now = Clock::now();
            if (now >= nextTick) {
                tick_();
                nextTick += std::chrono::milliseconds(tickPeriodMs_);
                if (nextTick < now) nextTick = now + std::chrono::milliseconds(tickPeriodMs_);  // fell behind
            }
            timeoutMs = int(std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - now).count()) + 1;
            if (timeoutMs < 0) timeoutMs = 0;
        }

        std::vector<pollfd> fds;
        fds.push_back({wakeRead_, POLLIN, 0});
        const std::size_t inputIndex = fds.size();
        if (inputOpen) fds.push_back({inputFd, POLLIN, 0});
        const std::size_t listenIndex = fds.size();
        for (int fd : listenFds_) fds.push_back({fd, POLLIN, 0});
        const std::size_t connectionIndex = fds.size();
        for (auto& c : connections_) fds.push_back({c->fd, POLLIN, 0});

        if (::poll(fds.data(), fds.size(), timeoutMs) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (stop_.load()) break;

        if (inputOpen && fds[inputIndex].revents != 0) {
            char buffer[1024];
            const ssize_t n = ::read(inputFd, buffer, sizeof buffer);
            if (n > 0) {
                bool quit = false;
                for (const CommandLineSplitter::Item& item : lines.Feed(std::string_view(buffer, std::size_t(n)))) {
                    if (item.tooLong) {
                        WriteAll(outputFd, "error: line too long\n");
                        continue;
                    }
                    const std::string answer = handler ? handler(item.text, quit) : std::string();
                    if (!answer.empty()) WriteAll(outputFd, answer + "\n");
                    if (quit) break;
                }
                if (quit) break;
            } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
                inputOpen = false;
                if (quitOnEndOfInput) break;
            }
        }

        for (std::size_t i = 0; i < listenFds_.size(); ++i)
            if (fds[listenIndex + i].revents & POLLIN) Accept(i);

        // Connections accepted just now were not polled; they come next round.
        const std::size_t polled = fds.size() - connectionIndex;
        std::vector<bool> drop(connections_.size(), false);
        for (std::size_t i = 0; i < polled; ++i) {
            Connection& c = *connections_[i];
            const short events = fds[connectionIndex + i].revents;
            if (events == 0) continue;
            // Everything queued is read before anything is served, so that
            // only the newest request is answered.
            // A client that never stops sending still yields to the others.
            bool closed = false;
            for (int reads = 0; reads < 64; ++reads) {
                std::uint8_t buffer[4096];
                const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (n > 0) {
                    c.lastHeard = std::chrono::steady_clock::now();
                    c.input.insert(c.input.end(), buffer, buffer + n);
                    if (!TakeRequests(c)) {
                        closed = true;
                        break;
                    }
                    continue;
                }
                if (n < 0 && errno == EINTR) continue;
                // A client that has hung up is given nothing: its requests go unserved.
                if (n == 0 || errno != EAGAIN) closed = true;
                break;
            }
            if (closed || !ServeRequest(c)) drop[i] = true;
        }
        for (std::size_t i = drop.size(); i-- > 0;)
            if (drop[i]) connections_.erase(connections_.begin() + std::ptrdiff_t(i));

        if (fds[0].revents != 0) {
            char sink[64];
            while (::read(wakeRead_, sink, sizeof sink) > 0) {
            }
        }
    }
}

void PosixServer::Close() {
    connections_.clear();
    for (int fd : listenFds_) ::close(fd);
    listenFds_.clear();
    // Remove only sockets that are still ours: a later server may have
    // replaced a file we thought stale.
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        struct stat st;
        if (::lstat(paths_[i].c_str(), &st) == 0 && st.st_ino == inodes_[i]) ::unlink(paths_[i].c_str());
    }
    paths_.clear();
    inodes_.clear();
    if (wakeRead_ >= 0) ::close(wakeRead_);
    if (wakeWrite_ >= 0) ::close(wakeWrite_);
    wakeRead_ = wakeWrite_ = -1;
}

}  // namespace vorn
