#include "fsuipc/ipc_link.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"

namespace vorn {

namespace {

constexpr std::uint32_t kPauseMs = 100;
constexpr std::uint32_t kWaiterSliceMs = 10;
constexpr int kHandshakePasses = 5;

// A whole decimal number from `min` to `max`, nothing else.
bool ParseBounded(const char* text, std::uint64_t min, std::uint64_t max, std::uint64_t& value) {
    value = 0;
    if (*text == '\0') return false;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + std::uint64_t(*p - '0');
        if (value > max) return false;
    }
    return value >= min;
}

}  // namespace

bool IpcTimingFromEnvironment(IpcTiming& timing, std::string& error) {
    timing = IpcTiming{};
    IpcTiming read;
    std::uint64_t value = 0;
    const char* timeout = std::getenv("VORN_IPC_TIMEOUT_MS");
    if (timeout != nullptr && timeout[0] != '\0') {
        if (!ParseBounded(timeout, 1, kMaxIpcTimeoutMs, value)) {
            error = "VORN_IPC_TIMEOUT_MS=" + std::string(timeout) + ": expected a whole number of milliseconds from 1 to " +
                    std::to_string(kMaxIpcTimeoutMs);
            return false;
        }
        read.timeoutMs = std::uint32_t(value);
    }
    const char* attempts = std::getenv("VORN_IPC_ATTEMPTS");
    if (attempts != nullptr && attempts[0] != '\0') {
        if (!ParseBounded(attempts, 1, kMaxIpcAttempts, value)) {
            error = "VORN_IPC_ATTEMPTS=" + std::string(attempts) + ": expected a whole number from 1 to " +
                    std::to_string(kMaxIpcAttempts);
            return false;
        }
        read.attempts = int(value);
    }
    timing = read;
    return true;
}

std::string IpcName() {
    const char* name = std::getenv("VORN_IPC_NAME");
    if (name != nullptr && name[0] != '\0') return name;
    return kDefaultIpcMessageName;
}

const char* IpcResultText(IpcResult result) {
    switch (result) {
        case kIpcOk: return "success";
        case kIpcAlreadyOpen: return "the link is already open";
        case kIpcNoServer: return "no FSUIPC server is running";
        case kIpcRegisterFailed: return "registering the message failed";
        case kIpcAtomFailed: return "creating the atom failed";
        case kIpcCreateFailed: return "creating the shared memory failed";
        case kIpcMapFailed: return "mapping the shared memory failed";
        case kIpcRefused: return "handshake refused (UIPCMAIN)";
        case kIpcWrongSimulator: return "the simulator is not the one requested";
        case kIpcNotOpen: return "the link is not open";
        case kIpcNothingQueued: return "nothing is queued";
        case kIpcTimeout: return "the server did not answer";
        case kIpcSendFailed: return "sending to the server failed";
        case kIpcBadAnswer: return "the server's answer was not valid";
        case kIpcRefusedFs98: return "handshake refused (FS98MAIN)";
        case kIpcTooLarge: return "the request does not fit";
        default: return "unknown result";
    }
}

IpcLink::IpcLink(IpcTransport& transport, IpcClock& clock) : transport_(transport), clock_(clock) {}

IpcLink::~IpcLink() { Close(); }

