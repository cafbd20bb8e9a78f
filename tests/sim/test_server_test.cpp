// vorn-sim as a test server for any FSUIPC client, through the real
// vorn-sim (Linux) or vorn-sim.exe (Wine): the class it presents by default,
// typed values set on its command line and read back by Vorn's client, and
// the log of what a client sent.
#include <gtest/gtest.h>

#ifdef _WIN32
#include "tests/windows/sim_exe.h"
#include "tests/windows/wine_path.h"
#else
#include "tests/fsuipc/private_runtime_dir.h"
#endif

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "fsuipc/ipc_link.h"
#include "fsuipc/platform_transport.h"
#include "sim/sim_process.h"

namespace vorn {
namespace {

#ifdef _WIN32
const std::string kSim = test::WindowsPath(VORN_SIM_PATH);
#else
const std::string kSim = VORN_SIM_PATH;
#endif

class TestServer : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        ASSERT_TRUE(test::WaitForNoWindow("FS98MAIN")) << "a server from an earlier test is still running";
        ASSERT_TRUE(test::WaitForNoWindow("UIPCMAIN"));
#endif
        transport_ = MakePlatformTransport();
        logPath_ = (std::filesystem::temp_directory_path() /
                    ("vorn-sim-log-" + std::to_string(transport_->CurrentProcessId()) + ".txt"))
                       .string();
        RemoveLogs();
    }
    void TearDown() override {
        sim_.reset();
#ifdef _WIN32
        test::WaitForNoWindow("FS98MAIN");
        test::WaitForNoWindow("UIPCMAIN");
#endif
        RemoveLogs();
    }
    void RemoveLogs() {
        std::error_code ignored;
        std::filesystem::remove(logPath_, ignored);
        std::filesystem::remove(logPath_ + ".1", ignored);
    }

    SimProcess& StartSim(const std::vector<std::string>& arguments = {}) {
        sim_ = std::make_unique<SimProcess>();
        std::string error;
        EXPECT_TRUE(sim_->Start(kSim, arguments, error, 15000)) << error;
        return *sim_;
    }
    void QuitSim() {
        EXPECT_EQ(sim_->Command("quit"), "bye");
        EXPECT_EQ(sim_->Wait(), 0);
    }
    std::vector<std::string> LogLines(const std::string& path) const {
        std::ifstream in(path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

#ifndef _WIN32
    testing::PrivateRuntimeDir dir_;
#endif
    std::unique_ptr<SimProcess> sim_;
    std::unique_ptr<IpcTransport> transport_;
    std::string logPath_;
};

struct ClassCase {
    const char* name;
    std::vector<std::string> arguments;
    bool uipcmain;
    bool fs98main;
};

const ClassCase kClasses[] = {
    {"default_is_fsuipc", {}, true, false},
    {"wideclient", {"--wideclient"}, false, true},
    {"class_fs98main", {"--class", "FS98MAIN"}, false, true},
    {"both", {"--uipcmain", "--wideclient"}, true, true},
};

class TestServerClasses : public TestServer, public ::testing::WithParamInterface<ClassCase> {};

// A client that looks for one class only, as many do.
TEST_P(TestServerClasses, PresentsTheClassesAsked) {
    StartSim(GetParam().arguments);
    for (const auto& [className, expected] : {std::pair{"UIPCMAIN", GetParam().uipcmain},
                                              std::pair{"FS98MAIN", GetParam().fs98main}}) {
        const ServerHandle server = transport_->FindServer(className);
        EXPECT_EQ(server != 0, expected) << className;
        if (server != 0) transport_->ReleaseServer(server);
    }
    QuitSim();
}

INSTANTIATE_TEST_SUITE_P(Cases, TestServerClasses, ::testing::ValuesIn(kClasses),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TestServer, HandshakeAnswersAsFsuipc7WithMsfs) {
    StartSim();
    IpcLink link(*transport_);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result)) << result;
    EXPECT_EQ(link.FsuipcVersion(), 0x74160000u);
    EXPECT_EQ(link.SimulatorVersion(), 13u);
    EXPECT_EQ(sim_->Command("get 0x3308:4u"), "0x3308:4u=4208853005 (0xFADE000D)");
    QuitSim();
}

