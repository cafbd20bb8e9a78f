#include "sim/posix_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "fsuipc/ipc_link.h"
#include "fsuipc/posix_channel.h"
#include "fsuipc/request_block.h"

namespace vorn {

namespace {

constexpr std::size_t kMaxLineLength = 4096;
constexpr std::size_t kMaxConnections = 64;

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

}  // namespace

// One client connection with its block mapped across requests.
struct PosixServer::Connection {
    int fd = -1;
    std::vector<std::uint8_t> input;
    std::string blockName;
    std::uint64_t nonce = 0;
    std::uint8_t* view = nullptr;

    void Unmap() {
        if (view != nullptr) ::munmap(view, kBlockSize);
        view = nullptr;
        blockName.clear();
        nonce = 0;
    }
    ~Connection() {
        Unmap();
        if (fd >= 0) ::close(fd);
    }
};

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

void PosixServer::Accept(int listenFd) {
    for (;;) {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        if (connections_.size() >= kMaxConnections) {
            ::close(fd);  // refused: the client sees the connection drop
            continue;
        }
        auto c = std::make_unique<Connection>();
        c->fd = fd;
        connections_.push_back(std::move(c));
    }
}

// Handles every complete request in the connection's input. False when the
// connection must be dropped (garbage on the stream).
bool PosixServer::ServeRequest(Connection& c) {
    const SimServerOptions& options = server_.Options();
    const std::uint32_t expectedMessage = PosixMessageNumber(IpcName());
    const std::string expectedPrefix = PosixShmName(IpcName() + ":");
    while (c.input.size() >= kPosixRequestHeader) {
        const std::uint8_t* h = c.input.data();
        if (LoadU32(h) != kPosixRequestMagic) return false;
        const std::uint32_t nameLength = LoadU32(h + 12);
        if (nameLength == 0 || nameLength > kPosixMaxName + 1) return false;
        if (c.input.size() < kPosixRequestHeader + nameLength) return true;  // wait for the rest
        const std::uint32_t sequence = LoadU32(h + 4);
        const std::uint32_t message = LoadU32(h + 8);
        const std::uint64_t nonce = LoadU32(h + 16) | std::uint64_t(LoadU32(h + 20)) << 32;
        const std::string name(reinterpret_cast<const char*>(h + kPosixRequestHeader), nameLength);
        c.input.erase(c.input.begin(), c.input.begin() + std::ptrdiff_t(kPosixRequestHeader + nameLength));

        if (options.neverAnswer) continue;
        if (options.delayMs != 0 && !Pause(options.delayMs)) return true;  // stopping

        std::uint32_t answer = 0;
        // Only a client block of this IPC name, and only a whole block.
        const bool nameOk = message == expectedMessage && name.compare(0, expectedPrefix.size(), expectedPrefix) == 0 &&
                            name.find('/', 1) == std::string::npos && name.find('\0') == std::string::npos;
        if (nameOk) {
            if (c.view == nullptr || c.blockName != name || c.nonce != nonce || nonce == 0) {
                c.Unmap();
                const int fd = ::shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0);
                if (fd >= 0) {
                    struct stat st;
                    if (::fstat(fd, &st) == 0 && st.st_size >= off_t(kBlockSize)) {
                        void* view = ::mmap(nullptr, kBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
                        if (view != MAP_FAILED) {
                            c.view = static_cast<std::uint8_t*>(view);
                            c.blockName = name;
                            c.nonce = nonce;
                        }
                    }
                    ::close(fd);
                }
            }
            if (c.view != nullptr) answer = server_.ProcessBlock(c.view, kBlockSize);
        }
        std::uint8_t reply[kPosixReplySize];
        StoreU32(reply, sequence);
        StoreU32(reply + 4, answer);
        if (::send(c.fd, reply, sizeof reply, MSG_NOSIGNAL | MSG_DONTWAIT) != ssize_t(sizeof reply)) return false;
    }
    return true;
}

void PosixServer::Serve(int inputFd, int outputFd, const CommandHandler& handler, bool quitOnEndOfInput) {
    using Clock = std::chrono::steady_clock;
    std::string line;
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
                line.append(buffer, std::size_t(n));
                std::size_t newline;
                bool quit = false;
                while (!quit && (newline = line.find('\n')) != std::string::npos) {
                    std::string command = line.substr(0, newline);
                    line.erase(0, newline + 1);
                    if (!command.empty() && command.back() == '\r') command.pop_back();
                    const std::string answer = handler ? handler(command, quit) : std::string();
                    if (!answer.empty()) WriteAll(outputFd, answer + "\n");
                }
                if (quit) break;
                if (line.size() > kMaxLineLength) {
                    WriteAll(outputFd, "error: line too long\n");
                    line.clear();
                }
            } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
                inputOpen = false;
                if (quitOnEndOfInput) break;
            }
        }

        for (std::size_t i = 0; i < listenFds_.size(); ++i)
            if (fds[listenIndex + i].revents & POLLIN) Accept(listenFds_[i]);

        // Connections accepted just now were not polled; they come next round.
        const std::size_t polled = fds.size() - connectionIndex;
        std::vector<bool> drop(connections_.size(), false);
        for (std::size_t i = 0; i < polled; ++i) {
            Connection& c = *connections_[i];
            const short events = fds[connectionIndex + i].revents;
            if (events == 0) continue;
            std::uint8_t buffer[4096];
            const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0) {
                c.input.insert(c.input.end(), buffer, buffer + n);
                if (!ServeRequest(c)) drop[i] = true;
            } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
                drop[i] = true;
            }
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