bool IpcLink::Open(std::uint32_t simVersion, IpcResult& result) {
    if (IsOpen()) {
        result = kIpcAlreadyOpen;
        return false;
    }
    fsuipcVersion_ = 0;
    simulatorVersion_ = 0;
    deadResult_ = kIpcOk;
    ForgetBatch();
    abandoned_ = false;

    bool foundAsFs98 = false;
    server_ = transport_.FindServer("UIPCMAIN");
    if (server_ == 0) {
        server_ = transport_.FindServer("FS98MAIN");
        foundAsFs98 = true;
    }
    if (server_ == 0) {
        result = kIpcNoServer;
        return false;
    }

    foundAsFs98_ = foundAsFs98;
    const std::string name = messageName_.empty() ? IpcName() : messageName_;
    message_ = transport_.RegisterMessage(name.c_str());
    if (message_ == 0) {
        Close();
        result = kIpcRegisterFailed;
        return false;
    }

    char blockName[96];
    std::snprintf(blockName, sizeof blockName, "%s:%X:%X", name.c_str(),
                  unsigned(transport_.CurrentProcessId()), 1u);

    atom_ = transport_.AddAtom(blockName);
    if (atom_ == 0) {
        Close();
        result = kIpcAtomFailed;
        return false;
    }

    block_ = transport_.CreateBlock(blockName, kBlockSize);
    if (block_ == 0 || transport_.LastError() == kErrorAlreadyExists) {
        Close();
        result = kIpcCreateFailed;
        return false;
    }

    view_ = transport_.MapBlock(block_);
    if (view_ == nullptr) {
        Close();
        result = kIpcMapFailed;
        return false;
    }
    next_ = 0;
    destinations_.clear();

    const std::uint8_t library[2] = {std::uint8_t(kLibraryVersion & 0xFF), std::uint8_t(kLibraryVersion >> 8)};
    for (int pass = 1; pass <= kHandshakePasses && (fsuipcVersion_ == 0 || simulatorVersion_ == 0); ++pass) {
        std::uint8_t fsuipc[4] = {}, simulator[4] = {};
        const bool ok = QueueRead(kOffsetFsuipcVersion, 4, fsuipc, result) &&
                        QueueRead(kOffsetSimulatorVersion, 4, simulator, result) &&
                        (pass != 1 || QueueWrite(kOffsetLibraryVersion, 2, library, result)) &&
                        Exchange(result);
        if (!ok) {
            Close();
            return false;
        }
        fsuipcVersion_ = LoadU32(fsuipc);
        simulatorVersion_ = LoadU32(simulator);
        clock_.Sleep(kPauseMs);
    }

    if (fsuipcVersion_ < kMinimumFsuipcVersion || (simulatorVersion_ >> 16) != kSimulatorSignature) {
        Close();
        result = foundAsFs98 ? kIpcRefusedFs98 : kIpcRefused;
        return false;
    }
    simulatorVersion_ &= 0xFFFF;
    if (simVersion != 0 && simVersion != simulatorVersion_) {
        Close();
        result = kIpcWrongSimulator;
        return false;
    }
    result = kIpcOk;
    return true;
}

void IpcLink::Close() {
    if (server_ != 0) transport_.ReleaseServer(server_);
    server_ = 0;
    deadResult_ = kIpcOk;
    ForgetBatch();
    message_ = 0;
    next_ = 0;
    destinations_.clear();
    if (atom_ != 0) {
        transport_.DeleteAtom(atom_);
        atom_ = 0;
    }
    if (view_ != nullptr) {
        transport_.UnmapBlock(view_);
        view_ = nullptr;
    }
    if (block_ != 0) {
        transport_.CloseBlock(block_);
        block_ = 0;
    }
}

bool IpcLink::Fits(std::uint32_t header, std::uint32_t size, IpcResult& result) const {
    // 64-bit sum: a size near 2^32 must not wrap into a small number.
    const std::uint64_t end = std::uint64_t(next_) + header + size + kTerminatorSize;
    if (end > kBlockLimit) {
        result = kIpcTooLarge;
        return false;
    }
    return true;
}

bool IpcLink::QueueRead(std::uint32_t offset, std::uint32_t size, void* destination, IpcResult& result) {
    if (!waiting_.empty()) StageWaiting(std::uint64_t{kReadHeaderSize} + size);
    return PutRead(offset, size, destination, result);
}

bool IpcLink::QueueWrite(std::uint32_t offset, std::uint32_t size, const void* source, IpcResult& result) {
    if (!waiting_.empty()) StageWaiting(std::uint64_t{kWriteHeaderSize} + size);
    if (!PutWrite(offset, size, source, result)) return false;
    if (snapshot_.Active()) snapshot_.Patch(offset, size, source);
    return true;
}

bool IpcLink::PutRead(std::uint32_t offset, std::uint32_t size, void* destination, IpcResult& result) {
    if (!IsOpen()) {
        result = kIpcNotOpen;
        return false;
    }
    if (!Fits(kReadHeaderSize, size, result)) return false;
    std::uint32_t slot = 0;
    if (destination != nullptr) {
        destinations_.push_back({destination, size});
        slot = std::uint32_t(destinations_.size());
    }
    std::uint8_t* p = view_ + next_;
    StoreU32(p, kRecordRead);
    StoreU32(p + 4, offset);
    StoreU32(p + 8, size);
    StoreU32(p + 12, slot);
    next_ += kReadHeaderSize;
    if (size != 0) {
        std::memset(view_ + next_, 0, size);
        next_ += size;
    }
    result = kIpcOk;
    return true;
}

