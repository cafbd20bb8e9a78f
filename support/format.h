#pragma once
// printf-style formatting into a std::string, for the trace, listing and
// message lines the libraries build. The whole text is kept, however long.
// Header-only, so every library can use it without a dependency.
#include <cstdarg>
#include <cstdio>
#include <string>

namespace vorn {

#if defined(__GNUC__)
#define VORN_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define VORN_PRINTF(f, a)
#endif

inline void AppendFormatV(std::string& out, const char* format, std::va_list args) {
    char small[128];
    std::va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(small, sizeof small, format, args);
    if (n < 0) {
        va_end(again);
        return;
    }
    if (static_cast<std::size_t>(n) < sizeof small) {
        out.append(small, static_cast<std::size_t>(n));
    } else {
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data() + at, static_cast<std::size_t>(n) + 1, format, again);
        out.resize(at + static_cast<std::size_t>(n));
    }
    va_end(again);
}

// Appends the formatted text to `out`.
inline VORN_PRINTF(2, 3) void AppendFormat(std::string& out, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    AppendFormatV(out, format, args);
    va_end(args);
}

// The formatted text.
inline VORN_PRINTF(1, 2) std::string Format(const char* format, ...) {
    std::string out;
    std::va_list args;
    va_start(args, format);
    AppendFormatV(out, format, args);
    va_end(args);
    return out;
}

}  // namespace vorn
