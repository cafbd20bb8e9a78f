// The cost of one FSUIPC exchange (a 4-byte read) over the Win32 transport,
// split into its parts:
//   - the client alone: the exchange against a minimal answering window in a
//     child process that returns 1 at once, beside a bare SendMessageTimeout
//     of the same message and parameters to that window;
//   - vorn-sim.exe: the same exchange against a real vorn-sim.exe, beside a
//     bare SendMessageTimeout of WM_NULL to its window; the difference to the
//     minimal window is vorn-sim.exe's own cost per request.
// Google Benchmark has no mingw build here, so this is a plain timing loop:
// 7 runs of each, alternating, the fastest reported.
//   win32_exchange_timing VORN-SIM.EXE [EXCHANGES-PER-RUN]
//   win32_exchange_timing --answer     (the minimal answering window)
#include <windows.h>
#undef AddAtom  // keep the transport's method name

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fsuipc/ipc_link.h"
#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "fsuipc/win32_transport.h"
#include "sim/sim_process.h"

namespace {

using Clock = std::chrono::steady_clock;

// Times `first` and `second` in alternating runs of perRun calls each, so
// that a slow spell of the machine falls on both; the fastest of 7 runs of
// each (other load on the machine only ever adds time).
template <typename F, typename G>
void FastestNanoseconds(int perRun, F&& first, G&& second, double& firstNs, double& secondNs) {
    std::vector<double> a;
    std::vector<double> b;
    const auto time = [perRun](auto& once) {
        const auto start = Clock::now();
        for (int i = 0; i < perRun; ++i) once();
        return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / perRun;
    };
    for (int r = 0; r < 7; ++r) {
        a.push_back(time(first));
        b.push_back(time(second));
    }
    firstNs = *std::min_element(a.begin(), a.end());
    secondNs = *std::min_element(b.begin(), b.end());
}

// --- The minimal answering window -------------------------------------------

UINT g_ipcMessage = 0;
bool g_handshakeDone = false;

std::uint32_t Load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void Store32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

// Answers the version reads of the client's handshake; the first request
// that reads anything else ends the handshake, and from then on every
// request is answered at once without looking at the block.
void AnswerHandshake(WPARAM atom) {
    char name[256];
    const UINT n = GlobalGetAtomNameA(static_cast<ATOM>(atom), name, sizeof name);
    if (n == 0 || n >= sizeof name) return;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (mapping == nullptr) return;
    auto* block = static_cast<std::uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, vorn::kBlockSize));
    if (block != nullptr) {
        std::uint32_t pos = 0;
        while (pos + vorn::kReadHeaderSize <= vorn::kBlockSize) {
            const std::uint32_t id = Load32(block + pos);
            const std::uint32_t offset = Load32(block + pos + 4);
            const std::uint32_t size = Load32(block + pos + 8);
            if (id == vorn::kRecordRead) {
                if (size > vorn::kBlockSize - pos - vorn::kReadHeaderSize) break;
                std::uint8_t* data = block + pos + vorn::kReadHeaderSize;
                if (offset == vorn::kOffsetFsuipcVersion && size >= 4) {
                    Store32(data, vorn::kMinimumFsuipcVersion);
                } else if (offset == vorn::kOffsetSimulatorVersion && size >= 4) {
                    Store32(data, vorn::kSimulatorSignature << 16);
                } else {
                    g_handshakeDone = true;
                }
                pos += vorn::kReadHeaderSize + size;
            } else if (id == vorn::kRecordWrite) {
                if (size > vorn::kBlockSize - pos - vorn::kWriteHeaderSize) break;
                pos += vorn::kWriteHeaderSize + size;
            } else {
                break;
            }
        }
        UnmapViewOfFile(block);
    }
    CloseHandle(mapping);
}