struct TypedCase {
    const char* location;
    const char* value;
    std::uint16_t offset;
    std::uint16_t size;
    std::uint64_t raw;  // what the client must read, little-endian
    const char* shown;
};

const TypedCase kTyped[] = {
    {"0x0570:8i", "10363", 0x0570, 8, 10363, "10363 (0x000000000000287B)"},
    {"0x0570:8i", "-2", 0x0570, 8, 0xFFFFFFFFFFFFFFFEull, "-2 (0xFFFFFFFFFFFFFFFE)"},
    {"0x0560:8u", "18446744073709551615", 0x0560, 8, 0xFFFFFFFFFFFFFFFFull,
     "18446744073709551615 (0xFFFFFFFFFFFFFFFF)"},
    {"0x3000:8", "2.5", 0x3000, 8, 0x4004000000000000ull, "2.5 (0x4004000000000000)"},
    {"0x3000:8f", "-0.5", 0x3000, 8, 0xBFE0000000000000ull, "-0.5 (0xBFE0000000000000)"},
    {"0x02BC:4u", "4294967295", 0x02BC, 4, 0xFFFFFFFFu, "4294967295 (0xFFFFFFFF)"},
    {"0x02C8:4s", "-256", 0x02C8, 4, 0xFFFFFF00u, "-256 (0xFFFFFF00)"},
    {"0x2EF0:4f", "1.5", 0x2EF0, 4, 0x3FC00000u, "1.5 (0x3FC00000)"},
    {"0x0BC8:2s", "-2", 0x0BC8, 2, 0xFFFE, "-2 (0xFFFE)"},
    {"0x0BC8:2u", "65534", 0x0BC8, 2, 0xFFFE, "65534 (0xFFFE)"},
    {"0x0C4E:1u", "200", 0x0C4E, 1, 0xC8, "200 (0xC8)"},
    {"0x0C4E:1s", "-56", 0x0C4E, 1, 0xC8, "-56 (0xC8)"},
};

// One server for the whole table: starting vorn-sim.exe under Wine is slow.
TEST_F(TestServer, TypedValuesReadBackThroughTheClient) {
    StartSim();
    IpcLink link(*transport_);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result)) << result;
    for (const TypedCase& c : kTyped) {
        const std::string answer = std::string(c.location) + "=" + c.shown;
        EXPECT_EQ(sim_->Command(std::string("set ") + c.location + "=" + c.value), answer);
        EXPECT_EQ(sim_->Command(std::string("get ") + c.location), answer);
        std::uint8_t bytes[8] = {};
        ASSERT_EQ(link.ReadBlock(bytes, c.offset, c.size), kIpcOk) << c.location;
        std::uint64_t raw = 0;
        for (int i = 0; i < c.size; ++i) raw |= std::uint64_t(bytes[i]) << (8 * i);
        EXPECT_EQ(raw, c.raw) << c.location << "=" << c.value;
    }
    QuitSim();
}

// One request after the handshake, and the lines the log must give it.
struct LoggedRequest {
    const char* name;
    std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>> writes;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> reads;  // queued after the writes
    std::vector<std::string> records;
};

const LoggedRequest kLogged[] = {
    {"one_read", {}, {{0x0C48, 1}}, {"  read  0x0C48:1 -> 2A"}},
    {"write_then_read", {{0x0BC8, {1, 0}}}, {{0x0BC8, 2}}, {"  write 0x0BC8:2 <- 01 00", "  read  0x0BC8:2 -> 01 00"}},
    {"long_write",
     {{0x3D00, std::vector<std::uint8_t>(20, 0x41)}},
     {},
     {"  write 0x3D00:20 <- 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 ... (20 bytes)"}},
};

