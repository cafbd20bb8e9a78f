#include "sim/sim_commands.h"

#include <cctype>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"

namespace vorn {

namespace {

struct Modifier {
    const char* name;
    std::uint8_t bit;
};
constexpr Modifier kModifiers[] = {{"Shift", 1}, {"Ctrl", 2}, {"Alt", 4}, {"Tab", 16}};

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Decimal or 0x-hexadecimal, no sign.
bool ParseUnsigned(std::string_view text, std::uint64_t& value) {
    text = Trim(text);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    } else if (!text.empty() && text[0] == '$') {
        text.remove_prefix(1);
        base = 16;
    }
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseByte(std::string_view text, std::uint8_t& value) {
    std::uint64_t v;
    if (!ParseUnsigned(text, v) || v > 255) return false;
    value = std::uint8_t(v);
    return true;
}

// "0x0570:4" -> offset and size, checked against the offset space.
bool ParseLocation(std::string_view text, std::uint16_t& offset, std::uint32_t& size, std::string& error) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        error = "error: expected OFFSET:SIZE, as in 0x0570:4";
        return false;
    }
    std::uint64_t o, n;
    if (!ParseUnsigned(text.substr(0, colon), o) || o > 0xFFFF) {
        error = "error: offset must be 0 to 0xFFFF";
        return false;
    }
    if (!ParseUnsigned(text.substr(colon + 1), n) || (n != 1 && n != 2 && n != 4 && n != 8)) {
        error = "error: size must be 1, 2, 4 or 8";
        return false;
    }
    if (o + n > SimServer::kOffsetSpace) {
        error = "error: the range runs past offset 0xFFFF";
        return false;
    }
    offset = std::uint16_t(o);
    size = std::uint32_t(n);
    return true;
}

std::string Describe(const SimServer& server, std::uint16_t offset, std::uint32_t size) {
    std::uint8_t bytes[8] = {};
    server.Peek(offset, bytes, size);
    std::uint64_t raw = 0;
    for (std::uint32_t i = 0; i < size; ++i) raw |= std::uint64_t(bytes[i]) << (8 * i);
    char text[128];
    if (size == 8) {
        double d;
        std::memcpy(&d, &raw, 8);
        std::snprintf(text, sizeof text, "0x%04X:8=%" PRId64 " (double %.17g)", offset, std::int64_t(raw), d);
    } else {
        const unsigned bits = 8 * size;
        std::int64_t value = std::int64_t(raw);
        if (raw >> (bits - 1)) value -= std::int64_t(1) << bits;  // sign-extend, as the machine loads it
        std::snprintf(text, sizeof text, "0x%04X:%u=%" PRId64 " (0x%0*" PRIX64 ")", offset, size, value,
                      int(2 * size), raw);
    }
    return text;
}

std::string Set(SimServer& server, std::string_view args) {
    const std::size_t equals = args.find('=');
    if (equals == std::string_view::npos) return "error: expected set OFFSET:SIZE=VALUE";
    std::uint16_t offset;
    std::uint32_t size;
    std::string error;
    if (!ParseLocation(Trim(args.substr(0, equals)), offset, size, error)) return error;
    std::string_view valueText = Trim(args.substr(equals + 1));
    if (valueText.empty()) return "error: missing value";

    std::uint64_t raw = 0;
    const bool negative = valueText[0] == '-';
    std::string_view digits = negative ? valueText.substr(1) : valueText;
    std::uint64_t magnitude;
    if (ParseUnsigned(digits, magnitude)) {
        const unsigned bits = 8 * size;
        const std::uint64_t unsignedMax = bits == 64 ? std::numeric_limits<std::uint64_t>::max()
                                                     : (std::uint64_t(1) << bits) - 1;
        const std::uint64_t negativeMax = std::uint64_t(1) << (bits - 1);
        if (negative ? magnitude > negativeMax : magnitude > unsignedMax)
            return "error: value does not fit in size " + std::to_string(size);
        raw = negative ? ~magnitude + 1 : magnitude;
    } else if (size == 8) {
        const std::string copy(valueText);
        char* end = nullptr;
        const double d = std::strtod(copy.c_str(), &end);
        if (end == copy.c_str() || *end != '\0') return "error: bad value '" + copy + "'";
        std::memcpy(&raw, &d, 8);
    } else {
        return "error: bad value '" + std::string(valueText) + "'";
    }
    std::uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = std::uint8_t(raw >> (8 * i));
    server.Poke(offset, bytes, size);
    return Describe(server, offset, size);
}

std::string Get(const SimServer& server, std::string_view args) {
    std::uint16_t offset;
    std::uint32_t size;
    std::string error;
    if (!ParseLocation(Trim(args), offset, size, error)) return error;
    return Describe(server, offset, size);
}

