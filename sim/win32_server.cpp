#include "sim/win32_server.h"

#include <io.h>
#include <windows.h>
// <windows.h> renames AddAtom to AddAtomA; the transport's method keeps its name.
#undef AddAtom

#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "fsuipc/ipc_link.h"
#include "fsuipc/request_block.h"
#include "sim/request_log.h"
#include "sim/sim_commands.h"
#include "sim/win32_client_blocks.h"

namespace vorn {

namespace {

constexpr char kWindowTitle[] = "vorn-sim";
constexpr UINT_PTR kSweepTimer = 1;
constexpr UINT kSweepMs = 1000;

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const int n = ::_write(fd, text.data() + done, static_cast<unsigned>(text.size() - done));
        if (n <= 0) return;  // the reader has gone; nothing useful to do
        done += static_cast<std::size_t>(n);
    }
}

// Lines read from the input by a thread of their own. Shared with that
// thread, which may outlive the server while it sits in a blocking read.
struct LineQueue {
    enum Kind { kLine, kTooLong, kEnd };
    struct Item {
        Kind kind;
        std::string text;
    };
    std::mutex mutex;
    std::deque<Item> items;
    HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // auto-reset

    ~LineQueue() {
        if (ready) CloseHandle(ready);
    }
    void Push(Kind kind, std::string text = {}) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            items.push_back({kind, std::move(text)});
        }
        SetEvent(ready);
    }
};

void ReadLines(int fd, std::shared_ptr<LineQueue> queue) {
    CommandLineSplitter lines;
    char buffer[1024];
    for (;;) {
        const int n = ::_read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        for (CommandLineSplitter::Item& item : lines.Feed(std::string_view(buffer, static_cast<std::size_t>(n)))) {
            if (item.tooLong)
                queue->Push(LineQueue::kTooLong);
            else
                queue->Push(LineQueue::kLine, std::move(item.text));
        }
    }
    queue->Push(LineQueue::kEnd);
}

std::atomic<Win32Server*> consoleTarget{nullptr};

BOOL WINAPI OnConsoleControl(DWORD) {
    Win32Server* target = consoleTarget.load();
    if (target == nullptr) return FALSE;
    target->Stop();
    return TRUE;
}

}  // namespace

struct Win32Server::State {
    explicit State(SimServer& s) : server(s) {}
    ~State() {
        if (stopEvent) CloseHandle(stopEvent);
    }

    LRESULT Answer(WPARAM atom, HWND window);
    std::uint32_t Process(WPARAM atom, std::string& blockName, std::size_t& used);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void RunWindows(const std::vector<std::string>& classes, std::promise<std::string>& ready);

    SimServer& server;
    // The window thread processes blocks while Serve runs commands.
    std::mutex serverMutex;
    HANDLE stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // manual reset
    std::atomic<bool> stop{false};
    UINT message = 0;
    std::string blockPrefix;  // "<ipc name>:"
    std::thread windowThread;
    DWORD windowThreadId = 0;
    std::atomic<std::uint64_t> requests{0};
    std::array<std::uint8_t, kBlockSize> copy{};
    std::unique_ptr<Win32ClientBlocks> blocks;  // the window thread's
    std::atomic<std::size_t> cachedBlocks{0};
};

LRESULT Win32Server::State::Answer(WPARAM wParam, HWND window) {
    ++requests;
    RequestLog* log = nullptr;
    {
        std::lock_guard<std::mutex> lock(serverMutex);
        log = server.ActiveLog();
    }
    const auto started = log != nullptr ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
    std::string blockName;
    std::size_t used = 0;
    const std::uint32_t answer = Process(wParam, blockName, used);
    if (log != nullptr) {
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        std::lock_guard<std::mutex> lock(serverMutex);
        // The log may have been turned off meanwhile; Write checks.
        log->Write(ClientPidFromBlockName(blockName, blockPrefix), className, copy.data(), answer == 1 ? used : 0,
                   answer, std::chrono::steady_clock::now() - started);
    }
    return answer;
}

std::uint32_t Win32Server::State::Process(WPARAM wParam, std::string& blockName, std::size_t& used) {
    const SimServerOptions& options = server.Options();
    if (options.neverAnswer) {
        // Hold the caller until it gives up; the window thread is free again
        // only when the server stops.
        WaitForSingleObject(stopEvent, INFINITE);
        return 0;
    }
    if (options.delayMs != 0) WaitForSingleObject(stopEvent, options.delayMs);

    if (wParam == 0 || wParam > 0xFFFF) return 0;
    Win32ClientBlocks::Block* block = blocks->Find(static_cast<std::uint16_t>(wParam));
    if (block == nullptr) return 0;
    blockName = block->name;
    std::uint32_t answer = 0;
    // Checked on every request, as a fresh map would be.
    if (IsWholeBlock(block->view)) {
        // Work on a private copy: anyone who can open the block by name
        // may write to it while the records are checked and processed.
        std::lock_guard<std::mutex> lock(serverMutex);
        std::memcpy(copy.data(), block->view, kBlockSize);
        answer = server.ProcessBlock(copy.data(), kBlockSize, &used);
        if (answer == 1) std::memcpy(block->view, copy.data(), kBlockSize);
    }
    blocks->Answered(*block);
    cachedBlocks = blocks->Size();
    return answer;
}

