#pragma once
// Points XDG_RUNTIME_DIR at a fresh folder for the life of the object, so
// every test's vorn-sim sockets are its own, and removes it afterwards.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vorn::testing {

class PrivateRuntimeDir {
public:
    PrivateRuntimeDir() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/vorn-test-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old != nullptr) saved_ = old, hadOld_ = true;
        ::setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
    }
    ~PrivateRuntimeDir() {
        if (hadOld_)
            ::setenv("XDG_RUNTIME_DIR", saved_.c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }
    // Where servers put their sockets.
    std::string SocketDir() const { return path_ + "/vorn"; }

private:
    std::string path_;
    std::string saved_;
    bool hadOld_ = false;
};

}  // namespace vorn::testing
