#include "workbench/link_status.h"

#include <cstdio>
#include <string>

#include "fsuipc/ipc_link.h"

namespace vorn {
namespace {

bool IsBcd(std::uint16_t word) {
    for (int shift = 0; shift < 16; shift += 4)
        if (((word >> shift) & 0xF) > 9) return false;
    return true;
}

}  // namespace

std::string FsuipcVersionText(std::uint32_t version) {
    const auto high = std::uint16_t(version >> 16);
    const auto build = std::uint16_t(version & 0xFFFF);
    char text[32];
    if (!IsBcd(high) || high == 0 || build > 26) {
        std::snprintf(text, sizeof text, "0x%08X", unsigned(version));
        return text;
    }
    const unsigned major = high >> 12, second = (high >> 8) & 0xF, last = ((high >> 4) & 0xF) * 10 + (high & 0xF);
    if (major >= 7)
        std::snprintf(text, sizeof text, "%u.%u.%u", major, second, last);
    else
        std::snprintf(text, sizeof text, "%u.%u%02u", major, second, last);
    std::string result = text;
    if (build > 0) result += char('a' + build - 1);
    return result;
}

std::string SimulatorName(std::uint16_t code) {
    switch (code) {
        case 7: return "FS2004";
        case 8: return "FSX";
        case 10: return "P3D";
        case 12: return "P3D 64-bit";
        case 13: return "MSFS";
        default: return std::to_string(code);
    }
}

std::string ConnectedText(std::uint32_t fsuipcVersion, std::uint32_t simulatorVersion, bool foundAsFs98) {
    std::string text = "Connected to FSUIPC " + FsuipcVersionText(fsuipcVersion) +
                       " (simulator: " + SimulatorName(std::uint16_t(simulatorVersion & 0xFFFF)) + ")";
    if (foundAsFs98) text += " through FS98MAIN";
    return text;
}

std::string LinkStatusText(LinkState state, const std::string& connected, double roundTripMs, int lostResult,
                           double exchangesPerTick) {
    switch (state) {
        case LinkState::kDisconnected: return "Disconnected";
        case LinkState::kWaiting: return "Waiting for the simulator";
        case LinkState::kConnected: {
            char text[96];
            int n = std::snprintf(text, sizeof text, ", round trip %.1f ms", roundTripMs);
            std::string line = connected + text;
            if (exchangesPerTick >= 0 && exchangesPerTick < 1e9) {
                // "1 exchange per tick", "4.5 exchanges per tick"
                n = std::snprintf(text, sizeof text, "%.1f", exchangesPerTick);
                std::string count(text, std::size_t(n));
                if (count.size() > 2 && count.compare(count.size() - 2, 2, ".0") == 0) count.resize(count.size() - 2);
                line += ", " + count + (count == "1" ? " exchange" : " exchanges") + " per tick";
            }
            return line;
        }
        case LinkState::kLost: return "Link lost (" + std::to_string(lostResult) + ": " + IpcResultText(lostResult) + ")";
        case LinkState::kReconnecting: return "Reconnecting";
    }
    return "Disconnected";
}

}  // namespace vorn
