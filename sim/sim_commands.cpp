#include "sim/sim_commands.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "sim/request_log.h"

namespace vorn {

namespace {

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

// Decimal or 0x-hexadecimal, no sign. `overflow` (when given) tells digits
// too many for 64 bits from a malformed number.
bool ParseUnsigned(std::string_view text, std::uint64_t& value, bool* overflow = nullptr) {
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
    const bool whole = end == text.data() + text.size();
    if (overflow != nullptr) *overflow = whole && error == std::errc::result_out_of_range;
    return error == std::errc() && whole;
}

bool ParseByte(std::string_view text, std::uint8_t& value) {
    std::uint64_t v;
    if (!ParseUnsigned(text, v) || v > 255) return false;
    value = std::uint8_t(v);
    return true;
}

std::string Set(SimServer& server, std::string_view args) {
    OffsetValue value;
    std::string error;
    if (!ParseOffsetValue(args, value, error)) return "error: " + error;
    server.Poke(value.offset, value.bytes, value.size);
    std::uint8_t bytes[kMaxOffsetValueBytes] = {};
    server.Peek(value.offset, bytes, value.size);
    return DescribeOffset(value.location, bytes);
}

std::string Get(const SimServer& server, std::string_view args) {
    OffsetLocation location;
    std::string error;
    if (!ParseOffsetLocation(args, location, error)) return "error: " + error;
    std::uint8_t bytes[kMaxOffsetValueBytes] = {};
    server.Peek(location.offset, bytes, location.size);
    return DescribeOffset(location, bytes);
}

// log | log on [FILE] | log off
std::string Log(SimServer& server, std::string_view args) {
    RequestLog* log = server.Log();
    const std::size_t space = args.find_first_of(" \t");
    const std::string_view word = args.substr(0, space);
    const std::string_view file = space == std::string_view::npos ? std::string_view() : Trim(args.substr(space));
    if (args.empty()) {
        if (log == nullptr || !log->IsOpen()) return "log off (no file; log on FILE starts one)";
        return std::string(log->On() ? "log on: " : "log off: ") + log->Path();
    }
    if (SameWord(word, "off") && file.empty()) {
        if (log != nullptr) log->SetOn(false);
        return log != nullptr && log->IsOpen() ? "log off: " + log->Path() : "log off";
    }
    if (!SameWord(word, "on")) return "error: log on [FILE] or log off";
    if (log == nullptr) return "error: this server keeps no log";
    if (!file.empty()) {
        std::string error;
        if (!log->Open(std::string(file), error)) return "error: " + error;
    } else if (!log->IsOpen()) {
        return "error: no log file yet (log on FILE)";
    }
    log->SetOn(true);
    return "log on: " + log->Path();
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

bool IsNameStart(std::string_view text) {
    return !text.empty() && (std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_');
}

// A catalogue entry's size, and the type its bytes are read in.
bool NamedLocation(std::string_view name, OffsetLocation& location, std::string& error) {
    const CatalogueEntry* entry = FindOffset(name);
    if (entry == nullptr) {
        error = "unknown offset name '" + std::string(name) + "' (vornc offsets lists them)";
        return false;
    }
    switch (entry->type) {
    case OffsetType::SignedInt:
    case OffsetType::FixedPoint: location.type = OffsetValueType::Signed; break;
    case OffsetType::UnsignedInt:
    case OffsetType::Bcd:
    case OffsetType::BitMask: location.type = OffsetValueType::Unsigned; break;
    case OffsetType::Float64: location.type = OffsetValueType::Float; break;
    case OffsetType::Text: location.type = OffsetValueType::Text; break;
    }
    // The table is ours, but a wrong row must not run past the buffers.
    if (entry->size < 1 || static_cast<std::uint32_t>(entry->size) > kMaxOffsetValueBytes ||
        entry->offset + static_cast<std::uint32_t>(entry->size) > SimServer::kOffsetSpace ||
        (location.type != OffsetValueType::Text && entry->size > 8)) {
        error = std::string(entry->name) + " has a size this server cannot hold";
        return false;
    }
    location.offset = static_cast<std::uint16_t>(entry->offset);
    location.size = static_cast<std::uint32_t>(entry->size);
    location.letter = '\0';
    location.entry = entry;
    return true;
}

}  // namespace

bool ParseOffsetLocation(std::string_view text, OffsetLocation& location, std::string& error) {
    text = Trim(text);
    location = OffsetLocation{};
    const std::size_t colon = text.find(':');
    if (IsNameStart(text)) {
        if (colon == std::string_view::npos) return NamedLocation(text, location, error);
        error = "a name takes its size from the catalogue: " + std::string(Trim(text.substr(0, colon))) +
                ", without :SIZE";
        return false;
    }
    if (colon == std::string_view::npos) {
        error = "expected OFFSET:SIZE, as in 0x0570:4";
        return false;
    }
    std::uint64_t o, n;
    if (!ParseUnsigned(text.substr(0, colon), o) || o > 0xFFFF) {
        error = "the offset must be 0 to 0xFFFF";
        return false;
    }
    std::string_view sizeText = Trim(text.substr(colon + 1));
    char letter = '\0';
    if (!sizeText.empty() && std::isalpha(static_cast<unsigned char>(sizeText.back()))) {
        letter = char(std::tolower(static_cast<unsigned char>(sizeText.back())));
        sizeText.remove_suffix(1);
    }
    if (!ParseUnsigned(sizeText, n) || (n != 1 && n != 2 && n != 4 && n != 8)) {
        error = "the size must be 1, 2, 4 or 8";
        return false;
    }
    OffsetValueType type;
    switch (letter) {
    case '\0': type = n == 8 ? OffsetValueType::Float : OffsetValueType::Integer; break;
    case 'i':
    case 's': type = OffsetValueType::Signed; break;
    case 'u': type = OffsetValueType::Unsigned; break;
    case 'f': type = OffsetValueType::Float; break;
    default:
        error = std::string("the type after the size must be i, s, u or f, not '") + letter + "'";
        return false;
    }
    if (type == OffsetValueType::Float && n != 4 && n != 8) {
        error = "a float is 4 or 8 bytes";
        return false;
    }
    if (o + n > SimServer::kOffsetSpace) {
        error = "the range runs past offset 0xFFFF";
        return false;
    }
    location.offset = std::uint16_t(o);
    location.size = std::uint32_t(n);
    location.type = type;
    location.letter = letter;
    return true;
}

namespace {

// A finite number that fits the float of this size, or false.
bool ParseFloat(const std::string& text, std::uint32_t size, std::uint64_t& raw) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    if (std::isspace(static_cast<unsigned char>(*begin))) return false;
    if (size == 4) {
        const float f = std::strtof(begin, &end);
        if (end == begin || *end != '\0' || errno == ERANGE || !std::isfinite(f)) return false;
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        raw = bits;
    } else {
        const double d = std::strtod(begin, &end);
        if (end == begin || *end != '\0' || errno == ERANGE || !std::isfinite(d)) return false;
        std::memcpy(&raw, &d, 8);
    }
    return true;
}

// An integer in the range of the type and size: signed, unsigned, or (untyped)
// from the signed minimum to the unsigned maximum.
bool ParseInteger(const std::string& text, const OffsetLocation& where, std::uint64_t& raw, std::string& error) {
    const bool negative = !text.empty() && text[0] == '-';
    std::uint64_t magnitude;
    std::string_view digits = std::string_view(text).substr(negative ? 1 : 0);
    bool overflow = false;
    if (!ParseUnsigned(digits, magnitude, &overflow)) {
        error = overflow ? "the value does not fit in 8 bytes" : "bad value '" + text + "'";
        return false;
    }
    const unsigned bits = 8 * where.size;
    const std::uint64_t unsignedMax = bits == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << bits) - 1;
    const std::uint64_t signedMax = (std::uint64_t(1) << (bits - 1)) - 1;
    const std::uint64_t positiveMax = where.type == OffsetValueType::Signed ? signedMax : unsignedMax;
    const std::uint64_t negativeMax = where.type == OffsetValueType::Unsigned ? 0 : signedMax + 1;
    if (negative ? magnitude > negativeMax : magnitude > positiveMax) {
        error = "the value does not fit in " + std::to_string(where.size) + (where.size == 1 ? " byte" : " bytes");
        if (where.entry != nullptr) {
            error += " (" + std::string(where.entry->name) + ": " + std::string(OffsetTypeName(where.entry->type)) + ")";
        } else if (where.type != OffsetValueType::Integer) {
            error += std::string(" as type ") + where.letter;
        }
        return false;
    }
    raw = negative ? ~magnitude + 1 : magnitude;
    return true;
}

}  // namespace

bool ParseOffsetValue(std::string_view text, OffsetValue& value, std::string& error) {
    value = OffsetValue{};
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        error = "expected OFFSET:SIZE=VALUE, as in 0x0570:4=1000";
        return false;
    }
    OffsetLocation& where = value.location;
    if (!ParseOffsetLocation(text.substr(0, equals), where, error)) return false;
    value.offset = where.offset;
    value.size = where.size;
    const std::string valueText(Trim(text.substr(equals + 1)));
    if (valueText.empty()) {
        error = "missing value";
        return false;
    }
    std::uint64_t raw = 0;
    if (where.type == OffsetValueType::Text) {
        std::string_view textValue = valueText;
        if (textValue.size() >= 2 && textValue.front() == '"' && textValue.back() == '"')
            textValue = textValue.substr(1, textValue.size() - 2);
        // One byte is left for the ending zero.
        if (textValue.size() >= where.size) {
            error = std::string(where.entry->name) + " holds at most " + std::to_string(where.size - 1) +
                    " characters";
            return false;
        }
        std::memcpy(value.bytes, textValue.data(), textValue.size());
        return true;
    }
    if (where.type == OffsetValueType::Float) {
        if (!ParseFloat(valueText, where.size, raw)) {
            error = (where.entry != nullptr ? std::string(where.entry->name)
                     : where.letter == '\0'  ? std::string("size 8")
                                              : ":" + std::to_string(where.size) + "f") +
                    " takes a number such as 1.5, not '" + valueText + "'";
            return false;
        }
    } else if (!ParseInteger(valueText, where, raw, error)) {
        return false;
    }
    for (int i = 0; i < 8; ++i) value.bytes[i] = std::uint8_t(raw >> (8 * i));
    return true;
}

