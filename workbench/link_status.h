#pragma once
// What the window says about the link: the line at Connect that names the
// FSUIPC version and the simulator, and the status line's texts.
#include <cstdint>
#include <string>

namespace vorn {

// 0x3304 as FSUIPC numbers its versions: the high word in BCD ("4.974" from
// 0x4974; from version 7 on "7.0.1" from 0x7001), a build letter from the
// low word (1 = a); anything that is not BCD as its hex number.
std::string FsuipcVersionText(std::uint32_t version);
// The low word of 0x3308: "FS2004", "FSX", "P3D", "P3D 64-bit", "MSFS", or the number.
std::string SimulatorName(std::uint16_t code);
// "Connected to FSUIPC 7.0.1 (simulator: MSFS)", "... through FS98MAIN" when
// the server was found by that class, as WideClient presents itself.
std::string ConnectedText(std::uint32_t fsuipcVersion, std::uint32_t simulatorVersion, bool foundAsFs98);

enum class LinkState { kDisconnected, kWaiting, kConnected, kLost, kReconnecting };

// The status line: "Disconnected", "Waiting for the simulator",
// "<connected text>, round trip 0.4 ms, 4.5 exchanges per tick" (the
// exchanges left out when negative), "Link lost (11: ...)", "Reconnecting".
std::string LinkStatusText(LinkState state, const std::string& connected, double roundTripMs, int lostResult,
                           double exchangesPerTick = -1);

}  // namespace vorn
