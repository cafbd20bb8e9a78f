#include "workbench/reload_globals.h"

#include "machine/code_image.h"

namespace vorn {
namespace {

bool SameShape(const GlobalSymbol& a, const GlobalSymbol& b) {
    if (a.type != b.type || a.storage != b.storage || a.count != b.count) return false;
    // An FSUIPC-bound global lives in the simulator: it stays only at the same offset.
    if (a.AtFsuipc() || b.AtFsuipc()) return a.AtFsuipc() && b.AtFsuipc() && a.address == b.address;
    return true;
}

}  // namespace

GlobalCarry CarryGlobals(const ProgramMap& before, std::span<const std::uint8_t> oldData,
                         const ProgramMap& after) {
    GlobalCarry carry;
    for (const GlobalSymbol& g : after.globals) {
        // A name declared twice is one global to the program: the last declaration.
        if (after.FindGlobal(g.name) != &g) continue;
        const GlobalSymbol* old = before.FindGlobal(g.name);
        if (old == nullptr || !SameShape(*old, g)) {
            carry.fresh.push_back(g.name);
            continue;
        }
        if (g.storage == TStorageClass::Pointer) {
            // An address into the old layout means nothing in the new one.
            carry.pointers.push_back(g.name);
            carry.fresh.push_back(g.name);
            continue;
        }
        carry.kept.push_back(g.name);
        if (g.AtFsuipc()) continue;  // nothing to copy: the simulator holds it
        const std::int64_t size = static_cast<std::int64_t>(g.ElementSize()) * g.count;
        const std::int64_t from = static_cast<std::int64_t>(old->address) - kDataBase;
        if (size <= 0 || from < 0 || from + size > static_cast<std::int64_t>(oldData.size())) continue;
        carry.writes.push_back({g.address, std::vector<std::uint8_t>(oldData.begin() + from,
                                                                     oldData.begin() + from + size)});
    }
    for (const GlobalSymbol& g : before.globals) {
        if (before.FindGlobal(g.name) != &g) continue;
        if (after.FindGlobal(g.name) == nullptr) carry.dropped.push_back(g.name);
    }
    return carry;
}

}  // namespace vorn
