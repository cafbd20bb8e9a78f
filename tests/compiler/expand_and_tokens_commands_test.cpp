// vornc expand and vornc tokens, run as a user runs them.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct CommandRun {
    int status;
    std::string out;   // stdout and stderr together
};

CommandRun Vornc(const std::string& args) {
    const std::string command = std::string(VORNC_PATH) + " " + args + " 2>&1";
    CommandRun r{-1, {}};
    std::FILE* p = ::popen(command.c_str(), "r");
    if (p == nullptr) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int raw = ::pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vorn_cli_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Write(const std::string& name, const std::string& text) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    fs::path dir_;
};

TEST_F(Commands, ExpandPrintsTheExpandedLines) {
    const auto file = Write("p.vrn", "#define LIMIT 5\r\nint x at LIMIT;\r\n#include \"missing.vrn\"\r\n");
    const CommandRun r = Vornc("expand " + file);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "int x at 5;\nerror - file does not exist:#include \"missing.vrn\"\n");
}

TEST_F(Commands, ExpandStopsAtABlankDefineName) {
    const auto file = Write("p.vrn", "#define \nx\n");
    const CommandRun r = Vornc("expand " + file);
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.out.find("Search string cannot be blank"), std::string::npos) << r.out;
}

TEST_F(Commands, TokensPrintsLineTokenAndText) {
    const auto file = Write("p.vrn", "int Alt at $0570;\n/* a\nb */ x = 'G' \"Hi\";\n");
    const CommandRun r = Vornc("tokens " + file);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "1 261 int\n1 276 Alt\n1 259 at\n1 295 $0570\n1 298 ;\n"
              "3 276 x\n3 277 =\n3 293 'G'\n3 294 \"Hi\"\n3 298 ;\n");
}

TEST_F(Commands, TokensReportsAnUnterminatedComment) {
    const auto file = Write("p.vrn", "a /* open\n");
    const CommandRun r = Vornc("tokens " + file);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("1 276 a\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Unterminated comment"), std::string::npos) << r.out;
}

TEST_F(Commands, FileAndUsageErrorsExitWith2) {
    EXPECT_EQ(Vornc("expand " + (dir_ / "nope.vrn").string()).status, 2);
    EXPECT_EQ(Vornc("tokens " + (dir_ / "nope.vrn").string()).status, 2);
    EXPECT_EQ(Vornc("expand").status, 2);
    EXPECT_EQ(Vornc("tokens a b").status, 2);
}

}  // namespace