LRESULT CALLBACK AnswerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == g_ipcMessage && g_ipcMessage != 0) {
        if (!g_handshakeDone) AnswerHandshake(wParam);
        return 1;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunAnsweringWindow() {
    g_ipcMessage = RegisterWindowMessageA(vorn::IpcName().c_str());
    WNDCLASSA wc{};
    wc.lpfnWndProc = &AnswerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "FS98MAIN";
    if (g_ipcMessage == 0 || RegisterClassA(&wc) == 0) return 1;
    HWND window = CreateWindowExA(0, "FS98MAIN", "minimal answer", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    if (window == nullptr) return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

HWND WaitForWindow(DWORD timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        HWND window = FindWindowExA(nullptr, nullptr, "FS98MAIN", nullptr);
        if (window != nullptr || Clock::now() > end) return window;
        Sleep(20);
    }
}

// The client's own code without any message: a transport whose block is
// plain memory and whose Send answers the handshake's version reads and
// returns at once.
class NoMessageTransport : public vorn::IpcTransport {
public:
    vorn::ServerHandle FindServer(const char*) override { return 1; }
    std::uint32_t RegisterMessage(const char*) override { return 0xC000; }
    std::uint32_t CurrentProcessId() override { return 1; }
    std::uint16_t AddAtom(const char*) override { return 1; }
    void DeleteAtom(std::uint16_t) override {}
    vorn::BlockHandle CreateBlock(const char*, std::uint32_t) override { return 1; }
    std::uint32_t LastError() override { return 0; }
    std::uint8_t* MapBlock(vorn::BlockHandle) override { return block_.data(); }
    void UnmapBlock(std::uint8_t*) override {}
    void CloseBlock(vorn::BlockHandle) override {}
    bool Send(vorn::ServerHandle, std::uint32_t, std::uint16_t, std::uint32_t, std::uint32_t& answer) override {
        if (!handshakeDone_) {
            std::uint32_t pos = 0;
            while (pos + vorn::kReadHeaderSize <= vorn::kBlockSize && Load32(block_.data() + pos) == vorn::kRecordRead) {
                const std::uint32_t offset = Load32(block_.data() + pos + 4);
                std::uint8_t* data = block_.data() + pos + vorn::kReadHeaderSize;
                if (Load32(block_.data() + pos + 8) < 4) {
                    handshakeDone_ = true;
                } else if (offset == vorn::kOffsetFsuipcVersion) {
                    Store32(data, vorn::kMinimumFsuipcVersion);
                } else if (offset == vorn::kOffsetSimulatorVersion) {
                    Store32(data, vorn::kSimulatorSignature << 16);
                } else {
                    handshakeDone_ = true;
                }
                const std::uint32_t size = Load32(block_.data() + pos + 8);
                if (size > vorn::kBlockSize - pos - vorn::kReadHeaderSize) break;
                pos += vorn::kReadHeaderSize + size;
            }
        }
        answer = 1;
        return true;
    }

private:
    std::vector<std::uint8_t> block_ = std::vector<std::uint8_t>(vorn::kBlockSize);
    bool handshakeDone_ = false;
};

class NoPause : public vorn::IpcClock {
public:
    void Sleep(std::uint32_t) override {}
};

struct ClientFigures {
    double exchange = 0;
    double bare = 0;
    double code = 0;  // the client's code alone, no message
};

bool MeasureClientCode(int perRun, ClientFigures& out) {
    NoMessageTransport transport;
    NoPause clock;
    vorn::IpcLink link(transport, clock);
    vorn::IpcResult result = -1;
    if (!link.Open(0, result)) {
        std::fprintf(stderr, "win32_exchange_timing: no-message link: %s\n", vorn::IpcResultText(result));
        return false;
    }
    long long failed = 0;
    const int n = perRun * 100;
    double unused = 0;
    FastestNanoseconds(
        n, [&] { failed += link.ReadLong(vorn::kOffsetHotKeyCount) != 0; }, [] {}, out.code, unused);
    return failed == 0;
}

// The client against the minimal answering window of a child process.
bool MeasureClient(const char* self, int perRun, ClientFigures& out) {
    std::string command = std::string("\"") + self + "\" --answer";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        std::fprintf(stderr, "win32_exchange_timing: cannot start the answering window (%lu)\n", GetLastError());
        return false;
    }
    bool ok = false;
    HWND window = WaitForWindow(15000);
    if (window == nullptr) {
        std::fprintf(stderr, "win32_exchange_timing: the answering window did not appear\n");
    } else {
        auto transport = vorn::MakeWin32Transport();
        vorn::IpcLink link(*transport);
        vorn::IpcResult result = -1;
        if (!link.Open(0, result)) {
            std::fprintf(stderr, "win32_exchange_timing: answering window: %s\n", vorn::IpcResultText(result));
        } else {
            const UINT message = RegisterWindowMessageA(vorn::IpcName().c_str());
            const ATOM atom = GlobalAddAtomA("vorn-exchange-timing");
            long long failed = 0;
            for (int i = 0; i < 100; ++i) link.ReadLong(vorn::kOffsetHotKeyCount);  // warm up
            // The window leaves the block alone: the read comes back as the 0 the client queued.
            FastestNanoseconds(
                perRun, [&] { failed += link.ReadLong(vorn::kOffsetHotKeyCount) != 0; },
                [&] {
                    DWORD_PTR answer = 0;
                    failed +=
                        SendMessageTimeoutA(window, message, atom, 0, SMTO_BLOCK, 2000, &answer) == 0 || answer != 1;
                },
                out.exchange, out.bare);
            GlobalDeleteAtom(atom);
            link.Close();
            ok = failed == 0;
            if (!ok) std::fprintf(stderr, "win32_exchange_timing: %lld exchanges with the answering window failed\n", failed);
        }
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(child.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--answer") == 0) return RunAnsweringWindow();
    if (argc < 2) {
        std::fprintf(stderr, "usage: win32_exchange_timing VORN-SIM.EXE [EXCHANGES-PER-RUN]\n");
        return 2;
    }
    const long requested = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 2000;
    if (requested < 1 || requested > 1000000) {
        std::fprintf(stderr, "win32_exchange_timing: EXCHANGES-PER-RUN must be 1..1000000\n");
        return 2;
    }
    const int perRun = static_cast<int>(requested);

    ClientFigures client;
    if (!MeasureClientCode(perRun, client) || !MeasureClient(argv[0], perRun, client)) return 1;

    vorn::SimProcess sim;
    std::string error;
    if (!sim.Start(argv[1], {"--wideclient"}, error, 15000)) {  // the class the bare window below takes
        std::fprintf(stderr, "win32_exchange_timing: %s\n", error.c_str());
        return 1;
    }
    auto transport = vorn::MakeWin32Transport();
    vorn::IpcLink link(*transport);
    vorn::IpcResult result = -1;
    if (!link.Open(0, result)) {
        std::fprintf(stderr, "win32_exchange_timing: %s\n", vorn::IpcResultText(result));
        return 1;
    }
    HWND window = FindWindowExA(nullptr, nullptr, "FS98MAIN", nullptr);
    constexpr auto kHotKeys = static_cast<std::int32_t>(vorn::kHotKeyEntries);
    long long wrong = 0;
    for (int i = 0; i < 100; ++i) link.ReadLong(vorn::kOffsetHotKeyCount);  // warm up
    double exchange = 0;
    double bare = 0;
    FastestNanoseconds(
        perRun, [&] { wrong += link.ReadLong(vorn::kOffsetHotKeyCount) != kHotKeys; },
        [&] {
            DWORD_PTR answer = 0;
            wrong += SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &answer) == 0;
        },
        exchange, bare);
    link.Close();
    if (wrong != 0) {
        std::fprintf(stderr, "win32_exchange_timing: %lld exchanges failed\n", wrong);
        return 1;
    }
    std::printf("client exchange %.0f ns, bare SendMessageTimeout %.0f ns, ratio %.2f (minimal answering window)\n",
                client.exchange, client.bare, client.exchange / client.bare);
    std::printf("client code alone %.0f ns per exchange (no message sent)\n", client.code);
    std::printf("vorn-sim.exe exchange %.0f ns, bare SendMessage %.0f ns, ratio %.2f; vorn-sim.exe's own cost %.0f ns per request\n",
                exchange, bare, exchange / bare, exchange - client.exchange);
    return 0;
}
