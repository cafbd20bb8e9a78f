#include "workbench/watch_model.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "fsuipc/ipc_link.h"
#include "fsuipc/offsets_catalogue.h"
#include "machine/code_image.h"

namespace vorn {

namespace {

bool IsByteArray(const GlobalSymbol& g) { return g.storage == TStorageClass::Array && g.type == kTypeByte; }

// Bytes one refresh reads of a global: the shown elements, or the text.
std::size_t BytesToRead(const GlobalSymbol& g) {
    const std::size_t size = static_cast<std::size_t>(std::max(g.ElementSize(), 1));
    if (g.storage != TStorageClass::Array) return size;
    const std::size_t count = static_cast<std::size_t>(std::max(g.count, 1));
    if (IsByteArray(g)) return std::min<std::size_t>(count, kWatchTextBytes);
    return size * std::min<std::size_t>(count, kWatchShownElements);
}

std::string Hex(std::uint32_t value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%0*X", digits, value);
    return buf;
}

// One element as the machine would load it: 1 and 2 bytes sign-extended.
std::string Element(const GlobalSymbol& g, const std::uint8_t* p) {
    if (g.storage == TStorageClass::Pointer) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return Hex(v, 4);
    }
    switch (g.ElementSize()) {
    case 1: return std::to_string(static_cast<std::int8_t>(p[0]));
    case 2: {
        std::int16_t v;
        std::memcpy(&v, p, 2);
        return std::to_string(v);
    }
    case 8: {
        double v;
        std::memcpy(&v, p, 8);
        return ShortestFloat(v);
    }
    default: {
        std::int32_t v;
        std::memcpy(&v, p, 4);
        return std::to_string(v);
    }
    }
}

}  // namespace

std::string ShortestFloat(double value) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

std::string QuotedText(std::span<const std::uint8_t> bytes) {
    std::string text = "\"";
    for (const std::uint8_t b : bytes) {
        if (b == 0) break;
        if (b == '"' || b == '\\') {
            text += '\\';
            text += static_cast<char>(b);
        } else if (b < 0x20 || b >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", b);
            text += buf;
        } else {
            text += static_cast<char>(b);
        }
    }
    return text + "\"";
}

void WatchModel::SetGlobals(std::vector<GlobalSymbol> globals) {
    globals_ = std::move(globals);
    rows_.assign(globals_.size(), WatchRow{});
    short_.assign(globals_.size(), "?");
    buffers_.assign(globals_.size(), {});
    units_.assign(globals_.size(), nullptr);
    for (std::size_t i = 0; i < globals_.size(); ++i) {
        const GlobalSymbol& g = globals_[i];
        WatchRow& row = rows_[i];
        row.name = g.name;
        row.type = GlobalTypeText(g);
        row.where = g.AtFsuipc() ? "FSUIPC " + Hex(static_cast<std::uint32_t>(g.address) & 0xFFFF, 4)
                                 : "data " + Hex(static_cast<std::uint32_t>(g.address), 4);
        row.value = "?";
        buffers_[i].assign(BytesToRead(g), 0);
        if (g.AtFsuipc() && g.storage == TStorageClass::UIPC) {
            units_[i] = FindBinding(static_cast<std::uint32_t>(g.address) & 0xFFFF, g.ElementSize());
        }
    }
}

bool WatchModel::Refresh(std::span<const std::uint8_t> data, IpcLink* link) {
    std::vector<std::size_t> queued;
    bool ok = true;
    for (std::size_t i = 0; i < globals_.size(); ++i) {
        const GlobalSymbol& g = globals_[i];
        std::vector<std::uint8_t>& buffer = buffers_[i];
        if (!g.AtFsuipc()) {
            const std::int64_t offset = static_cast<std::int64_t>(g.address) - kDataBase;
            if (offset < 0 || offset + static_cast<std::int64_t>(buffer.size()) > static_cast<std::int64_t>(data.size())) {
                rows_[i].value = short_[i] = "?";
                continue;
            }
            std::memcpy(buffer.data(), data.data() + offset, buffer.size());
            Format(i, buffer);
            continue;
        }
        if (!link) continue;
        // The machine reads FSUIPC at the low 16 bits of an address; a read
        // never runs past the last offset.
        const std::uint32_t offset = static_cast<std::uint32_t>(g.address) & 0xFFFF;
        const std::uint32_t size = std::min<std::uint32_t>(static_cast<std::uint32_t>(buffer.size()), 0x10000 - offset);
        IpcResult result = kIpcOk;
        if (!link->QueueRead(offset, size, buffer.data(), result)) {
            // The request block is full: send what is queued and go on.
            ok = Exchanged(*link, queued) && ok;
            if (!link->QueueRead(offset, size, buffer.data(), result)) {
                ok = false;
                continue;
            }
        }
        queued.push_back(i);
    }
    if (!queued.empty()) ok = Exchanged(*link, queued) && ok;
    return ok;
}

bool WatchModel::Exchanged(IpcLink& link, std::vector<std::size_t>& queued) {
    IpcResult result = kIpcOk;
    const bool ok = link.Exchange(result);
    for (const std::size_t q : queued) {
        if (ok) {
            Format(q, buffers_[q]);
        } else {
            rows_[q].value = short_[q] = "?";
        }
    }
    queued.clear();
    return ok;
}

void WatchModel::Format(std::size_t row, const std::vector<std::uint8_t>& bytes) {
    const GlobalSymbol& g = globals_[row];
    std::string& value = rows_[row].value;
    if (g.storage != TStorageClass::Array) {
        value = units_[row] ? FormatOffsetWithRaw(*units_[row], bytes) : Element(g, bytes.data());
        short_[row] = value;
        return;
    }
    const std::size_t size = static_cast<std::size_t>(std::max(g.ElementSize(), 1));
    const std::size_t shown = std::min<std::size_t>(bytes.size() / size, kWatchShownElements);
    std::string list = "[";
    for (std::size_t k = 0; k < shown; ++k) {
        if (k > 0) list += ", ";
        list += Element(g, bytes.data() + k * size);
    }
    if (static_cast<std::size_t>(g.count) > shown) list += ", ...";
    list += "]";
    if (IsByteArray(g)) {
        short_[row] = QuotedText(bytes);
        value = short_[row] + " " + list;
    } else {
        value = list;
        short_[row] = list;
    }
}

}  // namespace vorn
