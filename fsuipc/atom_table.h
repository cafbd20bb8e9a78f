#pragma once
// A process-local stand-in for the system's global atom table, for the
// transports that have none: names get 16-bit values from 0xC000 up, the
// same name gets the same value, and each add needs one delete.
#include <cstdint>
#include <map>
#include <string>

namespace vorn {

class AtomTable {
public:
    // 0 when the name is empty or every value is taken.
    std::uint16_t Add(const std::string& name);
    void Delete(std::uint16_t atom);
    // The name behind an atom, or nullptr.
    const std::string* Find(std::uint16_t atom) const;

private:
    struct Entry {
        std::string name;
        int references = 0;
    };
    std::map<std::uint16_t, Entry> atoms_;
};

}  // namespace vorn