bool IpcLink::PutWrite(std::uint32_t offset, std::uint32_t size, const void* source, IpcResult& result) {
    if (!IsOpen()) {
        result = kIpcNotOpen;
        return false;
    }
    if (!Fits(kWriteHeaderSize, size, result)) return false;
    std::uint8_t* p = view_ + next_;
    StoreU32(p, kRecordWrite);
    StoreU32(p + 4, offset);
    StoreU32(p + 8, size);
    next_ += kWriteHeaderSize;
    if (size != 0) {
        // A write without a source sends zeros rather than reading address 0.
        if (source != nullptr)
            std::memcpy(view_ + next_, source, size);
        else
            std::memset(view_ + next_, 0, size);
        next_ += size;
    }
    result = kIpcOk;
    return true;
}

bool IpcLink::Pause(std::uint32_t ms, std::uint32_t& waitedMs) {
    if (!waiter_) {
        clock_.Sleep(ms);
        return true;
    }
    for (std::uint32_t slept = 0; slept < ms; slept += kWaiterSliceMs) {
        clock_.Sleep(kWaiterSliceMs);
        waitedMs += kWaiterSliceMs;
        if (waiter_(waitedMs)) abandoned_ = true;
        if (abandoned_) return false;
    }
    return true;
}

bool IpcLink::Send(IpcResult& result) {
    std::uint32_t answer = 0;
    bool delivered = false;
    std::uint32_t lastError = 0;
    std::uint32_t waitedMs = 0;
    if (waiter_) {
        const auto started = std::chrono::steady_clock::now();
        transport_.SetWaitHook([this, started, &waitedMs] {
            const auto waited = std::chrono::steady_clock::now() - started;
            waitedMs = std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count());
            if (waiter_(waitedMs)) abandoned_ = true;
            return abandoned_;
        });
    }
    for (int attempt = 0; attempt < timing_.attempts && !delivered && !abandoned_; ++attempt) {
        delivered = transport_.Send(server_, message_, atom_, timing_.timeoutMs, answer);
        if (delivered) break;
        lastError = transport_.LastError();
        const bool interrupted = IpcInterrupted();
        if (abandoned_ || interrupted || attempt + 1 >= timing_.attempts) {
            // A stalled server may still read the requests it was sent once
            // it wakes up, during the pause as well: it must find the block
            // empty, not apply records this side reports as failed.
            StoreU32(view_, 0);
        }
        if (abandoned_ || interrupted) break;  // asked to stop: no more waiting
        if (!Pause(kPauseMs, waitedMs)) break;
        if (IpcInterrupted()) break;
    }
    transport_.SetWaitHook({});
    if (!delivered) {
        StoreU32(view_, 0);  // also when the wait was given up during a pause
        result = lastError == 0 ? kIpcTimeout : kIpcSendFailed;
        deadResult_ = result;
        return false;
    }
    if (answer != 1) {
        result = kIpcBadAnswer;
        return false;
    }
    return true;
}

// Hands the read data back to the destinations. The block came back from
// another process, so nothing in it is trusted: every record must lie inside
// the block and name a destination queued for at least its size. The whole
// walk is checked before the first byte is copied, so a damaged block
// changes nothing.
bool IpcLink::Walk() {
    for (int copying = 0; copying < 2; ++copying) {
        std::uint32_t pos = 0;
        for (;;) {
            if (std::uint64_t(pos) + 4 > kBlockSize) return false;
            const std::uint32_t id = LoadU32(view_ + pos) & 0xFF;
            if (id == 0) break;
            if (id == kRecordRead) {
                if (std::uint64_t(pos) + kReadHeaderSize > kBlockSize) return false;
                const std::uint32_t size = LoadU32(view_ + pos + 8);
                const std::uint32_t slot = LoadU32(view_ + pos + 12);
                const std::uint64_t end = std::uint64_t(pos) + kReadHeaderSize + size;
                if (end > kBlockSize) return false;
                if (slot > destinations_.size()) return false;
                if (slot != 0 && size != 0) {
                    const Destination& d = destinations_[slot - 1];
                    if (size > d.size) return false;
                    if (copying) std::memcpy(d.address, view_ + pos + kReadHeaderSize, size);
                }
                pos = std::uint32_t(end);
            } else if (id == kRecordWrite) {
                if (std::uint64_t(pos) + kWriteHeaderSize > kBlockSize) return false;
                const std::uint32_t size = LoadU32(view_ + pos + 8);
                const std::uint64_t end = std::uint64_t(pos) + kWriteHeaderSize + size;
                if (end > kBlockSize) return false;
                pos = std::uint32_t(end);
            } else {
                break;  // an unknown record ends the walk
            }
        }
    }
    return true;
}