std::string DescribeOffset(const OffsetLocation& where, const std::uint8_t* bytes) {
    if (where.entry != nullptr)
        return std::string(where.entry->name) + "=" + FormatOffsetWithRaw(*where.entry, {bytes, where.size});
    std::uint64_t raw = 0;
    for (std::uint32_t i = 0; i < where.size; ++i) raw |= std::uint64_t(bytes[i]) << (8 * i);
    const unsigned bits = 8 * where.size;
    std::string value;
    if (where.type == OffsetValueType::Float) {
        char text[64];
        std::to_chars_result r;
        if (where.size == 4) {
            float f;
            const std::uint32_t low = std::uint32_t(raw);
            std::memcpy(&f, &low, 4);
            r = std::to_chars(text, text + sizeof text, f);
        } else {
            double d;
            std::memcpy(&d, &raw, 8);
            r = std::to_chars(text, text + sizeof text, d);
        }
        value.assign(text, r.ptr);
    } else if (where.type == OffsetValueType::Unsigned) {
        value = std::to_string(raw);
    } else {
        std::int64_t v = std::int64_t(raw);
        if (bits < 64 && raw >> (bits - 1)) v -= std::int64_t(1) << bits;  // sign-extend, as the machine loads it
        value = std::to_string(v);
    }
    char text[160];
    const std::string letter = where.letter == '\0' ? std::string() : std::string(1, where.letter);
    std::snprintf(text, sizeof text, "0x%04X:%u%s=%s (0x%0*" PRIX64 ")", where.offset, where.size, letter.c_str(),
                  value.c_str(), int(2 * where.size), raw);
    return text;
}

