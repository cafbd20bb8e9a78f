#include "fsuipc/posix_channel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "fsuipc/ipc_link.h"

namespace vorn {

namespace {

// A folder we may put sockets in: ours, a real directory, closed to others.
bool CheckPrivateDir(const std::string& dir, std::string& error) {
    struct stat st;
    if (::lstat(dir.c_str(), &st) != 0) {
        error = "cannot inspect " + dir + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = dir + " is not a directory";
        return false;
    }
    if (st.st_uid != ::getuid()) {
        error = dir + " belongs to another user";
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        error = dir + " is open to other users";
        return false;
    }
    return true;
}

bool MakePrivateDir(const std::string& dir, std::string& error) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + dir + ": " + std::strerror(errno);
        return false;
    }
    return CheckPrivateDir(dir, error);
}

// A file name part that no two names share: '/', NUL and the escape
// character itself are written as %2F, %00 and %25, the rest as they are.
std::string Sanitized(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '/') {
            out += "%2F";
        } else if (c == '\0') {
            out += "%00";
        } else if (c == '%') {
            out += "%25";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string PosixRuntimeDir(std::string& error) {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && xdg[0] == '/') {
        // The runtime folder itself is the user's already; our subfolder
        // just keeps the sockets together.
        const std::string dir = std::string(xdg) + "/vorn";
        return MakePrivateDir(dir, error) ? dir : std::string();
    }
    const std::string dir = "/tmp/vorn-" + std::to_string(::getuid());
    return MakePrivateDir(dir, error) ? dir : std::string();
}

std::string PosixSocketPath(std::string_view className, std::string& error) {
    if (className.empty()) {
        error = "empty server class name";
        return {};
    }
    const std::string dir = PosixRuntimeDir(error);
    if (dir.empty()) return {};
    std::string path = dir + "/" + Sanitized(IpcName()) + "." + Sanitized(className);
    constexpr std::size_t kMost = sizeof(sockaddr_un{}.sun_path) - 1;  // and its NUL
    if (path.size() > kMost) {
        error = "socket path too long (" + std::to_string(path.size()) + " bytes, at most " + std::to_string(kMost) +
                "): " + path + "; a shorter XDG_RUNTIME_DIR or message name makes it fit";
        return {};
    }
    return path;
}

std::string PosixShmName(std::string_view blockName) {
    if (blockName.empty() || blockName.size() > kPosixMaxName) return {};
    std::string name(1, '/');
    name.append(Sanitized(blockName));
    return name;
}

std::uint32_t PosixMessageNumber(std::string_view name) {
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (unsigned char c : name) {
        h ^= c;
        h *= 16777619u;
    }
    return 0xC000 + (h % 0x4000);
}

}  // namespace vorn