bool IpcLink::Exchange(IpcResult& result) {
    const bool ok = ExchangeBlock(result);
    lastResult_ = result;
    return ok;
}

bool IpcLink::ExchangeBlock(IpcResult& result) {
    if (!IsOpen()) {
        result = kIpcNotOpen;
        return false;
    }
    if (next_ == 0) {
        result = kIpcNothingQueued;
        return false;
    }
    StoreU32(view_ + next_, 0);
    next_ = 0;
    // The queue is empty from here on, whatever the outcome; the
    // destinations live until the walk is done.
    struct DropDestinations {
        std::vector<Destination>& list;
        ~DropDestinations() { list.clear(); }
    } drop{destinations_};

    if (deadResult_ != kIpcOk) {
        StoreU32(view_, 0);  // what was queued since is never sent
        result = deadResult_;
        return false;
    }
    ++exchanges_;
    if (!Send(result)) return false;
    if (!Walk()) {
        result = kIpcBadAnswer;
        return false;
    }
    result = kIpcOk;
    return true;
}

std::int16_t IpcLink::ReadByte(std::uint16_t offset) {
    std::uint8_t value = 0;
    if (snapshot_.Active() && FromSnapshot(&value, offset, 1)) return std::int16_t(value);
    IpcResult result;
    if (!QueueRead(offset, 1, &value, result)) return -1;
    if (!Exchange(result)) return -1;
    return std::int16_t(value);
}

std::int32_t IpcLink::ReadLong(std::uint16_t offset) {
    std::uint8_t bytes[4] = {};
    if (snapshot_.Active() && FromSnapshot(bytes, offset, 4)) return std::int32_t(LoadU32(bytes));
    IpcResult result;
    if (!QueueRead(offset, 4, bytes, result)) return -1;
    if (!Exchange(result)) return -1;
    return std::int32_t(LoadU32(bytes));
}

// The write accessors exchange even when queuing failed, so whatever the
// caller queued before is sent and the queue ends empty. A queuing failure
// is still reported, never hidden behind the exchange of other records.
bool IpcLink::WriteByte(std::uint8_t value, std::uint16_t offset) {
    if (snapshot_.Active() && ToSnapshot(&value, offset, 1)) return true;
    IpcResult queued;
    const bool ok = QueueWrite(offset, 1, &value, queued);
    IpcResult result;
    return Exchange(result) && ok;
}

bool IpcLink::WriteLong(std::int32_t value, std::uint16_t offset) {
    std::uint8_t bytes[4];
    StoreU32(bytes, std::uint32_t(value));
    if (snapshot_.Active() && ToSnapshot(bytes, offset, 4)) return true;
    IpcResult queued;
    const bool ok = QueueWrite(offset, 4, bytes, queued);
    IpcResult result;
    return Exchange(result) && ok;
}

IpcResult IpcLink::WriteBlock(const void* source, std::uint16_t offset, std::uint16_t size) {
    if (snapshot_.Active() && ToSnapshot(source, offset, size)) return kIpcOk;
    IpcResult queued;
    const bool ok = QueueWrite(offset, size, source, queued);
    IpcResult result;
    Exchange(result);
    return (result == kIpcOk && !ok) ? queued : result;
}

IpcResult IpcLink::ReadBlock(void* destination, std::uint16_t offset, std::uint16_t size) {
    if (snapshot_.Active() && FromSnapshot(destination, offset, size)) return kIpcOk;
    IpcResult queued;
    const bool ok = QueueRead(offset, size, destination, queued);
    IpcResult result;
    Exchange(result);
    return (result == kIpcOk && !ok) ? queued : result;
}

}  // namespace vorn
