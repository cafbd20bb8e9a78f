#include "sim/inprocess_transport.h"

#include <chrono>

#include "sim/request_log.h"

#include <cerrno>

#include "fsuipc/ipc_link.h"
#include "fsuipc/request_block.h"

namespace vorn {

namespace {

constexpr ServerHandle kServer = 1;
constexpr std::uint32_t kMessage = 0xC0DE;
constexpr std::uint32_t kProcessId = 0x5133;  // any fixed value: names are per transport

}  // namespace

InProcessTransport::InProcessTransport(SimServer& server, std::string className, IpcClock& clock)
    : server_(server), className_(std::move(className)), clock_(clock) {}

ServerHandle InProcessTransport::FindServer(const char* className) {
    lastError_ = 0;
    return className != nullptr && className_ == className ? kServer : 0;
}

std::uint32_t InProcessTransport::RegisterMessage(const char* name) {
    lastError_ = 0;
    return name != nullptr && IpcName() == name ? kMessage : 0;
}

std::uint32_t InProcessTransport::CurrentProcessId() { return kProcessId; }

std::uint16_t InProcessTransport::AddAtom(const char* name) {
    lastError_ = 0;
    return name == nullptr ? 0 : atoms_.Add(name);
}

void InProcessTransport::DeleteAtom(std::uint16_t atom) { atoms_.Delete(atom); }

BlockHandle InProcessTransport::CreateBlock(const char* name, std::uint32_t size) {
    lastError_ = 0;
    if (name == nullptr || size == 0) {
        lastError_ = EINVAL;
        return 0;
    }
    for (auto& [handle, block] : blocks_) {
        if (!block->closed && block->name == name) {
            lastError_ = kErrorAlreadyExists;
            return 0;
        }
    }
    auto block = std::make_unique<Block>();
    block->name = name;
    block->bytes.assign(size, 0);
    const BlockHandle handle = nextBlock_++;
    blocks_[handle] = std::move(block);
    return handle;
}

std::uint8_t* InProcessTransport::MapBlock(BlockHandle block) {
    auto it = blocks_.find(block);
    if (it == blocks_.end() || it->second->closed) return nullptr;
    ++it->second->views;
    return it->second->bytes.data();
}

void InProcessTransport::UnmapBlock(std::uint8_t* view) {
    for (auto it = blocks_.begin(); it != blocks_.end(); ++it) {
        Block& block = *it->second;
        if (block.bytes.data() != view || block.views == 0) continue;
        if (--block.views == 0 && block.closed) blocks_.erase(it);
        return;
    }
}

// As with a mapping handle, the memory stays while a view of it is mapped.
void InProcessTransport::CloseBlock(BlockHandle block) {
    auto it = blocks_.find(block);
    if (it == blocks_.end()) return;
    if (it->second->views == 0)
        blocks_.erase(it);
    else
        it->second->closed = true;
}

bool InProcessTransport::Send(ServerHandle server, std::uint32_t message, std::uint16_t atom,
                              std::uint32_t timeoutMs, std::uint32_t& answer) {
    lastError_ = 0;
    if (server != kServer) {
        lastError_ = EBADF;
        return false;
    }
    const SimServerOptions& options = server_.Options();
    if (options.neverAnswer || options.delayMs >= timeoutMs) {
        clock_.Sleep(timeoutMs);
        return false;  // time-out
    }
    if (options.delayMs != 0) clock_.Sleep(options.delayMs);
    if (message != kMessage) {
        answer = 0;  // not our message: the server ignores it
        return true;
    }
    const std::string* atomName = atoms_.Find(atom);
    Block* target = nullptr;
    if (atomName != nullptr)
        for (auto& [handle, block] : blocks_)
            if (!block->closed && block->name == *atomName) target = block.get();
    if (target == nullptr) {
        answer = 0;
        return true;
    }
    RequestLog* log = server_.ActiveLog();
    const auto started = log != nullptr ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
    answer = server_.ProcessBlock(target->bytes.data(), target->bytes.size());
    // The log stops at the records' terminator.
    if (log != nullptr)
        log->Write(kProcessId, className_, target->bytes.data(), target->bytes.size(), answer,
                   std::chrono::steady_clock::now() - started);
    return true;
}

}  // namespace vorn