std::vector<CommandLineSplitter::Item> CommandLineSplitter::Feed(std::string_view bytes) {
    std::vector<Item> items;
    std::size_t newline;
    while ((newline = bytes.find('\n')) != std::string_view::npos) {
        const std::string_view piece = bytes.substr(0, newline);
        bytes.remove_prefix(newline + 1);
        if (discarding_) {
            discarding_ = false;  // the end of a line already reported
            continue;
        }
        if (partial_.size() + piece.size() > kMaxCommandLine) {
            partial_.clear();
            items.push_back({true, {}});
            continue;
        }
        std::string line = std::move(partial_);
        partial_.clear();
        line.append(piece);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        items.push_back({false, std::move(line)});
    }
    if (discarding_) return items;
    if (partial_.size() + bytes.size() > kMaxCommandLine) {
        partial_.clear();
        discarding_ = true;
        items.push_back({true, {}});
    } else {
        partial_.append(bytes);
    }
    return items;
}

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
        for (const HotKeyModifier& mod : kHotKeyModifiers) {
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
    if (SameWord(word, "log")) return Log(server, args);
    if (SameWord(word, "quit") || SameWord(word, "exit")) {
        quit = true;
        return "bye";
    }
    if (SameWord(word, "help"))
        return "commands: press Ctrl+G | press 71,2 | set 0x0570:4=1000 | set 0x0570:8i=1000 | get 0x0570:8i | "
               "set Lights=0x13 | get IndicatedAirspeed | keys | log on [FILE] | log off | quit";
    return "error: unknown command '" + std::string(word) + "' (try help)";
}

}  // namespace vorn
