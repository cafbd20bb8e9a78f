#pragma once
// One FSUIPC link: the shared request block, its queued read and write
// records, the exchange with retries, and the version handshake. The program
// has one link (ipc.h); tests make their own over their own transports.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "fsuipc/tick_snapshot.h"
#include "fsuipc/transport.h"

namespace vorn {

enum IpcResultCode : int {
    kIpcOk = 0,
    kIpcAlreadyOpen = 1,      // IpcOpen: the link is already open
    kIpcNoServer = 2,         // IpcOpen: neither "UIPCMAIN" nor "FS98MAIN" exists
    kIpcRegisterFailed = 3,   // IpcOpen: registering the message failed
    kIpcAtomFailed = 4,       // IpcOpen: creating the atom failed
    kIpcCreateFailed = 5,     // IpcOpen: creating the shared memory failed, or it exists
    kIpcMapFailed = 6,        // IpcOpen: mapping the shared memory failed
    kIpcRefused = 7,          // IpcOpen: handshake refused, server found as "UIPCMAIN"
    kIpcWrongSimulator = 8,   // IpcOpen: the simulator is not the one requested
    kIpcNotOpen = 9,          // queue and exchange: the link is not open
    kIpcNothingQueued = 10,   // IpcExchange: nothing is queued
    kIpcTimeout = 11,         // IpcExchange: 10 attempts failed, no system error
    kIpcSendFailed = 12,      // IpcExchange: 10 attempts failed with a system error
    kIpcBadAnswer = 13,       // IpcExchange: answer other than 1, or a damaged block
    kIpcRefusedFs98 = 14,     // IpcOpen: handshake refused, server found as "FS98MAIN"
    kIpcTooLarge = 15,        // queue: the record does not fit
};
using IpcResult = int;

// The message every FSUIPC server and WideClient registers; a client that
// registers another name finds the window but never gets its answer.
inline constexpr const char* kDefaultIpcMessageName = "FsasmLib:IPC";

// The registered message name and the stem of the shared-memory name:
// kDefaultIpcMessageName, or VORN_IPC_NAME when that is set and non-empty.
std::string IpcName();

// The text of a result code, for messages ("handshake refused" ...).
const char* IpcResultText(IpcResult result);

// How long one attempt of an exchange waits for the server, and how many
// attempts an exchange makes.
struct IpcTiming {
    std::uint32_t timeoutMs = 2000;
    int attempts = 10;
};
inline constexpr std::uint32_t kMaxIpcTimeoutMs = 600000;
inline constexpr int kMaxIpcAttempts = 100;

// The defaults, or VORN_IPC_TIMEOUT_MS (1 .. 600000) and VORN_IPC_ATTEMPTS
// (1 .. 100) where those are set and non-empty. False with a message in
// `error` when one is set to anything else; `timing` then keeps the defaults.
bool IpcTimingFromEnvironment(IpcTiming& timing, std::string& error);

class IpcLink {
public:
    explicit IpcLink(IpcTransport& transport, IpcClock& clock = RealClock());
    ~IpcLink();
    IpcLink(const IpcLink&) = delete;
    IpcLink& operator=(const IpcLink&) = delete;

    bool Open(std::uint32_t simVersion, IpcResult& result);
    void Close();
    bool IsOpen() const { return view_ != nullptr; }
    // An exchange failed with a time-out (11) or a gone server (12): the link
    // stays open until its owner closes it, but every later exchange fails
    // at once with that code instead of waiting out its own attempts.
    bool Dead() const { return deadResult_ != kIpcOk; }
    // The code of the most recent exchange (kIpcOk before the first).
    IpcResult LastResult() const { return lastResult_; }

    bool QueueRead(std::uint32_t offset, std::uint32_t size, void* destination, IpcResult& result);
    bool QueueWrite(std::uint32_t offset, std::uint32_t size, const void* source, IpcResult& result);
    bool Exchange(IpcResult& result);

    std::int16_t ReadByte(std::uint16_t offset);
    std::int32_t ReadLong(std::uint16_t offset);
    bool WriteByte(std::uint8_t value, std::uint16_t offset);
    bool WriteLong(std::int32_t value, std::uint16_t offset);
    IpcResult WriteBlock(const void* source, std::uint16_t offset, std::uint16_t size);
    IpcResult ReadBlock(void* destination, std::uint16_t offset, std::uint16_t size);

    // The message name to register at the next Open; "" is IpcName().
    void SetMessageName(std::string name) { messageName_ = std::move(name); }
    // The server answered as "FS98MAIN" (as WideClient presents itself).
    bool FoundAsFs98() const { return foundAsFs98_; }
    std::uint32_t FsuipcVersion() const { return fsuipcVersion_; }
    std::uint32_t SimulatorVersion() const { return simulatorVersion_; }
    // Bytes queued so far (0 when the queue is empty or the link closed).
    std::uint32_t QueuedBytes() const { return IsOpen() ? next_ : 0; }

