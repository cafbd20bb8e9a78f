#pragma once
// The Watch: a program's globals with their type, where they live and their
// value, read while the program runs. Data-segment globals are read straight
// from the machine; FSUIPC-bound ones ("at") in one batched exchange per
// refresh, so nothing is asked of the simulator unless someone is watching.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "compiler/program_map.h"

namespace vorn {

class IpcLink;
struct CatalogueEntry;

struct WatchRow {
    std::string name;
    std::string type;   // "int", "float[4]", "byte*"
    std::string where;  // "data $1000000" or "FSUIPC $0570"
    std::string value;  // "42", "1.5", "[1, 2, 3]", "\"AB\" [65, 66, 0]"; "?" when unread;
                        // a well-known offset with its unit: "15360 (120.0 kt)"
};

// Arrays show this many elements; byte arrays up to this many bytes of text.
inline constexpr int kWatchShownElements = 8;
inline constexpr int kWatchTextBytes = 256;

class WatchModel {
public:
    // Watches these globals from now on; values read "?" until Refresh.
    void SetGlobals(std::vector<GlobalSymbol> globals);
    // Reads every value. data is the machine's data segment; link may be
    // null (FSUIPC rows then keep "?"). False when the FSUIPC exchange failed.
    bool Refresh(std::span<const std::uint8_t> data, IpcLink* link);

    const std::vector<WatchRow>& Rows() const { return rows_; }
    const std::vector<GlobalSymbol>& Globals() const { return globals_; }
    // The value in the short form of one line: a byte array is its quoted
    // text up to the first zero byte, everything else as in Rows().
    const std::string& ShortValue(std::size_t row) const { return short_[row]; }

private:
    void Format(std::size_t row, const std::vector<std::uint8_t>& bytes);
    // Sends the queued reads and shows what came back ("?" on failure).
    bool Exchanged(IpcLink& link, std::vector<std::size_t>& queued);

    std::vector<GlobalSymbol> globals_;
    std::vector<WatchRow> rows_;
    std::vector<std::string> short_;
    std::vector<std::vector<std::uint8_t>> buffers_;
    std::vector<const CatalogueEntry*> units_;  // the catalogue entry a scalar is bound to, or null
};

// The shortest text that reads back as exactly this double ("1", "0.5").
std::string ShortestFloat(double value);
// Bytes up to the first zero as a double-quoted text; '"', '\' and bytes
// outside printable ASCII are escaped (\", \\, \xNN).
std::string QuotedText(std::span<const std::uint8_t> bytes);

}  // namespace vorn
