// vornc's memory against the size of the text it compiles: a program of
// millions of lines may take a small multiple of its expanded text, never a
// record or a string per line on top.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli/vornc_process.h"

namespace vorn::test {
namespace {

const char* const kTail = "int n;\nkey(Control, 'G') { n = n + 1; }\n";

struct BoundCase {
    const char* name;
    std::vector<std::string> args;  // FILE goes after the first
};

class MemoryBound : public ::testing::TestWithParam<BoundCase> {};

// 16 MiB of empty lines: an expanded text of 32 MiB (CR LF each).
TEST_P(MemoryBound, PeakIsAtMostFourTimesTheExpandedText) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the address sanitizer's shadow memory and quarantine are no measure of the program's";
#endif
    const std::size_t lines = std::size_t{16} << 20;
    TempProgram big(std::string(lines, '\n') + kTail);
    TempProgram small(kTail);
    const auto peak = [&](const std::string& path) {
        std::vector<std::string> args = GetParam().args;
        args.insert(args.begin() + 1, path);
        const ProcessResult r = RunVornc(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.peakKib;
    };
    const long expandedKib = static_cast<long>((lines * 2 + std::string(kTail).size() + 2) / 1024);
    // What the executable takes for a program of two lines is not the text's.
    const long own = peak(small.Path());
    EXPECT_LE(peak(big.Path()) - own, 4 * expandedKib);
}

INSTANTIATE_TEST_SUITE_P(Commands, MemoryBound,
                         ::testing::Values(BoundCase{"compile", {"compile"}},
                                           BoundCase{"run", {"run", "--ticks", "1", "--fast"}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorn::test
