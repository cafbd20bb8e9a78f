#pragma once
// The one-line command language of vorn-sim (and of `vornc run`'s stdin):
//   press Ctrl+G | press 71,2     flag the registered hot keys of that key
//   set 0x0570:4=1000             write an offset (sizes 1, 2, 4, 8)
//   get 0x0570:4                  read an offset
//   keys                          list the registered hot keys
//   help                          list the commands
//   quit                          stop
// Every command is answered with exactly one line; a blank line gets "".
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/sim_server.h"

namespace vorn {

std::string ExecuteSimCommand(SimServer& server, std::string_view line, bool& quit);

// "Ctrl+G" -> 71, 2. Modifier names Shift (1), Ctrl (2), Alt (4), Tab (16),
// any letter case, combined with "+"; the key is one character, upper-cased,
// or a decimal key code. Also the numeric form "71,2". False when malformed.
bool ParseHotKey(std::string_view text, std::uint8_t& key, std::uint8_t& modifier);

// The readable name of a key: "Ctrl+G", "Shift+Alt+65"...
std::string HotKeyName(std::uint8_t key, std::uint8_t modifier);

}  // namespace vorn
