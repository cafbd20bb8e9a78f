#pragma once
// The platform calls under the FSUIPC client. Each virtual maps onto one
// Windows call, so the Win32 transport is a thin forwarder; the POSIX and
// in-process transports emulate the same contract.
#include <cstdint>
#include <functional>
#include <utility>

namespace vorn {

using ServerHandle = std::uintptr_t;  // 0 = none
using BlockHandle = std::uintptr_t;   // 0 = none

// The system error code for "an object of that name already exists".
inline constexpr std::uint32_t kErrorAlreadyExists = 183;

class IpcTransport {
public:
    virtual ~IpcTransport() = default;
    virtual ServerHandle FindServer(const char* className) = 0;           // FindWindowExA
    virtual std::uint32_t RegisterMessage(const char* name) = 0;          // RegisterWindowMessageA, 0 = failed
    virtual std::uint32_t CurrentProcessId() = 0;                          // GetCurrentProcessId
    virtual std::uint16_t AddAtom(const char* name) = 0;                   // GlobalAddAtomA, 0 = failed
    virtual void DeleteAtom(std::uint16_t atom) = 0;                       // GlobalDeleteAtom
    virtual BlockHandle CreateBlock(const char* name, std::uint32_t size) = 0;  // CreateFileMappingA, 0 = failed
    virtual std::uint32_t LastError() = 0;                                 // GetLastError (183 = already exists)
    virtual std::uint8_t* MapBlock(BlockHandle block) = 0;                 // MapViewOfFile, nullptr = failed
    virtual void UnmapBlock(std::uint8_t* view) = 0;                       // UnmapViewOfFile
    virtual void CloseBlock(BlockHandle block) = 0;                        // CloseHandle
    // SendMessageTimeoutA(server, message, atom, 0, SMTO_BLOCK, timeoutMs, &answer):
    // true = delivered and answered; false = failed, LastError() then tells
    // a time-out (0) from a system error (non-zero).
    virtual bool Send(ServerHandle server, std::uint32_t message, std::uint16_t atom,
                      std::uint32_t timeoutMs, std::uint32_t& answer) = 0;
    // The link that found `server` has closed. A transport that keeps a
    // connection per found server drops it here, so that the server can let
    // go of the block at once.
    virtual void ReleaseServer(ServerHandle server) { static_cast<void>(server); }

    // Set by the link for the time of one exchange: a transport that waits for
    // an answer calls it every few milliseconds on the waiting thread (a
    // window pumps its events there) and gives the wait up, as a time-out,
    // when it returns true. Empty: the wait looks at nothing.
    // A transport that forwards to another hands the hook on.
    virtual void SetWaitHook(std::function<bool()> hook) { waitHook_ = std::move(hook); }

protected:
    bool HasWaitHook() const { return static_cast<bool>(waitHook_); }
    bool WaitHookSaysStop() { return waitHook_ && waitHook_(); }

private:
    std::function<bool()> waitHook_;
};

// The program was asked to stop (SIGINT, SIGTERM). Safe in a signal handler.
// From then on an exchange that has waited 100 ms without an answer gives
// up at once instead of using up its attempts; exchanges with a server that
// answers are not affected, so a clean disconnect still reaches it.
void IpcInterrupt();
bool IpcInterrupted();

// The client's pauses (Sleep). Injectable so tests of the retry cycle run in
// milliseconds instead of seconds.
class IpcClock {
public:
    virtual ~IpcClock() = default;
    virtual void Sleep(std::uint32_t ms) = 0;
};

// The wall clock: really sleeps.
IpcClock& RealClock();

}  // namespace vorn