LRESULT CALLBACK Win32Server::State::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (state != nullptr && state->message != 0 && message == state->message) return state->Answer(wParam, window);
    if (state != nullptr && message == WM_TIMER && wParam == kSweepTimer) {
        state->blocks->Sweep();
        state->cachedBlocks = state->blocks->Size();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Win32Server::State::RunWindows(const std::vector<std::string>& classes, std::promise<std::string>& ready) {
    windowThreadId = GetCurrentThreadId();
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the thread's queue, for WM_QUIT

    HINSTANCE instance = GetModuleHandleA(nullptr);
    std::vector<HWND> windows;
    std::string error;
    for (const std::string& className : classes) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &State::WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = className.c_str();
        // A second server in the same process finds the class registered.
        if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            error = "cannot register the window class " + className + " (error " + std::to_string(GetLastError()) + ")";
            break;
        }
        // A hidden top-level window: FindWindowExA with no parent finds it,
        // which a message-only window would not be.
        HWND window = CreateWindowExA(0, className.c_str(), kWindowTitle, WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                      nullptr, instance, this);
        if (window == nullptr) {
            error = "cannot create the " + className + " window (error " + std::to_string(GetLastError()) + ")";
            break;
        }
        windows.push_back(window);
    }
    const bool ok = error.empty();
    // Closed clients are noticed at their next request; the sweep lets go
    // of those that send none.
    if (ok && !windows.empty()) SetTimer(windows.front(), kSweepTimer, kSweepMs, nullptr);
    ready.set_value(error);
    if (ok) {
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    }
    for (HWND window : windows) DestroyWindow(window);
}

Win32Server::Win32Server(SimServer& server, std::vector<std::string> classNames)
    : state_(std::make_unique<State>(server)), classes_(std::move(classNames)) {}

Win32Server::~Win32Server() {
    if (consoleTarget.load() == this) consoleTarget.store(nullptr);
    Stop();
    if (state_->windowThread.joinable()) {
        PostThreadMessageA(state_->windowThreadId, WM_QUIT, 0, 0);
        state_->windowThread.join();
    }
}

bool Win32Server::Listen(std::string& error) {
    if (state_->windowThread.joinable()) {
        error = "the server is already listening";
        return false;
    }
    if (state_->stopEvent == nullptr) {
        error = "cannot create an event (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    const std::string name = IpcName();
    state_->message = RegisterWindowMessageA(name.c_str());
    if (state_->message == 0) {
        error = "cannot register the message " + name + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    state_->blockPrefix = name + ":";
    state_->blocks = std::make_unique<Win32ClientBlocks>(state_->blockPrefix);
    for (const std::string& className : classes_) {
        if (FindWindowExA(nullptr, nullptr, className.c_str(), nullptr) != nullptr) {
            error = "a server of class " + className + " is already running";
            return false;
        }
    }
    std::promise<std::string> ready;
    std::future<std::string> result = ready.get_future();
    state_->windowThread = std::thread([this, &ready] { state_->RunWindows(classes_, ready); });
    error = result.get();
    if (!error.empty()) {
        state_->windowThread.join();
        return false;
    }
    return true;
}

void Win32Server::Serve(int inputFd, int outputFd, const CommandHandler& handler, bool quitOnEndOfInput) {
    std::shared_ptr<LineQueue> queue;
    if (inputFd >= 0) {
        queue = std::make_shared<LineQueue>();
        // Detached: a blocking read cannot be interrupted, and the process
        // may end while it waits.
        std::thread(ReadLines, inputFd, queue).detach();
    }
    while (!state_->stop.load()) {
        HANDLE handles[2] = {state_->stopEvent, queue ? queue->ready : nullptr};
        const DWORD count = queue ? 2 : 1;
        const DWORD woke = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
        if (woke == WAIT_FAILED || state_->stop.load()) break;
        if (!queue) continue;
        std::deque<LineQueue::Item> items;
        {
            std::lock_guard<std::mutex> lock(queue->mutex);
            items.swap(queue->items);
        }
        for (LineQueue::Item& item : items) {
            if (item.kind == LineQueue::kEnd) {
                if (quitOnEndOfInput) return;
                queue.reset();  // serve on without commands
                break;
            }
            if (item.kind == LineQueue::kTooLong) {
                WriteAll(outputFd, "error: line too long\n");
                continue;
            }
            bool quit = false;
            std::string answer;
            if (handler) {
                std::lock_guard<std::mutex> lock(state_->serverMutex);
                answer = handler(item.text, quit);
            }
            if (!answer.empty()) WriteAll(outputFd, answer + "\n");
            if (quit) return;
        }
    }
}

void Win32Server::Stop() {
    state_->stop.store(true);
    if (state_->stopEvent) SetEvent(state_->stopEvent);
}

void Win32Server::StopOnSignals() {
    consoleTarget.store(this);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

std::uint64_t Win32Server::Requests() const { return state_->requests.load(); }

std::size_t Win32Server::CachedClients() const { return state_->cachedBlocks.load(); }

}  // namespace vorn
