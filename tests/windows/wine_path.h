#pragma once
// Paths handed to the tests by CMake are Unix paths in the cross build; Wine
// shows the Unix root as drive Z:. Native Windows paths pass unchanged.
#include <string>

namespace vorn::test {

inline std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace vorn::test