    // Called every few milliseconds while an exchange waits for its answer
    // (all attempts and the pauses between them), with the time waited so
    // far; true gives the exchange up at once: it fails as a time-out and the
    // link is dead (Abandoned() until the next Open).
    void SetWaiter(std::function<bool(std::uint32_t waitedMs)> waiter) { waiter_ = std::move(waiter); }
    bool Abandoned() const { return abandoned_; }

    // --- One exchange per tick (docs/fsuipc.md, "One exchange per tick") ---
    // On: BeginTick reads the tick's offsets into a snapshot; the accessors
    // (ReadByte ... ReadBlock) serve reads of them from it, and writes to them
    // patch it and wait for the next BeginTick or FlushWrites. Off (the
    // default, and at every Open and Close): every access is its own
    // exchange. Turning it off sends the waiting writes first.
    void SetBatching(bool on);
    bool Batching() const { return batching_; }
    // One exchange (more only when the records do not fit one block): the
    // waiting writes in program order, then reads of `ranges` into the
    // snapshot. False with the code of the failed exchange; the snapshot is
    // then gone until the next BeginTick.
    bool BeginTick(std::span<const OffsetRange> ranges, IpcResult& result);
    // Sends the waiting writes now; true when there were none.
    bool FlushWrites(IpcResult& result);
    // Sends the waiting writes and forgets the snapshot (batching stays on):
    // before a reload or a stop, so nothing later is served from old values.
    bool EndTick(IpcResult& result);
    std::size_t WaitingWrites() const { return waiting_.size(); }
    // Requests sent to the server since the link was made.
    std::uint64_t Exchanges() const { return exchanges_; }

    void SetSendTimeout(std::uint32_t ms) { timing_.timeoutMs = ms; }  // default 2000
    void SetTiming(const IpcTiming& timing) { timing_ = timing; }
    const IpcTiming& Timing() const { return timing_; }

private:
    bool Fits(std::uint32_t header, std::uint32_t size, IpcResult& result) const;
    bool ExchangeBlock(IpcResult& result);
    bool Send(IpcResult& result);
    // The pause between two attempts; false when the waiter gave the exchange up.
    bool Pause(std::uint32_t ms, std::uint32_t& waitedMs);
    bool Walk();
    // The record alone, without the batching's care for waiting writes.
    bool PutRead(std::uint32_t offset, std::uint32_t size, void* destination, IpcResult& result);
    bool PutWrite(std::uint32_t offset, std::uint32_t size, const void* source, IpcResult& result);
    // Batching: true when the access was served by the snapshot or queued as
    // a waiting write (ipc_batch.cpp).
    bool FromSnapshot(void* destination, std::uint32_t offset, std::uint32_t size);
    bool ToSnapshot(const void* source, std::uint32_t offset, std::uint32_t size);
    // Before the first record of a request: the waiting writes go ahead of
    // it in the same block when they fit beside `room` bytes, or on their own.
    void StageWaiting(std::uint64_t room);
    // A batched exchange failed: the link is lost, as a failed heartbeat is.
    void LoseBatch(IpcResult result);
    // Queues the waiting writes, exchanging each block that fills; the last
    // block is left queued.
    bool PutWaiting(IpcResult& result);
    void ForgetBatch();

    IpcTransport& transport_;
    IpcClock& clock_;
    ServerHandle server_ = 0;
    std::uint32_t message_ = 0;
    std::uint16_t atom_ = 0;
    BlockHandle block_ = 0;
    std::uint8_t* view_ = nullptr;
    std::uint32_t next_ = 0;  // write position, relative to view_
    std::uint32_t fsuipcVersion_ = 0;
    std::uint32_t simulatorVersion_ = 0;
    std::string messageName_;
    bool foundAsFs98_ = false;
    IpcTiming timing_;
    IpcResult deadResult_ = kIpcOk;
    std::function<bool(std::uint32_t)> waiter_;
    bool abandoned_ = false;
    IpcResult lastResult_ = kIpcOk;
    // Read destinations of the queued records; the record's 32-bit
    // destination field holds index + 1 (0 = discard), so 64-bit builds work.
    struct Destination {
        void* address;
        std::uint32_t size;
    };
    std::vector<Destination> destinations_;

    bool batching_ = false;
    TickSnapshot snapshot_;
    std::vector<OffsetRange> waiting_;            // writes not yet sent, in program order
    std::vector<std::uint8_t> waitingBytes_;      // their bytes, one after another
    std::uint64_t exchanges_ = 0;
};

}  // namespace vorn