TEST_F(TestServer, LogHasALinePerRequestAndPerRecord) {
    StartSim({"--log", logPath_});
    EXPECT_EQ(sim_->Command("set 0x0C48:1u=42"), "0x0C48:1u=42 (0x2A)");
    IpcLink link(*transport_);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result)) << result;
    for (const LoggedRequest& r : kLogged) {
        std::uint8_t sink[64];
        for (const auto& [offset, bytes] : r.writes) link.QueueWrite(offset, std::uint32_t(bytes.size()), bytes.data(), result);
        for (const auto& [offset, size] : r.reads) link.QueueRead(offset, size, sink, result);
        ASSERT_TRUE(link.Exchange(result)) << r.name << " " << result;
    }
    EXPECT_EQ(sim_->Command("log off"), "log off: " + logPath_);
    EXPECT_EQ(link.ReadByte(0x0C48), 42) << "not logged";
    EXPECT_EQ(sim_->Command("log on"), "log on: " + logPath_);
    EXPECT_EQ(link.ReadByte(0x0C48), 42);
    link.Close();
    QuitSim();

    const std::vector<std::string> lines = LogLines(logPath_);
    const std::regex head("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} pid " +
                          std::to_string(transport_->CurrentProcessId()) +
                          " UIPCMAIN: (\\d+) records?, answer 1, \\d+\\.\\d{3} ms");
    // The handshake, the table's requests, and the one read after "log on".
    std::vector<std::vector<std::string>> expected = {
        {"  read  0x3304:4 -> 00 00 16 74", "  read  0x3308:4 -> 0D 00 DE FA", "  write 0x330A:2 <- EC 03"}};
    for (const LoggedRequest& r : kLogged) expected.push_back(r.records);
    expected.push_back({"  read  0x0C48:1 -> 2A"});

    std::size_t at = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_LT(at, lines.size()) << "request " << i << " missing";
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[at], m, head)) << lines[at];
        EXPECT_EQ(m[1].str(), std::to_string(expected[i].size())) << lines[at];
        ++at;
        for (const std::string& record : expected[i]) {
            ASSERT_LT(at, lines.size());
            EXPECT_EQ(lines[at++], record);
        }
    }
    EXPECT_EQ(at, lines.size()) << "nothing more: the read while off is not there";
}

TEST_F(TestServer, LogStaysWithinItsLimit) {
    StartSim({"--log", logPath_, "--log-limit", "4096"});
    IpcLink link(*transport_);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result)) << result;
    // Each request logs about 100 bytes: 100 of them pass the limit twice.
    for (int i = 0; i < 100; ++i) ASSERT_GE(link.ReadByte(0x0C48), 0);
    link.Close();
    QuitSim();
    ASSERT_TRUE(std::filesystem::exists(logPath_ + ".1"));
    EXPECT_LE(std::filesystem::file_size(logPath_), 4096u);
    EXPECT_LE(std::filesystem::file_size(logPath_ + ".1"), 4096u);
    EXPECT_GT(std::filesystem::file_size(logPath_ + ".1"), 4096u - 200) << "filled before it was started again";
    EXPECT_EQ(LogLines(logPath_).back(), "  read  0x0C48:1 -> 00") << "the newest request is in FILE";
}

struct BadLogArguments {
    std::vector<std::string> arguments;
};

class TestServerUsage : public TestServer, public ::testing::WithParamInterface<BadLogArguments> {};

TEST_P(TestServerUsage, BadLogOptionsExitWithTwo) {
    sim_ = std::make_unique<SimProcess>();
    std::string error;
    EXPECT_FALSE(sim_->Start(kSim, GetParam().arguments, error, 5000));
    EXPECT_EQ(sim_->Wait(), 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, TestServerUsage,
                         ::testing::Values(BadLogArguments{{"--log"}}, BadLogArguments{{"--log-limit", "4095"}},
                                           BadLogArguments{{"--log-limit", "x"}}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

}  // namespace
}  // namespace vorn
