// What a run meets around the server and the compile that the happy path
// never shows: vorn-sim's places taken by idle connections, a shared-memory
// block left by a killed process of the same id, and errors that must name
// the file and line.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fsuipc/ipc_link.h"
#include "fsuipc/posix_channel.h"
#include "sim/sim_process.h"
#include "tests/cli/vornc_process.h"
#include "tests/fsuipc/private_runtime_dir.h"

namespace vorn::test {
namespace {

const char* const kProgram = "int n;\nkey(Control, 'G') { n = n + 1; }\n";

int ConnectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

struct IdleCase {
    const char* name;
    int connections;
    int idleMs;      // how long they have said nothing
    int status;      // of the run that comes after them
};

class IdleConnections : public ::testing::TestWithParam<IdleCase> {
protected:
    testing::PrivateRuntimeDir runtime_;
};

// vorn-sim has 64 places; once the connections in them have been quiet for
// 2 s a new client takes the place of one of them.
TEST_P(IdleConnections, LockANewClientOutOnlyWhileTheyAreFresh) {
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, {}, error)) << error;
    const std::string path = PosixSocketPath("UIPCMAIN", error);
    std::vector<int> idle;
    for (int i = 0; i < GetParam().connections; ++i) idle.push_back(ConnectTo(path));
    ASSERT_EQ(sim.Command("keys"), "no hot keys registered");  // every one accepted by now
    std::this_thread::sleep_for(std::chrono::milliseconds(GetParam().idleMs));
    TempProgram program(kProgram);
    const ProcessResult r = RunVornc({"run", program.Path(), "--server", "--ticks", "3"});
    EXPECT_EQ(r.status, GetParam().status) << r.err;
    for (int fd : idle) ::close(fd);
}

INSTANTIATE_TEST_SUITE_P(Places, IdleConnections,
                         ::testing::Values(IdleCase{"one_place_left", 63, 0, 0}, IdleCase{"just_made", 64, 0, 4},
                                           IdleCase{"quiet_for_2_5_s", 64, 2500, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// A client killed with kill -9 leaves its block; a later process with the
// same id (here: the one that made the block goes on as vornc) connects.
TEST(StaleBlock, OfTheSameProcessIdIsReplaced) {
    testing::PrivateRuntimeDir runtime;
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, {}, error)) << error;
    TempProgram program(kProgram);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        char name[96];
        std::snprintf(name, sizeof name, "%s:%X:1", IpcName().c_str(), unsigned(::getpid()));
        const int fd = ::shm_open(PosixShmName(name).c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        const char made = fd >= 0 ? 1 : 0;
        [[maybe_unused]] ssize_t n = ::write(ready[1], &made, 1);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl(VORN_VORNC_PATH, VORN_VORNC_PATH, "run", program.Path().c_str(), "--server", "--ticks", "2",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ready[1]);
    char made = 0;
    ASSERT_EQ(::read(ready[0], &made, 1), 1);
    ::close(ready[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(made, 1) << "the stale block was not made";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    char name[96];
    std::snprintf(name, sizeof name, "%s:%X:1", IpcName().c_str(), unsigned(pid));
    const int left = ::shm_open(PosixShmName(name).c_str(), O_RDONLY, 0);
    EXPECT_LT(left, 0) << "the block is left behind";
    if (left >= 0) {
        ::close(left);
        ::shm_unlink(PosixShmName(name).c_str());
    }
}

// The socket's path (runtime folder, message name, class) must fit in a
// sockaddr_un with its NUL: 107 bytes serve, 108 are refused by vorn-sim
// with a message that says what to shorten.
class SocketPathLength : public ::testing::TestWithParam<std::size_t> {};

TEST_P(SocketPathLength, ServesUpTo107BytesAndNamesWhatToShorten) {
    testing::PrivateRuntimeDir runtime;
    std::string error;
    const std::size_t shortest = PosixSocketPath("UIPCMAIN", error).size();
    const std::string folder = runtime.Path() + "/" + std::string(GetParam() - shortest - 1, 'r');
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    const bool fits = GetParam() <= 107;
    ASSERT_EQ(PosixSocketPath("UIPCMAIN", error).size(), fits ? GetParam() : 0) << error;
    if (fits) {
        SimProcess sim;
        ASSERT_TRUE(sim.Start(VORN_SIM_PATH, {}, error)) << error;
        TempProgram program(kProgram);
        const ProcessResult r = RunVornc({"run", program.Path(), "--server", "--ticks", "2"});
        EXPECT_EQ(r.status, 0) << r.err;
        return;
    }
    const ProcessResult r = RunProcess(VORN_SIM_PATH, {});
    EXPECT_NE(r.status, 0);
    const std::string said = "socket path too long (" + std::to_string(GetParam()) + " bytes, at most 107)";
    EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("; a shorter XDG_RUNTIME_DIR or message name makes it fit"), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Bytes, SocketPathLength, ::testing::Values(107, 108));

struct PlacedCase {
    const char* name;
    std::string main;      // program.vrn
    std::string included;  // lit.vrn beside it
    int status;
    const char* said;      // on stderr
};

class PlacedMessages : public ::testing::TestWithParam<PlacedCase> {};

TEST_P(PlacedMessages, NameTheFileAndLine) {
    const PlacedCase& c = GetParam();
    TempProgram program(c.main);
    program.Write("lit.vrn", c.included);
    ::mkdir((program.Folder() + "/folder").c_str(), 0700);
    ProcessOptions options;
    options.folder = program.Folder();
    const ProcessResult r = RunVornc({"compile", "program.vrn"}, options);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Compile, PlacedMessages,
    ::testing::Values(
        PlacedCase{"literal", "int n;\nkey(Control, 'G') { n = 99999999999; }\n", "", 3,
                   "program.vrn:2: '99999999999' is not a valid integer value"},
        PlacedCase{"literal_in_include", "int n;\n#include \"lit.vrn\"\n", "\nkey(Control, 'G') { n = $123456789; }\n",
                   3, "lit.vrn:2: '$123456789' is not a valid integer value"},
        PlacedCase{"folder_included", "#include \"folder\"\nint n;\n", "", 1,
                   "program.vrn:1: error - file is a folder:#include \"folder\""},
        PlacedCase{"nul_byte", std::string("int n;\nint m;\0 int lost;\n", 25) + "key(Control, 'G') { n = 1; }\n", "",
                   0, "program.vrn:2: warning: a NUL byte ends the program text; nothing after it is read"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorn::test
