// `vornc run --server` on Windows: the headless workbench connects to
// vorn-sim.exe over the Win32 transport, registers the program's hot keys,
// and runs the key routine when the server presses the key.
#include <gtest/gtest.h>

#include <windows.h>
#undef AddAtom  // keep the transport's method name

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/sim_process.h"
#include "tests/windows/child_program.h"
#include "tests/windows/sim_exe.h"
#include "tests/windows/wine_path.h"

namespace vorn {
namespace {

const std::string kSim = test::WindowsPath(VORN_SIM_PATH);
const std::string kVornc = test::WindowsPath(VORN_VORNC_PATH);
const std::string kHotKeys = test::WindowsPath(VORN_SOURCE_DIR "/examples/hotkeys.vrn");

// Asks the server until `answer` starts with `prefix`.
bool WaitForAnswer(SimProcess& sim, const std::string& command, const std::string& prefix, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (sim.Command(command).rfind(prefix, 0) == 0) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

class VorncRunServer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::WaitForNoWindow("FS98MAIN"));
        ASSERT_TRUE(test::WaitForNoWindow("UIPCMAIN"));
    }

    // Starts vorn-sim.exe, then vornc.exe on the hot-key example, presses
    // Ctrl+G in the server and expects the routine's line.
    void PressAndExpect() {
        SimProcess sim;
        std::string error;
        ASSERT_TRUE(sim.Start(kSim, {}, error, 15000)) << error;
        test::ChildProgram vornc;
        ASSERT_TRUE(vornc.Start(kVornc, {"run", kHotKeys, "--server"}, error)) << error;
        ASSERT_TRUE(WaitForAnswer(sim, "keys", "3 hot keys:", 20000)) << "the program registered its keys";
        EXPECT_EQ(sim.Command("press Ctrl+G"), "pressed Ctrl+G (71,2): 1 hot key flagged");
        EXPECT_TRUE(vornc.WaitForOutput("Ctrl+G pressed 1 times\n", 20000)) << vornc.Output();
        // The routine's acknowledgement cleared the flag; a second press runs it again.
        ASSERT_TRUE(WaitForAnswer(sim, "keys", "3 hot keys: 0x3210 Ctrl+G (71,2) flag 0", 10000));
        EXPECT_EQ(sim.Command("press Ctrl+G"), "pressed Ctrl+G (71,2): 1 hot key flagged");
        EXPECT_TRUE(vornc.WaitForOutput("Ctrl+G pressed 2 times\n", 20000)) << vornc.Output();
        vornc.CloseInput();  // end of input ends the run, which disconnects
        EXPECT_EQ(vornc.Finish(20000), 0);
        EXPECT_EQ(vornc.Output(), "Ctrl+G pressed 1 times\nCtrl+G pressed 2 times\n");
        EXPECT_EQ(sim.Command("keys"), "no hot keys registered") << "disconnect released them";
        EXPECT_EQ(sim.Command("quit"), "bye");
        EXPECT_EQ(sim.Wait(), 0);
    }
};

TEST_F(VorncRunServer, HotKeyPressedInTheServerRunsTheRoutine) { PressAndExpect(); }

TEST_F(VorncRunServer, IpcNameIsSharedByBothSides) {
    test::ScopedEnvironment name("VORN_IPC_NAME", "VornTest:Run");
    PressAndExpect();
}

TEST_F(VorncRunServer, DifferentIpcNamesDoNotConnect) {
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(kSim, {}, error, 15000)) << error;
    test::ScopedEnvironment name("VORN_IPC_NAME", "VornTest:Elsewhere");
    test::ChildProgram vornc;
    ASSERT_TRUE(vornc.Start(kVornc, {"run", kHotKeys, "--server", "--ticks", "5"}, error)) << error;
    EXPECT_EQ(vornc.Finish(60000), 4) << "no simulator answered";
    EXPECT_EQ(sim.Command("keys"), "no hot keys registered");
}

