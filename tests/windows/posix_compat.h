#pragma once
// Shared test sources set environment variables the POSIX way; mingw's C
// runtime spells it _putenv_s. Force-included into those tests only.
#include <cstdlib>

inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && std::getenv(name) != nullptr) return 0;
    return _putenv_s(name, value);
}

inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
