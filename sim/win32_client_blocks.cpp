#include "sim/win32_client_blocks.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "fsuipc/request_block.h"
#include "sim/request_log.h"

namespace vorn {

bool IsWholeBlock(const void* view) {
    MEMORY_BASIC_INFORMATION info{};
    return VirtualQuery(view, &info, sizeof info) == sizeof info && info.RegionSize >= kBlockSize;
}

Win32ClientBlocks::~Win32ClientBlocks() {
    for (Block& b : blocks_) UnmapViewOfFile(b.view);
}

Win32ClientBlocks::Block* Win32ClientBlocks::Find(std::uint16_t atom) {
    if (atom == 0) return nullptr;
    const auto cached = std::find_if(blocks_.begin(), blocks_.end(), [atom](const Block& b) { return b.atom == atom; });
    if (cached != blocks_.end()) {
        if (std::memcmp(cached->view, cached->left.data(), kBlockSize) != 0) {
            cached->lastUse = ++uses_;
            return &*cached;
        }
        // Unchanged: perhaps its client has gone and another block took the atom.
        Drop(std::size_t(cached - blocks_.begin()));
    }
    return MapAfresh(atom);
}

Win32ClientBlocks::Block* Win32ClientBlocks::MapAfresh(std::uint16_t atom) {
    char name[256];
    const UINT n = GlobalGetAtomNameA(atom, name, sizeof name);
    if (n == 0 || n >= sizeof name) return nullptr;
    // Only a client block of this IPC name: the atom could name any object.
    const std::string blockName(name, n);
    if (blockName.size() <= prefix_.size() || blockName.compare(0, prefix_.size(), prefix_) != 0) return nullptr;
    // A name lives under one atom at a time: an entry under another atom is
    // a block whose client has closed.
    const auto sameName = std::find_if(blocks_.begin(), blocks_.end(), [&](const Block& b) { return b.name == blockName; });
    if (sameName != blocks_.end()) Drop(std::size_t(sameName - blocks_.begin()));

    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, blockName.c_str());
    if (mapping == nullptr) return nullptr;
    auto* view = static_cast<std::uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    CloseHandle(mapping);  // the view keeps the block; the name must not outlive its client
    if (view == nullptr) return nullptr;
    if (!IsWholeBlock(view)) {
        UnmapViewOfFile(view);
        return nullptr;
    }
    if (blocks_.size() >= kLimit) {
        const auto oldest = std::min_element(blocks_.begin(), blocks_.end(),
                                             [](const Block& a, const Block& b) { return a.lastUse < b.lastUse; });
        Drop(std::size_t(oldest - blocks_.begin()));
    }
    Block& b = blocks_.emplace_back();
    b.view = view;
    b.name = blockName;
    b.atom = atom;
    b.lastUse = ++uses_;
    Answered(b);  // what the client wrote so far; its first request is not yet answered
    return &b;
}

void Win32ClientBlocks::Answered(Block& block) { block.left.assign(block.view, block.view + kBlockSize); }

void Win32ClientBlocks::Drop(std::size_t index) {
    UnmapViewOfFile(blocks_[index].view);
    blocks_.erase(blocks_.begin() + std::ptrdiff_t(index));
}

void Win32ClientBlocks::Sweep() {
    // Never opens a block: a handle held even for a moment could meet the
    // client creating its block again and give it "already exists".
    for (std::size_t i = blocks_.size(); i-- > 0;) {
        const Block& b = blocks_[i];
        char name[256];
        const UINT n = GlobalGetAtomNameA(b.atom, name, sizeof name);
        bool alive = n == b.name.size() && b.name.compare(0, n, name, n) == 0;
        if (alive) {
            HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, ClientPidFromBlockName(b.name, prefix_));
            alive = process != nullptr && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
            if (process != nullptr) CloseHandle(process);
        }
        if (!alive) Drop(i);
    }
}

}  // namespace vorn
