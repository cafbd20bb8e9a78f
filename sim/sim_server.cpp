#include "sim/sim_server.h"

#include <algorithm>
#include <cstring>

#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "sim/request_log.h"

namespace vorn {

namespace {

constexpr std::uint32_t kMalformedAnswer = 0;

bool Overlaps(std::uint32_t offset, std::uint32_t size, std::uint32_t start, std::uint32_t length) {
    return offset < start + length && start < offset + size;
}

}  // namespace

SimServer::SimServer(SimServerOptions options) : options_(options), memory_(kOffsetSpace, 0) {
    SetFixedValues();
}

// Values a client may read but never change.
void SimServer::SetFixedValues() {
    StoreU32(&memory_[kOffsetFsuipcVersion], options_.fsuipcVersion);
    StoreU32(&memory_[kOffsetSimulatorVersion], std::uint32_t(kSimulatorSignature) << 16 | options_.simulator);
    StoreU32(&memory_[kOffsetHotKeyCount], kHotKeyEntries);
}

std::uint32_t SimServer::ProcessBlock(std::uint8_t* block, std::size_t size, std::size_t* used) {
    if (options_.answer != 1) return options_.answer;
    if (block == nullptr) return kMalformedAnswer;

    // First the whole block is checked: a record that is unknown, runs past
    // the block or reaches beyond the offset space makes it malformed, and
    // then nothing is read or written.
    std::size_t pos = 0;
    for (;;) {
        if (pos + 4 > size) return kMalformedAnswer;
        const std::uint32_t id = LoadU32(block + pos);
        if (id == 0) break;
        const std::size_t header = id == kRecordRead ? kReadHeaderSize : id == kRecordWrite ? kWriteHeaderSize : 0;
        if (header == 0 || pos + header > size) return kMalformedAnswer;
        const std::uint64_t offset = LoadU32(block + pos + 4);
        const std::uint64_t length = LoadU32(block + pos + 8);
        if (offset + length > kOffsetSpace) return kMalformedAnswer;
        if (pos + header + length > size) return kMalformedAnswer;
        pos += header + std::size_t(length);
    }
    const std::size_t end = pos + 4;

    pos = 0;
    for (;;) {
        const std::uint32_t id = LoadU32(block + pos);
        if (id == 0) break;
        const std::uint32_t offset = LoadU32(block + pos + 4);
        const std::uint32_t length = LoadU32(block + pos + 8);
        if (id == kRecordRead) {
            std::memcpy(block + pos + kReadHeaderSize, &memory_[offset], length);
            pos += kReadHeaderSize + length;
        } else {
            std::memcpy(&memory_[offset], block + pos + kWriteHeaderSize, length);
            if (Overlaps(offset, length, kOffsetLibraryVersion, 2))
                libraryVersion_ = std::uint16_t(memory_[kOffsetLibraryVersion] | memory_[kOffsetLibraryVersion + 1] << 8);
            SetFixedValues();
            pos += kWriteHeaderSize + length;
        }
    }
    ++processed_;
    if (used != nullptr) *used = end;
    return 1;
}

RequestLog* SimServer::ActiveLog() const { return log_ != nullptr && log_->On() ? log_ : nullptr; }

int SimServer::Press(std::uint8_t key, std::uint8_t modifier) {
    int flagged = 0;
    for (std::uint32_t i = 0; i < kHotKeyEntries; ++i) {
        std::uint8_t* entry = &memory_[kOffsetHotKeyTable + 4 * i];
        if (LoadU32(entry) == 0) continue;  // free
        if (entry[0] == key && entry[1] == modifier) {
            entry[3] = 1;
            ++flagged;
        }
    }
    return flagged;
}

void SimServer::Poke(std::uint16_t offset, const void* bytes, std::size_t n) {
    n = std::min(n, kOffsetSpace - offset);
    if (n == 0 || bytes == nullptr) return;
    std::memcpy(&memory_[offset], bytes, n);
    SetFixedValues();
}

void SimServer::Peek(std::uint16_t offset, void* bytes, std::size_t n) const {
    if (bytes == nullptr) return;
    const std::size_t available = std::min(n, kOffsetSpace - offset);
    if (available != 0) std::memcpy(bytes, &memory_[offset], available);
    if (n > available) std::memset(static_cast<std::uint8_t*>(bytes) + available, 0, n - available);
}

std::vector<SimHotKey> SimServer::RegisteredKeys() const {
    std::vector<SimHotKey> keys;
    for (std::uint32_t i = 0; i < kHotKeyEntries; ++i) {
        const std::uint8_t* entry = &memory_[kOffsetHotKeyTable + 4 * i];
        if (LoadU32(entry) == 0) continue;
        keys.push_back({i, entry[0], entry[1], entry[3]});
    }
    return keys;
}

}  // namespace vorn
