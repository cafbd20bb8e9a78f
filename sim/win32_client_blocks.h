#pragma once
// The client blocks vorn-sim.exe keeps mapped between requests, by atom, so
// that a request costs a copy and the answer instead of an atom lookup, an
// open and a map. Only the view is kept, never a handle: the name of a
// section goes with its last handle, so a client that closes and opens again
// under the same name creates a fresh block instead of meeting "already
// exists" (183) on the one this cache holds.
//
// A view whose client has closed is written by nobody, so it still holds
// exactly what the server left in it. A request whose cached view is
// unchanged since the last answer may therefore come from a new block of the
// same atom or name, and is looked up afresh (as every request was before);
// a changed view can only have been written by its live client.
// Used on the window thread only.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

class Win32ClientBlocks {
public:
    // Clients kept at most, as the POSIX server's connections; beyond it the
    // least recently used is dropped (and looked up afresh when it returns).
    static constexpr std::size_t kLimit = 64;

    explicit Win32ClientBlocks(std::string blockPrefix) : prefix_(std::move(blockPrefix)) { blocks_.reserve(kLimit); }
    ~Win32ClientBlocks();
    Win32ClientBlocks(const Win32ClientBlocks&) = delete;
    Win32ClientBlocks& operator=(const Win32ClientBlocks&) = delete;

    struct Block {
        std::uint8_t* view = nullptr;  // kBlockSize bytes at least
        std::string name;
        std::vector<std::uint8_t> left;  // the view as the last request left it
        std::uint16_t atom = 0;
        std::uint64_t lastUse = 0;
    };

    // The whole block of this IPC name the atom names, mapped; nullptr when
    // there is none. Call Answered once the request is done with it.
    Block* Find(std::uint16_t atom);
    void Answered(Block& block);

    // Drops the blocks whose atom has gone or names something else, or
    // whose client process (by the id in the name) has ended.
    void Sweep();

    std::size_t Size() const { return blocks_.size(); }

private:
    Block* MapAfresh(std::uint16_t atom);
    void Drop(std::size_t index);

    std::string prefix_;
    std::vector<Block> blocks_;
    std::uint64_t uses_ = 0;
};

// True when a view reaches at least a whole block (a smaller mapping would
// let records reach past its end).
bool IsWholeBlock(const void* view);

}  // namespace vorn
