#include "fsuipc/atom_table.h"

namespace vorn {

std::uint16_t AtomTable::Add(const std::string& name) {
    if (name.empty()) return 0;
    for (auto& [atom, entry] : atoms_) {
        if (entry.name == name) {
            ++entry.references;
            return atom;
        }
    }
    for (std::uint32_t atom = 0xC000; atom <= 0xFFFF; ++atom) {
        if (atoms_.count(std::uint16_t(atom)) == 0) {
            atoms_[std::uint16_t(atom)] = Entry{name, 1};
            return std::uint16_t(atom);
        }
    }
    return 0;
}

void AtomTable::Delete(std::uint16_t atom) {
    auto it = atoms_.find(atom);
    if (it != atoms_.end() && --it->second.references <= 0) atoms_.erase(it);
}

const std::string* AtomTable::Find(std::uint16_t atom) const {
    auto it = atoms_.find(atom);
    return it == atoms_.end() ? nullptr : &it->second.name;
}

}  // namespace vorn
