#pragma once
// The one-line command language of vorn-sim (and of `vornc run`'s stdin):
//   press Ctrl+G | press 71,2     flag the registered hot keys of that key
//   set 0x0570:8i=1000            write an offset (sizes 1, 2, 4, 8; types below)
//   get 0x0570:8i                 read an offset, shown in the same type
//   set Lights=0x13, get IndicatedAirspeed
//                                 the same by a catalogue name, in its size
//                                 and type, shown as the Watch shows it
//   log on [FILE] | log off       the request log (see sim/request_log.h)
//   keys                          list the registered hot keys
//   help                          list the commands
//   quit                          stop
// Every command is answered with exactly one line; a blank line gets "".
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fsuipc/hot_key_name.h"
#include "fsuipc/offsets_catalogue.h"
#include "sim/sim_server.h"

namespace vorn {

std::string ExecuteSimCommand(SimServer& server, std::string_view line, bool& quit);

// How the bytes of an offset are read and written: the letter after the size.
//   none  sizes 1, 2, 4: an integer from the signed minimum to the unsigned
//         maximum of that size; size 8: a double ("1000" included)
//   i, s  signed integer, sizes 1, 2, 4, 8      u  unsigned, sizes 1, 2, 4, 8
//   f     float (4) or double (8); finite only
// A catalogue name gives its entry's size and type; a text entry takes text.
enum class OffsetValueType { Integer, Signed, Unsigned, Float, Text };

// The most bytes one location holds: the longest text of the catalogue.
constexpr std::uint32_t kMaxOffsetValueBytes = 256;

struct OffsetLocation {
    std::uint16_t offset = 0;
    std::uint32_t size = 0;
    OffsetValueType type = OffsetValueType::Integer;
    char letter = '\0';  // as written, so that answers show the same type
    const CatalogueEntry* entry = nullptr;  // when named, as in "IndicatedAirspeed"
};
// "0x0570:8i" -> offset, size and type. Offsets 0..0xFFFF (decimal, 0x or $
// hexadecimal), or a catalogue name in any letter case. False with a reason
// in `error`.
bool ParseOffsetLocation(std::string_view text, OffsetLocation& location, std::string& error);

// "0x0570:8i=1000", "Lights=0x13", "AircraftTitle=Vorn" -> where, and the
// little-endian bytes to store (a text with its ending zeros): the one
// reading of an offset assignment, for `set` and for `vornc run --poke`.
// False with a reason in `error`.
struct OffsetValue {
    std::uint16_t offset = 0;
    std::uint32_t size = 0;
    OffsetLocation location;
    std::uint8_t bytes[kMaxOffsetValueBytes] = {};
};
bool ParseOffsetValue(std::string_view text, OffsetValue& value, std::string& error);

// "0x0570:8i=1000 (0x00000000000003E8)": the bytes at a location in its type;
// a named one as the Watch shows it, "IndicatedAirspeed=15360 (120.0 kt)".
std::string DescribeOffset(const OffsetLocation& location, const std::uint8_t* bytes);

// Cuts a byte stream into command lines (LF or CR LF). A line longer than
// kMaxCommandLine is discarded whole, however it arrives, and reported once.
class CommandLineSplitter {
public:
    static constexpr std::size_t kMaxCommandLine = 4096;
    struct Item {
        bool tooLong = false;  // "error: line too long" is due; text is empty
        std::string text;
    };
    std::vector<Item> Feed(std::string_view bytes);

private:
    std::string partial_;
    bool discarding_ = false;
};

// "Ctrl+G" -> 71, 2. Modifier names Shift (1), Ctrl (2), Alt (4), Tab (16),
// any letter case, combined with "+"; the key is one character, upper-cased,
// or a decimal key code. Also the numeric form "71,2". False when malformed.
bool ParseHotKey(std::string_view text, std::uint8_t& key, std::uint8_t& modifier);

}  // namespace vorn
