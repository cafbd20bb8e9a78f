#include "fsuipc/win32_transport.h"

#include <windows.h>
// <windows.h> renames AddAtom to AddAtomA; the transport's method keeps its name.
#undef AddAtom

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>

#include "fsuipc/platform_transport.h"

namespace vorn {

namespace {

HWND AsWindow(ServerHandle server) { return reinterpret_cast<HWND>(server); }

// The answer SendMessageCallbackA delivers on this thread, by the sequence
// number of its send: a late answer to an attempt given up is told apart.
struct CallbackAnswer {
    ULONG_PTR sequence = 0;
    LRESULT value = 0;
};
thread_local CallbackAnswer lastAnswer;
thread_local ULONG_PTR lastSequence = 0;

VOID CALLBACK Answered(HWND, UINT, ULONG_PTR sequence, LRESULT value) { lastAnswer = {sequence, value}; }
HANDLE AsHandle(BlockHandle block) { return reinterpret_cast<HANDLE>(block); }

class Win32Transport : public IpcTransport {
public:
    ServerHandle FindServer(const char* className) override {
        HWND window = FindWindowExA(nullptr, nullptr, className, nullptr);
        // The owning thread names the window for good: a handle Windows hands
        // out again to another window after the simulator restarted will not
        // have it.
        if (window != nullptr) owners_[window] = GetWindowThreadProcessId(window, nullptr);
        return reinterpret_cast<ServerHandle>(window);
    }

    void ReleaseServer(ServerHandle server) override { owners_.erase(AsWindow(server)); }

    std::uint32_t RegisterMessage(const char* name) override { return RegisterWindowMessageA(name); }

    std::uint32_t CurrentProcessId() override { return GetCurrentProcessId(); }

    std::uint16_t AddAtom(const char* name) override { return GlobalAddAtomA(name); }

    void DeleteAtom(std::uint16_t atom) override { GlobalDeleteAtom(atom); }

    BlockHandle CreateBlock(const char* name, std::uint32_t size) override {
        // Windows leaves the error code alone on a fresh creation; clear it
        // so that only "already exists" (183) or a real failure shows.
        SetLastError(0);
        HANDLE h = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
        lastError_ = GetLastError();
        return reinterpret_cast<BlockHandle>(h);
    }

    // The error of the last call that can fail with one, captured at once:
    // the client pauses (Sleep) before it asks.
    std::uint32_t LastError() override { return lastError_; }

    std::uint8_t* MapBlock(BlockHandle block) override {
        SetLastError(0);
        void* view = MapViewOfFile(AsHandle(block), FILE_MAP_WRITE, 0, 0, 0);
        lastError_ = view ? 0 : GetLastError();
        return static_cast<std::uint8_t*>(view);
    }

    void UnmapBlock(std::uint8_t* view) override { UnmapViewOfFile(view); }

    void CloseBlock(BlockHandle block) override { CloseHandle(AsHandle(block)); }

    bool Send(ServerHandle server, std::uint32_t message, std::uint16_t atom, std::uint32_t timeoutMs,
              std::uint32_t& answer) override {
        DWORD_PTR result = 0;
        HWND window = AsWindow(server);
        const auto owner = owners_.find(window);
        // One call: a window that is gone has no owning thread (0). Each of
        // these is a round trip to the window server under Wine.
        if (owner == owners_.end() || owner->second == 0 || GetWindowThreadProcessId(window, nullptr) != owner->second) {
            // The window the link was opened on has gone: never send to its successor.
            lastError_ = ERROR_INVALID_WINDOW_HANDLE;
            return false;
        }
        if (HasWaitHook()) return SendAndPump(window, message, atom, timeoutMs, answer);
        SetLastError(0);
        LRESULT delivered = SendMessageTimeoutA(AsWindow(server), message, atom, 0, SMTO_BLOCK, timeoutMs, &result);
        if (delivered == 0) {
            // Windows NT reports a time-out as ERROR_TIMEOUT where the
            // protocol expects no error code; keep the client's "11 = all
            // attempts timed out" meaning on every version.
            DWORD error = GetLastError();
            lastError_ = error == ERROR_TIMEOUT ? 0 : error;
            return false;
        }
        lastError_ = 0;
        // The answer is 32 bits wide; a wider value cannot be the 1 of success.
        answer = result > std::numeric_limits<std::uint32_t>::max() ? 0 : static_cast<std::uint32_t>(result);
        return true;
    }

private:
    // The same exchange without blocking the thread: the answer comes back as
    // a callback, delivered while the thread looks at its messages, and the
    // wait hook runs between looks (a window keeps painting meanwhile).
    bool SendAndPump(HWND window, std::uint32_t message, std::uint16_t atom, std::uint32_t timeoutMs,
                     std::uint32_t& answer) {
        const ULONG_PTR sequence = ++lastSequence;
        SetLastError(0);
        if (!SendMessageCallbackA(window, message, atom, 0, &Answered, sequence)) {
            const DWORD error = GetLastError();
            lastError_ = error != 0 ? error : ERROR_INVALID_WINDOW_HANDLE;
            return false;
        }
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        for (;;) {
            MSG peek;
            PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE);  // runs the callback when it is due
            if (lastAnswer.sequence == sequence) break;
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline || WaitHookSaysStop()) {
                lastError_ = 0;  // a time-out, as SendMessageTimeoutA reports it
                return false;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10)),
                                      QS_ALLINPUT);
        }
        lastError_ = 0;
        const LRESULT result = lastAnswer.value;
        answer = result < 0 || static_cast<std::uint64_t>(result) > std::numeric_limits<std::uint32_t>::max()
                     ? 0
                     : static_cast<std::uint32_t>(result);
        return true;
    }

    std::uint32_t lastError_ = 0;
    std::map<HWND, DWORD> owners_;  // found windows and their threads
};

}  // namespace

std::unique_ptr<IpcTransport> MakeWin32Transport() { return std::make_unique<Win32Transport>(); }

std::unique_ptr<IpcTransport> MakePlatformTransport() { return MakeWin32Transport(); }

}  // namespace vorn