std::string Press(SimServer& server, std::string_view args) {
    std::uint8_t key, modifier;
    if (!ParseHotKey(args, key, modifier))
        return "error: bad key '" + std::string(Trim(args)) + "' (as in Ctrl+G or 71,2)";
    const int flagged = server.Press(key, modifier);
    char text[96];
    std::snprintf(text, sizeof text, "pressed %s (%u,%u): %d hot key%s flagged", HotKeyName(key, modifier).c_str(),
                  key, modifier, flagged, flagged == 1 ? "" : "s");
    return text;
}

std::string Keys(const SimServer& server) {
    const std::vector<SimHotKey> keys = server.RegisteredKeys();
    if (keys.empty()) return "no hot keys registered";
    std::string out = std::to_string(keys.size()) + (keys.size() == 1 ? " hot key:" : " hot keys:");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const SimHotKey& k = keys[i];
        char text[96];
        std::snprintf(text, sizeof text, "%s 0x%04X %s (%u,%u) flag %u", i == 0 ? "" : ";",
                      unsigned(kOffsetHotKeyTable + 4 * k.index), HotKeyName(k.key, k.modifier).c_str(), k.key,
                      k.modifier, k.flag);
        out += text;
    }
    return out;
}

}  // namespace

bool ParseHotKey(std::string_view text, std::uint8_t& key, std::uint8_t& modifier) {
    text = Trim(text);
    if (text.empty()) return false;

    const std::size_t comma = text.find(',');
    if (comma != std::string_view::npos) {
        std::uint8_t k, m;
        if (!ParseByte(text.substr(0, comma), k) || !ParseByte(text.substr(comma + 1), m) || k == 0) return false;
        key = k;
        modifier = m;
        return true;
    }

    // The key is the last part; a trailing "+" is itself the key ("Ctrl++").
    std::string_view keyPart;
    std::string_view modifiers;
    if (text.back() == '+' && (text.size() == 1 || text[text.size() - 2] == '+')) {
        keyPart = text.substr(text.size() - 1);
        modifiers = text.substr(0, text.size() - 1);
    } else {
        const std::size_t plus = text.rfind('+');
        keyPart = plus == std::string_view::npos ? text : text.substr(plus + 1);
        modifiers = plus == std::string_view::npos ? std::string_view() : text.substr(0, plus + 1);
    }

    std::uint8_t m = 0;
    while (!modifiers.empty()) {
        const std::size_t plus = modifiers.find('+');
        if (plus == std::string_view::npos) return false;
        const std::string_view name = Trim(modifiers.substr(0, plus));
        modifiers.remove_prefix(plus + 1);
        bool known = false;
        for (const Modifier& mod : kModifiers) {
            if (SameWord(name, mod.name)) {
                m |= mod.bit;
                known = true;
            }
        }
        if (!known && SameWord(name, "Control")) {
            m |= 2;
            known = true;
        }
        if (!known) return false;
    }

    keyPart = Trim(keyPart);
    std::uint8_t k;
    if (keyPart.size() == 1) {
        k = std::uint8_t(std::toupper(static_cast<unsigned char>(keyPart[0])));
    } else if (!ParseByte(keyPart, k)) {
        return false;
    }
    if (k == 0) return false;
    key = k;
    modifier = m;
    return true;
}

std::string HotKeyName(std::uint8_t key, std::uint8_t modifier) {
    std::string name;
    for (const Modifier& mod : kModifiers) {
        if (modifier & mod.bit) name += std::string(mod.name) + "+";
    }
    if (key > ' ' && key < 0x7F)
        name += char(key);
    else
        name += std::to_string(key);
    return name;
}

std::string ExecuteSimCommand(SimServer& server, std::string_view line, bool& quit) {
    quit = false;
    line = Trim(line);
    if (line.empty()) return {};
    const std::size_t space = line.find_first_of(" \t");
    const std::string_view word = line.substr(0, space);
    const std::string_view args = space == std::string_view::npos ? std::string_view() : Trim(line.substr(space));

    if (SameWord(word, "press")) return Press(server, args);
    if (SameWord(word, "set")) return Set(server, args);
    if (SameWord(word, "get")) return Get(server, args);
    if (SameWord(word, "keys")) return Keys(server);
    if (SameWord(word, "quit") || SameWord(word, "exit")) {
        quit = true;
        return "bye";
    }
    if (SameWord(word, "help"))
        return "commands: press Ctrl+G | press 71,2 | set 0x0570:4=1000 | get 0x0570:4 | keys | quit";
    return "error: unknown command '" + std::string(word) + "' (try help)";
}

}  // namespace vorn
