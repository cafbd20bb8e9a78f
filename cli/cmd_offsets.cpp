// vornc offsets [WORD] [--json]: FSUIPC's well-known offsets from the
// catalogue, those whose name, offset or description holds WORD.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "fsuipc/offsets_catalogue.h"

namespace vorn::cli {

namespace {

std::string HexOffset(std::uint32_t offset) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", offset);
    return text;
}

// Characters on screen: UTF-8 continuation bytes take no column.
std::size_t Width(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

using Row = std::vector<std::string>;

void PrintTable(const std::vector<const CatalogueEntry*>& entries) {
    const auto headings = OffsetTableHeadings();
    std::vector<Row> rows = {Row(headings.begin(), headings.end())};
    for (const CatalogueEntry* e : entries) rows.push_back(OffsetTableCells(*e));
    std::vector<std::size_t> widths(rows[0].size(), 0);
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Width(row[c]));
    }
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) line += std::string(widths[c] - Width(row[c]) + 2, ' ');
        }
        std::printf("%s\n", line.c_str());
    }
}

std::string Json(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void PrintJson(const std::vector<const CatalogueEntry*>& entries) {
    std::printf("[");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const CatalogueEntry& e = *entries[i];
        std::printf("%s\n  {\"offset\": %u, \"hex\": %s, \"size\": %d, \"type\": %s, \"name\": %s, \"unit\": %s, "
                    "\"conversion\": %s, \"access\": %s, \"values\": %s, \"routine\": %s, \"description\": %s}",
                    i == 0 ? "" : ",", static_cast<unsigned>(e.offset), Json(HexOffset(e.offset)).c_str(), e.size,
                    Json(OffsetTypeName(e.type)).c_str(), Json(e.name).c_str(), Json(e.unit).c_str(),
                    Json(e.conversion).c_str(), Json(e.access == OffsetAccess::Read ? "r" : "rw").c_str(),
                    Json(e.values).c_str(), Json(e.routine).c_str(), Json(e.description).c_str());
    }
    std::printf("%s]\n", entries.empty() ? "" : "\n");
}

int RunOffsets(const std::vector<std::string>& args) {
    bool json = false;
    std::string word;
    bool haveWord = false;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "vornc offsets: unknown option %s\nusage: vornc %s\n", a.c_str(), UsageOf("offsets").c_str());
            return kExitUsage;
        } else if (haveWord) {
            std::fprintf(stderr, "vornc offsets: only one WORD may be given\nusage: vornc %s\n", UsageOf("offsets").c_str());
            return kExitUsage;
        } else {
            word = a;
            haveWord = true;
        }
    }
    std::vector<const CatalogueEntry*> entries;
    for (const CatalogueEntry& e : OffsetCatalogue()) {
        if (OffsetMatches(e, word)) entries.push_back(&e);
    }
    if (entries.empty() && !json) {
        std::fprintf(stderr, "vornc offsets: no offset matches \"%s\"\n", word.c_str());
        return kExitCommandError;
    }
    if (json) {
        PrintJson(entries);
    } else {
        PrintTable(entries);
    }
    return kExitOk;
}

const CommandRegistration kRegistration(
    {"offsets", "[WORD]", RunOffsets,
     "list FSUIPC's well-known offsets (offset, size, type, name, unit, access, description), those whose name, "
     "offset or description holds WORD",
     {{"--json", "print them as a JSON array for other tools"}, {"--help", "print this help"}},
     {kExitOk, kExitUsage, kExitCommandError, kExitWriteFailed}});

}  // namespace

}  // namespace vorn::cli
