// vornc compile through the real executable: listing on stdout, the image
// file only after a clean compile, and the exit status for each outcome.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/vornc_process.h"

namespace vorn::test {
namespace {

const char* kWorkedExample =
    "int Count; int Sum(int a, int b) { return a + b; } key(Control, 'g') { Count = Sum(Count, 1); }\n";

std::vector<std::int32_t> Words(const std::string& bytes) {
    std::vector<std::int32_t> words;
    for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
        const auto b = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + k])); };
        words.push_back(static_cast<std::int32_t>(b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24));
    }
    return words;
}

TEST(CompileCommandLine, ListingAndImageOfACleanCompile) {
    TempProgram program(kWorkedExample);
    const std::string image = program.Folder() + "/out.img";
    const ProcessResult r = RunVornc({"compile", "--listing", "--image", image, program.Path()});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto lines = r.OutLines();
    ASSERT_EQ(lines.size(), 19u) << r.out;
    EXPECT_EQ(lines.front(), "Add vbl int Count local location 1000000");
    EXPECT_EQ(lines[8], "PushC 0;        // Function return result");
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
    const auto words = Words(ReadWholeFile(image));
    ASSERT_EQ(words.size(), 36u);
    EXPECT_EQ(words[0], 16777224);
    EXPECT_EQ(words[2], 11);
}

TEST(CompileCommandLine, NoListingMeansNoOutput) {
    TempProgram program(kWorkedExample);
    const ProcessResult r = RunVornc({"compile", program.Path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST(CompileCommandLine, ErrorsPrintDiagnosticsAndWriteNoImage) {
    TempProgram program("key(Control, 'a') {\n  x = 1;\n}\n");
    const std::string image = program.Folder() + "/out.img";
    const ProcessResult r = RunVornc({"compile", "--image", image, program.Path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.OutLines(), (std::vector<std::string>{": 2: Undeclared identifier x at or before ;"}));
    EXPECT_FALSE(std::filesystem::exists(image));
}

TEST(CompileCommandLine, FailuresThatEndTheCompile) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"int x; key(Control, 'a') { x = 99999999999; }\n", "99999999999"},
        {"#define  \nint x;\n", "Search string cannot be blank"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TempProgram program(c.text);
        const std::string image = program.Folder() + "/out.img";
        const ProcessResult r = RunVornc({"compile", "--listing", "--image", image, program.Path()});
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(image));
    }
}

TEST(CompileCommandLine, UsageAndFileErrors) {
    TempProgram program(kWorkedExample);
    const std::vector<std::vector<std::string>> cases = {
        {"compile"},
        {"compile", "--image"},
        {"compile", "--bogus", program.Path()},
        {"compile", program.Path(), program.Path()},
        {"compile", program.Folder() + "/missing.vrn"},
        {"compile", program.Folder()},
        {"compile", "--image", program.Folder() + "/no/such/dir/out.img", program.Path()},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.back());
        const ProcessResult r = RunVornc(args);
        EXPECT_EQ(r.status, 2) << r.out << r.err;
        EXPECT_FALSE(r.err.empty());
    }
}

}  // namespace
}  // namespace vorn::test
