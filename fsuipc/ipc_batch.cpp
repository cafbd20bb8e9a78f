// One exchange per tick: the snapshot a tick's reads are served from and the
// writes that wait for the next tick's exchange (docs/fsuipc.md).
#include <algorithm>
#include <cstring>

#include "fsuipc/ipc_link.h"
#include "fsuipc/request_block.h"

namespace vorn {
namespace {

// The most one write record may carry.
constexpr std::uint32_t kLongestWrite = kBlockLimit - kWriteHeaderSize - kTerminatorSize;

}  // namespace

void IpcLink::ForgetBatch() {
    batching_ = false;
    snapshot_.Clear();
    waiting_.clear();
    waitingBytes_.clear();
}

void IpcLink::SetBatching(bool on) {
    if (!on) {
        IpcResult result = kIpcOk;
        EndTick(result);
    }
    batching_ = on && IsOpen();
}

void IpcLink::LoseBatch(IpcResult result) {
    // 13 leaves an ordinary link usable; a batched one has lost writes it
    // already reported as done, so it fails from here on like a dead one.
    if (result != kIpcOk && result != kIpcNotOpen && deadResult_ == kIpcOk) deadResult_ = result;
    snapshot_.Clear();
    waiting_.clear();
    waitingBytes_.clear();
}

bool IpcLink::FromSnapshot(void* destination, std::uint32_t offset, std::uint32_t size) {
    if (!snapshot_.Active() || next_ != 0 || Dead()) return false;
    const std::uint8_t* bytes = snapshot_.Find(offset, size);
    if (bytes == nullptr) return false;
    if (size != 0 && destination != nullptr) std::memcpy(destination, bytes, size);
    lastResult_ = kIpcOk;
    return true;
}

bool IpcLink::ToSnapshot(const void* source, std::uint32_t offset, std::uint32_t size) {
    if (!snapshot_.Active() || next_ != 0 || Dead() || source == nullptr || size > kLongestWrite) return false;
    std::uint8_t* bytes = snapshot_.Find(offset, size);
    if (bytes == nullptr) return false;
    std::memcpy(bytes, source, size);
    const auto* from = static_cast<const std::uint8_t*>(source);
    waiting_.push_back({offset, size});
    waitingBytes_.insert(waitingBytes_.end(), from, from + size);
    lastResult_ = kIpcOk;
    return true;
}

bool IpcLink::PutWaiting(IpcResult& result) {
    result = kIpcOk;
    bool ok = true;
    std::size_t at = 0;
    for (const OffsetRange& w : waiting_) {
        const std::uint8_t* bytes = waitingBytes_.data() + at;
        at += w.size;
        if (PutWrite(w.offset, w.size, bytes, result)) continue;
        // The block is full: send it and go on in an empty one.
        ok = result == kIpcTooLarge && Exchange(result) && PutWrite(w.offset, w.size, bytes, result);
        if (!ok) break;
    }
    waiting_.clear();
    waitingBytes_.clear();
    return ok;
}

void IpcLink::StageWaiting(std::uint64_t room) {
    if (waiting_.empty() || next_ != 0) return;
    std::uint64_t bytes = 0;
    for (const OffsetRange& w : waiting_) bytes += kWriteHeaderSize + w.size;
    IpcResult result = kIpcOk;
    if (bytes + room + kTerminatorSize > kBlockLimit) {
        FlushWrites(result);  // a failure leaves the link dead: the caller's exchange says so
        return;
    }
    if (!PutWaiting(result)) LoseBatch(result);
}

bool IpcLink::FlushWrites(IpcResult& result) {
    result = kIpcOk;
    if (waiting_.empty()) return true;
    if (PutWaiting(result) && Exchange(result)) return true;
    LoseBatch(result);
    return false;
}

bool IpcLink::EndTick(IpcResult& result) {
    const bool sent = FlushWrites(result);
    snapshot_.Clear();
    return sent;
}

bool IpcLink::BeginTick(std::span<const OffsetRange> ranges, IpcResult& result) {
    if (!IsOpen()) {
        result = kIpcNotOpen;
        return false;
    }
    snapshot_.Plan(ranges);
    bool ok = PutWaiting(result);
    for (const TickSnapshot::Span& span : snapshot_.Spans()) {
        for (std::uint32_t done = 0; ok && done < span.size;) {
            // A span that does not fit fills the rest of the block and goes on
            // in the next: as few exchanges as the bytes need.
            const std::uint32_t room = kBlockLimit - kTerminatorSize - next_;
            if (room <= kReadHeaderSize) {
                ok = Exchange(result);
                continue;
            }
            const std::uint32_t piece = std::min(span.size - done, room - kReadHeaderSize);
            ok = PutRead(span.offset + done, piece, snapshot_.Bytes(span) + done, result);
            done += piece;
        }
    }
    if (ok && next_ != 0) ok = Exchange(result);
    if (!ok) {
        LoseBatch(result);
        return false;
    }
    snapshot_.SetActive(true);
    result = kIpcOk;
    return true;
}

}  // namespace vorn