TEST_F(VorncRunServer, NoServerDoesNotConnect) {
    test::ChildProgram vornc;
    std::string error;
    ASSERT_TRUE(vornc.Start(kVornc, {"run", kHotKeys, "--server", "--ticks", "5"}, error)) << error;
    EXPECT_EQ(vornc.Finish(30000), 4);
}

// PLAY through PlaySoundA in the machine of vornc.exe: a missing file is
// reported on the output, an existing one starts and the routine goes on.
TEST(VorncRunPlay, MissingSoundIsNotFoundAndAnExistingOneStarts) {
    char dir[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, dir);
    ASSERT_GT(n, 0u);
    const std::string folder(dir, n);
    const std::string program = folder + "vorn_play_test.vrn";
    const std::string wave = folder + "vorn_play_tone.wav";
    std::FILE* f = std::fopen(program.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("key(Control, 'G') {\r\n"
               "   play(\"vorn_no_such_sound.wav\")\r\n"
               "   play(\"vorn_play_tone.wav\")\r\n"
               "   printstr(\"after play\")\r\n"
               "}\r\n",
               f);
    std::fclose(f);
    // A short valid WAV file of silence (8 kHz, 8-bit mono, 800 samples).
    f = std::fopen(wave.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const unsigned char header[44] = {'R', 'I', 'F', 'F', 36 + 32, 3, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                      16, 0, 0, 0, 1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0,
                                      'd', 'a', 't', 'a', 32, 3, 0, 0};
    std::fwrite(header, 1, sizeof header, f);
    for (int i = 0; i < 800; ++i) std::fputc(128, f);
    std::fclose(f);

    // A sound's name is looked for from the current folder, as a user who
    // starts vornc in the program's folder has it.
    char before[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, before), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    test::ChildProgram vornc;
    std::string error;
    const bool started = vornc.Start(kVornc, {"run", program, "--fast", "--ticks", "3", "--press", "Ctrl+G@1"}, error);
    SetCurrentDirectoryA(before);
    ASSERT_TRUE(started) << error;
    EXPECT_EQ(vornc.Finish(30000), 0);
    EXPECT_EQ(vornc.Output(), "vorn_no_such_sound.wav not found\nafter play\n");
    DeleteFileA(program.c_str());
    DeleteFileA(wave.c_str());
}

// The settings file in a folder whose name the ANSI code page cannot spell
// (as %APPDATA% is for a user named so): kept there and read back.
TEST(VorncSettings, KeptInAFolderNamedOutsideTheAnsiCodePage) {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + L"vorn-\u03A9\u5DE1";  // Greek capital omega, a CJK sign
    const std::wstring file = folder + L"\\vorn.ini";
    ASSERT_EQ(_wputenv_s(L"VORN_SETTINGS_FILE", file.c_str()), 0);
    _putenv_s("VORN_NO_SETTINGS", "");
    const std::vector<std::pair<std::vector<std::string>, std::string>> runs = {
        {{"settings", "--set", "Link/TimeoutMs=500"}, ""},
        {{"settings"}, "Link/TimeoutMs"},
    };
    for (const auto& [arguments, shown] : runs) {
        test::ChildProgram vornc;
        std::string error;
        ASSERT_TRUE(vornc.Start(kVornc, arguments, error)) << error;
        EXPECT_EQ(vornc.Finish(20000), 0) << vornc.Output();
        if (shown.empty()) continue;
        const std::string& out = vornc.Output();
        const std::size_t line = out.find(shown);
        ASSERT_NE(line, std::string::npos) << out;
        const std::string row = out.substr(line, out.find('\n', line) - line);
        EXPECT_NE(row.find("500"), std::string::npos) << row;
        EXPECT_NE(row.find("stored"), std::string::npos) << row;
    }
    EXPECT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << "written under the wide name";
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
    _putenv_s("VORN_SETTINGS_FILE", "");
}

}  // namespace
}  // namespace vorn
